// Hostile command lines for demo32's switch parser: random argument vectors
// with empty, huge and non-ASCII arguments, near misses of every switch, and
// switches where they must not count (argv[0], past argc). A fixed number of
// command lines from a fixed seed: every run makes the same ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "demo32/show/switches.h"

namespace {

const char *const SWITCH_NAMES[] = {"-window", "-2005", "-nosound", "-debug"};

// What the command line asks for, worked out independently of the parser:
// whole-string equality of std::string, one flag per switch.
struct Asked {
  bool window = false;
  bool no_smear = false;
  bool no_sound = false;
  bool debug = false;
};

Asked oracle(const std::vector<std::string> &args, size_t argc) {
  Asked asked;
  for (size_t i = 1; i < argc && i < args.size(); ++i) {
    asked.window = asked.window || args[i] == std::string("-window");
    asked.no_smear = asked.no_smear || args[i] == std::string("-2005");
    asked.no_sound = asked.no_sound || args[i] == std::string("-nosound");
    asked.debug = asked.debug || args[i] == std::string("-debug");
  }
  return asked;
}

void expect_switches(const d32::Switches &s, const Asked &asked, const std::string &context) {
  EXPECT_EQ(s.windowed, asked.window ? 1 : 0) << context;
  EXPECT_EQ(s.smear_enabled, asked.no_smear ? 0 : 1) << context;
  EXPECT_EQ(s.no_sound, asked.no_sound ? 1 : 0) << context;
  EXPECT_EQ(s.debug_mode, asked.debug ? 1 : 0) << context;
}

d32::Switches parse(const std::vector<std::string> &args, int argc) {
  std::vector<const char *> argv;
  for (const std::string &a : args)
    argv.push_back(a.c_str());
  argv.push_back(nullptr);
  return d32::parse_switches(argc, argv.data());
}

// Bytes 1..255: a C string from the command line cannot hold a NUL.
char random_byte(std::mt19937 &rng) {
  return static_cast<char>(1 + rng() % 255);
}

std::string random_bytes(std::mt19937 &rng, size_t length) {
  std::string s(length, '\0');
  for (char &c : s)
    c = random_byte(rng);
  return s;
}

// At least `length` bytes of `text` over and over.
std::string repeated(const std::string &text, size_t length) {
  std::string s;
  while (s.size() < length)
    s += text;
  return s;
}

std::string hostile_argument(std::mt19937 &rng) {
  const std::string name = SWITCH_NAMES[rng() % 4];
  switch (rng() % 11) {
  case 0:
  case 1:
    return name; // the real thing, often enough to combine
  case 2: {      // one byte changed, possibly to a high byte or a case flip
    std::string s = name;
    const size_t at = rng() % s.size();
    const char old = s[at];
    do
      s[at] = rng() % 2 ? static_cast<char>(s[at] ^ 0x20) : random_byte(rng);
    while (s[at] == old);
    return s;
  }
  case 3: // a shortened switch, down to the empty string
    return name.substr(0, rng() % name.size());
  case 4: // characters added behind it
    return name + random_bytes(rng, 1 + rng() % 8);
  case 5: // characters added in front of it
    return random_bytes(rng, 1 + rng() % 3) + name;
  case 6: { // upper case
    std::string s = name;
    for (char &c : s)
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 32);
    return s;
  }
  case 7: { // only bytes above 0x7F
    std::string s(rng() % 32, '\0');
    for (char &c : s)
      c = static_cast<char>(0x80 + rng() % 128);
    return s;
  }
  case 8: // very long: a switch repeated, or plain noise
    if (rng() % 2)
      return repeated(name, 100000);
    return random_bytes(rng, 1 + rng() % 200000);
  case 9:
    return "";
  default:
    return random_bytes(rng, rng() % 16);
  }
}

TEST(FuzzSwitches, RandomCommandLinesChangeOnlyWhatTheExactSwitchesSay) {
  constexpr uint32_t SEED = 0x5EED32;
  constexpr int COMMAND_LINES = 1500;
  std::mt19937 rng(SEED);
  int with_switch = 0;
  int without_switch = 0;
  for (int run = 0; run < COMMAND_LINES; ++run) {
    std::vector<std::string> args;
    // argv[0] is the program's name even when it spells a switch.
    args.push_back(rng() % 4 == 0 ? std::string(SWITCH_NAMES[rng() % 4])
                                  : random_bytes(rng, rng() % 40));
    const size_t count = rng() % 12;
    for (size_t i = 0; i < count; ++i)
      args.push_back(hostile_argument(rng));
    // Sometimes argc stops short of the vector: what lies behind must not count.
    const size_t argc = rng() % 5 == 0 ? rng() % (args.size() + 1) : args.size();

    const Asked asked = oracle(args, argc);
    const bool any = asked.window || asked.no_smear || asked.no_sound || asked.debug;
    (any ? with_switch : without_switch) += 1;
    const d32::Switches s = parse(args, static_cast<int>(argc));
    expect_switches(s, asked,
                    "seed " + std::to_string(SEED) + ", command line " + std::to_string(run));
    if (testing::Test::HasFailure())
      break;
  }
  // The generator exercises both outcomes many times.
  EXPECT_GE(with_switch, 100);
  EXPECT_GE(without_switch, 100);
}

TEST(FuzzSwitches, EdgesOfTheArgumentVector) {
  // An empty argument vector (execve allows argc 0) and a lone program name.
  expect_switches(d32::parse_switches(0, nullptr), Asked{}, "argc 0");
  const char *only_name[] = {"-window", nullptr};
  expect_switches(d32::parse_switches(1, only_name), Asked{}, "argv[0] only");

  // A null entry inside argc is skipped, the switches around it still count.
  const char *with_null[] = {"demo32", "-debug", nullptr, "-2005", nullptr};
  Asked asked;
  asked.debug = true;
  asked.no_smear = true;
  expect_switches(d32::parse_switches(4, with_null), asked, "null inside argc");

  // Every switch at once, repeated, in reverse order; a near miss of each.
  const std::vector<std::string> all = {"x",      "-debug",  "-nosound", "-2005",  "-window",
                                        "-debug", "-window", "-Window",  "-2005 ", "nosound"};
  Asked every;
  every.window = every.no_smear = every.no_sound = every.debug = true;
  expect_switches(parse(all, static_cast<int>(all.size())), every, "all switches");
  const std::vector<std::string> misses = {
      "x", "-WINDOW", "-200", "-nosounds", "--debug", "-window\xA0", "\xAD-2005", "", "-"};
  expect_switches(parse(misses, static_cast<int>(misses.size())), Asked{}, "near misses");
}

} // namespace

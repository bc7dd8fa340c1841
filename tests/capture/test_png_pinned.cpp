// The encoder's exact bytes for frames of both shows, pinned: a faster
// encoder must still write the very same files. The values were taken from
// the files the tool wrote before the encoder's loops were rewritten, with
// their tEXt chunks left out (those carry the version and the command).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demo32/replay/replay.h"
#include "demo8/replay/replay.h"
#include "tools/capture/frame_files.h"
#include "tools/capture/png_writer.h"

using namespace capture;

namespace {

// FNV-1a, 64 bits.
uint64_t fingerprint(const std::vector<uint8_t> &bytes) {
  uint64_t h = 0xcbf29ce484222325u;
  for (uint8_t b : bytes) {
    h ^= b;
    h *= 0x100000001b3u;
  }
  return h;
}

struct Pin {
  int64_t frame;
  uint64_t fingerprint;
};

// Renders demo32 at 60 fps with seed 7 as the tool does and checks the PNG
// of each pinned frame.
void check_demo32(bool smear, const std::vector<Pin> &pins) {
  auto chart = std::make_unique<d32::SongChart>();
  d32::chart_song(*chart);
  auto replay = std::make_unique<d32::Replay32>();
  d32::start_replay(*replay, 7, smear);
  PngEncoder encoder;
  std::vector<uint8_t> rgb(static_cast<size_t>(FRAME_PIXELS) * 3);
  int64_t frame = 0;
  for (const Pin &pin : pins) {
    for (; frame <= pin.frame; ++frame)
      ASSERT_TRUE(d32::replay_charted_frame(*replay, *chart, 60, frame));
    frame32_rgb(replay->pixels, rgb.data());
    encode_png(encoder, rgb.data(), FRAME_WIDTH, FRAME_HEIGHT);
    EXPECT_EQ(fingerprint(encoder.file), pin.fingerprint)
        << "frame " << pin.frame << (smear ? "" : " without smear");
  }
}

} // namespace

TEST(PngPinned, Demo32FramesWithAndWithoutSmear) {
  check_demo32(true, {{600, 0x40a770ae8e263519u},
                      {2700, 0x33a1896ee1bfc4efu},
                      {4800, 0x32cf479c07072ffau},
                      {6900, 0xc3c25f754033f59bu},
                      {9000, 0x9cb70ac140820b60u},
                      {11100, 0x9e9c7cb981540f99u}});
  check_demo32(
      false,
      {{2700, 0xc033de2f11d70fc7u}, {6900, 0xeff3bd103f8a4e69u}, {11100, 0x6511017c959d766du}});
}

TEST(PngPinned, Demo8Frames) {
  const std::vector<Pin> pins = {{100, 0x42eaa5e33a4e055cu},
                                 {400, 0xa236e7ca6536b440u},
                                 {700, 0x27dec223852fa249u},
                                 {1000, 0x20c106a36d2bb810u},
                                 {1300, 0x4e3a26645a8a48a5u}};
  auto replay = std::make_unique<d8::Replay8>();
  d8::start_replay(*replay);
  PngEncoder encoder;
  std::vector<uint8_t> rgb(static_cast<size_t>(FRAME_PIXELS) * 3);
  int64_t frame = 0;
  for (const Pin &pin : pins) {
    for (; frame <= pin.frame; ++frame)
      ASSERT_TRUE(d8::replay_frame(*replay));
    frame8_rgb(replay->pixels, replay->palette, rgb.data());
    encode_png(encoder, rgb.data(), FRAME_WIDTH, FRAME_HEIGHT);
    EXPECT_EQ(fingerprint(encoder.file), pin.fingerprint) << "frame " << pin.frame;
  }
}

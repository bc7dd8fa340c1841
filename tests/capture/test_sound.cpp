// Soundtrack and voice files: WAV layout, the stretch of samples written, and
// the voices adding up to the mix.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/capture/test_support.h"
#include "tools/capture/music32.h"
#include "tools/capture/output_files.h"
#include "tools/capture/show8.h"
#include "tools/capture/wav_writer.h"

using namespace capture;
using namespace capture_test;

namespace {

const d32::WaveMemory &wave_memory() {
  static const auto memory = [] {
    auto m = std::make_unique<d32::WaveMemory>();
    d32::build_wave_memory(*m);
    return m;
  }();
  return *memory;
}

// demo32's music straight from synth_render in the audio callback's buffers.
std::vector<int16_t> callback_stream(int32_t n) {
  auto synth = std::make_unique<d32::Synth>();
  d32::ShowClock clock;
  std::vector<int16_t> out(static_cast<size_t>(n));
  for (int32_t b = 0; b < n; b += 4096)
    d32::synth_render(*synth, wave_memory(), clock, out.data() + b, std::min(4096, n - b));
  return out;
}

} // namespace

TEST(WavFormat, HeaderOf16BitMono) {
  uint8_t h[WAV_HEADER_BYTES];
  wav_header(h, 44100, 16, 8756000);
  const std::vector<uint8_t> b(h, h + WAV_HEADER_BYTES);
  EXPECT_EQ(0, std::memcmp(h, "RIFF", 4));
  EXPECT_EQ(le32(b, 4), 36u + 2 * 8756000);
  EXPECT_EQ(0, std::memcmp(h + 8, "WAVEfmt ", 8));
  EXPECT_EQ(le32(b, 16), 16u);
  EXPECT_EQ(b[20] | b[21] << 8, 1); // PCM
  EXPECT_EQ(b[22] | b[23] << 8, 1); // mono
  EXPECT_EQ(le32(b, 24), 44100u);
  EXPECT_EQ(le32(b, 28), 88200u); // bytes per second
  EXPECT_EQ(b[32] | b[33] << 8, 2);
  EXPECT_EQ(b[34] | b[35] << 8, 16);
  EXPECT_EQ(0, std::memcmp(h + 36, "data", 4));
  EXPECT_EQ(le32(b, 40), 2u * 8756000);
}

TEST(WavFormat, HeaderOf8BitMonoPadsOddData) {
  uint8_t h[WAV_HEADER_BYTES];
  wav_header(h, 22050, 8, 1382976);
  const std::vector<uint8_t> b(h, h + WAV_HEADER_BYTES);
  EXPECT_EQ(le32(b, 24), 22050u);
  EXPECT_EQ(le32(b, 28), 22050u);
  EXPECT_EQ(b[32], 1);
  EXPECT_EQ(b[34], 8);
  EXPECT_EQ(le32(b, 40), 1382976u);
  EXPECT_EQ(le32(b, 4), 36u + 1382976);
  // An odd data chunk is followed by a pad byte that RIFF counts, data does not.
  wav_header(h, 22050, 8, 3);
  const std::vector<uint8_t> odd(h, h + WAV_HEADER_BYTES);
  EXPECT_EQ(le32(odd, 40), 3u);
  EXPECT_EQ(le32(odd, 4), 36u + 4);
}

TEST(WavFile, AppearsOnlyWhenFinished) {
  const auto dir = scratch_dir("wavfile");
  const std::string path = (dir / "x.wav").string();
  WavFile wav;
  wav_open(wav, path, 44100, 16);
  const int16_t samples[5] = {0, 1, -1, 32767, -32768};
  wav_append_s16(wav, samples, 5);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(partial_files(dir).size(), 1u);
  wav_finish(wav);
  EXPECT_TRUE(partial_files(dir).empty());

  const std::vector<uint8_t> b = read_bytes(path);
  ASSERT_EQ(b.size(), 44u + 10);
  EXPECT_EQ(le32(b, 40), 10u);
  EXPECT_EQ(le32(b, 4), 46u);
  // Little-endian two's complement.
  const uint8_t data[10] = {0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80};
  EXPECT_EQ(0, std::memcmp(b.data() + 44, data, 10));

  WavFile odd;
  const std::string odd_path = (dir / "odd.wav").string();
  wav_open(odd, odd_path, 22050, 8);
  const uint8_t bytes[3] = {128, 129, 130};
  wav_append_u8(odd, bytes, 3);
  wav_finish(odd);
  const std::vector<uint8_t> o = read_bytes(odd_path);
  ASSERT_EQ(o.size(), 44u + 4); // with its pad byte
  EXPECT_EQ(o[44], 128);
  EXPECT_EQ(o[46], 130);
  std::filesystem::remove_all(dir);
}

// Rendering in tick-bounded pieces to targets anywhere gives the very stream of
// the 4096-sample callback; a stretch keeps exactly its samples.
TEST(Sound32, StretchIsTheCallbackStreamSampleForSample) {
  const auto dir = scratch_dir("stretch32");
  constexpr int32_t N = 4096 * 30;
  const std::vector<int16_t> expected = callback_stream(N);

  WavFile wav;
  wav_open(wav, (dir / "s.wav").string(), 44100, 16);
  auto music = std::make_unique<Music32>();
  Sound32Outputs out;
  out.mix[0] = &wav;
  out.first_sample = 1234; // inside the second tick
  for (int64_t target : {int64_t{1}, int64_t{799}, int64_t{800}, int64_t{801}, int64_t{1234},
                         int64_t{2000}, int64_t{4096}, int64_t{9999}, int64_t{50000}, int64_t{N}}) {
    ASSERT_TRUE(advance_music(*music, wave_memory(), target, &out));
    ASSERT_EQ(music->samples, target);
  }
  wav_finish(wav);

  const std::vector<int16_t> got = wav_samples16(dir / "s.wav");
  ASSERT_EQ(got.size(), static_cast<size_t>(N - 1234));
  for (size_t i = 0; i < got.size(); ++i)
    ASSERT_EQ(got[i], expected[1234 + i]) << "sample " << 1234 + i;
  // Not a silent stretch: the notes start at sample 800.
  int16_t peak = 0;
  for (int16_t s : got)
    peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(s)));
  EXPECT_GT(peak, 1000);
  std::filesystem::remove_all(dir);
}

TEST(Sound32, StemsAddUpToTheMixWithWrapAround) {
  const auto dir = scratch_dir("stems");
  WavFile mix;
  WavFile stems[d32::VOICES];
  wav_open(mix, (dir / "mix.wav").string(), 44100, 16);
  for (int v = 0; v < d32::VOICES; ++v)
    wav_open(stems[v], numbered_path(dir.string(), "voice_", v, 2, ".wav"), 44100, 16);
  auto music = std::make_unique<Music32>();
  Sound32Outputs out;
  out.mix[0] = &mix;
  out.stems = stems;
  // Position 8 onwards has most voices busy; write a stretch of it.
  out.first_sample = 800 + 8 * 307200;
  const int64_t end = out.first_sample + 44100;
  ASSERT_TRUE(advance_music(*music, wave_memory(), end, &out));
  wav_finish(mix);
  for (WavFile &s : stems)
    wav_finish(s);

  const std::vector<int16_t> m = wav_samples16(dir / "mix.wav");
  ASSERT_EQ(m.size(), 44100u);
  std::vector<std::vector<int16_t>> voice;
  int busy = 0;
  for (int v = 0; v < d32::VOICES; ++v) {
    voice.push_back(wav_samples16(numbered_path(dir.string(), "voice_", v, 2, ".wav")));
    ASSERT_EQ(voice.back().size(), 44100u) << v;
    bool sounds = false;
    for (int16_t s : voice.back())
      sounds = sounds || s != 0;
    busy += sounds;
  }
  EXPECT_GE(busy, 8);
  for (size_t i = 0; i < m.size(); ++i) {
    uint16_t sum = 0;
    for (int v = 0; v < d32::VOICES; ++v)
      sum = static_cast<uint16_t>(sum + static_cast<uint16_t>(voice[v][i]));
    ASSERT_EQ(static_cast<int16_t>(sum), m[i]) << i;
  }
  EXPECT_EQ(std::filesystem::path(numbered_path("d", "voice_", 7, 2, ".wav")).filename(),
            "voice_07.wav");
  std::filesystem::remove_all(dir);
}

TEST(Sound32, StopsOnTheSampleThatReadsTheEndMark) {
  auto music = std::make_unique<Music32>();
  EXPECT_FALSE(advance_music(*music, wave_memory(), 9000000, nullptr));
  EXPECT_EQ(music->samples, 8756000);
  // Nothing more is rendered once the end mark is read.
  EXPECT_FALSE(advance_music(*music, wave_memory(), 9000000, nullptr));
  EXPECT_EQ(music->samples, 8756000);
}

TEST(Sound8, StretchIsTheMusicFromSampleZero) {
  const auto dir = scratch_dir("sound8");
  constexpr int64_t FIRST = 882 * 5;
  constexpr int64_t END = 882 * 12;
  WavFile wav;
  wav_open(wav, (dir / "m.wav").string(), 22050, 8);
  WavFile *files[2] = {&wav, nullptr};
  render_sound8(FIRST, END, files);
  wav_finish(wav);

  d8::Music music;
  std::vector<uint8_t> expected(END);
  d8::music_render(music, expected.data(), static_cast<int32_t>(END));
  const std::vector<uint8_t> b = read_bytes(dir / "m.wav");
  ASSERT_EQ(b.size(), 44u + (END - FIRST));
  EXPECT_EQ(le32(b, 40), static_cast<uint32_t>(END - FIRST));
  EXPECT_TRUE(std::equal(b.begin() + 44, b.end(), expected.begin() + FIRST));

  // The whole show's soundtrack length and its first bytes.
  WavFile whole;
  wav_open(whole, (dir / "w.wav").string(), 22050, 8);
  WavFile *both[2] = {&whole, nullptr};
  render_sound8(0, 882 * 1568, both);
  wav_finish(whole);
  const std::vector<uint8_t> w = read_bytes(dir / "w.wav");
  EXPECT_EQ(w.size(), 44u + 1382976);
  const uint8_t first[8] = {112, 117, 123, 130, 136, 141, 147, 152};
  EXPECT_EQ(0, std::memcmp(w.data() + 44, first, 8));
  std::filesystem::remove_all(dir);
}

// Soundtrack and voice files: WAV layout, the stretch of samples written, and
// the voices adding up to the mix.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/capture/test_support.h"
#include "tools/capture/capture_error.h"
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

// A WAV file of the tool at path, ready for samples; wav_end and
// commit_outputs complete it.
void open_wav(WavFile &wav, const std::filesystem::path &path, int32_t rate, int32_t bits,
              int64_t samples) {
  open_output(wav.out, claimed_file(path));
  wav_start(wav, rate, bits, samples, "demo-capture demo32 --frames 0-1");
}

void end_wav(WavFile &wav) {
  wav_end(wav);
  commit_outputs();
}

TEST(WavFormat, ChunksOf16BitMonoWithTheCommandInTheirInfo) {
  const std::vector<uint8_t> b = wav_header(44100, 16, 8756000, "demo-capture demo32 --seed 7");
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(le32(b, 16), 16u);
  EXPECT_EQ(b[20] | b[21] << 8, 1); // PCM
  EXPECT_EQ(b[22] | b[23] << 8, 1); // mono
  EXPECT_EQ(le32(b, 24), 44100u);
  EXPECT_EQ(le32(b, 28), 88200u); // bytes per second
  EXPECT_EQ(b[32] | b[33] << 8, 2);
  EXPECT_EQ(b[34] | b[35] << 8, 16);
  // The samples follow the header directly, and RIFF counts all of it.
  const size_t data = riff_chunk(b, "data");
  ASSERT_EQ(data + 8, b.size());
  EXPECT_EQ(le32(b, data + 4), 2u * 8756000);
  EXPECT_EQ(le32(b, 4), b.size() - 8 + 2 * 8756000);
  const size_t list = riff_chunk(b, "LIST");
  ASSERT_NE(list, 0u);
  const std::string info(b.begin() + static_cast<std::ptrdiff_t>(list) + 8,
                         b.begin() + static_cast<std::ptrdiff_t>(data));
  EXPECT_EQ(info.substr(0, 4), "INFO");
  EXPECT_NE(info.find(std::string("ICMT\x1d\0\0\0demo-capture demo32 --seed 7\0", 37)),
            std::string::npos);
  EXPECT_NE(info.find("ISFT"), std::string::npos);
}

TEST(WavFormat, OddDataIsPaddedAndOddTextsToo) {
  // An odd data chunk is followed by a pad byte that RIFF counts, data does not.
  const std::vector<uint8_t> b = wav_header(22050, 8, 3, "odd");
  const size_t data = riff_chunk(b, "data");
  EXPECT_EQ(le32(b, 24), 22050u);
  EXPECT_EQ(b[32], 1);
  EXPECT_EQ(b[34], 8);
  EXPECT_EQ(le32(b, data + 4), 3u);
  EXPECT_EQ(le32(b, 4), b.size() - 8 + 4);
  EXPECT_EQ(b.size() % 2, 0u);
  // "odd1" and its zero byte take 5 bytes, padded to 6 like "odd12".
  EXPECT_EQ(wav_header(22050, 8, 3, "odd1").size(), wav_header(22050, 8, 3, "odd12").size());
}

TEST(WavFile, AppearsOnlyWhenTheRunIsCommitted) {
  const auto dir = scratch_dir("wavfile");
  WavFile wav;
  open_wav(wav, dir / "x.wav", 44100, 16, 5);
  const int16_t samples[5] = {0, 1, -1, 32767, -32768};
  wav_append_s16(wav, samples, 5);
  wav_end(wav);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.wav"));
  EXPECT_EQ(partial_files(dir).size(), 1u);
  commit_outputs();
  EXPECT_TRUE(partial_files(dir).empty());
  // Little-endian two's complement.
  EXPECT_EQ(wav_samples16(dir / "x.wav"), (std::vector<int16_t>{0, 1, -1, 32767, -32768}));

  // A writer that got fewer samples than its header announced fails.
  WavFile short_one;
  open_wav(short_one, dir / "short.wav", 22050, 8, 4);
  const uint8_t bytes[3] = {128, 129, 130};
  wav_append_u8(short_one, bytes, 3);
  EXPECT_THROW(wav_end(short_one), CaptureError);
  close_quietly(short_one.out);
  discard_outputs();
  EXPECT_FALSE(std::filesystem::exists(dir / "short.wav"));
  EXPECT_TRUE(partial_files(dir).empty());
  std::filesystem::remove_all(dir);
}

// Rendering in tick-bounded pieces to targets anywhere gives the very stream of
// the 4096-sample callback; a stretch keeps exactly its samples.
TEST(Sound32, StretchIsTheCallbackStreamSampleForSample) {
  const auto dir = scratch_dir("stretch32");
  constexpr int32_t N = 4096 * 30;
  const std::vector<int16_t> expected = callback_stream(N);

  WavFile wav;
  open_wav(wav, dir / "s.wav", 44100, 16, N - 1234);
  auto music = std::make_unique<d32::ReplayMusic>();
  Sound32Outputs out;
  out.mix[0] = &wav;
  out.first_sample = 1234; // inside the second tick
  for (int64_t target : {int64_t{1}, int64_t{799}, int64_t{800}, int64_t{801}, int64_t{1234},
                         int64_t{2000}, int64_t{4096}, int64_t{9999}, int64_t{50000}, int64_t{N}}) {
    ASSERT_TRUE(advance_music(*music, wave_memory(), target, &out));
    ASSERT_EQ(music->samples, target);
  }
  end_wav(wav);

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
  open_wav(mix, dir / "mix.wav", 44100, 16, 44100);
  for (int v = 0; v < d32::VOICES; ++v)
    open_wav(stems[v], numbered_path(dir.string(), "voice_", v, 2, ".wav"), 44100, 16, 44100);
  auto music = std::make_unique<d32::ReplayMusic>();
  Sound32Outputs out;
  out.mix[0] = &mix;
  out.stems = stems;
  // Position 8 onwards has most voices busy; write a stretch of it.
  out.first_sample = 800 + 8 * 307200;
  const int64_t end = out.first_sample + 44100;
  ASSERT_TRUE(advance_music(*music, wave_memory(), end, &out));
  wav_end(mix);
  for (WavFile &s : stems)
    wav_end(s);
  commit_outputs();

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
  auto music = std::make_unique<d32::ReplayMusic>();
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
  open_wav(wav, dir / "m.wav", 22050, 8, END - FIRST);
  WavFile *files[2] = {&wav, nullptr};
  render_sound8(FIRST, END, files);
  end_wav(wav);

  d8::Music music;
  std::vector<uint8_t> expected(END);
  d8::music_render(music, expected.data(), static_cast<int32_t>(END));
  const std::vector<uint8_t> b = read_bytes(dir / "m.wav");
  const size_t data = riff_chunk(b, "data") + 8;
  ASSERT_EQ(b.size(), data + (END - FIRST));
  EXPECT_TRUE(
      std::equal(b.begin() + static_cast<std::ptrdiff_t>(data), b.end(), expected.begin() + FIRST));

  // The whole show's soundtrack length and its first bytes.
  WavFile whole;
  open_wav(whole, dir / "w.wav", 22050, 8, 882 * 1568);
  WavFile *both[2] = {&whole, nullptr};
  render_sound8(0, 882 * 1568, both);
  end_wav(whole);
  const std::vector<uint8_t> w = read_bytes(dir / "w.wav");
  const size_t start = riff_chunk(w, "data") + 8;
  EXPECT_EQ(w.size(), start + 1382976);
  const uint8_t first[8] = {112, 117, 123, 130, 136, 141, 147, 152};
  EXPECT_EQ(0, std::memcmp(w.data() + start, first, 8));
  std::filesystem::remove_all(dir);
}

// Pictures on the replay clock, written as the tool writes them (through a
// pool of one worker): raw memory layout, determinism by seed, ranges
// computed from frame 0, and demo8's frame count and palette.
#include <gtest/gtest.h>

#include <memory>

#include "tests/capture/test_support.h"
#include "tools/capture/frames32.h"
#include "tools/capture/show8.h"

using namespace capture;
using namespace capture_test;
namespace fs = std::filesystem;

namespace {

const d32::SongChart &chart() {
  static const auto chart = [] {
    auto c = std::make_unique<d32::SongChart>();
    d32::chart_song(*c);
    return c;
  }();
  return *chart;
}

// At 5 fps frame 215 falls in position 6, where the randomly moving polygon is
// on screen; getting there takes a fraction of a second.
constexpr int32_t SLOW_FPS = 5;
constexpr int64_t POLYGON_FRAME = 215;

// Raw files for every frame from first on into dir, by one worker.
struct RawFiles {
  FramePool pool;
  FrameOutputs outputs;

  RawFiles(const fs::path &dir, size_t raw_bytes, int64_t first, int64_t every = 1) {
    pool.raw_dir = dir.string();
    pool_start(pool, 1, raw_bytes);
    outputs.pool = &pool;
    outputs.first_frame = first;
    outputs.every = every;
  }
  ~RawFiles() { pool_abandon(pool); }
};

// Renders frames 0..last at fps; raw files for first..last go to dir.
void render32(const fs::path &dir, uint32_t seed, int64_t first, int64_t last, bool smear = true,
              int32_t fps = SLOW_FPS, int64_t every = 1) {
  auto replay = std::make_unique<d32::Replay32>();
  d32::start_replay(*replay, seed, smear);
  RawFiles files(dir, RAW32_BYTES, first, every);
  Plan32 plan;
  plan.fps = fps;
  plan.first_frame = first;
  plan.last_frame = last;
  ASSERT_EQ(run_frames32(*replay, chart(), plan, &files.outputs, nullptr), last + 1);
  pool_finish(files.pool);
}

std::vector<uint8_t> frame_file(const fs::path &dir, int64_t frame) {
  return read_bytes(frame_path(dir.string(), frame, ".raw"));
}

} // namespace

TEST(Frames32, RawFileIsLittleEndianPixelWords) {
  static uint32_t pixels[FRAME_PIXELS];
  for (int32_t i = 0; i < FRAME_PIXELS; ++i)
    pixels[i] = static_cast<uint32_t>(i) * 2654435761u & 0x00FFFFFFu;
  pixels[0] = 0x00123456u;
  std::vector<uint8_t> raw(RAW32_BYTES);
  frame32_raw(pixels, raw.data());
  EXPECT_EQ(raw[0], 0x56); // blue first
  EXPECT_EQ(raw[1], 0x34);
  EXPECT_EQ(raw[2], 0x12);
  EXPECT_EQ(raw[3], 0x00);
  for (int32_t i = 0; i < FRAME_PIXELS; ++i)
    ASSERT_EQ(le32(raw, 4 * static_cast<size_t>(i)), pixels[i]);

  std::vector<uint8_t> rgb(FRAME_PIXELS * 3);
  frame32_rgb(pixels, rgb.data());
  EXPECT_EQ(rgb[0], 0x12); // red first
  EXPECT_EQ(rgb[1], 0x34);
  EXPECT_EQ(rgb[2], 0x56);
}

TEST(Frames32, SameSeedSameFramesOtherSeedOtherPolygon) {
  const auto a = scratch_dir("seed-a");
  const auto b = scratch_dir("seed-b");
  const auto c = scratch_dir("seed-c");
  render32(a, 1, POLYGON_FRAME - 2, POLYGON_FRAME);
  render32(b, 1, POLYGON_FRAME - 2, POLYGON_FRAME);
  render32(c, 2, POLYGON_FRAME - 2, POLYGON_FRAME);
  for (int64_t f = POLYGON_FRAME - 2; f <= POLYGON_FRAME; ++f) {
    const std::vector<uint8_t> fa = frame_file(a, f);
    ASSERT_EQ(fa.size(), static_cast<size_t>(RAW32_BYTES)) << f;
    EXPECT_EQ(fa, frame_file(b, f)) << f;
  }
  EXPECT_NE(frame_file(a, POLYGON_FRAME), frame_file(c, POLYGON_FRAME));
  // Nothing outside the range, no partial leftovers.
  EXPECT_FALSE(fs::exists(frame_path(a.string(), POLYGON_FRAME - 3, ".raw")));
  EXPECT_TRUE(partial_files(a).empty());
  for (const auto &d : {a, b, c})
    fs::remove_all(d);
}

// A frame depends on those before it (the surface is never cleared and the
// smear filter feeds on the last picture): a range still starts from frame 0.
TEST(Frames32, RangeFramesEqualTheSameFramesOfAFullRun) {
  const auto whole = scratch_dir("whole");
  const auto part = scratch_dir("part");
  render32(whole, 5, 0, 60);
  render32(part, 5, 58, 60);
  for (int64_t f = 58; f <= 60; ++f)
    EXPECT_EQ(frame_file(whole, f), frame_file(part, f)) << f;
  // Consecutive frames of the show differ; the files are not all one picture.
  EXPECT_NE(frame_file(whole, 59), frame_file(whole, 60));
  fs::remove_all(whole);
  fs::remove_all(part);
}

TEST(Frames32, NoSmearChangesThePicture) {
  const auto smeared = scratch_dir("smeared");
  const auto sharp = scratch_dir("sharp");
  render32(smeared, 1, 20, 20, true);
  render32(sharp, 1, 20, 20, false);
  EXPECT_NE(frame_file(smeared, 20), frame_file(sharp, 20));
  fs::remove_all(smeared);
  fs::remove_all(sharp);
}

TEST(Frames32, EveryNthFrameFromTheFirst) {
  const auto dir = scratch_dir("every");
  render32(dir, 1, 3, 12, true, 60, 4);
  std::vector<std::string> names;
  for (const auto &e : fs::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"frame_00003.raw", "frame_00007.raw", "frame_00011.raw"}));
  fs::remove_all(dir);
}

TEST(Frames8, ShowEndsAfterFrame1567AndRangesStopEarlier) {
  auto replay = std::make_unique<d8::Replay8>();
  d8::start_replay(*replay);
  EXPECT_EQ(run_frames8(*replay, 0, 1000000, nullptr, nullptr), 1568);
  EXPECT_EQ(replay->show.running, 0);

  auto part = std::make_unique<d8::Replay8>();
  d8::start_replay(*part);
  EXPECT_EQ(run_frames8(*part, 0, 99, nullptr, nullptr), 100);
  EXPECT_EQ(part->show.running, 1);
}

TEST(Frames8, RawIsTheIndicesAndPngColoursComeFromThePalette) {
  const auto dir = scratch_dir("frames8");
  auto replay = std::make_unique<d8::Replay8>();
  d8::start_replay(*replay);
  {
    RawFiles files(dir, RAW8_BYTES, 300);
    run_frames8(*replay, 300, 300, &files.outputs, nullptr);
    pool_finish(files.pool);
  }
  const std::vector<uint8_t> raw = frame_file(dir, 300);
  ASSERT_EQ(raw.size(), static_cast<size_t>(RAW8_BYTES));
  EXPECT_TRUE(std::equal(raw.begin(), raw.end(), replay->pixels));
  // Even rows are the fixed gradient y / 2 wherever nothing covers them.
  EXPECT_EQ(raw[238 * 320], 119);

  std::vector<uint8_t> rgb(FRAME_PIXELS * 3);
  frame8_rgb(replay->pixels, replay->palette, rgb.data());
  for (int32_t i = 0; i < FRAME_PIXELS; i += 97) {
    const d8::Rgb c = replay->palette[replay->pixels[i]];
    ASSERT_EQ(rgb[3 * i], c.r);
    ASSERT_EQ(rgb[3 * i + 1], c.g);
    ASSERT_EQ(rgb[3 * i + 2], c.b);
  }
  fs::remove_all(dir);
}

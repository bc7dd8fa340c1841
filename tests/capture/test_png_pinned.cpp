// The encoder's exact bytes for frames of both shows at the default level,
// pinned: the files stay the same from build to build and on every system.
// The values were taken from the files of the first encoder through
// libdeflate, whose pixels were checked against the earlier encoder's over
// every frame of both shows, with their tEXt chunks left out (those carry
// the version and the command).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <libdeflate.h>

#include "demo32/replay/replay.h"
#include "demo8/replay/replay.h"
#include "tools/capture/frame_files.h"
#include "tools/capture/options.h"
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

// Another version of libdeflate may choose other matches: the same pixels in
// other bytes. The Windows build is made from the same version.
bool pinned_library() {
  return LIBDEFLATE_VERSION_MAJOR == 1 && LIBDEFLATE_VERSION_MINOR == 14;
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
    encode_png(encoder, rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, DEFAULT_PNG_LEVEL);
    EXPECT_EQ(fingerprint(encoder.file), pin.fingerprint)
        << "frame " << pin.frame << (smear ? "" : " without smear");
  }
}

} // namespace

TEST(PngPinned, Demo32FramesWithAndWithoutSmear) {
  if (!pinned_library())
    GTEST_SKIP() << "the bytes are pinned for libdeflate 1.14, not " LIBDEFLATE_VERSION_STRING;
  check_demo32(true, {{600, 0xb6c195139edd5c11u},
                      {2700, 0xe113b2847e58c20cu},
                      {4800, 0x769aaf3483c418c3u},
                      {6900, 0xb55177ca48e84e62u},
                      {9000, 0xb3246813da8eae69u},
                      {11100, 0xffae210f102d0115u}});
  check_demo32(
      false,
      {{2700, 0x38bfee17fb28fbb7u}, {6900, 0xbdbd00258adb5accu}, {11100, 0x7ce6dbcea224ba1au}});
}

TEST(PngPinned, Demo8Frames) {
  if (!pinned_library())
    GTEST_SKIP() << "the bytes are pinned for libdeflate 1.14, not " LIBDEFLATE_VERSION_STRING;
  const std::vector<Pin> pins = {{100, 0xf56648573ddc67aau},
                                 {400, 0x828ffa0dad15cd71u},
                                 {700, 0xdbfaaf3a31e320aeu},
                                 {1000, 0x06fea6573afc5619u},
                                 {1300, 0xb69c48e23f4425a9u}};
  auto replay = std::make_unique<d8::Replay8>();
  d8::start_replay(*replay);
  PngEncoder encoder;
  std::vector<uint8_t> rgb(static_cast<size_t>(FRAME_PIXELS) * 3);
  int64_t frame = 0;
  for (const Pin &pin : pins) {
    for (; frame <= pin.frame; ++frame)
      ASSERT_TRUE(d8::replay_frame(*replay));
    frame8_rgb(replay->pixels, replay->palette, rgb.data());
    encode_png(encoder, rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, DEFAULT_PNG_LEVEL);
    EXPECT_EQ(fingerprint(encoder.file), pin.fingerprint) << "frame " << pin.frame;
  }
}

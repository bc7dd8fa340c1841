#include "tools/capture/frame_outputs.h"

#include <cstring>

namespace capture {

namespace {

// A slot of the pool when files are due for the frame, else null.
FrameSlot *take_slot(FrameOutputs &o, int64_t frame) {
  if (o.pool == nullptr || (frame - o.first_frame) % o.every != 0)
    return nullptr;
  FrameSlot &slot = pool_take(*o.pool);
  slot.frame = frame;
  slot.raw_due = !o.pool->raw_dir.empty();
  slot.png_due = !o.pool->png_dir.empty();
  return &slot;
}

// The video takes the frame's RGB bytes from the slot when it has them.
template <typename ToRgb> void send_to_video(FrameOutputs &o, const FrameSlot *slot, ToRgb to_rgb) {
  if (o.video == nullptr)
    return;
  if (slot != nullptr && slot->png_due) {
    video_frame(*o.video, slot->rgb.data());
    return;
  }
  o.rgb.resize(static_cast<size_t>(FRAME_PIXELS) * 3);
  to_rgb(o.rgb.data());
  video_frame(*o.video, o.rgb.data());
}

} // namespace

bool wants_pictures(const FrameOutputs &o) {
  return o.pool != nullptr || o.video != nullptr;
}

void emit_frame32(FrameOutputs &o, int64_t frame, const uint32_t *pixels) {
  FrameSlot *slot = take_slot(o, frame);
  if (slot != nullptr && slot->raw_due)
    frame32_raw(pixels, slot->raw.data());
  if (slot != nullptr && slot->png_due)
    frame32_rgb(pixels, slot->rgb.data());
  send_to_video(o, slot, [pixels](uint8_t *rgb) { frame32_rgb(pixels, rgb); });
  if (slot != nullptr)
    pool_hand_over(*o.pool, *slot);
}

void emit_frame8(FrameOutputs &o, int64_t frame, const uint8_t *indices,
                 const d8::Rgb (&palette)[256]) {
  FrameSlot *slot = take_slot(o, frame);
  if (slot != nullptr && slot->raw_due)
    std::memcpy(slot->raw.data(), indices, RAW8_BYTES);
  if (slot != nullptr && slot->png_due)
    frame8_rgb(indices, palette, slot->rgb.data());
  send_to_video(o, slot, [indices, &palette](uint8_t *rgb) { frame8_rgb(indices, palette, rgb); });
  if (slot != nullptr)
    pool_hand_over(*o.pool, *slot);
}

} // namespace capture

#include "tools/capture/frame_outputs.h"

#include <cstring>

#include "tools/capture/options.h"
#include "tools/capture/output_files.h"
#include "tools/capture/version.h"

namespace capture {

namespace {

bool file_due(const FrameOutputs &o, int64_t frame) {
  return (frame - o.first_frame) % o.every == 0;
}

void size_buffers(FrameOutputs &o, size_t raw_bytes) {
  if (o.raw.size() != raw_bytes)
    o.raw.resize(raw_bytes);
  if (o.rgb.size() != static_cast<size_t>(FRAME_PIXELS) * 3)
    o.rgb.resize(static_cast<size_t>(FRAME_PIXELS) * 3);
}

void emit_rgb(FrameOutputs &o, int64_t frame, bool files) {
  if (files && !o.png_dir.empty()) {
    encode_png(o.png, o.rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, frame_png_texts(o.command, frame));
    write_whole_file(frame_path(o.png_dir, frame, ".png"), o.png.file.data(), o.png.file.size());
  }
  if (o.video != nullptr)
    video_frame(*o.video, o.rgb.data());
}

// The frame's slot in the pool, marked for the files due.
FrameSlot &take_slot(FrameOutputs &o, int64_t frame) {
  FrameSlot &slot = pool_take(*o.pool);
  slot.frame = frame;
  slot.raw_due = !o.raw_dir.empty();
  slot.png_due = !o.png_dir.empty();
  return slot;
}

// The video takes the frame's RGB pixels from the slot when it has them.
void hand_over(FrameOutputs &o, FrameSlot &slot) {
  if (o.video != nullptr && slot.png_due)
    video_frame(*o.video, slot.rgb.data());
  pool_hand_over(*o.pool, slot);
}

} // namespace

std::vector<PngText> frame_png_texts(const std::string &command, int64_t frame) {
  return {{"Software", std::string("demo-capture ") + CAPTURE_VERSION},
          {"Comment", command + frames_option(frame, frame)}};
}

void frame32_raw(const uint32_t *pixels, uint8_t *out) {
  for (int32_t i = 0; i < FRAME_PIXELS; ++i) {
    const uint32_t p = pixels[i];
    out[4 * i + 0] = static_cast<uint8_t>(p);
    out[4 * i + 1] = static_cast<uint8_t>(p >> 8);
    out[4 * i + 2] = static_cast<uint8_t>(p >> 16);
    out[4 * i + 3] = static_cast<uint8_t>(p >> 24);
  }
}

void frame32_rgb(const uint32_t *pixels, uint8_t *rgb) {
  for (int32_t i = 0; i < FRAME_PIXELS; ++i) {
    const uint32_t p = pixels[i];
    rgb[3 * i + 0] = static_cast<uint8_t>(p >> 16);
    rgb[3 * i + 1] = static_cast<uint8_t>(p >> 8);
    rgb[3 * i + 2] = static_cast<uint8_t>(p);
  }
}

void frame8_rgb(const uint8_t *indices, const d8::Rgb (&palette)[256], uint8_t *rgb) {
  for (int32_t i = 0; i < FRAME_PIXELS; ++i) {
    const d8::Rgb c = palette[indices[i]];
    rgb[3 * i + 0] = c.r;
    rgb[3 * i + 1] = c.g;
    rgb[3 * i + 2] = c.b;
  }
}

std::string frame_path(const std::string &dir, int64_t frame, const char *extension) {
  return numbered_path(dir, "frame_", frame, 5, extension);
}

bool wants_pictures(const FrameOutputs &o) {
  return wants_files(o) || o.video != nullptr;
}

bool wants_files(const FrameOutputs &o) {
  return !o.raw_dir.empty() || !o.png_dir.empty();
}

void emit_frame32(FrameOutputs &o, int64_t frame, const uint32_t *pixels) {
  size_buffers(o, RAW32_BYTES);
  const bool files = file_due(o, frame);
  if (files && o.pool != nullptr && wants_files(o)) {
    FrameSlot &slot = take_slot(o, frame);
    if (slot.raw_due)
      frame32_raw(pixels, slot.raw.data());
    if (slot.png_due)
      frame32_rgb(pixels, slot.rgb.data());
    else if (o.video != nullptr) {
      frame32_rgb(pixels, o.rgb.data());
      video_frame(*o.video, o.rgb.data());
    }
    hand_over(o, slot);
    return;
  }
  if (files && !o.raw_dir.empty()) {
    frame32_raw(pixels, o.raw.data());
    write_whole_file(frame_path(o.raw_dir, frame, ".raw"), o.raw.data(), o.raw.size());
  }
  if ((files && !o.png_dir.empty()) || o.video != nullptr) {
    frame32_rgb(pixels, o.rgb.data());
    emit_rgb(o, frame, files);
  }
}

void emit_frame8(FrameOutputs &o, int64_t frame, const uint8_t *indices,
                 const d8::Rgb (&palette)[256]) {
  size_buffers(o, RAW8_BYTES);
  const bool files = file_due(o, frame);
  if (files && o.pool != nullptr && wants_files(o)) {
    FrameSlot &slot = take_slot(o, frame);
    if (slot.raw_due)
      std::memcpy(slot.raw.data(), indices, RAW8_BYTES);
    if (slot.png_due)
      frame8_rgb(indices, palette, slot.rgb.data());
    else if (o.video != nullptr) {
      frame8_rgb(indices, palette, o.rgb.data());
      video_frame(*o.video, o.rgb.data());
    }
    hand_over(o, slot);
    return;
  }
  if (files && !o.raw_dir.empty())
    write_whole_file(frame_path(o.raw_dir, frame, ".raw"), indices, RAW8_BYTES);
  if ((files && !o.png_dir.empty()) || o.video != nullptr) {
    frame8_rgb(indices, palette, o.rgb.data());
    emit_rgb(o, frame, files);
  }
}

} // namespace capture

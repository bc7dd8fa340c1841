#include "tools/capture/wav_writer.h"

#include <cerrno>
#include <cstring>

#include "tools/capture/capture_error.h"
#include "tools/capture/output_files.h"

namespace capture {

namespace {

void put16(uint8_t *p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t *p, uint32_t v) {
  put16(p, v & 0xFFFF);
  put16(p + 2, v >> 16);
}

void write_or_fail(WavFile &wav, const void *data, size_t size) {
  if (std::fwrite(data, 1, size, wav.file) != size)
    fail(EXIT_RUNTIME, "writing '" + wav.path + "' failed: " + std::strerror(errno));
}

int64_t data_bytes(int32_t bits, int64_t samples) {
  return samples * (bits / 8);
}

} // namespace

void wav_header(uint8_t (&h)[WAV_HEADER_BYTES], int32_t rate, int32_t bits, int64_t samples) {
  const uint32_t block = static_cast<uint32_t>(bits / 8);
  const uint32_t data = static_cast<uint32_t>(data_bytes(bits, samples));
  const uint32_t pad = data & 1; // RIFF chunks are word aligned
  std::memcpy(h + 0, "RIFF", 4);
  put32(h + 4, 36 + data + pad);
  std::memcpy(h + 8, "WAVE", 4);
  std::memcpy(h + 12, "fmt ", 4);
  put32(h + 16, 16);
  put16(h + 20, 1); // PCM
  put16(h + 22, 1); // mono
  put32(h + 24, static_cast<uint32_t>(rate));
  put32(h + 28, static_cast<uint32_t>(rate) * block);
  put16(h + 32, block);
  put16(h + 34, static_cast<uint32_t>(bits));
  std::memcpy(h + 36, "data", 4);
  put32(h + 40, data);
}

void wav_open(WavFile &wav, const std::string &path, int32_t rate, int32_t bits) {
  wav = WavFile{};
  wav.path = path;
  wav.rate = rate;
  wav.bits = bits;
  wav.file = open_partial(path, wav.partial);
  uint8_t header[WAV_HEADER_BYTES];
  wav_header(header, rate, bits, 0);
  write_or_fail(wav, header, sizeof header);
}

void wav_append_s16(WavFile &wav, const int16_t *samples, int32_t count) {
  // Little-endian whatever the host; a tick's worth at a time.
  uint8_t bytes[2 * 1024];
  int32_t done = 0;
  while (done < count) {
    const int32_t n = count - done < 1024 ? count - done : 1024;
    for (int32_t i = 0; i < n; ++i)
      put16(bytes + 2 * i, static_cast<uint16_t>(samples[done + i]));
    write_or_fail(wav, bytes, static_cast<size_t>(2 * n));
    done += n;
  }
  wav.samples += count;
}

void wav_append_u8(WavFile &wav, const uint8_t *samples, int32_t count) {
  write_or_fail(wav, samples, static_cast<size_t>(count));
  wav.samples += count;
}

void wav_finish(WavFile &wav) {
  if (data_bytes(wav.bits, wav.samples) & 1) {
    const uint8_t pad = 0;
    write_or_fail(wav, &pad, 1);
  }
  uint8_t header[WAV_HEADER_BYTES];
  wav_header(header, wav.rate, wav.bits, wav.samples);
  if (std::fseek(wav.file, 0, SEEK_SET) != 0)
    fail(EXIT_RUNTIME, "writing '" + wav.path + "' failed: " + std::strerror(errno));
  write_or_fail(wav, header, sizeof header);
  commit_partial(wav.file, wav.partial, wav.path);
  wav.file = nullptr;
}

} // namespace capture

#include "tools/capture/wav_writer.h"

#include <cstring>

#include "common/le_bytes.h"
#include "tools/capture/capture_error.h"
#include "tools/capture/version.h"

namespace capture {

namespace {

using common::put16;
using common::put32;

void put_tag(std::vector<uint8_t> &b, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i)
    b.push_back(static_cast<uint8_t>(tag[i]));
}

// An INFO text: zero-terminated, padded to an even size.
void put_text(std::vector<uint8_t> &b, const char (&tag)[5], const std::string &text) {
  put_tag(b, tag);
  put32(b, static_cast<uint32_t>(text.size() + 1));
  for (char c : text)
    b.push_back(static_cast<uint8_t>(c));
  b.push_back(0);
  if ((text.size() + 1) & 1)
    b.push_back(0);
}

void write_or_fail(WavFile &wav, const void *data, size_t size) {
  if (std::fwrite(data, 1, size, wav.out.file) != size)
    fail_io("writing", wav.out.name);
}

int64_t data_bytes(int32_t bits, int64_t samples) {
  return samples * (bits / 8);
}

} // namespace

std::vector<uint8_t> wav_header(int32_t rate, int32_t bits, int64_t samples,
                                const std::string &comment) {
  std::vector<uint8_t> info;
  put_tag(info, "INFO");
  put_text(info, "ISFT", std::string("demo-capture ") + CAPTURE_VERSION);
  put_text(info, "ICMT", comment);

  const uint32_t block = static_cast<uint32_t>(bits / 8);
  const auto data = static_cast<uint32_t>(data_bytes(bits, samples));
  const uint32_t pad = data & 1; // RIFF chunks are word aligned
  std::vector<uint8_t> h;
  put_tag(h, "RIFF");
  put32(h, static_cast<uint32_t>(4 + (8 + 16) + (8 + info.size()) + 8) + data + pad);
  put_tag(h, "WAVE");
  put_tag(h, "fmt ");
  put32(h, 16);
  put16(h, 1); // PCM
  put16(h, 1); // mono
  put32(h, static_cast<uint32_t>(rate));
  put32(h, static_cast<uint32_t>(rate) * block);
  put16(h, block);
  put16(h, static_cast<uint32_t>(bits));
  put_tag(h, "LIST");
  put32(h, static_cast<uint32_t>(info.size()));
  h.insert(h.end(), info.begin(), info.end());
  put_tag(h, "data");
  put32(h, data);
  return h;
}

void wav_start(WavFile &wav, int32_t rate, int32_t bits, int64_t samples,
               const std::string &comment) {
  wav.rate = rate;
  wav.bits = bits;
  wav.expected = samples;
  wav.samples = 0;
  const std::vector<uint8_t> header = wav_header(rate, bits, samples, comment);
  write_or_fail(wav, header.data(), header.size());
}

void wav_append_s16(WavFile &wav, const int16_t *samples, int32_t count) {
  // Little-endian whatever the host; a tick's worth at a time.
  uint8_t bytes[2 * 1024];
  int32_t done = 0;
  while (done < count) {
    const int32_t n = count - done < 1024 ? count - done : 1024;
    for (int32_t i = 0; i < n; ++i) {
      const auto v = static_cast<uint16_t>(samples[done + i]);
      bytes[2 * i] = static_cast<uint8_t>(v);
      bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    write_or_fail(wav, bytes, static_cast<size_t>(2 * n));
    done += n;
  }
  wav.samples += count;
}

void wav_append_u8(WavFile &wav, const uint8_t *samples, int32_t count) {
  write_or_fail(wav, samples, static_cast<size_t>(count));
  wav.samples += count;
}

void wav_end(WavFile &wav) {
  if (wav.samples != wav.expected)
    fail(EXIT_RUNTIME, "'" + wav.out.name + "' got " + std::to_string(wav.samples) +
                           " samples instead of the " + std::to_string(wav.expected) +
                           " its header announces");
  if (data_bytes(wav.bits, wav.samples) & 1) {
    const uint8_t pad = 0;
    write_or_fail(wav, &pad, 1);
  }
  close_output(wav.out);
}

} // namespace capture

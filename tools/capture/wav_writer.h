#pragma once
// RIFF WAV files of PCM mono, written as the samples come and completed with
// their sizes at the end.
#include <cstdint>
#include <cstdio>
#include <string>

namespace capture {

constexpr int WAV_HEADER_BYTES = 44;

struct WavFile {
  std::string path;    // final name
  std::string partial; // name while being written
  FILE *file = nullptr;
  int32_t rate = 0;
  int32_t bits = 0;    // 16: signed little-endian, 8: unsigned
  int64_t samples = 0; // written so far
};

// The 44-byte header of a mono PCM file holding `samples` samples.
void wav_header(uint8_t (&header)[WAV_HEADER_BYTES], int32_t rate, int32_t bits, int64_t samples);

// Opens path (under its partial name) with a provisional header.
void wav_open(WavFile &wav, const std::string &path, int32_t rate, int32_t bits);
void wav_append_s16(WavFile &wav, const int16_t *samples, int32_t count);
void wav_append_u8(WavFile &wav, const uint8_t *samples, int32_t count);
// Writes the final sizes and renames the file to its real name.
void wav_finish(WavFile &wav);

} // namespace capture

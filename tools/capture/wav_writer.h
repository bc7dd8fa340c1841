#pragma once
// RIFF WAV files of PCM mono. The sample count is known before the first
// sample, so the header is final from the start and the file is written front
// to back: it can go to a pipe or standard output as well as to a file.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/capture/output_files.h"

namespace capture {

struct WavFile {
  OutputFile out; // opened by the caller
  int32_t rate = 0;
  int32_t bits = 0;     // 16: signed little-endian, 8: unsigned
  int64_t expected = 0; // samples the header announces
  int64_t samples = 0;  // written so far
};

// The header of a mono PCM file of `samples` samples: RIFF, "fmt ", a LIST
// INFO chunk with the software (ISFT) and the comment (ICMT), then the
// "data" chunk's own header. The samples follow it directly.
std::vector<uint8_t> wav_header(int32_t rate, int32_t bits, int64_t samples,
                                const std::string &comment);

// Writes the header into wav.out, which the caller has opened.
void wav_start(WavFile &wav, int32_t rate, int32_t bits, int64_t samples,
               const std::string &comment);
void wav_append_s16(WavFile &wav, const int16_t *samples, int32_t count);
void wav_append_u8(WavFile &wav, const uint8_t *samples, int32_t count);
// Checks the count against the header, adds the pad byte of an odd data
// chunk and closes the file (its move into place waits for commit_outputs).
void wav_end(WavFile &wav);

} // namespace capture

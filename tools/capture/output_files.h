#pragma once
// Output files appear only when complete: everything is written under a
// hidden partial name beside its final name and renamed at the end. On
// failure every partial file still open is removed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace capture {

// ".partial-PID-NAME" in the directory of path; keeps the extension, which
// ffmpeg reads to choose its container.
std::string partial_path(const std::string &path);

// Opens the partial file of path for writing and remembers it for cleanup.
// Throws a usage error (exit 2) naming path when it cannot be created.
FILE *open_partial(const std::string &path, std::string &partial);

// Closes the file, renames partial to path and forgets it. Throws on failure.
void commit_partial(FILE *file, const std::string &partial, const std::string &path);

// Remembers or forgets a partial file that somebody else (ffmpeg) writes.
void remember_partial(const std::string &partial);
void forget_partial(const std::string &partial);

// Removes every partial file not yet committed, and the directories this
// run created if they are still empty.
void remove_partials();

// Writes a whole file under its partial name, then renames it.
void write_file_at_once(const std::string &path, const uint8_t *data, size_t size);

// Creates dir if it does not exist yet and checks that files can be made in
// it. Throws a usage error naming the directory otherwise.
void prepare_directory(const std::string &dir, const char *option);

// "DIR/PREFIX%05dSUFFIX" for frame and voice file names.
std::string numbered_path(const std::string &dir, const char *prefix, int64_t number, int digits,
                          const char *suffix);

} // namespace capture

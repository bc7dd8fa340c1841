#pragma once
// The capture tool's version: printed by --version and written into every
// file it makes, beside the command line that reproduces the file.
namespace capture {

constexpr const char *CAPTURE_VERSION = "1.1";

} // namespace capture

#pragma once
// The two lines demo32 prints about its surfaces once the video mode is set.
#include <cstdint>
#include <string>

namespace d32 {

// "vidmode flags (%i): " with SDL's flags word as a signed number, then the
// name of every flag set, each followed by one blank, then a newline.
std::string vidmode_report(uint32_t flags);

// "o-ou! ..." when the surface must be locked, else "jipii ...", without newline.
const char *lock_remark(bool must_lock);

} // namespace d32

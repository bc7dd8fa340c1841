#pragma once
// Ctrl-C and termination requests: the handler only raises a flag; the render
// loops look at it once per frame and fail cleanly, removing partial files.
#include <csignal>

namespace capture {

void install_interrupt_handlers();
// Throws an interruption error once a signal has arrived.
void check_interrupt();

} // namespace capture

#pragma once
// Ctrl-C, termination requests and a closed terminal: the handler only notes
// the signal; the render loops look at it once per frame, and blocked calls
// (a pipe to ffmpeg, a FIFO) return early, so the run fails cleanly and
// removes what it had begun. Afterwards the program ends by the same signal,
// so that a calling shell sees it (status 128 + signal) and stops its loop.
// A signal that was ignored when the tool started stays ignored.
namespace capture {

void install_interrupt_handlers();
// Throws the interruption error (exit 128 + signal) once a signal has arrived.
void check_interrupt();
// The signal that arrived, or 0.
int interrupt_signal();
// Ends the process by the signal that arrived, with its default action; on
// systems where that is not possible, exits with 128 + signal.
[[noreturn]] int end_by_interrupt_signal();

} // namespace capture

#pragma once
// How a desktop show behaves as a process, the same for demo32, demo8 and the
// capture tool.
//
// Console lines reach a file or a pipe as soon as they are printed, so none
// is lost when the program is killed.
//
// Ctrl-C, a termination request and a closed terminal (SIGINT, SIGTERM,
// SIGHUP) end the show: the handler only notes the signal, the frame loop
// sees it before the next frame, shuts SDL down and ends the process by the
// same signal, so that a calling shell sees it (status 128 + signal) and
// stops its loop. Under nohup SIGHUP stays ignored. The window's close button
// is a different matter, left to each show.
namespace desktop {

// Standard output written line by line (on Windows, whose C runtime has no
// line buffering, unbuffered). Call before the first line is printed.
void line_buffered_console();

// Sets an environment variable unless the viewer's environment already has
// one of that name, so that a viewer's own choice always wins.
void set_env_default(const char *name, const char *value);

// What a call blocked in the kernel (a write into a full pipe, the open of a
// FIFO nobody reads) does when a stop signal arrives: a show resumes it; the
// capture tool has it fail with EINTR, so that it gives up at once.
enum class BlockedCalls { resume, interrupt };

// Catches the three signals. Call before SDL starts: SDL then leaves them to
// us instead of turning them into a quit request.
void catch_stop_signals(BlockedCalls blocked = BlockedCalls::resume);

// The signal that arrived, or 0.
int stop_signal();

// With SDL shut down: ends the process by the signal that arrived, with its
// default action. Where that is not possible, exits with 128 + signal.
[[noreturn]] void end_by_stop_signal();

} // namespace desktop

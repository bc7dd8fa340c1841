#pragma once
// Names of the files a run writes before they are complete, and the removal
// of those left behind by a run that was killed outright. A partial name
// carries the writer's process id, so a later run into the same folder can
// tell whether its writer is still at work.
#include <cstdint>
#include <string>

namespace capture {

constexpr const char *PARTIAL_PREFIX = ".demo-capture-partial-";

// ".demo-capture-partial-PID-TAG" in dir.
std::string partial_name_in(const std::string &dir, const std::string &tag);

// The writer's process id of a partial name, or -1 for any other name.
int64_t partial_writer(const std::string &file_name);

// Removes the partial files and staging folders in dir whose writer has
// ended. Never touches those of this process or of a process still running.
void sweep_leftovers(const std::string &dir);

int64_t this_process();
bool process_running(int64_t pid);

} // namespace capture

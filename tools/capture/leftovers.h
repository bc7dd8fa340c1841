#pragma once
// Names of what a run keeps beside the files it writes until it has
// succeeded (staging folders, scratch files). A partial name carries the
// writer's process id, so a later run can tell whether its writer is still at
// work, and a tag saying what it is.
#include <cstdint>
#include <string>

namespace capture {

constexpr const char *PARTIAL_PREFIX = ".demo-capture-partial-";

// ".demo-capture-partial-PID-TAG" in dir.
std::string partial_name_in(const std::string &dir, const std::string &tag);

// The writer's process id of a partial name, or -1 for any other name.
int64_t partial_writer(const std::string &file_name);
// The TAG of a partial name.
std::string partial_tag(const std::string &file_name);

// Removes the scratch files in dir whose writer has ended, in a folder the
// run does not claim (the system's temporary folder). Never touches folders,
// nor the files of this process or of a process still running.
void sweep_scratch(const std::string &dir);

int64_t this_process();
bool process_running(int64_t pid);

} // namespace capture

#pragma once

#include <filesystem>
#include <string>

namespace svcmp::cli {

// Whether `path` looks like a settings file: a regular file of exactly 88
// bytes, or one that does not exist (reading it then says so). Otherwise
// prints "error: FILE is not a settings file" and gives false. Opens nothing,
// so a FIFO cannot block.
bool CheckSettingsFileShape(const std::string& path);

// Says on stderr what loading `path` gives, as the options dialog would read
// it: a warning for each value the dialog changes, and unless `quiet` a line
// with the values loaded.
void ReportLoadedSettings(const std::string& path, bool quiet);

}  // namespace svcmp::cli

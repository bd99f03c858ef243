#pragma once

#include <string>
#include <vector>

#include "host/host_model.h"

namespace svcmp {

// One warning for each mesh or material whose name is longer than the
// export can read (kLongestHostName bytes), naming it and saying what is
// kept.
[[nodiscard]] std::vector<std::string> LongNameWarnings(const msModel& model);

}  // namespace svcmp

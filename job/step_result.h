#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace svcmp {

// What one step of an export gives: a value and the warnings met on the way,
// or an error for the user (which names the file, node or part at fault).
// There is no flag that turns an error back into something else: a step
// that may be skipped says so in its value.
template <typename T>
struct [[nodiscard]] StepResult {
  std::optional<T> value;
  std::string error;  // set exactly when there is no value
  std::vector<std::string> warnings;

  static StepResult Failed(std::string why, std::vector<std::string> warnings = {}) {
    StepResult result;
    result.error = std::move(why);
    result.warnings = std::move(warnings);
    return result;
  }
  static StepResult Made(T made, std::vector<std::string> warnings = {}) {
    StepResult result;
    result.value = std::move(made);
    result.warnings = std::move(warnings);
    return result;
  }
  bool ok() const { return value.has_value(); }
};

// A step that gives nothing but success.
struct Done {};

}  // namespace svcmp

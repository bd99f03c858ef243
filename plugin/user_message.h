#pragma once

#include <functional>
#include <string>

namespace svcmp {

enum class MessageIcon {
  None,         // a plain box, as for the reader's compression note
  Exclamation,  // input the user can correct
  Error,        // something failed
};

// Shows a message box with one OK button and returns once the user closed it.
using ShowMessageFn =
    std::function<void(const std::string& text, const std::string& caption, MessageIcon icon)>;

}  // namespace svcmp

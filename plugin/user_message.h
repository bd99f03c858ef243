#pragma once

#include <functional>
#include <string>

#include "ui/message_icon.h"

namespace svcmp {

// Shows a message box with one OK button and returns once the user closed it.
using ShowMessageFn =
    std::function<void(const std::string& text, const std::string& caption, MessageIcon icon)>;

}  // namespace svcmp

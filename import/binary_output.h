#pragma once

namespace svcmp {

// Puts stdout and stderr in binary mode where the C runtime writes text
// (Windows turns each "\n" into "\r\n"), so that what the program writes
// reaches the process reading it byte for byte. Does nothing elsewhere.
void UseBinaryStandardOutput();

}  // namespace svcmp

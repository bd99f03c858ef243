#pragma once

namespace svcmp {

// Puts stdout and stderr in binary mode where the C runtime writes text
// (Windows turns each "\n" into "\r\n"), so that what the program writes
// reaches the process reading it byte for byte. Does nothing elsewhere.
void UseBinaryStandardOutput();

// Puts stdout alone in binary mode: what a program prints is the same bytes
// on every system, while its messages on stderr stay text for the console.
void UseBinaryPrintedOutput();

}  // namespace svcmp

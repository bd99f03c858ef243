#pragma once

// How cmptool and svcmp-import talk: the command line, the exit statuses and
// the prefixes of the lines on the importer's stderr.
namespace svcmp::importer_protocol {

inline constexpr char kProgramName[] = "svcmp-import";
// `svcmp-import read MODEL` writes the model as a JSON model document to stdout.
inline constexpr char kReadMode[] = "read";

inline constexpr int kExitRead = 0;
inline constexpr int kExitRefused = 1;  // one kErrorPrefix line says why
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutOfMemory = 3;

inline constexpr char kErrorPrefix[] = "error: ";
inline constexpr char kWarningPrefix[] = "warning: ";

}  // namespace svcmp::importer_protocol

#pragma once

// How cmptool and svcmp-import talk: the command line, the exit statuses and
// the prefixes of the lines on the importer's stderr.
namespace svcmp::importer_protocol {

inline constexpr char kProgramName[] = "svcmp-import";
// `svcmp-import read MODEL` writes the model as a JSON model document to stdout.
inline constexpr char kReadMode[] = "read";
// `svcmp-import write SCENE MODEL` writes the scene document in the file SCENE
// as the model file MODEL, its format by extension (export_formats.h), side
// files (.bin, .mtl) beside it; it ends with kExitRead when it has.
inline constexpr char kWriteMode[] = "write";
inline constexpr char kNotAWrittenFormat[] =
    "models are written as .gltf, .glb, .obj or .dae files";

inline constexpr int kExitRead = 0;     // also: written
inline constexpr int kExitRefused = 1;  // one kErrorPrefix line says why
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutOfMemory = 12;  // ENOMEM's number

// The status the Windows C runtime's abort() ends a program with, and so an
// uncaught exception or a failed assertion; on Linux they end it by a signal.
// None of the importer's own statuses may be it, or a crash would be told as
// one of them.
inline constexpr int kWindowsAbortStatus = 3;
static_assert(kExitRead != kWindowsAbortStatus && kExitRefused != kWindowsAbortStatus &&
              kExitUsage != kWindowsAbortStatus && kExitOutOfMemory != kWindowsAbortStatus);

inline constexpr char kErrorPrefix[] = "error: ";
inline constexpr char kWarningPrefix[] = "warning: ";

}  // namespace svcmp::importer_protocol

#pragma once

// What the model import tells the user, spelled once. Each text follows the
// quoted file name and a colon.
namespace svcmp::import_messages {

inline constexpr char kUnsupportedFormat[] =
    "not a supported model format (OBJ, glTF, GLB, FBX, COLLADA, 3DS, Blender)";
inline constexpr char kBlendThroughBlender[] =
    "a Blender file, which only cmptool export reads (through Blender)";
inline constexpr char kUnsupportedEncoding[] = "is in a text encoding the importer cannot read (";
inline constexpr char kSaveAsUtf8[] = "); save it as UTF-8";
inline constexpr char kCannotOpen[] = "cannot be opened: ";
inline constexpr char kDamaged[] = "the file is damaged: it cannot be read as ";
inline constexpr char kImporterLimitation[] = "cannot be read by the importer: ";
inline constexpr char kEmptyFile[] = "the file is empty";
inline constexpr char kGlbOne[] = "glTF 1.0 is not supported: save it as glTF 2.0";
inline constexpr char kGlbVersion[] = "GLB version ";
inline constexpr char kNotSupportedSaveAs2[] = " is not supported: save it as glTF 2.0";
inline constexpr char kEmptyScene[] = "the file holds no triangles to export";
inline constexpr char kTooManyVertices[] =
    " has more than 65535 vertices, which 16-bit triangle indices cannot address";
inline constexpr char kNotFinite[] = " has a coordinate that is not a finite number";
inline constexpr char kUnexpectedFailure[] = "loading failed unexpectedly: ";

inline constexpr char kImporterStopped[] = "the importer stopped (";
inline constexpr char kOutOfMemoryAt[] = "out of memory at ";
inline constexpr char kNoResultAfter[] = "no result after ";
inline constexpr char kOutputPassed[] = "its output passed ";
inline constexpr char kCrashed[] = "it crashed: ";
inline constexpr char kExitedWith[] = "it ended with status ";
inline constexpr char kCannotStart[] = "the importer cannot be started: ";
inline constexpr char kBadResult[] = "the importer's result cannot be read: ";

}  // namespace svcmp::import_messages

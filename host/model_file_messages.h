#pragma once

// What the model loaders and the document writer tell the user, spelled once.
// Each text follows the quoted file name and a colon.
namespace svcmp::model_file_messages {

inline constexpr char kUnreadable[] = "cannot be read as a model: ";
inline constexpr char kEmptyScene[] = "the file holds no triangles to export";
inline constexpr char kTooManyVertices[] =
    " has more than 65535 vertices, which 16-bit triangle indices cannot address";
inline constexpr char kNotFinite[] = " has a coordinate that is not a finite number";
inline constexpr char kUnexpectedFailure[] = "loading failed unexpectedly: ";
inline constexpr char kOnlyDocuments[] =
    "this build reads only JSON model documents (.json); convert the model on Linux first";

inline constexpr char kNotFiniteInDocument[] =
    " has a coordinate that is not a finite number, which a JSON document cannot hold";
inline constexpr char kNameNotUtf8[] = " is not UTF-8 text, which a JSON document cannot hold";
inline constexpr char kColourOutOfRange[] =
    " has a colour or opacity outside 0 to 1, which a JSON document cannot hold";
inline constexpr char kTextureNotUtf8[] =
    " has a texture path that is not UTF-8 text, which a JSON document cannot hold";
inline constexpr char kEmbeddedTextureUnnamed[] =
    " holds an image without a texture name, which a JSON document cannot hold";
inline constexpr char kCannotWrite[] = "cannot be written";

}  // namespace svcmp::model_file_messages

#pragma once

// What the document writer tells the user, spelled once. Each text follows
// the quoted file name or the mesh.
namespace svcmp::model_file_messages {

inline constexpr char kNotFiniteInDocument[] =
    " has a coordinate that is not a finite number, which a JSON document cannot hold";
inline constexpr char kNameNotUtf8[] = " is not UTF-8 text, which a JSON document cannot hold";
inline constexpr char kColourOutOfRange[] =
    " has a colour or opacity outside 0 to 1, which a JSON document cannot hold";
inline constexpr char kTextureNotUtf8[] =
    " has a texture path that is not UTF-8 text, which a JSON document cannot hold";
inline constexpr char kEmbeddedTextureUnnamed[] =
    " holds an image without a texture name, which a JSON document cannot hold";
inline constexpr char kPropertyNotFinite[] =
    " has a property that is not a finite number, which a JSON document cannot hold";
inline constexpr char kCannotWrite[] = "cannot be written";

}  // namespace svcmp::model_file_messages

#pragma once

#include <string_view>

// The reasons that the UTF reader and writer and the file helpers give for a
// failure; callers show them to the user as they are.
namespace svcmp::utf_messages {

// Not a UTF file at all.
inline constexpr std::string_view kTooShort = "not a UTF file (too short)";
inline constexpr std::string_view kWrongSignature = "not a UTF file (it does not start with \"UTF \")";
inline constexpr std::string_view kWrongVersion = "not a UTF file of version 0x101";

// A UTF file whose header or tables are damaged.
inline constexpr std::string_view kHeaderCut = "the header is cut short";
inline constexpr std::string_view kNodeTableOutside = "the node table runs past the end of the file";
inline constexpr std::string_view kNodeTableEmpty = "the node table holds no node";
inline constexpr std::string_view kNameTableOutside = "the name table runs past the end of the file";
inline constexpr std::string_view kDataAreaOutside = "the data area starts past the end of the file";

// Faults of one node, after "node N: ".
inline constexpr std::string_view kNextSibling = "its next sibling";
inline constexpr std::string_view kFirstChild = "its first child";
inline constexpr std::string_view kLinkOutside = "lies outside the node table";
inline constexpr std::string_view kLinkedTwice = "is already loaded (the node links form a loop)";
inline constexpr std::string_view kNameOutside = "its name lies outside the name table";
inline constexpr std::string_view kNameUnterminated = "its name does not end inside the name table";
inline constexpr std::string_view kDataOutside = "data runs past the end of the file";
inline constexpr std::string_view kTooMuchRepeated =
    "the nodes repeat the same names or data far more often than a sound file does";

// Writing.
inline constexpr std::string_view kTreeTooLarge = "the node tree is too large for a UTF file (over 4 GiB)";
inline constexpr std::string_view kCannotCreateIn = "cannot create a file in the folder ";
inline constexpr std::string_view kIsFolder = "it is a folder";
inline constexpr std::string_view kNotAFile = "it is not a regular file (a device, FIFO or socket)";
inline constexpr std::string_view kShortWrite = "short write to";
inline constexpr std::string_view kCannotReplace = "cannot replace";
inline constexpr std::string_view kCannotOpen = "cannot open";
inline constexpr std::string_view kCannotRead = "cannot read";

}  // namespace svcmp::utf_messages

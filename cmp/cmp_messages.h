#pragma once

#include <string_view>

#include "ui/dialog_texts.h"  // kWarningCaption, shared with the dialogs

// What the assembly tells the user; every text and caption is spelled here.
namespace svcmp {

// Shown, with the leaf's name as caption and no icon, for each leaf of an
// updated file whose stored and unpacked sizes differ; the leaf is kept as stored.
inline constexpr std::string_view kCompressionNote =
    "Possible compression being used on this chunk";

inline constexpr std::string_view kWriteErrorCaption = "Error writing CMP file";

// Sentences about the ".cmp" file begin with its path in quotes.
inline constexpr std::string_view kFileSentenceStart = "The file \"";
inline constexpr std::string_view kFileSentencePathEnd = "\" ";

// An update refused to protect the existing file:
// "The file \"PATH\" " + kUpdateRefusedHead + ": " + reason + kUpdateRefusedTail.
inline constexpr std::string_view kUpdateRefusedHead = "cannot be updated";
inline constexpr std::string_view kUpdateRefusedTail =
    ". It was left unchanged and nothing was exported into it.";
// The reason when the reader gives none.
inline constexpr std::string_view kUnreadableReason = "it could not be read as a UTF file";

// "The file \"PATH\" " + kWriteFailedHead + ": " + reason + kWriteFailedTail.
inline constexpr std::string_view kWriteFailedHead = "could not be written";
inline constexpr std::string_view kWriteFailedTail =
    ". The file that was there before, if any, was left unchanged.";

// Joints asked for with --fix that cannot be written; the export goes on.
inline constexpr std::string_view kJointNameTooLongHead = "the part \"";
inline constexpr std::string_view kJointNameTooLongTail =
    "\" has a name longer than the 63 characters a joint can hold, so it gets no joint";
inline constexpr std::string_view kFixLeftAlone =
    "the file's \"Fix\" leaf does not hold whole joint records, so it was left as it was";

}  // namespace svcmp

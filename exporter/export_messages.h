#pragma once

#include "ui/dialog_texts.h"  // kWarningCaption, shared with the dialogs

// What the export driver tells the user, spelled once.
namespace svcmp::messages {

inline constexpr char kEmptyModel[] = "The model is empty!  Nothing exported!";
inline constexpr char kEmptyModelCaption[] = "Ahem.. hello? :-)";

inline constexpr char kNoFileOption[] = "File option not selected - exiting";

inline constexpr char kGroupMismatch[] =
    "Number of mesh group quantities does not match model - Exiting";

inline constexpr char kTempFileNotCreated[] =
    "Could not open export file for some reason, check if it's not being used by another "
    "application!";
inline constexpr char kTempFileCaption[] = "Error exporting VMS file";

}  // namespace svcmp::messages

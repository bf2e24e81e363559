#pragma once
// Where the program writes. A build tree or an unpacked copy of the program folder is worked in as always:
// profiles, scratch folders and saved pages lie beside the program. An installed program folder belongs to
// the package manager and is shared by every user, so each user works in a folder of their own,
// $XDG_DATA_HOME/Quillmark, that looks like the program folder: a link to each of its files, and the user's
// own copies of the profiles the program writes.
#include "platform/platform_export.h"

#include <QString>

namespace platform {

// The file the installation lays into the program folder. A program folder that cannot be written into
// counts as installed as well.
inline constexpr char kInstalledMark[] = "INSTALLED";

QMPLATFORM_EXPORT bool programFolderIsInstalled();

// The folder the program writes its scratch folders into: the program folder, or for an installed program
// the user's work folder.
QMPLATFORM_EXPORT QString workFolder();

// For an installed program: makes the user's work folder ready and makes it the current directory, whatever
// folder the program was started from. SetInfo.ini is copied once and is the user's from then on;
// Language.ini is the program's again at every start with the user's [Setting] section kept, so that a new
// version's translations arrive. False, changing nothing, for a program that works in its own folder or
// when the work folder cannot be made.
QMPLATFORM_EXPORT bool enterWorkFolder();

} // namespace platform

#pragma once
// Reading the language again, for the program's start-up only.
#include "support/qmexpand_export.h"

extern "C" {

// Reads the language from the current directory's language file again. The program calls it once it has
// moved into the user's work folder (platform/work_folder.h), whose file the reading at load could not see.
QMEXPAND_EXPORT void ReadLanguageAgain();

} // extern "C"

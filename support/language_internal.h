#pragma once
// Hooks of the language module for its own tests; the system's code does not call them.
#include "support/qmexpand_export.h"

namespace qmexpand_internal {

// Runs the load-time reading of the language again, against the current directory as it is now.
QMEXPAND_EXPORT void reloadLanguage();

} // namespace qmexpand_internal

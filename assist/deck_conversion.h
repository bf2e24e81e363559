#pragma once
// The deck conversion's state and the two dialogs it asks with, for the panel and for tests.
#include "assist/qmhelp_export.h"

#include <QString>

#include <functional>

namespace qmhelp {

// The deck dialog and the folder browser. Each returns the chosen path, or an empty string for Cancel.
// Tests put their own answer in place of the real dialog; an empty function restores it.
using DeckChooser = std::function<QString()>;
using FolderChooser = std::function<QString(const QString& title, const QString& initialFolder)>;
QMHELP_EXPORT void setDeckChooser(DeckChooser chooser);
QMHELP_EXPORT void setFolderChooser(FolderChooser chooser);

// True while a conversion runs.
QMHELP_EXPORT bool conversionBusy();
// Waits until no conversion runs, handling the UI thread's events meanwhile; false after timeoutMs.
QMHELP_EXPORT bool waitForConversion(int timeoutMs);
// The folder of the last conversion; empty before the first.
QMHELP_EXPORT QString lastConversionFolder();

} // namespace qmhelp

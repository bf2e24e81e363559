#pragma once
// The language in force and the translation of the system's texts. The language is read from
// "./Language.ini" (section "Setting", key "Language", default "Chinese") once, when the library is loaded;
// translations are read from the section named like the language, from the file as it is at each call.
#include "support/qmexpand_export.h"

#include <QString>
#include <QStringList>

namespace platform {
struct WindowRef;
}

extern "C" {

// The language in force, e.g. "English" or "Chinese". Never reads the file.
QMEXPAND_EXPORT QString GetLanguage();

// Makes name the language in force at once, then stores it in the language file. Returns nonzero when the
// file was written; the language in memory changes even when it was not.
QMEXPAND_EXPORT int SetLanguage(const QString& name);

// The language in force is English, compared without case: the texts that have only a Chinese and an English
// form choose by it.
QMEXPAND_EXPORT bool IsEnglish();

// The translation of key (a Chinese text) into the language in force, or key itself when there is none.
QMEXPAND_EXPORT QString GetConfigString(const QString& key);

} // extern "C"

// The language the next start will read from the language file ("Chinese" when it names none).
QMEXPAND_EXPORT QString LanguageAtNextStart();

// Stores name in the language file for the next start and leaves the language in force alone: the windows
// open now built their texts in it, and a process speaking two languages at once would confuse a teacher.
// False when the file could not be written.
QMEXPAND_EXPORT bool SetLanguageAtNextStart(const QString& name);

// The main panel's title in the language in force.
inline QString PanelTitle()
{
    return GetConfigString(QStringLiteral("白板"));
}

// The panel's title in each language of the language file, the one in force first. The panel answers to all
// of them, so that another program finds it whichever language it was started in.
QMEXPAND_EXPORT QStringList PanelTitles();

// The running main panel, by its dialog class and any of its titles; null when there is none.
QMEXPAND_EXPORT platform::WindowRef FindPanel();

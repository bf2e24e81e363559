#pragma once
// The user panel's entries as SetInfo.ini keeps them in [ToolInfo]: one key per entry, its display text,
// holding the full path of the file it opens. Keys match without regard to case, as profile keys do. A path
// is stored so that it reads back exactly or not at all: a click opens the very file that was dropped. Plain
// functions on the settings file, no windows.
#include <QString>
#include <QStringList>

namespace DIALOG::user_entries {

// The longest path an entry takes, as the panel's drop handling did on the first platform.
constexpr int kLongestPath = 260;

// The display text of a path: its file name, with what a profile key cannot hold replaced by "_" (line
// breaks and other control characters, "=", a leading ";" or "["), and without blanks at its ends.
QString DisplayText(const QString& path);

enum class Added {
    Added, // a new entry, stored and read back as the path
    AlreadyThere, // the same file is an entry already
    NameTaken, // the entry of another file has this display text, in some case
    NotStorable, // no display text, too long, or a path the settings file cannot give back as it is
    NotWritten, // the settings file could not be written
};
// Adds an entry for path (a relative path is taken from the current directory). text, when given, receives
// the entry's display text, or for NameTaken the name of the entry that has it. An entry deleted before (an
// empty value) gives its key to the new file.
Added AddEntry(const QString& settingsFile, const QString& path, QString* text = nullptr);

// The display texts of the entries in file order: keys with a path, each name once (its first spelling, which
// is the one a lookup finds).
QStringList EntryTexts(const QString& settingsFile);
// The path of the entry with this display text; empty when there is none.
QString EntryPath(const QString& settingsFile, const QString& text);
// Deletes an entry: its value becomes empty and its key stays, as the first platform left it.
bool DeleteEntry(const QString& settingsFile, const QString& text);

} // namespace DIALOG::user_entries

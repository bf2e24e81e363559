#pragma once
// Profile (INI) files with the behaviour the system's code expects of the Windows profile functions:
// sections and keys match without regard to case and the first match wins, names and values lose their
// surrounding blanks, a value in matching quotes loses the quotes, and results are cut to the caller's buffer
// size. A relative file name is resolved against the current directory at each call.
//
// Files may be UTF-8 (with or without a byte-order mark), UTF-16LE with a byte-order mark, or GB18030 (text
// that is not valid UTF-8, or that begins with U+FEFF as 84 31 95 33). U+FEFF at the start is a mark in every
// encoding, never part of the first line. A write keeps the file's encoding and mark, and everything else in
// the file: comments, blank lines, order and line endings.
#include "platform/platform_export.h"

#include <QString>
#include <QStringList>

#include <utility>

namespace platform {

// The value of key in section, or defaultValue when there is none, cut to bufferSize - 1 characters.
// A null key gives the key names of the section, a null section the section names of the file, each name
// followed by '\0'; when they do not fit the buffer, the list is cut to bufferSize - 2 characters, as Windows
// leaves it in a buffer that is too small. A missing file, section or (with a null key) an empty section
// gives defaultValue.
QMPLATFORM_EXPORT QString GetPrivateProfileString(const QString& section, const QString& key,
    const QString& defaultValue, int bufferSize, const QString& file);

// The key names of section in file order (duplicates included), with no buffer limit.
QMPLATFORM_EXPORT QStringList GetPrivateProfileKeyNames(const QString& section, const QString& file);

// The keys of section with their values as a value read gives them (not cut), in file order, duplicates
// included; empty for a missing file or section.
QMPLATFORM_EXPORT QList<std::pair<QString, QString>> GetPrivateProfileSection(
    const QString& section, const QString& file);

// The section names of the file in file order, with no buffer limit.
QMPLATFORM_EXPORT QStringList GetPrivateProfileSectionNames(const QString& file);

// The value read as an integer: decimal, or hexadecimal after "0x", with an optional sign; digits end at the
// first other character and a value without digits is 0. A missing or empty value gives defaultValue.
QMPLATFORM_EXPORT int GetPrivateProfileInt(
    const QString& section, const QString& key, int defaultValue, const QString& file);

// Stores value under key in section, replacing the first matching key in place or adding the key at the end
// of the section, and the section at the end of the file; creates the file when it is missing. A null value
// deletes the key, a null key deletes the section with all its keys. The file is written beside and then
// renamed over the old one, so a failed write leaves the old file whole.
// A value is stored up to its first line break, which would otherwise start new lines in the file; one that
// a read would change (blanks at its ends, enclosing quotes) is stored in double quotes, which a read takes
// away again, as Windows reads them. Returns false when the file cannot be written (missing or read-only
// folder, read-only file) or when a name cannot be stored (a section with ']' or a line break; a key that is
// empty, holds '=' or a line break, or begins with '[' or ';', which would be read back as a section or a
// comment).
QMPLATFORM_EXPORT bool WritePrivateProfileString(
    const QString& section, const QString& key, const QString& value, const QString& file);

} // namespace platform

#pragma once
// Folders, files and programs: the shell services the system relies on.
#include "platform/platform_export.h"

#include <QString>
#include <QStringList>

namespace platform {

// Full path of the running executable, and its folder (the program folder).
QMPLATFORM_EXPORT QString programFilePath();
QMPLATFORM_EXPORT QString programFolder();

// The user's Templates and Documents folders, from the XDG user directories (~/.config/user-dirs.dirs).
// An unset Templates folder is ~/Templates; an empty string means the folder cannot be resolved.
QMPLATFORM_EXPORT QString templatesFolder();
QMPLATFORM_EXPORT QString documentsFolder();

// There are no 8.3 names here: the short form of a path is the path itself.
QMPLATFORM_EXPORT QString shortPath(const QString& path);

// Removes a folder with all its contents, quietly. False when it did not exist or could not be removed whole.
QMPLATFORM_EXPORT bool deleteTree(const QString& path);
// Copies a folder tree; the target is created. False when the source is not a folder or a copy failed.
QMPLATFORM_EXPORT bool copyTree(const QString& source, const QString& target);

// Opens a document or starts a program as the desktop would ("open" verb). Relative paths resolve against
// the current directory. False when nothing could be started.
QMPLATFORM_EXPORT bool shellOpen(const QString& path, const QStringList& arguments = {});

} // namespace platform

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
// An unset Templates folder is ~/Templates. When that folder is missing, or is the home folder itself (as
// xdg-user-dirs sets a disabled one), it is $XDG_DATA_HOME/Quillmark/Templates. An empty string means there
// is no home folder at all.
QMPLATFORM_EXPORT QString templatesFolder();
QMPLATFORM_EXPORT QString dataHome();
QMPLATFORM_EXPORT QString documentsFolder();

// There are no 8.3 names here: the short form of a path is the path itself.
QMPLATFORM_EXPORT QString shortPath(const QString& path);

// Scratch folders are the program's own: it makes them and marks them, and it removes only marked ones, so a
// folder of the user's that happens to have the same name is never touched.
// makeScratchFolder makes path and marks it (the folders above it that are missing are made, not marked);
// true when path is a scratch folder now, false when it existed before without the mark or could not be made.
QMPLATFORM_EXPORT bool makeScratchFolder(const QString& path);
QMPLATFORM_EXPORT bool isScratchFolder(const QString& path);
// Removes a scratch folder with its contents; false, touching nothing, for any other folder.
QMPLATFORM_EXPORT bool removeScratchFolder(const QString& path);
// The system's scratch folder in the templates folder ("Temp"), made and marked on first use. When the user
// has a "Temp" of their own there, the system's goes into $XDG_DATA_HOME/Quillmark/Templates instead. Empty
// without a home folder.
QMPLATFORM_EXPORT QString templatesScratchFolder();

// Removes a folder with all its contents, quietly. False when it did not exist or could not be removed whole.
QMPLATFORM_EXPORT bool deleteTree(const QString& path);
// Copies a folder tree; the target is created. False when the source is not a folder or a copy failed.
QMPLATFORM_EXPORT bool copyTree(const QString& source, const QString& target);

// Opens a document or starts a program as the desktop would ("open" verb). Relative paths resolve against
// the current directory. False when nothing could be started.
QMPLATFORM_EXPORT bool shellOpen(const QString& path, const QStringList& arguments = {});

// The desktop file of the program the desktop opens this file with (its MIME type's default application);
// empty when no program is registered for it, and then shellOpen hands it to a program that shows nothing.
QMPLATFORM_EXPORT QString defaultApplicationFor(const QString& path);

// True while the process runs; false once it has ended, even before anyone collects its exit status.
QMPLATFORM_EXPORT bool processRunning(qint64 pid);

} // namespace platform

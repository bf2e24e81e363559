#pragma once
// Folders, files and programs: the shell services the system relies on.
#include "platform/platform_export.h"

#include <QString>
#include <QStringList>

namespace platform {

// Full path of the running executable, and its folder (the program folder).
QMPLATFORM_EXPORT QString programFilePath();
QMPLATFORM_EXPORT QString programFolder();
// Puts the program, as far as its folder goes, at path instead; an empty path brings back the executable.
// Test runs side by side each take a folder of their own, so that the pages one stores never meet another's.
QMPLATFORM_EXPORT void setProgramFilePath(const QString& path);

// The user's Templates and Documents folders, from the XDG user directories (~/.config/user-dirs.dirs).
// An unset Templates folder is ~/Templates. When that folder is missing, or is the home folder itself (as
// xdg-user-dirs sets a disabled one), it is $XDG_DATA_HOME/Quillmark/Templates. An empty string means there
// is no home folder at all.
QMPLATFORM_EXPORT QString templatesFolder();
QMPLATFORM_EXPORT QString dataHome();
// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute: where the user's settings go.
QMPLATFORM_EXPORT QString configHome();
QMPLATFORM_EXPORT QString documentsFolder();

// There are no 8.3 names here: the short form of a path is the path itself.
QMPLATFORM_EXPORT QString shortPath(const QString& path);

// The program's own folders carry a mark file. They alone are ever removed or emptied, and never through a
// link, so that neither a folder of the user's that happens to have the same name nor a link planted in place
// of one of ours costs the user a file.
// makeScratchFolder makes path and marks it (the folders above it that are missing are made, not marked);
// true when path is a scratch folder now, false when it existed before without the mark or could not be made.
QMPLATFORM_EXPORT bool makeScratchFolder(const QString& path);
// True for a real folder (not a link) that holds the mark.
QMPLATFORM_EXPORT bool isScratchFolder(const QString& path);
// Removes a scratch folder with its contents; false, touching nothing, for any other folder. Inside it, links
// are removed as links and never followed. False as well when something in it could not be removed.
QMPLATFORM_EXPORT bool removeScratchFolder(const QString& path);
// Empties a scratch folder the same way, keeping the folder itself and its mark.
QMPLATFORM_EXPORT bool emptyScratchFolder(const QString& path);
// The system's scratch folder in the templates folder ("Temp"), made and marked on first use. When the user
// has a "Temp" of their own there, the system's goes into $XDG_DATA_HOME/Quillmark/Templates instead. Empty
// without a home folder.
QMPLATFORM_EXPORT QString templatesScratchFolder();

// Copies a folder tree; the target is created. False when the source is not a folder or a copy failed.
QMPLATFORM_EXPORT bool copyTree(const QString& source, const QString& target);

// A sibling program of the suite ("Cinebox", "Stayalive") in the program folder, with or without ".exe";
// empty when it is not there. Never looked for in the current directory, which may be anyone's folder.
QMPLATFORM_EXPORT QString siblingProgram(const QString& name);

// Opens a document or starts a program as the desktop would ("open" verb). Relative paths resolve against
// the current directory. False when nothing could be started.
QMPLATFORM_EXPORT bool shellOpen(const QString& path, const QStringList& arguments = {});

// The desktop file of the program the desktop opens this file with (its MIME type's default application);
// empty when no program is registered for it, and then shellOpen hands it to a program that shows nothing.
QMPLATFORM_EXPORT QString defaultApplicationFor(const QString& path);

// True while the process runs; false once it has ended, even before anyone collects its exit status.
QMPLATFORM_EXPORT bool processRunning(qint64 pid);

} // namespace platform

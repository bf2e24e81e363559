#include "app/directry.h"

#include "platform/shell.h"

#include <QDir>
#include <QFileInfo>

namespace _FILE {

bool CDirectry::Exists() const
{
    return QFileInfo(path_).isDir();
}

bool CDirectry::Delete()
{
    // Only a folder the program made goes, and never through a link.
    return platform::removeScratchFolder(path_);
}

bool CDirectry::CopyTo(const QString& target) const
{
    if (!Exists())
        return false;
    return platform::copyTree(path_, target);
}

bool CDirectry::RenameTo(const QString& newPath)
{
    if (!Exists() || !QDir().rename(path_, newPath))
        return false;
    path_ = newPath;
    return true;
}

} // namespace _FILE

#pragma once
// Where the program's own libraries are: beside libQMExpand.so, which every part of the program links. Found
// through that library rather than the program's library path, which a sanitizer's dlopen does not see and
// which a test program does not share.
#include "support/language.h"

#include <QByteArray>
#include <QFileInfo>

#include <dlfcn.h>

namespace deferred {

inline QByteArray LibraryPath(const char* file)
{
    Dl_info info {};
    if (!dladdr(reinterpret_cast<void*>(&GetConfigString), &info) || !info.dli_fname)
        return QByteArray(file);
    return QFile::encodeName(QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath()) + '/' + file;
}

} // namespace deferred

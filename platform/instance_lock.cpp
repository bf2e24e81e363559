#include "platform/instance_lock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int g_lockDescriptor = -1;

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    // Without a runtime folder, one of the user's own in /tmp, readable by nobody else.
    const QString own = QDir::tempPath() + QStringLiteral("/quillmark-%1").arg(getuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return own;
}

} // namespace

QString instanceLockPath()
{
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = QStringLiteral("none");
    // ":0.0" and "localhost:10" become names of one folder level.
    for (QChar& c : display)
        if (!c.isLetterOrNumber() && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    return runtimeFolder() + QStringLiteral("/quillmark-%1.lock").arg(display);
}

bool acquireInstanceLock(const QString& path)
{
    if (g_lockDescriptor >= 0)
        return true;
    // O_CLOEXEC: programs started from here (the crash reporter, outside programs) must not keep the lock.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    g_lockDescriptor = fd;
    return true;
}

void releaseInstanceLock()
{
    if (g_lockDescriptor < 0)
        return;
    ::flock(g_lockDescriptor, LOCK_UN);
    ::close(g_lockDescriptor);
    g_lockDescriptor = -1;
}

} // namespace platform

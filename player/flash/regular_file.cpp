#include "player/flash/regular_file.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace flash {

namespace {

FileBytes failed(FileProblem problem)
{
    return {QByteArray(), problem};
}

// read(2), again when a signal broke in.
ssize_t readSome(int fd, char* into, std::size_t room)
{
    ssize_t n = 0;
    do
        n = ::read(fd, into, room);
    while (n < 0 && errno == EINTR);
    return n;
}

FileBytes readOpened(int fd, qint64 limit)
{
    struct stat status { };
    if (::fstat(fd, &status) != 0)
        return failed(FileProblem::Unreadable);
    if (!S_ISREG(status.st_mode))
        return failed(FileProblem::NotAFile);
    if (status.st_size > limit)
        return failed(FileProblem::TooLarge);
    QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = readSome(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n < 0)
            return failed(FileProblem::Unreadable);
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(qsizetype(done));
    // The file may have grown since it was measured: what came since is taken, up to the limit.
    char more[64 * 1024];
    for (;;) {
        const ssize_t n = readSome(fd, more, sizeof more);
        if (n < 0)
            return failed(FileProblem::Unreadable);
        if (n == 0)
            break;
        if (bytes.size() + n > limit)
            return failed(FileProblem::TooLarge);
        bytes.append(more, qsizetype(n));
    }
    return {bytes, FileProblem::None};
}

} // namespace

FileBytes ReadRegularFile(const QString& path, qint64 limit)
{
    // Without O_NONBLOCK the opening of a FIFO waits for a writer, for ever if none comes.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(FileProblem::Unreadable);
    FileBytes result = readOpened(fd, limit);
    ::close(fd);
    return result;
}

} // namespace flash

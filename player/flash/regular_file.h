#pragma once
// The files the Flash view's server hands out, read whole and once. Only a regular file is read, and only up
// to a limit: a FIFO or a device put in a movie's place neither holds the reader nor fills the memory.
#include <QByteArray>
#include <QString>

namespace flash {

enum class FileProblem {
    None,
    Unreadable, // missing, or not ours to read
    NotAFile, // a folder, FIFO, socket or device
    TooLarge,
};

struct FileBytes {
    QByteArray bytes;
    FileProblem problem = FileProblem::None;
};

// The bytes of the regular file at path (a link is followed), when it holds at most limit bytes.
FileBytes ReadRegularFile(const QString& path, qint64 limit);

} // namespace flash

// Reading the Flash server's files: only regular files, and only up to a limit, whatever is put in their
// place.
#include "player/flash/regular_file.h"

#include "support_main/test_util.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using flash::FileProblem;
using flash::ReadRegularFile;

TEST(FlashServerFile, AFileIsReadWholeUpToTheLimit)
{
    QTemporaryDir dir;
    const QByteArray bytes(100, 'x');
    const QString path = qmtest::writeFile(dir.filePath(QStringLiteral("a.swf")), bytes);
    EXPECT_EQ(ReadRegularFile(path, 100).bytes, bytes);
    EXPECT_EQ(ReadRegularFile(path, 99).problem, FileProblem::TooLarge);
    EXPECT_TRUE(ReadRegularFile(path, 99).bytes.isEmpty());
    // A link the teacher made to a movie still plays.
    const QString link = dir.filePath(QStringLiteral("link.swf"));
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_EQ(ReadRegularFile(link, 100).bytes, bytes);
    const QString empty = qmtest::writeFile(dir.filePath(QStringLiteral("empty.swf")), QByteArray());
    EXPECT_EQ(ReadRegularFile(empty, 100).problem, FileProblem::None);
}

TEST(FlashServerFile, WhatIsNoRegularFileIsRefusedAtOnce)
{
    QTemporaryDir dir;
    // A FIFO nobody writes to: waiting for a writer would hold the reader for ever.
    const QString fifo = dir.filePath(QStringLiteral("fifo.swf"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(ReadRegularFile(fifo, 1 << 20).problem, FileProblem::NotAFile);
    // A device that never ends, and a folder.
    EXPECT_EQ(ReadRegularFile(QStringLiteral("/dev/zero"), 1 << 20).problem, FileProblem::NotAFile);
    EXPECT_EQ(ReadRegularFile(dir.path(), 1 << 20).problem, FileProblem::NotAFile);
    EXPECT_EQ(
        ReadRegularFile(dir.filePath(QStringLiteral("gone.swf")), 1 << 20).problem, FileProblem::Unreadable);
}

#include "surface/lesson_folders.h"

#include <QDir>
#include <QFileInfo>

namespace DIALOG {

namespace {

const QString kHistoryPart = QStringLiteral("/Temp/");
const QString kBoardPart = QStringLiteral("/Temp/ZidodAvuvTemp/");

} // namespace

LessonFolders::LessonFolders(const QString& programFolder)
    : history_(QDir::cleanPath(programFolder + QStringLiteral("/Temp")))
{
}

QString LessonFolders::HistoryFolder() const
{
    return history_;
}

QString LessonFolders::BoardFolder() const
{
    return history_ + QStringLiteral("/ZidodAvuvTemp/");
}

QString LessonFolders::HistoryPicture(const QString& label) const
{
    return history_ + u'/' + label + QStringLiteral(".bmp");
}

QString LessonFolders::JournalFile() const
{
    return history_ + QStringLiteral("/Journal/open-page.kwj");
}

QString LessonFolders::SessionMarker() const
{
    return history_ + QStringLiteral("/.lesson-session");
}

QString LessonFolders::SessionLock() const
{
    return history_ + QStringLiteral("/.lesson-session.lock");
}

QString LessonFolders::HistoryObjects(const QString& label) const
{
    return history_ + u'/' + label + QStringLiteral(".kw");
}

QString LessonFolders::HistoryLabelOf(const QString& picture) const
{
    if (picture.isEmpty())
        return {};
    const QFileInfo file(picture);
    if (file.absolutePath() != QFileInfo(history_).absoluteFilePath())
        return {};
    return file.completeBaseName();
}

const QStringList& PageFileExtensions()
{
    static const QStringList extensions {QStringLiteral("kw"), QStringLiteral("bmp"), QStringLiteral("kwt")};
    return extensions;
}

QString PageBaseName(const QDateTime& when)
{
    return when.toString(QStringLiteral("d-H-m-s"));
}

QString PdfPageObjects(const QString& base, int n)
{
    return base + QStringLiteral("_%1.kw").arg(n);
}

QString BoardPathOf(const QString& path)
{
    if (path.contains(kBoardPart))
        return path;
    const qsizetype at = path.lastIndexOf(kHistoryPart);
    if (at < 0)
        return path;
    QString mapped = path;
    mapped.replace(at, kHistoryPart.size(), kBoardPart);
    return mapped;
}

QString ScratchRootOf(const QString& boardFolder)
{
    QString root = boardFolder;
    if (root.endsWith(kBoardPart))
        root.chop(int(QStringLiteral("ZidodAvuvTemp/").size()));
    if (root.endsWith(u'/'))
        root.chop(1);
    return root;
}

} // namespace DIALOG

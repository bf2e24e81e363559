#pragma once
// Test helper: the program's own source files (not the tests, not a build folder inside the tree), for tests
// that check the texts the code shows the user.
#include "support_main/test_util.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QList>
#include <QString>

namespace qmtest {

struct SourceFile {
    QString relative; // path from the top of the source tree
    QString text;
};

inline QList<SourceFile> programSources()
{
    const QDir root(QStringLiteral(QM_SOURCE_DIR));
    QList<SourceFile> files;
    QDirIterator it(root.path(), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = root.relativeFilePath(path);
        const QString top = relative.section(u'/', 0, 0);
        if (top == QStringLiteral("tests") || top.startsWith(QStringLiteral("build")) || top.startsWith(u'.')
            || QFileInfo::exists(root.filePath(top) + QStringLiteral("/CMakeCache.txt")))
            continue;
        files.append({relative, QString::fromUtf8(readFile(path))});
    }
    return files;
}

// The text a C++ string literal's body stands for (\n, \t, \r and escaped characters).
inline QString unescapeLiteral(const QString& literal)
{
    QString text;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal[i] != u'\\' || i + 1 == literal.size()) {
            text += literal[i];
            continue;
        }
        const QChar c = literal[++i];
        text += c == u'n' ? u'\n' : c == u't' ? u'\t' : c == u'r' ? u'\r' : c;
    }
    return text;
}

// "file:line" of an offset into a source file.
inline QString placeOf(const SourceFile& file, qsizetype offset)
{
    return QStringLiteral("%1:%2").arg(file.relative).arg(file.text.left(offset).count(u'\n') + 1);
}

} // namespace qmtest

// Any bytes as a profile file: a key written reads back as written, a write adds at most the section it
// writes to (no other section appears or vanishes), and the file keeps its byte-order mark.
#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString scratchFile()
{
    static const QString path = QStringLiteral("/dev/shm/qm-profile-fuzz-%1.ini").arg(getpid());
    return path;
}

// The byte-order mark the bytes begin with: UTF-8, UTF-16LE or GB18030, or none.
QByteArray markOf(const QByteArray& bytes)
{
    for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\x84\x31\x95\x33"}) {
        if (bytes.startsWith(mark))
            return mark;
    }
    return {};
}

QByteArray contentsOf(const QString& file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QSet<QString> sectionsOf(const QString& file)
{
    QSet<QString> names;
    for (const QString& name : platform::GetPrivateProfileSectionNames(file))
        names.insert(name.toLower());
    return names;
}

void writeAndCheck(const QString& file, const QString& section, const QString& key, const QString& value)
{
    const QSet<QString> before = sectionsOf(file);
    if (!platform::WritePrivateProfileString(section, key, value, file))
        return; // a name that could not be read back is refused, and nothing is written
    if (platform::GetPrivateProfileString(section, key, QStringLiteral("<none>"), 4096, file) != value)
        std::abort();
    QSet<QString> expected = before;
    expected.insert(section.trimmed().toLower());
    if (sectionsOf(file) != expected)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString file = scratchFile();
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        out.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    // An existing section, when the file has one, and a new one.
    const QStringList sections = platform::GetPrivateProfileSectionNames(file);
    if (!sections.isEmpty() && !sections.first().trimmed().isEmpty())
        writeAndCheck(
            file, sections.first().trimmed(), QStringLiteral("Language"), QStringLiteral("English"));
    writeAndCheck(
        file, QStringLiteral("QmFuzz"), QStringLiteral("白板"), QStringLiteral("Ashcombe Whiteboard"));
    const QByteArray mark = markOf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!mark.isEmpty() && !contentsOf(file).startsWith(mark))
        std::abort();
    QFile::remove(file);
    return 0;
}

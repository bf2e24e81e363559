// A quick-launch list of any bytes and a file of any name dropped on the user panel: the file is either kept
// so that its entry gives back exactly the path that was dropped (a click runs that file and no other), or it
// is refused and every entry still gives back its own path. No two entries share a name in any case.
// The input is the settings file, a zero byte, then the dropped file's name in UTF-8.
#include "app/user_entries.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace DIALOG;

namespace {

QString settingsFile()
{
    static const QString path = QStringLiteral("/dev/shm/qm-user-entries-fuzz-%1.ini").arg(getpid());
    return path;
}

// Each shown entry with the path a click on it opens.
QMap<QString, QString> entries(const QString& file)
{
    QMap<QString, QString> shown;
    QSet<QString> names;
    for (const QString& text : user_entries::EntryTexts(file)) {
        if (names.contains(text.toCaseFolded()))
            std::abort(); // two entries of one name: one of them would open the other's file
        names.insert(text.toCaseFolded());
        shown.insert(text, user_entries::EntryPath(file, text));
        if (shown.value(text).isEmpty())
            std::abort();
    }
    return shown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype zero = bytes.indexOf('\0');
    const QByteArray settings = zero < 0 ? QByteArray("[ToolInfo]\n") : bytes.first(zero);
    const QString name = QString::fromUtf8(zero < 0 ? bytes : bytes.sliced(zero + 1));
    const QString file = settingsFile();
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        out.write(settings);
    }
    const QMap<QString, QString> before = entries(file);
    // Nothing is made at the dropped path: what counts is the path a click would be given.
    const QString dropped = QStringLiteral("/home/teacher/") + name;
    QString text;
    const user_entries::Added added = user_entries::AddEntry(file, dropped, &text);
    const QMap<QString, QString> after = entries(file);

    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (after.value(it.key()) != it.value())
            std::abort(); // an entry that was there opens another file now, or is gone
    }
    switch (added) {
    case user_entries::Added::Added:
        if (after.size() != before.size() + 1 || after.value(text) != dropped
            || text != user_entries::DisplayText(dropped))
            std::abort();
        break;
    case user_entries::Added::AlreadyThere:
        if (after != before || user_entries::EntryPath(file, text) != dropped)
            std::abort();
        break;
    case user_entries::Added::NameTaken:
    case user_entries::Added::NotStorable:
    case user_entries::Added::NotWritten:
        if (after != before)
            std::abort();
        break;
    }
    QFile::remove(file);
    return 0;
}

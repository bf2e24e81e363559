#include "app/user_entries.h"

#include "platform/profile.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG::user_entries {

namespace {

const QString kSection = u"ToolInfo"_s;
// A path cut at the end of a buffer would name another file: values are read whole.
constexpr int kWholeValue = std::numeric_limits<int>::max();

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The key a lookup of text finds (the first of its name in any case), or a null string.
QString keyFor(const QStringList& keys, const QString& text)
{
    for (const QString& key : keys)
        if (sameName(key, text))
            return key;
    return {};
}

bool storablePath(const QString& path)
{
    return !path.isEmpty() && path.size() <= kLongestPath && !path.contains(u'\n') && !path.contains(u'\r')
        && !path.contains(QChar(0));
}

} // namespace

QString DisplayText(const QString& path)
{
    QString text = QFileInfo(path).fileName();
    for (QChar& c : text) {
        if (c == u'=' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    text = text.trimmed();
    // A key starting a comment or a section would not read back as a key.
    if (text.startsWith(u';') || text.startsWith(u'['))
        text[0] = u'_';
    return text;
}

Added AddEntry(const QString& settingsFile, const QString& path, QString* text)
{
    const QString full = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path;
    const QString name = DisplayText(full);
    if (text)
        *text = name;
    if (name.isEmpty() || !storablePath(full))
        return Added::NotStorable;
    const QString key = keyFor(platform::GetPrivateProfileKeyNames(kSection, settingsFile), name);
    if (!key.isNull()) {
        const QString stored = EntryPath(settingsFile, key);
        if (stored == full)
            return Added::AlreadyThere;
        // Stored under that name, the new path would replace the old one: the old entry would open it.
        if (!stored.isEmpty()) {
            if (text)
                *text = key;
            return Added::NameTaken;
        }
        // A deleted entry of that name gives its key up, so that the new one keeps its own spelling.
        if (!platform::WritePrivateProfileString(kSection, key, QString(), settingsFile))
            return Added::NotWritten;
    }
    if (!platform::WritePrivateProfileString(kSection, name, full, settingsFile))
        return Added::NotWritten;
    // Read back as a click reads it: an entry that would open anything but this file is taken out again.
    const QString found = keyFor(platform::GetPrivateProfileKeyNames(kSection, settingsFile), name);
    if (found != name || EntryPath(settingsFile, name) != full) {
        platform::WritePrivateProfileString(kSection, name, QString(), settingsFile);
        return Added::NotStorable;
    }
    return Added::Added;
}

QStringList EntryTexts(const QString& settingsFile)
{
    const QStringList keys = platform::GetPrivateProfileKeyNames(kSection, settingsFile);
    QStringList texts;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        // A later key of the same name is never found by a lookup: listed, it would open the first one's
        // file.
        if (keyFor(keys.first(i), keys[i]).isNull() && !EntryPath(settingsFile, keys[i]).isEmpty())
            texts << keys[i];
    }
    return texts;
}

QString EntryPath(const QString& settingsFile, const QString& text)
{
    return platform::GetPrivateProfileString(kSection, text, u""_s, kWholeValue, settingsFile);
}

bool DeleteEntry(const QString& settingsFile, const QString& text)
{
    return platform::WritePrivateProfileString(kSection, text, u""_s, settingsFile);
}

} // namespace DIALOG::user_entries

#include "support/language.h"

#include "support/language_internal.h"
#include "support/language_reload.h"

#include "platform/messages.h"
#include "platform/profile.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#include <sys/stat.h>
#include <time.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Relative on purpose: the file is the one in the current directory at each access, which the program
// expects to be its own folder.
constexpr QStringView kLanguageFile = u"./Language.ini";
constexpr int kLanguageBufferSize = 260;
constexpr int kTranslationBufferSize = 1000;

QString readLanguage()
{
    const QString language = platform::GetPrivateProfileString(
        u"Setting"_s, u"Language"_s, u"Chinese"_s, kLanguageBufferSize, kLanguageFile.toString());
    // A null section name would make a translation lookup list the file's sections.
    return language.isNull() ? u""_s : language;
}

QString& currentLanguage()
{
    static QString language = readLanguage();
    return language;
}

// Every library of the process links this one, so reading here, while it is loaded, settles the language
// before any of them or the program's own start-up asks for it.
[[maybe_unused]] const QString& languageAtLoad = currentLanguage();

// What tells one state of the file from another without reading it. The change time moves with every
// write and every change of the dates, and no program can set it back.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

qint64 nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The file's stamp, and whether it can be trusted: file times are coarse (to a clock tick, or two seconds on
// FAT), so two writes of the same length close together could carry the same stamp. Nothing for no file.
std::optional<FileStamp> stampOf(bool* settled)
{
    struct stat st { };
    if (::stat(QFile::encodeName(kLanguageFile.toString()).constData(), &st) != 0)
        return std::nullopt;
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 changed = nanoseconds(st.st_ctim);
    *settled = nanoseconds(now) - changed >= 2000000000;
    return FileStamp {st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim), changed};
}

QString foldedName(QStringView name)
{
    qsizetype first = 0, last = name.size();
    const auto blank = [](QChar c) { return c.isSpace() || c == QChar(0x1a); };
    while (first < last && blank(name[first]))
        ++first;
    while (last > first && blank(name[last - 1]))
        --last;
    return name.sliced(first, last - first).toString().toCaseFolded();
}

// The section of the language in force, kept while the file stays as it was: the panel asks for dozens of
// texts as it starts, and each used to read and decode the whole file.
class Translations {
public:
    QString find(const QString& key)
    {
        QMutexLocker lock(&mutex_);
        bool settled = false;
        const std::optional<FileStamp> stamp = stampOf(&settled);
        const QString language = currentLanguage();
        if (!stamp || stamp != stamp_ || !settled || language != language_)
            refresh(stamp, language);
        return values_.value(foldedName(key)).left(kTranslationBufferSize - 1);
    }

private:
    // A file too new to trust by its stamp is compared by its bytes, which is still far cheaper than
    // decoding it again.
    void refresh(const std::optional<FileStamp>& stamp, const QString& language)
    {
        QFile file(kLanguageFile.toString());
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        stamp_ = stamp;
        if (stamp && bytes == bytes_ && language == language_)
            return;
        bytes_ = bytes;
        language_ = language;
        values_.clear();
        for (const auto& [name, value] :
            platform::GetPrivateProfileSection(language, kLanguageFile.toString())) {
            const QString folded = name.toCaseFolded();
            if (!values_.contains(folded))
                values_.insert(folded, value);
        }
    }

    QMutex mutex_;
    std::optional<FileStamp> stamp_;
    QByteArray bytes_;
    QString language_;
    QHash<QString, QString> values_; // by the key case-folded, the first of each
};

Translations& translations()
{
    static Translations kept;
    return kept;
}

} // namespace

extern "C" {

QString GetLanguage()
{
    return currentLanguage();
}

void ReadLanguageAgain()
{
    currentLanguage() = readLanguage();
}

int SetLanguage(const QString& name)
{
    // A null name would delete the key instead of storing an empty language.
    const QString stored = name.isNull() ? u""_s : name;
    currentLanguage() = stored;
    return platform::WritePrivateProfileString(u"Setting"_s, u"Language"_s, stored, kLanguageFile.toString())
        ? 1
        : 0;
}

bool IsEnglish()
{
    return currentLanguage().compare(u"English"_s, Qt::CaseInsensitive) == 0;
}

QString GetConfigString(const QString& key)
{
    // A null key would ask the profile for the list of all keys of the section.
    if (key.isEmpty())
        return key;
    const QString value = translations().find(key);
    return value.isEmpty() ? key : value;
}

} // extern "C"

namespace qmexpand_internal {

void reloadLanguage()
{
    ReadLanguageAgain();
}

} // namespace qmexpand_internal

QString LanguageAtNextStart()
{
    return readLanguage();
}

bool SetLanguageAtNextStart(const QString& name)
{
    return platform::WritePrivateProfileString(
        u"Setting"_s, u"Language"_s, name.isNull() ? u""_s : name, kLanguageFile.toString());
}

QStringList PanelTitles()
{
    const QString chinese = u"白板"_s;
    QStringList titles {PanelTitle(), chinese};
    titles << platform::GetPrivateProfileString(
        u"English"_s, chinese, u""_s, kTranslationBufferSize, kLanguageFile.toString());
    titles.removeAll(QString());
    titles.removeDuplicates();
    return titles;
}

platform::WindowRef FindPanel()
{
    for (const QString& title : PanelTitles()) {
        if (const platform::WindowRef panel = platform::FindWindow(platform::kDialogClass, title))
            return panel;
    }
    return {};
}

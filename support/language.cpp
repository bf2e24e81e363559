#include "support/language.h"

#include "support/language_internal.h"

#include "platform/messages.h"
#include "platform/profile.h"

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

} // namespace

extern "C" {

QString GetLanguage()
{
    return currentLanguage();
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
    const QString value = platform::GetPrivateProfileString(
        currentLanguage(), key, u""_s, kTranslationBufferSize, kLanguageFile.toString());
    return value.isEmpty() ? key : value;
}

} // extern "C"

namespace qmexpand_internal {

void reloadLanguage()
{
    currentLanguage() = readLanguage();
}

} // namespace qmexpand_internal

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

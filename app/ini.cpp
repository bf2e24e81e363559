#include "app/ini.h"

#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/shell.h"

#include <QFileInfo>

namespace _FILE {

namespace {

void tell(const QString& text, const QString& title)
{
    platform::MessageBox(nullptr, text, title, platform::MB_OK);
}

constexpr int kReadBuffer = 2048;
constexpr int kKeyListBuffer = 65536;

} // namespace

CIni::CIni(const QString& fileName)
{
    SetFileName(fileName);
}

bool CIni::SetFileName(const QString& fileName)
{
    path_.clear();
    open_ = false;
    const QString name = trimBlanks(fileName);
    if (name.isEmpty()) {
        tell(QStringLiteral("file name can't be null"), QStringLiteral("tips"));
        return false;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        tell(QStringLiteral("set file extend name first"), QStringLiteral("Tips"));
        return false;
    }
    const QString extension = name.mid(dot + 1);
    if (extension.compare(QStringLiteral("INF"), Qt::CaseInsensitive) != 0
        && extension.compare(QStringLiteral("INI"), Qt::CaseInsensitive) != 0) {
        tell(QStringLiteral("extend name must be INF or INI"), QStringLiteral("Tips"));
        return false;
    }
    if (name.contains(QLatin1Char('/'))) {
        if (!QFileInfo(name).isFile()) {
            tell(QStringLiteral("File unexist:") + name, QStringLiteral("Tips"));
            return false;
        }
        path_ = name;
    } else if (QFileInfo(QStringLiteral("./") + name).isFile()) {
        path_ = QStringLiteral("./") + name;
    } else if (const QString beside = platform::programFolder() + QLatin1Char('/') + name;
               QFileInfo(beside).isFile()) {
        path_ = beside;
    } else {
        tell(QStringLiteral("File unexist"), QStringLiteral("Tips"));
        return false;
    }
    open_ = true;
    return true;
}

QString CIni::ReadString(const QString& section, const QString& key) const
{
    if (!open_) {
        tell(QStringLiteral("Please open file first"), QStringLiteral("Tips"));
        return {};
    }
    const QString s = trimBlanks(section), k = trimBlanks(key);
    if (s.isEmpty() || k.isEmpty()) {
        tell(QStringLiteral("must confirm AppName and KeyName"), QStringLiteral("Tips"));
        return {};
    }
    return platform::GetPrivateProfileString(s, k, QString(""), kReadBuffer, path_);
}

bool CIni::WriteString(const QString& section, const QString& key, const QString& value)
{
    if (!open_) {
        tell(QStringLiteral("please Open file first"), QStringLiteral("Tips"));
        return false;
    }
    const QString s = trimBlanks(section), k = trimBlanks(key);
    if (s.isEmpty() || k.isEmpty()) {
        tell(QStringLiteral("Must confirm AppName and KeyName"), QStringLiteral("Tips"));
        return false;
    }
    return platform::WritePrivateProfileString(s, k, value, path_);
}

QStringList CIni::ReadKeyNames(const QString& section) const
{
    if (!open_) {
        tell(QStringLiteral("please Open file first"), QStringLiteral("Tips"));
        return {};
    }
    const QString list = platform::GetPrivateProfileString(
        trimBlanks(section), QString(), QString(""), kKeyListBuffer, path_);
    QStringList names = list.split(QChar(u'\0'), Qt::SkipEmptyParts);
    return names;
}

} // namespace _FILE

#include "app/ini.h"

#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "support/language.h"

#include <QFileInfo>

namespace _FILE {

namespace {

void tell(const QString& english, const QString& chinese)
{
    const bool inEnglish = IsEnglish();
    platform::MessageBox(nullptr, inEnglish ? english : chinese,
        inEnglish ? QStringLiteral("Tips") : QStringLiteral("提示"), platform::MB_OK);
}

void tellMissing(const QString& name)
{
    tell(QStringLiteral("The file does not exist: %1").arg(name), QStringLiteral("文件不存在：%1").arg(name));
}

void tellNotOpen()
{
    tell(QStringLiteral("No file is open."), QStringLiteral("没有打开文件。"));
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
        tell(QStringLiteral("The file name is empty."), QStringLiteral("文件名为空。"));
        return false;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        tell(QStringLiteral("The file name has no extension."), QStringLiteral("文件名没有扩展名。"));
        return false;
    }
    const QString extension = name.mid(dot + 1);
    if (extension.compare(QStringLiteral("INF"), Qt::CaseInsensitive) != 0
        && extension.compare(QStringLiteral("INI"), Qt::CaseInsensitive) != 0) {
        tell(QStringLiteral("The file extension must be INF or INI."),
            QStringLiteral("文件扩展名必须是INF或INI。"));
        return false;
    }
    if (name.contains(QLatin1Char('/'))) {
        if (!QFileInfo(name).isFile()) {
            tellMissing(name);
            return false;
        }
        path_ = name;
    } else if (QFileInfo(QStringLiteral("./") + name).isFile()) {
        path_ = QStringLiteral("./") + name;
    } else if (const QString beside = platform::programFolder() + QLatin1Char('/') + name;
               QFileInfo(beside).isFile()) {
        path_ = beside;
    } else {
        tellMissing(name);
        return false;
    }
    open_ = true;
    return true;
}

QString CIni::ReadString(const QString& section, const QString& key) const
{
    if (!open_) {
        tellNotOpen();
        return {};
    }
    const QString s = trimBlanks(section), k = trimBlanks(key);
    if (s.isEmpty() || k.isEmpty()) {
        tell(QStringLiteral("A section name and a key name are needed."), QStringLiteral("需要节名和键名。"));
        return {};
    }
    return platform::GetPrivateProfileString(s, k, QString(""), kReadBuffer, path_);
}

bool CIni::WriteString(const QString& section, const QString& key, const QString& value)
{
    if (!open_) {
        tellNotOpen();
        return false;
    }
    const QString s = trimBlanks(section), k = trimBlanks(key);
    if (s.isEmpty() || k.isEmpty()) {
        tell(QStringLiteral("A section name and a key name are needed."), QStringLiteral("需要节名和键名。"));
        return false;
    }
    return platform::WritePrivateProfileString(s, k, value, path_);
}

QStringList CIni::ReadKeyNames(const QString& section) const
{
    if (!open_) {
        tellNotOpen();
        return {};
    }
    const QString list = platform::GetPrivateProfileString(
        trimBlanks(section), QString(), QString(""), kKeyListBuffer, path_);
    QStringList names = list.split(QChar(u'\0'), Qt::SkipEmptyParts);
    return names;
}

} // namespace _FILE

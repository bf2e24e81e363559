#include "platform/shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

#include <unistd.h>

namespace platform {

namespace {

// Reads one entry of the XDG user directories file: XDG_NAME_DIR="$HOME/Name".
QString xdgUserDir(const char* name)
{
    const QString home = QDir::homePath();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = home + QStringLiteral("/.config");
    QFile file(config + QStringLiteral("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString key = QStringLiteral("XDG_%1_DIR").arg(QLatin1String(name));
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.startsWith(key + QLatin1Char('=')))
            continue;
        QString value = line.mid(key.size() + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        value.replace(QStringLiteral("$HOME"), home);
        return QDir::cleanPath(value);
    }
    return {};
}

} // namespace

QString programFilePath()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return QString::fromLocal8Bit(buffer, n);
}

QString programFolder()
{
    return QFileInfo(programFilePath()).absolutePath();
}

QString dataHome()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data);
}

QString templatesFolder()
{
    const QString home = QDir::cleanPath(QDir::homePath());
    QString dir = xdgUserDir("TEMPLATES");
    if (dir.isEmpty() && !home.isEmpty() && home != QStringLiteral("/"))
        dir = home + QStringLiteral("/Templates");
    // xdg-user-dirs points a disabled or deleted folder at the home folder itself; scratch folders made
    // there would sit among the user's own files. The system then keeps its templates in its data folder.
    if (dir.isEmpty() || dir == home || dir == QStringLiteral("/") || !QFileInfo(dir).isDir()) {
        if (home.isEmpty() || home == QStringLiteral("/"))
            return {};
        dir = dataHome() + QStringLiteral("/Quillmark/Templates");
    }
    return dir;
}

namespace {
const QString kScratchMark = QStringLiteral(".quillmark-scratch");
}

bool isScratchFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() && QFileInfo(path + QLatin1Char('/') + kScratchMark).isFile();
}

bool makeScratchFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (QFileInfo(clean).exists() || QFileInfo(clean).isSymLink())
        return isScratchFolder(clean);
    // Only the folder asked for is the program's: the ones made on the way to it (~/.local/share, say) are
    // shared with other programs and must never look removable.
    if (!QDir().mkpath(QFileInfo(clean).path()) || !QDir().mkdir(clean))
        return false;
    QFile mark(clean + QLatin1Char('/') + kScratchMark);
    if (!mark.open(QIODevice::WriteOnly))
        return false;
    mark.write("Made by Quillmark for its scratch files; removed when it quits.\n");
    mark.close();
    return isScratchFolder(clean);
}

bool removeScratchFolder(const QString& path)
{
    if (!isScratchFolder(path))
        return false;
    return QDir(path).removeRecursively();
}

QString templatesScratchFolder()
{
    const QString templates = templatesFolder();
    if (templates.isEmpty())
        return {};
    const QString usual = templates + QStringLiteral("/Temp");
    if (makeScratchFolder(usual))
        return usual;
    // A "Temp" the user keeps there is left alone: the system's own goes into its data folder.
    const QString own = dataHome() + QStringLiteral("/Quillmark/Templates/Temp");
    return makeScratchFolder(own) ? own : QString();
}

QString documentsFolder()
{
    QString dir = xdgUserDir("DOCUMENTS");
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/Documents");
    return dir;
}

QString shortPath(const QString& path)
{
    return path;
}

bool deleteTree(const QString& path)
{
    QFileInfo info(path);
    if (!info.exists() || !info.isDir())
        return false;
    return QDir(path).removeRecursively();
}

bool copyTree(const QString& source, const QString& target)
{
    QDir from(source);
    if (!QFileInfo(source).isDir() || !QDir().mkpath(target))
        return false;
    bool ok = true;
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString dest = target + QLatin1Char('/') + from.relativeFilePath(path);
        if (it.fileInfo().isDir())
            ok = QDir().mkpath(dest) && ok;
        else
            ok = (QFile::exists(dest) ? (QFile::remove(dest), QFile::copy(path, dest))
                                      : QFile::copy(path, dest))
                && ok;
    }
    return ok;
}

bool shellOpen(const QString& path, const QStringList& arguments)
{
    QFileInfo info(path);
    if (info.isFile() && info.isExecutable())
        return QProcess::startDetached(info.absoluteFilePath(), arguments, QDir::currentPath());
    if (info.exists())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    if (path.contains(QStringLiteral("://")))
        return QDesktopServices::openUrl(QUrl(path));
    // A bare program name is looked up on the PATH.
    return QProcess::startDetached(path, arguments, QDir::currentPath());
}

QString defaultApplicationFor(const QString& path)
{
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (type.isEmpty() || xdgMime.isEmpty())
        return {};
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

bool processRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // "pid (name) state ...": the name may hold spaces and brackets, the state follows the last ")".
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0 || close + 2 >= line.size())
        return false;
    const char state = line.at(close + 2);
    return state != 'Z' && state != 'X';
}

} // namespace platform

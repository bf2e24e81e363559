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

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

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

QString& programFilePathInstead()
{
    static QString path;
    return path;
}

} // namespace

void setProgramFilePath(const QString& path)
{
    programFilePathInstead() = path;
}

QString programFilePath()
{
    if (!programFilePathInstead().isEmpty())
        return programFilePathInstead();
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

QString configHome()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config);
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
    const QFileInfo mark(path + QLatin1Char('/') + kScratchMark);
    return info.isDir() && !info.isSymLink() && mark.isFile() && !mark.isSymLink();
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
    mark.write("Made by Quillmark, which may remove this folder with everything in it.\n");
    mark.close();
    return isScratchFolder(clean);
}

namespace {

// Deeper trees than this are not ours: the program makes none deeper than a few levels.
constexpr int kDeepestRemoval = 64;

// Removes what the folder open at dirFd holds, except keep (a name, or nothing). Every step goes through the
// descriptor of the folder above, and a folder is opened with O_NOFOLLOW: a link is removed as a link, even
// one that another process puts in place of a folder while this runs.
bool emptyAt(int dirFd, const char* keep, int depth)
{
    if (depth > kDeepestRemoval)
        return false;
    const int listFd = fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    DIR* dir = listFd >= 0 ? fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            close(listFd);
        return false;
    }
    // The names are read before anything goes: a folder changed while it is read may list entries twice.
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && (!keep || name != keep))
            names.push_back(name);
    }
    closedir(dir);
    bool ok = true;
    for (const std::string& name : names) {
        struct stat st { };
        if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = errno == ENOENT && ok;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            const int sub = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) {
                ok = false;
                continue;
            }
            ok = emptyAt(sub, nullptr, depth + 1) && ok;
            close(sub);
            ok = (unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) && ok;
        } else {
            ok = (unlinkat(dirFd, name.c_str(), 0) == 0 || errno == ENOENT) && ok;
        }
    }
    return ok;
}

// The one way the program removes a folder or its contents: only a real folder (the path itself no link) that
// holds the mark as a plain file.
bool removeOwnFolder(const QString& path, bool keepFolder)
{
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    if (native.isEmpty())
        return false;
    const int fd = open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const QByteArray mark = QFile::encodeName(kScratchMark);
    struct stat st { };
    if (fstatat(fd, mark.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    bool ok = emptyAt(fd, keepFolder ? mark.constData() : nullptr, 0);
    close(fd);
    if (!keepFolder)
        ok = ok && rmdir(native.constData()) == 0;
    return ok;
}

} // namespace

bool removeScratchFolder(const QString& path)
{
    return removeOwnFolder(path, false);
}

bool emptyScratchFolder(const QString& path)
{
    return removeOwnFolder(path, true);
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

QString siblingProgram(const QString& name)
{
    const QDir folder(programFolder());
    for (const QString& file : {name, name + QStringLiteral(".exe")}) {
        const QFileInfo program(folder.filePath(file));
        if (program.isFile() && program.isExecutable())
            return program.absoluteFilePath();
    }
    return {};
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

#include "test_util.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QWidget>

namespace qmtest {

ScopedCurrentDir::ScopedCurrentDir(const QString& dir)
    : previous_(QDir::currentPath())
{
    QDir::setCurrent(dir);
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    QDir::setCurrent(previous_);
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool plantLink(const QString& target, const QString& link)
{
    QDir().mkpath(QFileInfo(link).absolutePath());
    QProcess ln;
    ln.start(QStringLiteral("ln"), {QStringLiteral("-s"), target, link});
    return ln.waitForFinished(10000) && ln.exitCode() == 0 && QFileInfo(link).isSymLink();
}

QString teachersFolder(const QString& path)
{
    writeFile(path + QStringLiteral("/lesson plan.odt"), "week 3: fractions");
    writeFile(path + QStringLiteral("/marks/class 4.csv"), "Ana,18");
    return path;
}

bool teachersFolderWhole(const QString& path)
{
    return readFile(path + QStringLiteral("/lesson plan.odt")) == "week 3: fractions"
        && readFile(path + QStringLiteral("/marks/class 4.csv")) == "Ana,18";
}

bool waitFor(const std::function<bool()>& pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(p), QPointF(widget->mapToGlobal(p)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &e);
}

void dragThrough(QWidget* widget, const QList<QPoint>& points)
{
    if (points.isEmpty())
        return;
    sendMouse(widget, QEvent::MouseButtonPress, points.first(), Qt::LeftButton, Qt::LeftButton);
    for (const QPoint& p : points.mid(1))
        sendMouse(widget, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, points.last(), Qt::LeftButton, {});
}

QList<qint64> processesMentioning(const QString& text)
{
    QList<qint64> found;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = name.toLongLong(&number);
        if (!number)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
            continue;
        if (!QString::fromLocal8Bit(cmdline.readAll().replace('\0', ' ')).contains(text))
            continue;
        const QByteArray state = stat.readAll();
        const qsizetype close = state.lastIndexOf(')');
        if (close >= 0 && close + 2 < state.size() && state.at(close + 2) != 'Z'
            && state.at(close + 2) != 'X')
            found << pid;
    }
    return found;
}

qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

QImage logicalScreen()
{
    QCoreApplication::processEvents();
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen->grabWindow(0)
        .toImage()
        .scaled(screen->geometry().size())
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace qmtest

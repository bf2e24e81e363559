#include "program_driver.h"

#include "platform/shell.h"
#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QScreen>
#include <QThread>

namespace qmtest {

ProgramDriver::ProgramDriver()
{
    platform::copyTree(QStringLiteral(QM_BIN_DIR), programFolder());
    // A Temp folder left in the build's program folder by a manual run is not part of a fresh program folder.
    QDir(programFolder() + QStringLiteral("/Temp")).removeRecursively();
    QDir().mkpath(homeFolder());
}

ProgramDriver::~ProgramDriver()
{
    if (running()) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

void ProgramDriver::killNow()
{
    if (!running())
        return;
    process_->kill();
    process_->waitForFinished(5000);
}

bool ProgramDriver::start(const QString& workingDirectory)
{
    process_ = std::make_unique<QProcess>();
    process_->setProgram(programFolder() + QStringLiteral("/Quillmark"));
    process_->setWorkingDirectory(workingDirectory.isEmpty() ? programFolder() : workingDirectory);
    process_->setProcessEnvironment(environment());
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->start();
    return process_->waitForStarted(10000);
}

QProcessEnvironment ProgramDriver::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), homeFolder());
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

std::unique_ptr<QProcess> ProgramDriver::startAnother() const
{
    auto other = std::make_unique<QProcess>();
    other->setProgram(programFolder() + QStringLiteral("/Quillmark"));
    other->setWorkingDirectory(programFolder());
    other->setProcessEnvironment(environment());
    other->setProcessChannelMode(QProcess::MergedChannels);
    other->start();
    other->waitForStarted(10000);
    return other;
}

void ProgramDriver::writeUserDirs(const QByteArray& lines) const
{
    writeFile(homeFolder() + QStringLiteral("/.config/user-dirs.dirs"), lines);
}

qint64 ProgramDriver::processId() const
{
    return process_ ? process_->processId() : 0;
}

unsigned long ProgramDriver::waitForWindow(const QString& title, int timeoutMs)
{
    unsigned long found = 0;
    waitFor([&] { return (found = platform::desktop::findWindow(title)) != 0 || !running(); }, timeoutMs);
    return found;
}

bool ProgramDriver::waitForNoWindow(const QString& title, int timeoutMs)
{
    return waitFor([&] { return platform::desktop::findWindow(title) == 0; }, timeoutMs);
}

bool ProgramDriver::pressKeyIn(unsigned long window, const QString& keysym)
{
    platform::desktop::activate(window);
    QThread::msleep(300);
    return platform::desktop::pressKey(keysym);
}

bool ProgramDriver::waitForExit(int timeoutMs)
{
    return waitFor([&] { return !running(); }, timeoutMs);
}

bool ProgramDriver::running() const
{
    return process_ && process_->state() != QProcess::NotRunning;
}

int ProgramDriver::qmsend(const QStringList& arguments)
{
    QProcess send;
    send.start(programFolder() + QStringLiteral("/qmsend"), arguments);
    if (!send.waitForFinished(20000))
        return -1;
    return send.exitCode();
}

int ProgramDriver::pressPanelButton(int id)
{
    return qmsend({QStringLiteral("--title"), QStringLiteral("白板"), QStringLiteral("0x111"),
        QString::number(id), QStringLiteral("0")});
}

bool ProgramDriver::chooseInFileDialog(int button, const QString& title, const QString& file)
{
    if (pressPanelButton(button) != 0)
        return false;
    if (waitForWindow(title, 20000) == 0) {
        // Once, on a loaded CI machine, a press opened no dialog in 30 s and was never seen again. What the
        // desktop and the program showed goes into the log, and the teacher's second press follows.
        QStringList shown;
        for (const platform::desktop::TopWindow& window : platform::desktop::topLevelWindows())
            if (window.viewable && !window.title.isEmpty())
                shown << window.title;
        qWarning("no \"%s\" after 20 s; windows shown: %s; the program said:\n%s", qPrintable(title),
            qPrintable(shown.join(QStringLiteral(", "))), qPrintable(output()));
        if (pressPanelButton(button) != 0 || waitForWindow(title, 20000) == 0)
            return false;
    }
    // The dialog's name field takes keys only once the dialog has laid itself out.
    waitFor([] { return false; }, 800);
    const auto xdotool = [](const QStringList& arguments) {
        QProcess p;
        p.start(QStringLiteral("xdotool"), arguments);
        p.waitForFinished(20000);
    };
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"), file});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    return true;
}

void ProgramDriver::drag(const QList<QPoint>& points)
{
    if (points.isEmpty())
        return;
    platform::desktop::moveMouse(points.first().x(), points.first().y());
    waitFor([] { return false; }, 50);
    platform::desktop::mouseButton(1, true);
    for (const QPoint& p : points.mid(1)) {
        waitFor([] { return false; }, 15);
        platform::desktop::moveMouse(p.x(), p.y());
    }
    waitFor([] { return false; }, 50);
    platform::desktop::mouseButton(1, false);
    platform::desktop::flush();
    waitFor([] { return false; }, 200);
}

void ProgramDriver::click(const QPoint& point)
{
    drag({point});
}

int ProgramDriver::exitCode() const
{
    return process_ ? process_->exitCode() : -1;
}

QString ProgramDriver::output() const
{
    return process_ ? QString::fromLocal8Bit(process_->readAllStandardOutput()) : QString();
}

CineboxWindow::CineboxWindow()
{
    setWindowTitle(QStringLiteral("Cinebox"));
    resize(200, 100);
}

void CineboxWindow::closeEvent(QCloseEvent* event)
{
    closeRequested = true;
    event->accept();
}

QList<QPoint> straightPath(QPoint from, QPoint to, int steps)
{
    QList<QPoint> points;
    for (int i = 0; i <= steps; ++i)
        points << from + (to - from) * i / steps;
    return points;
}

QImage screenshot(int settleMs)
{
    if (settleMs > 0)
        QThread::msleep(static_cast<unsigned long>(settleMs));
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QPoint boardButtonCentre(int place)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int rowRight = screen.right() + 1 - 48 - 16;
    return QPoint(rowRight - (4 - place) * 56 + 8 + 24, screen.bottom() + 1 - 48 - 8 + 24);
}

QString writeRedPdf(const QString& path)
{
    QPdfWriter writer(path);
    QPainter painter(&writer);
    painter.fillRect(QRect(0, 0, writer.width(), writer.height()), Qt::red);
    return path;
}

} // namespace qmtest

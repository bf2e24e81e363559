#pragma once
#include <QEvent>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <QTemporaryDir>
#include <functional>

class QWidget;

namespace qmtest {

// Runs the body with the current directory set to dir, then restores the previous one.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const QString& dir);
    ~ScopedCurrentDir();

private:
    QString previous_;
};

// Writes bytes into a file, creating folders on the way; returns the path.
QString writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// Another process (ln) puts a symbolic link to target at link, as a program of someone else's could; true
// when the link is there.
bool plantLink(const QString& target, const QString& link);
// A folder of the teacher's (their documents, say) with two files in it; a test checks it is still whole.
QString teachersFolder(const QString& path);
bool teachersFolderWhole(const QString& path);

// Spins the Qt event loop until pred() holds or the time runs out; returns pred().
bool waitFor(const std::function<bool()>& pred, int timeoutMs = 10000);

// A mouse event sent to widget as the window system would deliver it, at p in the widget's coordinates.
void sendMouse(QWidget* widget, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held);
// A left-button press at the first point, moves through the others and the release at the last.
void dragThrough(QWidget* widget, const QList<QPoint>& points);
// The primary screen's picture as the test's windows see it: in logical pixels, on a board scaled to 2 too.
QImage logicalScreen();
// The running processes whose command line holds text (a path that names one piece of work, say); ended
// processes that nobody has collected yet are left out.
QList<qint64> processesMentioning(const QString& text);
// The memory this process holds now (VmRSS), in bytes.
qint64 residentBytes();

} // namespace qmtest

#pragma once
// The test's own hands and eyes on a headless GNOME desktop (mutter or GNOME Shell), without any dialog:
// the screen read back through org.gnome.Mutter.ScreenCast, pointer and keys through
// org.gnome.Mutter.RemoteDesktop, and a native Wayland window of one colour standing in for a program.
#include <QColor>
#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>

#include <functional>

namespace qmtest {

// Why the Wayland tests cannot run in this process's session; empty when they can.
QString whyNoWaylandSession();

// A ScreenCast stream's node, once mutter has made it.
class StreamNode : public QObject {
    Q_OBJECT
public:
    uint node = 0;
public slots:
    void added(uint pipeWireNode) { node = pipeWireNode; }
};

// One picture of the whole monitor as mutter composes it (native and XWayland windows alike); a null image
// when mutter gave none.
QImage mutterScreen();
// Waits until a picture of the screen satisfies seen; that picture, or a null image when none did in time.
QImage waitForScreen(const std::function<bool(const QImage&)>& seen, int timeoutMs);

// A remote desktop session of mutter: the pointer goes to absolute places of the monitor, the keys come
// from a virtual keyboard. Nothing asks the user.
class MutterInput {
public:
    MutterInput();
    ~MutterInput();
    MutterInput(const MutterInput&) = delete;
    MutterInput& operator=(const MutterInput&) = delete;

    bool ready() const { return ready_; }
    QString error() const { return error_; }
    void key(uint keysym);
    void click(QPoint at);
    void drag(const QList<QPoint>& points);

private:
    bool call(const QString& method, const QVariantList& arguments);
    void moveTo(QPoint at);
    void button(bool down);

    QDBusConnection bus_;
    QString session_;
    QString castSession_;
    QString stream_;
    bool ready_ = false;
    QString error_;
};

// xdg-desktop-portal-gnome's question whether to share the monitor: whether a picture of the screen shows it
// (with the monitor chosen: the Share button lit), and the answer "share", given through input.
bool shareQuestionShown(const QImage& screen, bool monitorChosen = false);
bool answerShareQuestion(MutterInput& input, int timeoutMs = 60000);

// GNOME Shell only: whether it runs here (its Screenshot service answers the desktop's Screenshot portal).
bool gnomeShellRuns();
// Leaves the overview GNOME Shell starts in, so that windows show as on a teacher's desktop.
bool leaveOverview(MutterInput& input);
// Lets every program take screenshots without the desktop's question, as a teacher's earlier "yes" does.
bool grantScreenshots();
// The teacher's profile of the desktop's answers, in a home folder.
QString desktopProfileIn(const QString& home);

// A native Wayland window filled with one colour (and a square of a second in the middle, when given),
// while the object lives.
class NativeWindow {
public:
    NativeWindow(const QColor& colour, QSize size, const QColor& middle = QColor());
    ~NativeWindow();
    // Where it shows on the screen, found by its colour; an empty rectangle when it did not show in time.
    QRect waitShown(int timeoutMs = 20000);
    QString output();

private:
    QColor colour_;
    QProcess process_;
};

// The bounding box of the pixels within tolerance of colour in picture.
QRect areaOfColour(const QImage& picture, const QColor& colour, int tolerance = 24);
bool near(QRgb pixel, const QColor& colour, int tolerance = 24);

} // namespace qmtest

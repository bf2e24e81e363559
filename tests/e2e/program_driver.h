#pragma once
// Starts the built program in a temporary copy of its program folder, with a home folder of its own, and
// drives it from outside as a user or another program would.
#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

class QProcessEnvironment;

namespace qmtest {

class ProgramDriver {
public:
    ProgramDriver();
    ~ProgramDriver();

    // The program folder copy, and the home folder the program sees.
    QString programFolder() const { return dir_.path() + QStringLiteral("/program"); }
    QString homeFolder() const { return dir_.path() + QStringLiteral("/home"); }

    // Starts the program with workingDirectory as its current directory (the program folder by default).
    bool start(const QString& workingDirectory = QString());
    // Waits for a viewable window with this title; 0 when none came in time.
    unsigned long waitForWindow(const QString& title, int timeoutMs = 30000);
    bool waitForNoWindow(const QString& title, int timeoutMs = 10000);
    // Gives the window the focus and presses one key in it.
    bool pressKeyIn(unsigned long window, const QString& keysym);
    bool waitForExit(int timeoutMs = 30000);
    // Ends the program at once with SIGKILL, as a crash or a power cut would: nothing of it runs after.
    void killNow();
    // Runs the program folder's qmsend with these arguments; its exit status.
    int qmsend(const QStringList& arguments);
    // A WM_COMMAND to the panel, as a button press.
    int pressPanelButton(int id);
    // Presses the panel's button, waits for the file dialog with this title and chooses file in it as a
    // teacher types it; false when no dialog came.
    bool chooseInFileDialog(int button, const QString& title, const QString& file);
    // A left-button drag through the points, with XTest.
    void drag(const QList<QPoint>& points);
    void click(const QPoint& point);
    bool running() const;
    int exitCode() const;
    qint64 processId() const;
    // Starts another copy of the program from the same folder, with the same home; it runs on its own.
    std::unique_ptr<QProcess> startAnother() const;
    // Writes the XDG user directories file of the program's home folder.
    void writeUserDirs(const QByteArray& lines) const;
    QString output() const;

private:
    QProcessEnvironment environment() const;

    QTemporaryDir dir_;
    std::unique_ptr<QProcess> process_;
};

// Stands in for the suite's media centre: a window titled "Cinebox" that notes a request to close it.
class CineboxWindow : public QWidget {
public:
    CineboxWindow();
    bool closeRequested = false;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Writes a one-page PDF filled with red at path; path.
QString writeRedPdf(const QString& path);
// Every point from from to to in steps equal parts, both ends included: a drag as a hand makes it.
QList<QPoint> straightPath(QPoint from, QPoint to, int steps = 20);
// What the primary screen shows, once settleMs have passed for the last paint to arrive.
QImage screenshot(int settleMs = 0);
// The centre of the board's page button at place (0 previous, 1 next, 2 colour, 3 exit): a row of 48-pixel
// squares, 8 apart, at the bottom right of the primary screen, left of the 48-pixel removal square.
QPoint boardButtonCentre(int place);

} // namespace qmtest

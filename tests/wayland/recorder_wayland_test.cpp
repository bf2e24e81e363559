// The recorder on a real Wayland desktop (headless mutter from scripts/wayland-test): the share question of
// the desktop's ScreenCast portal comes at the first recording and is answered through mutter's remote
// desktop input; the desktop's answer is kept in the teacher's profile, so the next recording asks nothing;
// the recorded pictures show a native Wayland window and the ink written over it.
#include "e2e/program_driver.h"
#include "support_main/test_util.h"
#include "wayland/mutter_desktop.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using qmtest::MutterInput;
using qmtest::NativeWindow;
using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
constexpr int kCmdRecorder = 1145, kCmdWhiteboard = 1128;
const QColor kNative(30, 150, 90);
const QColor kInk(255, 0, 0);

// The recordings under folder, oldest first.
QStringList recordingsIn(const QString& folder)
{
    QStringList found;
    QDirIterator files(
        folder, {QStringLiteral("*.avi")}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        found << files.next();
    return found;
}

// Two pictures a second of the recording, as a player decodes them.
QList<QImage> picturesOf(const QString& recording)
{
    QTemporaryDir dir;
    QProcess::execute(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), recording,
            QStringLiteral("-vf"), QStringLiteral("fps=2"), dir.filePath(QStringLiteral("%03d.png"))});
    QList<QImage> pictures;
    for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        pictures << QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32);
    return pictures;
}

// How many seconds of sound the recording holds, as a player decodes it.
double soundSeconds(const QString& recording)
{
    QProcess sound;
    sound.start(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), recording,
            QStringLiteral("-map"), QStringLiteral("0:a"), QStringLiteral("-f"), QStringLiteral("s16le"),
            QStringLiteral("-")});
    sound.waitForFinished(60000);
    return double(sound.readAllStandardOutput().size()) / 2.0 / 22050.0;
}

bool anyShows(const QList<QImage>& pictures, QPoint at, const QColor& colour)
{
    for (const QImage& picture : pictures) {
        if (picture.rect().contains(at) && qmtest::near(picture.pixel(at), colour, 40))
            return true;
    }
    return false;
}

// Starts the program with the profile file given (when there is one) and presses the recorder button.
bool startRecording(ProgramDriver& program, const QByteArray& profile)
{
    if (!profile.isEmpty())
        qmtest::writeFile(qmtest::desktopProfileIn(program.homeFolder()), profile);
    return program.start() && program.waitForWindow(kPanel) != 0
        && program.pressPanelButton(kCmdRecorder) == 0;
}

} // namespace

TEST(RecorderOnWayland, TheShareQuestionComesOnceAndTheRecordingShowsTheNativeWindowAndTheInk)
{
    if (const QString why = qmtest::whyNoWaylandSession(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    MutterInput input;
    ASSERT_TRUE(input.ready()) << input.error().toStdString();
    ASSERT_TRUE(qmtest::leaveOverview(input));
    NativeWindow native(kNative, QSize(600, 400));
    const QRect shown = native.waitShown();
    ASSERT_FALSE(shown.isEmpty()) << "the native window did not show: " << native.output().toStdString();

    // The first recording: the desktop asks which monitor to share; the test chooses it and shares.
    ProgramDriver first;
    ASSERT_TRUE(startRecording(first, {})) << first.output().toStdString();
    ASSERT_TRUE(qmtest::answerShareQuestion(input)) << "no share question";
    ASSERT_NE(first.waitForWindow(QStringLiteral("CTimerDlg"), 20000), 0u)
        << "the recording did not start: " << first.output().toStdString();
    qmtest::waitFor([] { return false; }, 2500);

    // Ink over the desktop on the whiteboard, drawn through the XWayland display as the pen would.
    ASSERT_EQ(first.pressPanelButton(kCmdWhiteboard), 0);
    ASSERT_NE(first.waitForWindow(kSurface), 0u);
    const QPoint from(300, 700), to(900, 700);
    first.drag(qmtest::straightPath(from, to));
    qmtest::waitFor([] { return false; }, 2500);
    const QByteArray kept = qmtest::readFile(qmtest::desktopProfileIn(first.homeFolder()));
    EXPECT_TRUE(kept.contains("ScreenCastToken="))
        << "the desktop's answer is not kept: " << kept.toStdString();
    first.killNow();

    const QStringList firstRecordings = recordingsIn(first.homeFolder());
    ASSERT_EQ(firstRecordings.size(), 1);
    const QList<QImage> pictures = picturesOf(firstRecordings.first());
    ASSERT_GE(pictures.size(), 6) << "three seconds of pictures at least";
    EXPECT_EQ(pictures.first().size(), QSize(1920, 1080));
    EXPECT_TRUE(anyShows(pictures, shown.center(), kNative)) << "the native window is not in the recording";
    EXPECT_TRUE(anyShows(pictures, (from + to) / 2, kInk)) << "the ink is not in the recording";
    EXPECT_GE(soundSeconds(firstRecordings.first()), 3.0) << "the sound is recorded as on X11";

    // The next recording, with the kept answer: it starts and the desktop asks nothing.
    ProgramDriver second;
    ASSERT_TRUE(startRecording(second, kept)) << second.output().toStdString();
    bool asked = false;
    const bool started = qmtest::waitFor(
        [&] {
            const QImage screen = qmtest::mutterScreen();
            asked = asked || (!screen.isNull() && qmtest::shareQuestionShown(screen));
            return second.waitForWindow(QStringLiteral("CTimerDlg"), 10) != 0;
        },
        20000);
    ASSERT_TRUE(started) << "the second recording did not start: " << second.output().toStdString();
    EXPECT_FALSE(asked) << "the desktop asked again";
    qmtest::waitFor([] { return false; }, 4000);
    second.killNow();
    const QStringList secondRecordings = recordingsIn(second.homeFolder());
    ASSERT_EQ(secondRecordings.size(), 1);
    const QList<QImage> again = picturesOf(secondRecordings.first());
    ASSERT_FALSE(again.isEmpty()) << "no picture in the second recording";
    EXPECT_TRUE(anyShows(again, shown.center(), kNative));
}

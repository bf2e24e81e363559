// The teacher's path through the recorder, driven from outside the program: the panel's recorder button, five
// seconds of a changing screen, the start/pause button, a name in the save dialog, and a file that players
// take: checked with ffprobe and ffmpeg as another program on the desktop would read it.
#include "program_driver.h"

#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QPalette>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>

using qmtest::ProgramDriver;
namespace desktop = platform::desktop;

namespace {

const QString kPanel = QStringLiteral("白板");
constexpr int kCmdRecorder = 1145; // the panel's recorder button
const QString kRecordingCaption = QStringLiteral("开始录制");

QRect geometryOf(unsigned long xid)
{
    for (const desktop::TopWindow& window : desktop::topLevelWindows()) {
        if (window.xid == xid)
            return window.geometry;
    }
    return {};
}

QSet<unsigned long> viewableWindows()
{
    QSet<unsigned long> shown;
    for (const desktop::TopWindow& window : desktop::topLevelWindows()) {
        if (window.viewable)
            shown.insert(window.xid);
    }
    return shown;
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// ffprobe's key=value lines, one map per stream, the container's under "format".
QMap<QString, QMap<QString, QString>> probe(const QString& path)
{
    const QString text = run(QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
            QStringLiteral(
                "stream=codec_type,width,height,r_frame_rate,sample_rate,channels:format=format_name,"
                "duration"),
            QStringLiteral("-of"), QStringLiteral("default=nw=1"), path});
    QMap<QString, QMap<QString, QString>> found;
    QString section;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1);
        if (key == QLatin1String("codec_type"))
            section = value;
        else if (key == QLatin1String("format_name"))
            section = QStringLiteral("format");
        found[section][key] = value;
    }
    return found;
}

// How many different pictures the video holds.
int differentPictures(const QString& path)
{
    const QString text = run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-map"),
            QStringLiteral("0:v"), QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")});
    QSet<QString> sums;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.startsWith(QLatin1Char('#')))
            sums.insert(line.section(QLatin1Char(','), -1).trimmed());
    }
    return int(sums.size());
}

// A patch of the screen that changes colour five times a second, so that the recording has something to show.
class ChangingPatch : public QWidget {
public:
    ChangingPatch()
    {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setGeometry(700, 400, 300, 300);
        setAutoFillBackground(true);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            QPalette palette;
            palette.setColor(QPalette::Window, QColor::fromHsv((step_++ * 47) % 360, 255, 255));
            setPalette(palette);
        });
        timer_.start(200);
    }

private:
    QTimer timer_;
    int step_ = 0;
};

// A window that appeared since `before`, other than `except`; 0 when none came within the time.
unsigned long waitForNewWindow(const QSet<unsigned long>& before, unsigned long except, int timeoutMs)
{
    unsigned long found = 0;
    qmtest::waitFor(
        [&] {
            for (unsigned long xid : viewableWindows() - before) {
                if (xid != except)
                    found = xid;
            }
            return found != 0;
        },
        timeoutMs);
    return found;
}

// Types a file name into the save dialog, as the teacher would, and confirms it.
void typeNameInto(unsigned long dialog, const QString& name)
{
    desktop::activate(dialog);
    qmtest::waitFor([] { return false; }, 500);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+a")});
    run(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"), name});
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
}

} // namespace

TEST(RecorderThroughTheProgram, RecordFiveSecondsPauseNameTheFileAndItPlays)
{
    if (run(QStringLiteral("ffprobe"), {QStringLiteral("-version")}).isEmpty())
        GTEST_SKIP() << "ffprobe is not installed";
    QTemporaryDir saved;
    const QString target = saved.filePath(QStringLiteral("lesson.avi"));
    ChangingPatch patch;
    patch.show();

    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();

    // The panel's button shows the record control window, and the recording starts at once.
    ASSERT_EQ(program.pressPanelButton(kCmdRecorder), 0);
    const unsigned long control = program.waitForWindow(kRecordingCaption);
    ASSERT_NE(control, 0u) << "no record control window recording";
    QElapsedTimer recording;
    recording.start();
    ASSERT_NE(program.waitForWindow(QStringLiteral("CTimerDlg")), 0u) << "no floating elapsed time";
    qmtest::waitFor([] { return false; }, 5000);

    // The start/pause button, first in the window: pause, and the save dialog asks for the name.
    const QSet<unsigned long> before = viewableWindows();
    const QRect area = geometryOf(control);
    ASSERT_TRUE(area.isValid());
    program.click(QPoint(area.left() + 30, area.center().y()));
    const unsigned long dialog = waitForNewWindow(before, control, 20000);
    ASSERT_NE(dialog, 0u) << "no save dialog";
    const double wallSeconds = double(recording.elapsed()) / 1000.0;
    ASSERT_NE(program.waitForWindow(QStringLiteral("暂停录制")), 0u) << "the window does not show the pause";

    typeNameInto(dialog, target);
    ASSERT_TRUE(qmtest::waitFor([&] { return QFileInfo::exists(target); }, 20000)) << "nothing saved";
    EXPECT_NE(program.waitForWindow(QStringLiteral("停止")), 0u) << "the window does not show the stop";

    const auto streams = probe(target);
    EXPECT_TRUE(streams[QStringLiteral("format")][QStringLiteral("format_name")] == QLatin1String("avi"));
    const auto video = streams[QStringLiteral("video")];
    EXPECT_EQ(video[QStringLiteral("width")], QLatin1String("1920"));
    EXPECT_EQ(video[QStringLiteral("height")], QLatin1String("1080"));
    EXPECT_EQ(video[QStringLiteral("r_frame_rate")], QLatin1String("20/1"));
    const auto sound = streams[QStringLiteral("audio")];
    EXPECT_EQ(sound[QStringLiteral("sample_rate")], QLatin1String("22050"));
    EXPECT_EQ(sound[QStringLiteral("channels")], QLatin1String("1"));
    // What was recorded lies between the five seconds waited and the time until the dialog came.
    const double duration = streams[QStringLiteral("format")][QStringLiteral("duration")].toDouble();
    EXPECT_GE(duration, 4.5);
    EXPECT_LE(duration, wallSeconds + 0.5);
    EXPECT_GE(differentPictures(target), 10) << "the patch changed 25 times while recording";

    // The recording was moved out of the program's scratch folder, not left behind there.
    QStringList left;
    QDirIterator files(program.homeFolder(), {QStringLiteral("*.avi")}, QDir::Files | QDir::Hidden,
        QDirIterator::Subdirectories);
    while (files.hasNext())
        left << files.next();
    EXPECT_TRUE(left.isEmpty()) << left.join(QLatin1Char(' ')).toStdString();
}

// A recording cut off by a kill (a crash, a power cut) plays to its last seconds, with its sound.
TEST(RecorderThroughTheProgram, ARecordingKilledAfterFiveSecondsStillPlaysItsPictureAndSound)
{
    if (run(QStringLiteral("ffprobe"), {QStringLiteral("-version")}).isEmpty())
        GTEST_SKIP() << "ffprobe is not installed";
    ChangingPatch patch;
    patch.show();
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    ASSERT_EQ(program.pressPanelButton(kCmdRecorder), 0);
    ASSERT_NE(program.waitForWindow(kRecordingCaption), 0u) << "no record control window recording";
    ASSERT_NE(program.waitForWindow(QStringLiteral("CTimerDlg")), 0u);
    qmtest::waitFor([] { return false; }, 6000);

    ASSERT_EQ(::kill(pid_t(program.processId()), SIGKILL), 0);
    ASSERT_TRUE(program.waitForExit());

    QStringList recordings;
    QDirIterator files(program.homeFolder(), {QStringLiteral("*.avi")}, QDir::Files | QDir::Hidden,
        QDirIterator::Subdirectories);
    while (files.hasNext())
        recordings << files.next();
    ASSERT_EQ(recordings.size(), 1) << recordings.join(QLatin1Char(' ')).toStdString();
    const QString path = recordings.first();

    // Every picture and every sample a player can decode from the file as it was left.
    QProcess pictures;
    pictures.start(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-map"),
            QStringLiteral("0:v"), QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")});
    ASSERT_TRUE(pictures.waitForFinished(60000));
    const int frames = int(QString::fromUtf8(pictures.readAllStandardOutput())
                               .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                               .filter(QRegularExpression(QStringLiteral("^[^#]")))
                               .size());
    QProcess sound;
    sound.start(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-map"),
            QStringLiteral("0:a"), QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-")});
    ASSERT_TRUE(sound.waitForFinished(60000));
    const double soundSeconds = double(sound.readAllStandardOutput().size()) / 2.0 / 22050.0;
    EXPECT_GE(frames, 4 * 20) << "four seconds of picture";
    EXPECT_GE(soundSeconds, 4.0) << "and of sound";
}

namespace {

// The templates folder on a file system of its own, as full as the test makes it; unmounted at the end even
// when a file on it is still open.
class SmallTemplatesDisk {
public:
    SmallTemplatesDisk(const QString& folder, int megabytes)
        : folder_(folder)
    {
        QDir().mkpath(folder_);
        mounted_ = QProcess::execute(QStringLiteral("mount"),
                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=%1m").arg(megabytes), QStringLiteral("tmpfs"), folder_})
            == 0;
    }
    ~SmallTemplatesDisk()
    {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), folder_});
    }
    bool mounted() const { return mounted_; }
    // Fills the disk until `leftBytes` are free.
    bool leave(int64_t leftBytes) const
    {
        QFile filler(folder_ + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(1 << 20, 'x');
        while (QStorageInfo(folder_).bytesAvailable() - block.size() > leftBytes)
            filler.write(block), filler.flush();
        const int64_t rest = QStorageInfo(folder_).bytesAvailable() - leftBytes;
        if (rest > 0)
            filler.write(block.left(int(rest & ~int64_t(4095))));
        return filler.flush();
    }

private:
    QString folder_;
    bool mounted_ = false;
};

} // namespace

// A disk that fills up while recording: the recording stops with the message naming the disk, the teacher is
// asked where to keep it, and what was recorded plays from there.
TEST(RecorderThroughTheProgram, AFullDiskStopsTheRecordingWhichIsOfferedForSavingAndPlays)
{
    if (run(QStringLiteral("ffprobe"), {QStringLiteral("-version")}).isEmpty())
        GTEST_SKIP() << "ffprobe is not installed";
    ProgramDriver program;
    const QString templates = program.homeFolder() + QStringLiteral("/Templates");
    SmallTemplatesDisk disk(templates, 110);
    if (!disk.mounted())
        GTEST_SKIP() << "a small file system needs the right to mount one";
    // Enough room to begin, and a little more than the recording may take before it has to stop.
    ASSERT_TRUE(disk.leave(int64_t(100) * 1024 * 1024 + 600 * 1024));
    QTemporaryDir saved;
    const QString target = saved.filePath(QStringLiteral("cut.avi"));
    ChangingPatch patch;
    patch.show();

    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    ASSERT_EQ(program.pressPanelButton(kCmdRecorder), 0);
    const unsigned long control = program.waitForWindow(kRecordingCaption);
    ASSERT_NE(control, 0u) << "no record control window recording";
    const QSet<unsigned long> before = viewableWindows();

    const unsigned long message = waitForNewWindow(before, control, 90000);
    ASSERT_NE(message, 0u) << "the recording went on with the disk full";
    EXPECT_EQ(program.waitForWindow(QStringLiteral("CTimerDlg"), 100), 0u) << "the elapsed time still floats";
    desktop::activate(message);
    qmtest::waitFor([] { return false; }, 300);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});

    QSet<unsigned long> withMessage = before;
    withMessage.insert(message);
    const unsigned long dialog = waitForNewWindow(withMessage, control, 20000);
    ASSERT_NE(dialog, 0u) << "the cut-off recording was not offered for saving";
    typeNameInto(dialog, target);
    ASSERT_TRUE(qmtest::waitFor([&] { return QFileInfo::exists(target); }, 20000)) << "nothing saved";
    EXPECT_NE(program.waitForWindow(QStringLiteral("停止")), 0u) << "the window does not show the stop";

    const auto streams = probe(target);
    EXPECT_EQ(streams[QStringLiteral("video")][QStringLiteral("width")], QLatin1String("1920"));
    EXPECT_EQ(streams[QStringLiteral("audio")][QStringLiteral("sample_rate")], QLatin1String("22050"));
    EXPECT_GE(streams[QStringLiteral("format")][QStringLiteral("duration")].toDouble(), 1.0);
    EXPECT_GE(differentPictures(target), 3);
    EXPECT_GE(QStorageInfo(templates).bytesAvailable(), int64_t(100) * 1024 * 1024)
        << "the recording was moved off the full disk";
}

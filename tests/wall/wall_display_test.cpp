#include "wall/cmfc_lumo_dlg.h"
#include "wall/slide_canvas.h"
#include "wall/video_bar.h"
#include "wall/wall_exports.h"
#include "wall/wall_menus.h"

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/notice.h"
#include "platform/profile.h"
#include "player/player_exports.h"
#include "support_main/test_util.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

#include <set>

using namespace Qt::StringLiterals;

namespace {

void pause(int ms)
{
    qmtest::waitFor([] { return false; }, ms);
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)),
        type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

lumo::show::CmfcLumoDlg* theWall()
{
    return qobject_cast<lumo::show::CmfcLumoDlg*>(platform::FindWindow(QString(), u"QMShow"_s).widget.data());
}

QImage screen()
{
    return qmtest::logicalScreen();
}

// How many of the colours appear in the picture, each in at least minPixels pixels (within 24 a channel).
int coloursShown(const QImage& image, const QList<QColor>& colours, int minPixels = 400)
{
    int shown = 0;
    for (const QColor& c : colours) {
        int count = 0;
        for (int y = 0; y < image.height() && count < minPixels; y += 2) {
            const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); x += 2)
                if (std::abs(qRed(row[x]) - c.red()) < 24 && std::abs(qGreen(row[x]) - c.green()) < 24
                    && std::abs(qBlue(row[x]) - c.blue()) < 24)
                    ++count;
        }
        if (count >= minPixels)
            ++shown;
    }
    return shown;
}

class WallWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("QM_WALL_LOAD_PAUSE_MS", "300");
        cwd_ = std::make_unique<qmtest::ScopedCurrentDir>(QStringLiteral(QM_BIN_DIR));
        ShowMainFrame();
        wall_ = theWall();
        ASSERT_NE(wall_, nullptr) << "no wall window: no 3D device";
    }
    void TearDown() override
    {
        if (wall_)
            wall_->Exit();
    }

    bool waitLoaded(const QString& folder, int tiles)
    {
        return qmtest::waitFor(
            [&] {
                const auto view = wall_->Engine().View();
                return view.loaded && wall_->Engine().DataFolder() == folder && view.tiles == tiles
                    && view.frames > 5;
            },
            60000);
    }

    std::unique_ptr<qmtest::ScopedCurrentDir> cwd_;
    lumo::show::CmfcLumoDlg* wall_ = nullptr;
};

TEST_F(WallWindow, AFolderSentByAnotherProgramBecomesAWallAndTheCameraGlidesAlongIt)
{
    QTemporaryDir dir;
    QList<QColor> colours;
    for (int i = 0; i < 12; ++i) {
        const QColor c = QColor::fromHsv(i * 30, 200, 230);
        colours << c;
        QImage picture(800, 600, QImage::Format_RGB32);
        picture.fill(c);
        ASSERT_TRUE(picture.save(dir.filePath(u"pic_%1.png"_s.arg(i, 2, 10, QLatin1Char('0')))));
    }
    qmtest::writeFile(dir.filePath(u"broken.jpg"_s), "no picture at all");

    QProcess qmsend;
    qmsend.start(QStringLiteral(QM_BIN_DIR "/qmsend"),
        {u"--title"_s, u"QMShow"_s, u"--copydata"_s, dir.path(), u"0"_s});
    ASSERT_TRUE(qmtest::waitFor([&] { return qmsend.state() == QProcess::NotRunning; }, 15000));
    ASSERT_EQ(qmsend.exitCode(), 0) << qmsend.readAllStandardError().toStdString();
    ASSERT_TRUE(waitLoaded(dir.path(), 12))
        << "the wall did not load the folder: " << wall_->Engine().DataFolder().toStdString() << ", "
        << wall_->Engine().View().tiles << " tiles";

    // The whole wall is in view at the start: every picture shows; the broken one takes no place.
    pause(1500);
    const QImage start = screen();
    start.save(u"/tmp/wall_start.png"_s);
    EXPECT_GE(coloursShown(start, colours), 10);

    // A drag to the left glides the camera to the right: the frames change while it moves.
    const float before = wall_->Engine().View().cameraX;
    wall_->Pointer({lumo::wall::PointerEvent::RightDown, 960, 540, 0});
    wall_->Pointer({lumo::wall::PointerEvent::LeftDown, 1200, 900, 0});
    for (int x = 1200; x >= 1000; x -= 10) {
        wall_->Pointer({lumo::wall::PointerEvent::Move, x, 900, 0});
        pause(15);
    }
    const quint64 framesBefore = wall_->Engine().View().frames;
    pause(300);
    const QImage moving = screen();
    wall_->Pointer({lumo::wall::PointerEvent::LeftUp, 1000, 900, 0});
    EXPECT_GT(wall_->Engine().View().frames, framesBefore);
    EXPECT_GT(wall_->Engine().View().cameraX, before);
    pause(300);
    const QImage later = screen();
    later.save(u"/tmp/wall_moving.png"_s);
    EXPECT_NE(moving, later);
}

TEST_F(WallWindow, AClickZoomsIntoAPictureAndThePenWritesOnIt)
{
    QTemporaryDir dir;
    for (int i = 0; i < 3; ++i) {
        QImage picture(1280, 960, QImage::Format_RGB32);
        picture.fill(QColor(40 + 80 * i, 200, 120));
        ASSERT_TRUE(picture.save(dir.filePath(u"Deck_%1.png"_s.arg(i + 1, 3, 10, QLatin1Char('0')))));
    }
    wall_->OnCopyData(u"PPTMODE"_s);
    wall_->OnCopyData(dir.path());
    ASSERT_TRUE(waitLoaded(dir.path(), 3));
    // The camera glides back from the loading; a slow screen takes longer. It stands once two looks 300 ms
    // apart find it in one place.
    float lastZ = 1.0f;
    qmtest::waitFor(
        [&] {
            pause(300);
            const float z = wall_->Engine().View().cameraZ;
            return std::exchange(lastZ, z) == z;
        },
        20000);

    // The middle tile of the top row is at the screen's centre column once the camera stands still.
    const QPoint tile = QPoint(960, 540);
    wall_->Pointer({lumo::wall::PointerEvent::LeftDown, tile.x(), tile.y() - 200, 0});
    wall_->Pointer({lumo::wall::PointerEvent::LeftUp, tile.x(), tile.y() - 200, 0});
    ASSERT_TRUE(qmtest::waitFor([&] { return wall_->Engine().View().standing; }, 20000)) << "no zoom";
    const auto view = wall_->Engine().View();
    EXPECT_FALSE(view.selected.isEmpty());
    EXPECT_GT(view.selectedRect.width(), 600);
    screen().save(u"/tmp/wall_zoomed.png"_s);

    wall_->OnCommand(lumo::show::kCmdPen);
    ASSERT_TRUE(qmtest::waitFor([&] { return wall_->Canvas()->isVisible(); }, 5000));
    lumo::show::SlideCanvas* canvas = wall_->Canvas();
    const QPoint a = canvas->rect().center() - QPoint(100, 0), b = canvas->rect().center() + QPoint(100, 0);
    mouse(canvas, QEvent::MouseButtonPress, a, Qt::LeftButton);
    for (int x = a.x(); x <= b.x(); x += 10)
        mouse(canvas, QEvent::MouseMove, QPoint(x, a.y()), Qt::LeftButton);
    mouse(canvas, QEvent::MouseButtonRelease, b, Qt::NoButton);
    pause(300);
    const QImage ink = screen();
    ink.save(u"/tmp/wall_ink.png"_s);
    const QPoint onScreen = canvas->mapToGlobal(canvas->rect().center());
    bool blue = false;
    for (int dy = -3; dy <= 3; ++dy)
        blue = blue || QColor(ink.pixel(onScreen + QPoint(0, dy))) == QColor(0, 0, 255);
    EXPECT_TRUE(blue) << "no blue ink at the drag";

    // The eraser brings the slide back under the ink.
    wall_->OnPenMenu(7);
    mouse(canvas, QEvent::MouseButtonPress, canvas->rect().center(), Qt::LeftButton);
    mouse(canvas, QEvent::MouseButtonRelease, canvas->rect().center(), Qt::NoButton);
    EXPECT_NE(QColor(canvas->Shown().pixel(canvas->rect().center())), QColor(0, 0, 255));

    // Next goes to the following slide; exit hides the wall.
    const QString first = wall_->Engine().View().selected;
    wall_->OnPenMenu(2004);
    ASSERT_TRUE(qmtest::waitFor([&] { return wall_->Engine().View().selected != first; }, 5000));
    wall_->OnPenMenu(2015);
    EXPECT_FALSE(wall_->isVisible());
    // Hidden, the wall draws nothing.
    pause(200);
    const quint64 frames = wall_->Engine().View().frames;
    pause(500);
    EXPECT_EQ(wall_->Engine().View().frames, frames);
}

TEST_F(WallWindow, InMediaModeAZoomedPictureWithAVideoBesideItPlaysIt)
{
    QTemporaryDir dir;
    const QString video = dir.filePath(u"clip.mp4"_s);
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s,
        {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=size=320x240:rate=25"_s, u"-t"_s,
            u"4"_s, u"-pix_fmt"_s, u"yuv420p"_s, video});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000) && QFileInfo::exists(video)) << "ffmpeg made no video";
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(QColor(200, 60, 60));
    ASSERT_TRUE(picture.save(dir.filePath(u"clip.mp4.png"_s)));

    wall_->OnCopyData(u"MEDIAMODE"_s);
    wall_->OnCopyData(dir.path());
    ASSERT_TRUE(waitLoaded(dir.path(), 1));
    pause(1500);
    // A single picture stands in the top row, above the middle of the screen.
    wall_->Pointer({lumo::wall::PointerEvent::LeftDown, 960, 380, 0});
    wall_->Pointer({lumo::wall::PointerEvent::LeftUp, 960, 380, 0});
    ASSERT_TRUE(qmtest::waitFor([&] { return !wall_->PlayingVideo().isEmpty(); }, 20000)) << "no video";
    EXPECT_EQ(wall_->PlayingVideo(), video);
    EXPECT_TRUE(wall_->VideoWindow()->isVisible());
    EXPECT_TRUE(wall_->Controls()->isVisible());
    EXPECT_EQ(wall_->Controls()->Position()->maximum(), vpGetTotalTime());
    EXPECT_TRUE(qmtest::waitFor([] { return vpGetCurrentPosition() >= 1; }, 10000))
        << "the video does not run";
    screen().save(u"/tmp/wall_video.png"_s);

    // Pause and play again from the button; leaving the wall ends the video.
    wall_->Controls()->Toggle();
    EXPECT_FALSE(wall_->Controls()->Playing());
    wall_->Controls()->Toggle();
    EXPECT_TRUE(wall_->Controls()->Playing());
    wall_->Exit();
    EXPECT_TRUE(wall_->PlayingVideo().isEmpty());
    EXPECT_FALSE(wall_->VideoWindow()->isVisible());
    wall_->OnCopyData(u"PPTMODE"_s);
}

TEST_F(WallWindow, RetargetingTheWallMarksTheSlidesShownBeforeAsSeen)
{
    QTemporaryDir first, second;
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    ASSERT_TRUE(picture.save(first.filePath(u"Deck_001.PNG"_s)));
    ASSERT_TRUE(picture.save(second.filePath(u"Other_001.PNG"_s)));
    SetShowPath(first.path().toUtf8().constData());
    ASSERT_TRUE(waitLoaded(first.path(), 1));
    EXPECT_FALSE(QFileInfo::exists(first.filePath(u"flag.dat"_s)));
    wall_->OnCopyData(second.path());
    EXPECT_TRUE(QFileInfo::exists(first.filePath(u"flag.dat"_s)));
    ASSERT_TRUE(waitLoaded(second.path(), 1));
    // Only the first hand-over is marked.
    wall_->OnCopyData(first.path());
    EXPECT_FALSE(QFileInfo::exists(second.filePath(u"flag.dat"_s)));
}

// Any program may send the wall its folders: showing a second one leaves the first as it was, empty or not.
TEST_F(WallWindow, FoldersSentByAnotherProgramAreNeverRemoved)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(u"first, empty"_s);
    const QString second = dir.filePath(u"second"_s);
    ASSERT_TRUE(QDir().mkpath(first));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkYellow);
    ASSERT_TRUE(QDir().mkpath(second));
    ASSERT_TRUE(picture.save(second + u"/one.png"_s));
    auto send = [](const QString& folder) {
        QProcess qmsend;
        qmsend.start(QStringLiteral(QM_BIN_DIR "/qmsend"),
            {u"--title"_s, u"QMShow"_s, u"--copydata"_s, folder, u"0"_s});
        // The wall lives in this process: its events go on while qmsend waits for the text to be taken.
        return qmtest::waitFor([&] { return qmsend.state() == QProcess::NotRunning; }, 15000)
            && qmsend.exitCode() == 0;
    };
    ASSERT_TRUE(send(first));
    ASSERT_TRUE(waitLoaded(first, 0));
    ASSERT_TRUE(send(second));
    ASSERT_TRUE(waitLoaded(second, 1));
    EXPECT_TRUE(QFileInfo(first).isDir());
}

TEST_F(WallWindow, ThePenAndTheEraserKeepTheirSizesWithinTheirRanges)
{
    lumo::show::SlideCanvas* canvas = wall_->Canvas();
    canvas->SetEraser(false);
    for (int i = 0; i < 20; ++i)
        canvas->Larger();
    EXPECT_EQ(canvas->PenWidth(), 10);
    for (int i = 0; i < 20; ++i)
        canvas->Smaller();
    EXPECT_EQ(canvas->PenWidth(), 1);
    canvas->SetEraser(true);
    canvas->Larger();
    EXPECT_EQ(canvas->EraserHalfSize(), 16);
    for (int i = 0; i < 20; ++i)
        canvas->Larger();
    EXPECT_EQ(canvas->EraserHalfSize(), 48);
    for (int i = 0; i < 20; ++i)
        canvas->Smaller();
    EXPECT_EQ(canvas->EraserHalfSize(), 8);
    EXPECT_EQ(lumo::show::VideoBar::PositionWidth(800), 450);
    EXPECT_EQ(lumo::show::VideoBar::PositionWidth(1439), 650);
    EXPECT_EQ(lumo::show::VideoBar::PositionWidth(1920), 800);
}

TEST_F(WallWindow, AFolderButtonWithoutItsFolderAsksForOneAndGoesThereTheNextTime)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath(u"FloderInfo.ini"_s),
        "\xEF\xBB\xBF[FloderInfo]\r\n软件园简介=\r\n入驻企业概况=\r\n公司Logo=\r\n");
    const QString pictures = dir.filePath(u"companies"_s);
    QDir().mkpath(pictures);
    for (int i = 0; i < 3; ++i) {
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 100, 200, 230));
        ASSERT_TRUE(picture.save(pictures + u"/%1.png"_s.arg(i)));
    }
    QStringList asked;
    QString answer;
    lumo::show::CmfcLumoDlg::SetFolderChooser([&](const QString& title, const QString&) {
        asked << title;
        return answer;
    });
    const auto* button = qobject_cast<QAbstractButton*>(wall_->FolderMenu()->Button(2007));
    ASSERT_NE(button, nullptr);
    const qmtest::ScopedCurrentDir cwd(dir.path());

    // Nothing chosen: one line says for which button no folder was chosen.
    wall_->OnWallMenu(2007);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(button->text())) << asked[0].toStdString();
    EXPECT_TRUE(platform::CurrentNotice().contains(button->text()))
        << platform::CurrentNotice().toStdString();

    answer = pictures;
    wall_->OnWallMenu(2007);
    EXPECT_TRUE(waitLoaded(pictures, 3)) << wall_->Engine().DataFolder().toStdString();
    EXPECT_EQ(platform::GetPrivateProfileString(
                  u"FloderInfo"_s, u"入驻企业概况"_s, QString(), 260, dir.filePath(u"FloderInfo.ini"_s)),
        pictures);

    wall_->LoadFolder(QStringLiteral(QM_BIN_DIR "/1P—软件园简介"));
    ASSERT_TRUE(waitLoaded(QStringLiteral(QM_BIN_DIR "/1P—软件园简介"), 4));
    wall_->OnWallMenu(2007);
    EXPECT_TRUE(waitLoaded(pictures, 3));
    EXPECT_EQ(asked.size(), 2) << "the kept folder is not asked for again";
    lumo::show::CmfcLumoDlg::SetFolderChooser({});
}

TEST(WallWithout3D, TheTeacherIsToldAndGetsThePanelBack)
{
    qputenv("QM_WALL_DRIVER", "none");
    qmtest::ScopedCurrentDir cwd(QStringLiteral(QM_BIN_DIR));
    QWidget tab;
    tab.setWindowTitle(u"HideDlg"_s);
    platform::MessageTable table(&tab, u"HideDlgClass"_s);
    int restored = 0;
    table.on(lumo::show::kMsgRestorePanel, [&](WPARAM, LPARAM) {
        ++restored;
        return LRESULT(0);
    });
    QStringList boxes;
    platform::setMessageBoxHook([&](const platform::MessageBoxRequest& box) {
        boxes << box.text;
        return platform::IDOK;
    });
    ShowMainFrame();
    platform::setMessageBoxHook({});
    qunsetenv("QM_WALL_DRIVER");
    EXPECT_EQ(boxes, QStringList {u"未检测到3D支持,请检查显卡驱动等信息!"_s});
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(theWall(), nullptr);
}

} // namespace

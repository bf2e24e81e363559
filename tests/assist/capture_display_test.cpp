#include "assist/assist_exports.h"
#include "assist/cap_bitmap_dlg.h"
#include "platform/message_box.h"
#include "support_main/test_util.h"
#include "picture_on_screen.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A picture in which every pixel differs from its neighbours, so that a region cut one pixel off shows.
QImage knownPicture(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(40 + x % 200, 40 + y % 200, 40 + (x / 200 + 4 * (y / 200)) * 8));
    return image;
}

using qmtest::PictureWidget;
using qmtest::screenShot;

// Kept for a look by eye when QM_SHOT_DIR names a folder.
void saveShot(const QImage& shot, const char* name)
{
    const QByteArray folder = qgetenv("QM_SHOT_DIR");
    if (!folder.isEmpty())
        shot.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

void settle(int ms = 300)
{
    qmtest::waitFor([] { return false; }, ms);
}

void sendMouse(QWidget* w, QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons = Qt::LeftButton)
{
    QMouseEvent event(
        type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void drag(QWidget* w, const QPoint& from, const QPoint& to)
{
    sendMouse(w, QEvent::MouseButtonPress, from);
    sendMouse(w, QEvent::MouseMove, (from + to) / 2);
    sendMouse(w, QEvent::MouseMove, to);
    sendMouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void sendKey(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

QFileDialog* openFileDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

// Runs BeginCapSelect; steps runs inside its window once the window is shown. The window must be closed by
// the steps, or the test fails (after closing it) rather than hanging.
void withCaptureWindow(const std::function<void(DIALOG::CCapBitmapDlg*)>& steps)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = static_cast<DIALOG::CCapBitmapDlg*>(qmhelp::captureWindow());
        ASSERT_NE(dlg, nullptr);
        ASSERT_TRUE(qmtest::waitFor([&] { return dlg->windowHandle() && dlg->windowHandle()->isExposed(); }));
        settle();
        ran = true;
        steps(dlg);
        if (QWidget* w = qmhelp::captureWindow(); w && w->isVisible()) {
            ADD_FAILURE() << "the capture window is still open";
            static_cast<QDialog*>(w)->reject();
        }
    });
    BeginCapSelect();
    EXPECT_TRUE(ran);
    EXPECT_EQ(qmhelp::captureWindow(), nullptr);
}

// Answers the save dialogs that open, one path each in turn (an empty path cancels); each answer waits until
// the dialog answered before has finished.
void answerSaveDialogs(const QStringList& paths, QString* title = nullptr)
{
    auto* answer = new QTimer(qApp);
    answer->setInterval(50);
    auto next = std::make_shared<int>(0);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(answer, &QTimer::timeout, [answer, paths, title, next, answered] {
        QFileDialog* dialog = openFileDialog();
        if (*answered || !dialog)
            return;
        // The same dialog may be shown again for the next answer.
        QObject::connect(
            dialog, &QDialog::finished, dialog, [answered] { *answered = false; }, Qt::SingleShotConnection);
        if (title)
            *title = dialog->windowTitle();
        const QString path = paths.value(*next);
        *answered = true;
        if (++*next >= paths.size()) {
            answer->stop();
            answer->deleteLater();
        }
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    answer->start();
}

class CaptureDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        known_ = knownPicture(QSize(1920, 1079));
        behind_ = std::make_unique<PictureWidget>(known_);
        behind_->setGeometry(0, 0, 1920, 1079);
        behind_->show();
        ASSERT_TRUE(qmtest::waitFor([&] { return behind_->windowHandle()->isExposed(); }));
        SetScreenRect(0, 0, 1920, 1080);
        settle(400);
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override
    {
        platform::setMessageBoxHook({});
        SetScreenRect(0, 0, 0, 0);
    }

    QImage known_;
    std::unique_ptr<PictureWidget> behind_;
    QTemporaryDir dir_;
};

} // namespace

TEST_F(CaptureDesktop, ASavedSelectionIsExactlyTheRegionOfTheKnownPictureBehindIt)
{
    const QRect region(300, 200, 401, 257);
    const QString path = dir_.filePath(QStringLiteral("region.png"));
    QImage shown;
    QString title;
    withCaptureWindow([&](DIALOG::CCapBitmapDlg* dlg) {
        drag(dlg, region.topLeft(), region.topLeft() + QPoint(region.width(), region.height()));
        ASSERT_EQ(dlg->selection(), region);
        settle();
        shown = screenShot();
        saveShot(shown, "capture_selection.png");
        answerSaveDialogs({path}, &title);
        sendMouse(dlg, QEvent::MouseButtonPress, dlg->barPictureRect(DIALOG::CCapBitmapDlg::kSave).center());
    });
    // On the screen: the selection as it is, the rest darkened by 30.
    EXPECT_EQ(shown.pixel(region.topLeft()), known_.pixel(region.topLeft()));
    EXPECT_EQ(shown.pixel(region.bottomRight()), known_.pixel(region.bottomRight()));
    const QRgb outside = known_.pixel(100, 100);
    EXPECT_EQ(shown.pixel(100, 100), qRgb(qRed(outside) - 30, qGreen(outside) - 30, qBlue(outside) - 30));
    EXPECT_EQ(title, QStringLiteral("请输入要保存的文件名"));

    // In the file: that region exactly, in the format its name says.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(8).startsWith("\x89PNG"));
    const QImage saved = QImage(path).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(saved, known_.copy(region));
    EXPECT_EQ(qmhelp::lastCapture().convertToFormat(QImage::Format_RGB32), known_.copy(region));
}

TEST_F(CaptureDesktop, ABmpNameGetsTheDisplaysBitmapAndAFailedSaveKeepsTheWindowOpen)
{
    const QRect region(1000, 600, 120, 80);
    std::vector<platform::MessageBoxRequest> boxes;
    platform::setMessageBoxHook([&](const platform::MessageBoxRequest& box) {
        boxes.push_back(box);
        return platform::IDOK;
    });
    const QString bmp = dir_.filePath(QStringLiteral("region.bmp"));
    withCaptureWindow([&](DIALOG::CCapBitmapDlg* dlg) {
        drag(dlg, region.topLeft(), region.topLeft() + QPoint(region.width(), region.height()));
        // A folder where no file can be made: the teacher is told, and the window waits for another choice.
        answerSaveDialogs({QStringLiteral("/sys/region.bmp"), bmp});
        sendKey(dlg, Qt::Key_Return);
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("信息提示"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/sys/region.bmp")));
    QFile file(bmp);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_TRUE(bytes.startsWith("BM"));
    // The display's depth (24 bits on this desktop), bottom-up rows padded to four bytes.
    EXPECT_EQ(quint8(bytes[28]), 24);
    EXPECT_EQ(bytes.size(), 54 + 80 * 120 * 3);
    EXPECT_EQ(QImage(bmp).convertToFormat(QImage::Format_RGB32), known_.copy(region));
}

TEST_F(CaptureDesktop, SmallBandsAreReplacedAndADoubleClickInsideOneDoesNotSave)
{
    const QString path = dir_.filePath(QStringLiteral("never.bmp"));
    bool dialogSeen = false;
    withCaptureWindow([&](DIALOG::CCapBitmapDlg* dlg) {
        drag(dlg, {500, 500}, {506, 506});
        EXPECT_TRUE(dlg->selected());
        sendMouse(dlg, QEvent::MouseButtonDblClick, {503, 503});
        dialogSeen = qmtest::waitFor([] { return openFileDialog() != nullptr; }, 500);
        if (QFileDialog* d = openFileDialog())
            d->reject();
        // The next drag makes a new band; over a band of that size a press outside is ignored.
        drag(dlg, {800, 300}, {1000, 420});
        EXPECT_EQ(dlg->selection(), QRect(800, 300, 200, 120));
        drag(dlg, {100, 100}, {150, 150});
        EXPECT_EQ(dlg->selection(), QRect(800, 300, 200, 120));
        // The handle at the bottom-right corner stretches it; the middle moves it.
        drag(dlg, {1010, 430}, {1110, 480});
        EXPECT_EQ(dlg->selection(), QRect(800, 300, 300, 170));
        drag(dlg, {900, 400}, {880, 390});
        EXPECT_EQ(dlg->selection(), QRect(780, 290, 300, 170));
        // Re-select clears it; a double click outside clears it as well.
        sendMouse(
            dlg, QEvent::MouseButtonPress, dlg->barPictureRect(DIALOG::CCapBitmapDlg::kReselect).center());
        EXPECT_FALSE(dlg->selected());
        drag(dlg, {200, 200}, {400, 300});
        sendMouse(dlg, QEvent::MouseButtonDblClick, {600, 700});
        EXPECT_FALSE(dlg->selected());
        sendKey(dlg, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialogSeen);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(CaptureDesktop, EnterWithoutASelectionSaysSoAndSavesNothing)
{
    std::vector<platform::MessageBoxRequest> boxes;
    platform::setMessageBoxHook([&](const platform::MessageBoxRequest& box) {
        boxes.push_back(box);
        return platform::IDOK;
    });
    withCaptureWindow([&](DIALOG::CCapBitmapDlg* dlg) {
        sendKey(dlg, Qt::Key_Return);
        EXPECT_EQ(openFileDialog(), nullptr);
        // The cancel picture closes the window.
        drag(dlg, {200, 200}, {400, 300});
        sendMouse(
            dlg, QEvent::MouseButtonPress, dlg->barPictureRect(DIALOG::CCapBitmapDlg::kCancel).center());
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("只有选定2个点之后才能保存图像"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("信息提示"));
    EXPECT_EQ(boxes[0].type & 0xF0, platform::MB_ICONWARNING);
    // The last capture is still the whole screen rectangle of the opening.
    EXPECT_EQ(qmhelp::lastCapture().size(), QSize(1920, 1080));
}

TEST_F(CaptureDesktop, CopyAndClosePutsTheRegionOnTheClipboardForOtherPrograms)
{
    const QRect region(640, 320, 97, 61);
    withCaptureWindow([&](DIALOG::CCapBitmapDlg* dlg) {
        drag(dlg, region.topLeft(), region.topLeft() + QPoint(region.width(), region.height()));
        sendMouse(dlg, QEvent::MouseButtonPress,
            dlg->barPictureRect(DIALOG::CCapBitmapDlg::kCopyAndClose).center());
    });
    // Another program reads it while this one serves the clipboard.
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"),
        {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
            QStringLiteral("image/png"), QStringLiteral("-o")});
    ASSERT_TRUE(qmtest::waitFor([&] { return xclip.state() == QProcess::NotRunning; }, 10000));
    ASSERT_EQ(xclip.exitCode(), 0) << xclip.readAllStandardError().toStdString();
    const QImage pasted = QImage::fromData(xclip.readAllStandardOutput(), "PNG");
    EXPECT_EQ(pasted.convertToFormat(QImage::Format_RGB32), known_.copy(region));
}

TEST_F(CaptureDesktop, WithoutAScreenRectangleNothingIsGrabbedAndNoWindowWaits)
{
    SetScreenRect(0, 0, 0, 0);
    BeginCapSelect();
    EXPECT_EQ(qmhelp::captureWindow(), nullptr);
    EXPECT_TRUE(qmhelp::lastCapture().isNull());
}

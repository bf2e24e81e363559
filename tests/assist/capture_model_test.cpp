#include "assist/assist_exports.h"
#include "assist/capture_model.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace DIALOG::capture;

namespace {

QImage pattern()
{
    QImage image(37, 21, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, x < 18 ? qRgb(200, 30, 40) : qRgb(20, 90, 220));
    return image;
}

QByteArray head(const QString& path, int n)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(n) : QByteArray();
}

} // namespace

TEST(CaptureSelection, SmallBandsAreReplacedAndDoNotSaveOnDoubleClick)
{
    EXPECT_TRUE(isSmallBand(QRect(100, 100, 9, 9)));
    EXPECT_TRUE(isSmallBand(QRect(QPoint(100, 100), QPoint(92, 92))));
    EXPECT_FALSE(isSmallBand(QRect(100, 100, 10, 3)));
    EXPECT_FALSE(doubleClickSaves(QRect(100, 100, 9, 9), {104, 104}));
    EXPECT_FALSE(doubleClickSaves(QRect(100, 100, 10, 10), {105, 105}));
    EXPECT_TRUE(doubleClickSaves(QRect(100, 100, 11, 4), {105, 101}));
    EXPECT_FALSE(doubleClickSaves(QRect(100, 100, 200, 200), {50, 50}));
}

TEST(CaptureTracker, HandlesStandOutsideTheSelectionAndSidesOnlyWithRoom)
{
    CMyTracker tracker;
    tracker.rect = QRect(400, 300, 200, 80);
    EXPECT_EQ(tracker.handleRect(kHitTopLeft), QRect(368, 268, 32, 32));
    EXPECT_EQ(tracker.handleRect(kHitBottomRight), QRect(600, 380, 32, 32));
    EXPECT_EQ(tracker.hitTest({399, 299}), kHitTopLeft);
    EXPECT_EQ(tracker.hitTest({620, 390}), kHitBottomRight);
    EXPECT_EQ(tracker.hitTest({500, 290}), kHitTop);
    // 80 pixels high leaves no room for the left and right handles: that is outside.
    EXPECT_EQ(tracker.hitTest({390, 340}), kHitNothing);
    EXPECT_EQ(tracker.hitTest({400, 340}), kHitMiddle);
    EXPECT_EQ(tracker.hitTest({650, 340}), kHitNothing);
    tracker.rect = QRect();
    EXPECT_EQ(tracker.hitTest({0, 0}), kHitNothing);
}

TEST(CaptureTracker, DragsMoveEdgesOrTheWholeSelectionWithinTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QRect start(400, 300, 200, 100);
    EXPECT_EQ(CMyTracker::tracked(start, kHitBottomRight, {50, 20}, screen), QRect(400, 300, 250, 120));
    EXPECT_EQ(CMyTracker::tracked(start, kHitTop, {30, -40}, screen), QRect(400, 260, 200, 140));
    // An edge pulled across its opposite turns the selection over.
    EXPECT_EQ(CMyTracker::tracked(start, kHitLeft, {300, 0}, screen), QRect(600, 300, 100, 100));
    // A move stops at the screen's edge without changing the size.
    EXPECT_EQ(CMyTracker::tracked(start, kHitMiddle, {-1000, 2000}, screen), QRect(0, 980, 200, 100));
    EXPECT_EQ(CMyTracker::tracked(start, kHitTopLeft, {-1000, -1000}, screen), QRect(0, 0, 600, 400));
    EXPECT_EQ(rubberBand({300, 200}, {100, 150}), QRect(100, 150, 200, 50));
}

TEST(CaptureButtonBar, StandsBelowTheSelectionFromRightToLeftOrInTheCorner)
{
    const std::array<QSize, 4> pictures {QSize(32, 32), QSize(32, 32), QSize(32, 32), QSize(32, 32)};
    const QSize screen(1920, 1080);
    const auto bar = captureButtonBar(QRect(400, 300, 500, 200), pictures, screen);
    EXPECT_EQ(bar[0], QRect(900 - 2 - 32, 502, 32, 32));
    EXPECT_EQ(bar[1].right() + 1, bar[0].left());
    EXPECT_EQ(bar[3].left(), 900 - 2 - 128);
    const auto low = captureButtonBar(QRect(400, 900, 500, 160), pictures, screen);
    EXPECT_EQ(low[0], QRect(1920 - 2 - 32, 1080 - 2 - 32, 32, 32));
    const auto right = captureButtonBar(QRect(1800, 100, 200, 100), pictures, screen);
    EXPECT_EQ(right[0].right(), 1920 - 3);
}

TEST(CaptureSaving, EachNameGetsTheFormatItsExtensionSays)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage picture = pattern();
    const struct {
        const char* name;
        QByteArray magic;
        QByteArray format;
    } cases[] = {
        {"a.png", QByteArray("\x89PNG", 4), "png"},
        {"b.PNG", QByteArray("\x89PNG", 4), "png"},
        {"c.jpg", QByteArray("\xFF\xD8\xFF", 3), "jpeg"},
        {"d.jpeg", QByteArray("\xFF\xD8\xFF", 3), "jpeg"},
        {"e.bmp", QByteArray("BM"), "bmp"},
        {"f", QByteArray("BM"), "bmp"},
        {"g.txt", QByteArray("BM"), "bmp"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(saveCapture(picture, path)) << c.name;
        EXPECT_EQ(head(path, c.magic.size()), c.magic) << c.name;
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), c.format) << c.name;
        const QImage back = reader.read();
        ASSERT_EQ(back.size(), picture.size()) << c.name;
        if (c.format != "jpeg") {
            EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture) << c.name;
        }
    }
}

TEST(CaptureSaving, ABitmapTakesTheDepthAskedForAndAFailureLeavesNoFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("deep.bmp"));
    ASSERT_TRUE(saveCapture(pattern(), path, 32));
    const QByteArray bytes = head(path, 54);
    EXPECT_EQ(quint8(bytes[28]), 32);
    // A display deeper than the writer knows: nothing is written, and an older file stays as it was.
    EXPECT_FALSE(saveCapture(pattern(), path, 0));
    EXPECT_EQ(head(path, 54), bytes);
    EXPECT_FALSE(saveCapture(pattern(), dir.filePath(QStringLiteral("no/such/folder.bmp"))));
}

TEST(CaptureSaving, AGifNameNeverGetsAnotherFormat)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.gif"));
    if (saveCapture(pattern(), path)) {
        EXPECT_EQ(head(path, 3), QByteArray("GIF"));
    } else {
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_FALSE(captureSaveFilter().contains(QLatin1String("gif")));
    }
    EXPECT_FALSE(saveCapture(QImage(), dir.filePath(QStringLiteral("empty.png"))));
}

TEST(CaptureExports, CapFullScreenChangesNothing)
{
    const int windows = int(QApplication::topLevelWidgets().size());
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const qmhelp::ScreenRect rect = qmhelp::screenRect();
    CapFullScreen();
    EXPECT_EQ(int(QApplication::topLevelWidgets().size()), windows);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(qmhelp::screenRect().right, rect.right);
}

TEST(CapturePrinting, StripsArePagesWideAndTheLastTakesWhatRemains)
{
    // 1 000 pixels on a page of 2 000 at the same resolution: one page.
    EXPECT_EQ(printPageCount(1000, 2000, 1.0), 1);
    EXPECT_EQ(printPageCount(2000, 2000, 1.0), 1);
    EXPECT_EQ(printPageCount(2001, 2000, 1.0), 2);
    // A 1920-pixel screen on an A4 page at 300 dpi (2 480 pixels, 3.125 per screen pixel) needs three.
    EXPECT_EQ(printPageCount(1920, 2480, 300.0 / 96), 3);
    EXPECT_EQ(printPageCount(0, 2480, 1.0), 0);

    const QSize bitmap(1000, 300);
    const PrintStrip first = printStrip(0, bitmap, 800, 2.0, 2.0);
    EXPECT_EQ(first.source, QRect(0, 0, 400, 300));
    EXPECT_EQ(first.target, QRect(0, 0, 800, 600));
    const PrintStrip last = printStrip(2, bitmap, 800, 2.0, 2.0);
    EXPECT_EQ(last.source, QRect(800, 0, 200, 300));
    EXPECT_EQ(last.target, QRect(0, 0, 400, 600));
    EXPECT_EQ(printPageLabel(2, 3), QStringLiteral("Page:2   of   3"));
}

// The material preview: which files it lists, which of them it shows, and what a click takes.
#include "surface/image_review_dlg.h"
#include "surface/image_review_model.h"

#include "support_main/test_util.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

// count pictures named p00.png, p01.png, … of 80 × 60, and a few files that are no pictures.
QString folderOf(QTemporaryDir& dir, int count)
{
    QImage picture(80, 60, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        picture.fill(QColor::fromHsv(i * 12 % 360, 200, 220));
        picture.save(dir.filePath(QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0'))));
    }
    qmtest::writeFile(dir.filePath(QStringLiteral("notes.txt")), "not a picture");
    qmtest::writeFile(dir.filePath(QStringLiteral("film.mp4")), "not a picture either");
    return dir.path();
}

} // namespace

TEST(MaterialList, PicturesOfTheFolderInOrderAndNothingElse)
{
    QTemporaryDir dir;
    folderOf(dir, 3);
    QImage(8, 8, QImage::Format_RGB32).save(dir.filePath(QStringLiteral("UPPER.JPG")), "JPG");
    ImageReviewModel model;
    model.FillPictures(dir.path());
    ASSERT_EQ(model.count(), 4);
    EXPECT_TRUE(model.files()[0].endsWith(QLatin1String("/UPPER.JPG")));
    EXPECT_TRUE(model.files()[1].endsWith(QLatin1String("/p00.png")));
    model.FillVideos(dir.path());
    ASSERT_EQ(model.count(), 1);
    EXPECT_TRUE(model.videoMode());
    EXPECT_TRUE(model.files()[0].endsWith(QLatin1String("/film.mp4")));
}

TEST(MaterialList, ThirtyPicturesShowTwentyEightUntilScrolledByARow)
{
    QTemporaryDir dir;
    ImageReviewModel model;
    model.FillPictures(folderOf(dir, 30));
    EXPECT_EQ(model.firstShown(), 0);
    EXPECT_EQ(model.lastShown(), 27);
    EXPECT_EQ(model.maxFirstRow(), 1);
    EXPECT_TRUE(model.CellRect(28).isEmpty());
    model.ScrollBy(1);
    EXPECT_EQ(model.firstShown(), 2);
    EXPECT_EQ(model.lastShown(), 29);
    EXPECT_EQ(model.CellRect(2), QRect(0, 0, 64, 64));
    EXPECT_EQ(model.CellRect(29), QRect(64, 13 * 64, 64, 64));
    // No further than the last row.
    model.ScrollBy(5);
    EXPECT_EQ(model.firstShown(), 2);
}

TEST(MaterialList, AClickTakesTheItemOfItsCellInTheScrolledGrid)
{
    QTemporaryDir dir;
    ImageReviewModel model;
    model.FillPictures(folderOf(dir, 30));
    model.ScrollTo(1);
    EXPECT_EQ(model.Click(QPoint(70, 5)), 3);
    EXPECT_EQ(model.selected(), 3);
    // Beside the grid, or on the empty cells past the end: nothing, and the selection stays.
    EXPECT_EQ(model.Click(QPoint(130, 5)), -1);
    QTemporaryDir few;
    model.FillPictures(folderOf(few, 3));
    EXPECT_EQ(model.selected(), -1);
    EXPECT_EQ(model.Click(QPoint(70, 70)), -1);
}

TEST(MaterialPreview, ThumbnailsAreMadeAwayFromPaintingAndKept)
{
    QTemporaryDir dir;
    folderOf(dir, 30);
    CImageReviewDlg dlg(nullptr);
    dlg.OpenFolder(dir.path(), false, QRect(0, 0, 1920, 1080));
    EXPECT_EQ(dlg.geometry(), QRect(0, 0, 2 * 64 + 17, 1080 - 48));
    EXPECT_EQ(dlg.scrollBar()->maximum(), 1);
    EXPECT_TRUE(qmtest::waitFor([&] {
        for (int i = 0; i < 28; ++i)
            if (!dlg.thumbnailReady(i))
                return false;
        return true;
    }));
    // The first picture is drawn in the first cell, framed in cyan once selected.
    QString taken;
    dlg.chosen = [&](const QString& file, bool video) {
        taken = file;
        EXPECT_FALSE(video);
    };
    QImage shot = dlg.grab().toImage();
    const QPoint first = CImageReviewDlg::gridOrigin() + QPoint(32, 32);
    EXPECT_EQ(QColor(shot.pixel(first)).hsvHue(), 0);
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(first), QPointF(first), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &click);
    EXPECT_TRUE(taken.endsWith(QLatin1String("/p00.png")));
    shot = dlg.grab().toImage();
    EXPECT_EQ(shot.pixel(CImageReviewDlg::gridOrigin() + QPoint(0, 32)), qRgb(0, 255, 255));
    EXPECT_EQ(shot.pixel(CImageReviewDlg::gridOrigin() + QPoint(32, 1)), qRgb(0, 255, 255));
}

TEST(MaterialPreview, AThumbnailOfSomethingThatIsNoPictureFileIsNothingAndBlocksNothing)
{
    QTemporaryDir dir;
    // A named pipe called like a picture: reading it would wait for a writer for ever.
    const QString pipe = dir.filePath(QStringLiteral("waits.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_TRUE(ReadThumbnail(pipe, QSize(64, 64)).isNull());
    EXPECT_TRUE(
        ReadThumbnail(qmtest::writeFile(dir.filePath(QStringLiteral("text.jpg")), "text"), QSize(64, 64))
            .isNull());
    // A PNG named .jpg is read by its content, at thumbnail size.
    QImage wide(640, 160, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    wide.save(dir.filePath(QStringLiteral("wide.jpg")), "PNG");
    const QImage thumbnail = ReadThumbnail(dir.filePath(QStringLiteral("wide.jpg")), QSize(64, 64));
    EXPECT_EQ(thumbnail.size(), QSize(64, 16));
}

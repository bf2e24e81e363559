// The pictures of a stored page: each file decoded once and shared, no larger than it is drawn, within the
// page's bound on decoded pixels; page files that are not regular files; and imported pictures that a link
// planted in the page folder never diverts.
#include "surface/page_store.h"

#include "platform/shell.h"
#include "support/language.h"
#include "support_main/test_util.h"
#include "surface/page_model.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <memory>

using namespace DIALOG;

namespace {

void savePicture(const QString& path, QSize size, QRgb colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    ASSERT_TRUE(img.save(path, "PNG")) << path.toStdString();
}

CPenNode picture(const QString& path, int boxWidth, int boxHeight)
{
    CPenNode node(0, 3, 0, Picture);
    node.SetPicturePath(path);
    node.boxWidth = boxWidth;
    node.boxHeight = boxHeight;
    node.boxCentreX = 300;
    node.boxCentreY = 300;
    return node;
}

class PagePictures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    void TearDown() override
    {
        surface_.reset();
        owner_.reset();
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    void writePage(const QString& kw, const std::vector<CPenNode>& nodes)
    {
        std::ofstream out(QFile::encodeName(kw).toStdString(), std::ios::binary);
        WritePageObjects(out, nodes);
    }

    QTemporaryDir dir_;
    Lesson lesson_ {platform::programFolder()};
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<CScreenPenWnd> surface_;
};

} // namespace

TEST_F(PagePictures, EachFileIsDecodedOnceAtTheLargestBoxItIsDrawnIn)
{
    const QString png = path(QStringLiteral("my pictures/board one.png"));
    QDir().mkpath(path(QStringLiteral("my pictures")));
    savePicture(png, QSize(1000, 800), qRgb(200, 30, 30));
    std::vector<CPenNode> nodes;
    for (int i = 0; i < 10; ++i)
        nodes.push_back(picture(png, 200, 160));
    nodes.push_back(picture(png, 400, -100));
    // Hidden objects may come back with an undo: their boxes count too.
    nodes.push_back(picture(png, 120, 300));
    nodes.back().erased = 1;
    // The same file by another spelling is the same picture.
    nodes.push_back(picture(path(QStringLiteral("my pictures/../my pictures/./board one.png")), 10, 10));
    CPenNode stroke(0, 3, 0, Pen);
    stroke.AddPoint(1, 1);
    nodes.push_back(stroke);

    EXPECT_EQ(LoadPagePictures(nodes), 0u);
    ASSERT_TRUE(nodes[0].image);
    EXPECT_EQ(nodes[0].image->size(), QSize(400, 300));
    EXPECT_EQ(nodes[0].image->pixel(200, 150), qRgb(200, 30, 30));
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i)
        EXPECT_EQ(nodes[i].image.get(), nodes[0].image.get()) << i;
    EXPECT_FALSE(nodes.back().image);

    // Loading more of the page later reuses what the page holds.
    nodes.push_back(picture(png, 900, 900));
    EXPECT_EQ(LoadPagePictures(nodes), 0u);
    EXPECT_EQ(nodes.back().image.get(), nodes[0].image.get());
}

TEST_F(PagePictures, PicturesPastThePageBoundAreLeftOutAndTheRestShown)
{
    for (const char* name : {"a.png", "b.png", "c.png", "d.png"})
        savePicture(path(QString::fromLatin1(name)), QSize(200, 200), qRgb(0, 0, 255));
    std::vector<CPenNode> nodes = {
        picture(path(QStringLiteral("a.png")), 100, 100),
        picture(path(QStringLiteral("b.png")), 100, 100),
        picture(path(QStringLiteral("c.png")), 100, 100),
        picture(path(QStringLiteral("c.png")), 50, 50),
        picture(path(QStringLiteral("d.png")), 50, 50),
    };
    // a and b take 20 000 of the 25 000 pixels; c would pass the bound, the smaller d still fits.
    EXPECT_EQ(LoadPagePictures(nodes, 25000), 1u);
    EXPECT_EQ(nodes[0].image->size(), QSize(100, 100));
    EXPECT_EQ(nodes[1].image->size(), QSize(100, 100));
    ASSERT_TRUE(nodes[2].image);
    EXPECT_TRUE(nodes[2].image->isNull());
    EXPECT_EQ(nodes[3].image.get(), nodes[2].image.get());
    EXPECT_EQ(nodes[4].image->size(), QSize(50, 50));

    // A left-out picture draws nothing and leaves the object in its place.
    QImage page(600, 600, QImage::Format_RGB32);
    page.fill(0xFFFFFFFF);
    QPainter p(&page);
    nodes[2].Draw(p, nullptr);
    nodes[0].Draw(p, nullptr);
    p.end();
    EXPECT_EQ(page.pixel(300, 300), qRgb(0, 0, 255));
    EXPECT_EQ(page.pixel(360, 300), 0xFFFFFFFFu);
}

TEST_F(PagePictures, WhatIsNotARegularPictureDrawsNothingAndBlocksNothing)
{
    const QString fifo = path(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString small = path(QStringLiteral("small.png"));
    savePicture(small, QSize(20, 20), qRgb(0, 255, 0));
    std::vector<CPenNode> nodes = {
        picture(fifo, 100, 100),
        picture(QStringLiteral("/dev/zero"), 100, 100),
        picture(path(QStringLiteral("missing.png")), 100, 100),
        picture(dir_.path(), 100, 100),
        picture(small, 0, 100),
    };
    EXPECT_EQ(LoadPagePictures(nodes), 0u);
    for (const CPenNode& node : nodes) {
        ASSERT_TRUE(node.image);
        EXPECT_TRUE(node.image->isNull());
    }
}

TEST_F(PagePictures, LoadedPageSharesOnePictureBetweenItsRecords)
{
    const QString png = path(QStringLiteral("big.png"));
    savePicture(png, QSize(2000, 1500), qRgb(10, 20, 30));
    std::vector<CPenNode> nodes;
    for (int i = 0; i < 10; ++i)
        nodes.push_back(picture(png, 320, 240));
    const QString kw = path(QStringLiteral("page.kw"));
    writePage(kw, nodes);

    std::size_t leftOut = 99;
    ASSERT_TRUE(LoadPage(lesson_.Pages(), kw, &leftOut));
    EXPECT_EQ(leftOut, 0u);
    ASSERT_EQ(lesson_.Pages().nodes.size(), 10u);
    const QImage* shared = lesson_.Pages().nodes[0].image.get();
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->size(), QSize(320, 240));
    for (const CPenNode& node : lesson_.Pages().nodes)
        EXPECT_EQ(node.image.get(), shared);
}

TEST_F(PagePictures, APageWhosePictureFileIsAFifoOpensWithoutIt)
{
    // The stored pair: a page picture that is a FIFO, and an object file with one stroke.
    const QString bmp = path(QStringLiteral("1-2-3-4.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(bmp).constData(), 0600), 0);
    CPenNode stroke(RGB(0, 0, 0), 3, 0, Pen);
    stroke.AddPoint(100, 100);
    stroke.AddPoint(200, 100);
    writePage(path(QStringLiteral("1-2-3-4.kw")), {stroke});

    owner_ = std::make_unique<QWidget>();
    surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_, bmp);
    EXPECT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(surface_->backgroundBitmap().pixel(150, 300), 0xFFFFFFFFu);
    EXPECT_EQ(surface_->pageBitmap().pixel(150, 100), 0xFF000000u);

    // The same when the board walks to it.
    lesson_.Pages().Clear();
    surface_->ReopenPage(bmp);
    EXPECT_EQ(lesson_.Pages().nodes.size(), 1u);
}

TEST_F(PagePictures, SurfaceTellsWhenAPageLeavesPicturesOut)
{
    // Four pictures each drawn at 3000 x 3000: three fill the page's bound, the fourth is left out.
    std::vector<CPenNode> nodes;
    for (int i = 0; i < 4; ++i) {
        const QString png = path(QStringLiteral("p%1.png").arg(i));
        savePicture(png, QSize(3000, 3000), qRgb(40 * i, 0, 0));
        nodes.push_back(picture(png, 3000, 3000));
    }
    ASSERT_GT(4 * std::int64_t(3000 * 3000), kMaxPicturePixelsPerPage);
    ASSERT_LE(3 * std::int64_t(3000 * 3000), kMaxPicturePixelsPerPage);
    const QString kw = path(QStringLiteral("5-6-7-8.kw"));
    writePage(kw, nodes);
    QImage white(64, 64, QImage::Format_RGB32);
    white.fill(0xFFFFFFFF);
    ASSERT_TRUE(white.save(path(QStringLiteral("5-6-7-8.bmp")), "BMP"));

    owner_ = std::make_unique<QWidget>();
    surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_, path(QStringLiteral("5-6-7-8.bmp")));
    // Connected after the page opened, as the panel connects to a new surface.
    QStringList notices;
    QObject::connect(
        surface_.get(), &CScreenPenWnd::pageNotice, [&](const QString& text) { notices << text; });
    ASSERT_TRUE(qmtest::waitFor([&] { return !notices.isEmpty(); }, 3000));
    EXPECT_EQ(
        notices, QStringList {GetConfigString(QStringLiteral("页面中的图片太多太大，部分图片未能显示"))});
    EXPECT_EQ(notices[0], QStringLiteral("页面中的图片太多太大，部分图片未能显示"));
    int shown = 0;
    for (const CPenNode& node : lesson_.Pages().nodes)
        shown += node.image && !node.image->isNull();
    EXPECT_EQ(shown, 3);

    // A page within the bound opens without a word.
    notices.clear();
    nodes.pop_back();
    writePage(kw, nodes);
    surface_->ReopenPage(path(QStringLiteral("5-6-7-8.bmp")));
    qmtest::waitFor([] { return false; }, 200);
    EXPECT_TRUE(notices.isEmpty());
}

TEST(PagePicturesImported, AreNeverWrittenThroughALinkPlantedWithThePagesName)
{
    QTemporaryDir dir;
    const QDateTime when(QDate(2024, 3, 8), QTime(14, 5, 9));
    const QString history = dir.filePath(QStringLiteral("Temp"));
    const QString outside = dir.filePath(QStringLiteral("elsewhere/profile"));
    QDir().mkpath(dir.filePath(QStringLiteral("elsewhere")));
    // Another program links the name the next page gets to a file of its choosing, not there yet.
    ASSERT_TRUE(qmtest::plantLink(outside, history + QStringLiteral("/8-14-5-9.bmp")));
    QDir().mkpath(dir.filePath(QStringLiteral("saved")));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString png = dir.filePath(QStringLiteral("saved/photo.png"));
    const QString bmp = dir.filePath(QStringLiteral("saved/page.bmp"));
    ASSERT_TRUE(image.save(png, "PNG"));
    ASSERT_TRUE(image.save(bmp, "BMP"));

    const Lesson lesson(dir.path());
    const QStringList imported = ImportPages(lesson, {png, bmp}, history, when);
    EXPECT_EQ(imported,
        QStringList(
            {history + QStringLiteral("/8-14-5-9-2.bmp"), history + QStringLiteral("/8-14-5-9-3.bmp")}));
    EXPECT_FALSE(QFileInfo::exists(outside));
}

// Videos on the page, on the desktop: the frame plays over the page, pauses when the page is hidden, tells
// the surface when it is closed, and comes back with the page.
#include "surface/media_frame.h"
#include "surface/page_format.h"
#include "surface/surface_fixture.h"

#include "player/player_exports.h"
#include "support_main/test_util.h"

#include <QProcess>
#include <QTemporaryDir>

using namespace DIALOG;

namespace {

class Videos : public SurfaceTest {
protected:
    QString video()
    {
        const QString path = dir_.filePath(QStringLiteral("a lesson.mp4"));
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("testsrc=size=320x180:rate=25:duration=10"), QStringLiteral("-c:v"),
                QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), path});
        ffmpeg.waitForFinished(60000);
        return path;
    }
    const CPenNode& last() const { return lesson_.Pages().nodes.back(); }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(Videos, PlaysInItsFrameAndPausesWhenThePageIsHidden)
{
    CScreenPenWnd& s = open();
    s.InsertVideo(video());
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(last().kind, Video);
    EXPECT_TRUE(last().mediaShown);
    CMediaFrame* frame = s.pictures().videoFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->geometry().topLeft() + QPoint(frame->width() / 2, frame->height() / 2),
        QPoint(last().mediaCentreX, last().mediaCentreY));
    EXPECT_EQ(vpGetPlayState(), VPS_PLAYING);
    s.HideSurface();
    EXPECT_EQ(vpGetPlayState(), VPS_NOTPLAYING);
}

TEST_F(Videos, ClosingTheFrameClearsTheObjectsShownFlag)
{
    CScreenPenWnd& s = open();
    s.InsertVideo(video());
    CMediaFrame* frame = s.pictures().videoFrame();
    ASSERT_NE(frame, nullptr);
    frame->Close();
    EXPECT_FALSE(last().mediaShown);
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
    EXPECT_TRUE(qmtest::waitFor([&] { return s.pictures().videoFrame() == nullptr; }));
    // Undone, the video leaves the page; redone, it stays closed as it was left.
    s.UndoStep();
    EXPECT_TRUE(last().erased);
    s.RedoStep();
    EXPECT_EQ(s.pictures().videoFrame(), nullptr);
}

TEST_F(Videos, AStoredPageOpensWithItsVideoInPlace)
{
    CScreenPenWnd& s = open();
    s.InsertVideo(video());
    const CPenNode placed = last();
    const QString picture = dir_.filePath(QStringLiteral("page.bmp"));
    ASSERT_TRUE(StorePageFiles(WithExtension(picture, QStringLiteral("kw")), lesson_.Pages().nodes, picture,
        &s.backgroundBitmap(), 24));
    surface_.reset();
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
    lesson_.Pages().Clear();
    surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_, picture);
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(last().kind, Video);
    EXPECT_TRUE(last().mediaShown);
    CMediaFrame* frame = surface_->pictures().videoFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->path(), dir_.filePath(QStringLiteral("a lesson.mp4")));
    EXPECT_EQ(frame->geometry().topLeft() + QPoint(frame->width() / 2, frame->height() / 2),
        QPoint(placed.mediaCentreX, placed.mediaCentreY));
    // It opens stopped on its first frame; the teacher starts it.
    EXPECT_EQ(vpGetPlayState(), VPS_NOTPLAYING);
}

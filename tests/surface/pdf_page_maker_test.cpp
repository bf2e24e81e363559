// The pages of an opened PDF are made as the teacher comes near them: which pages are made and let go around
// the page shown, and the thread that renders only what it is asked for and falls silent when stopped.
#include "surface/many_pages_pdf.h"
#include "surface/pdf_page_maker.h"

#include "support_main/test_util.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mutex>

using namespace DIALOG;

namespace {

std::vector<bool> flags(int count, std::initializer_list<int> set)
{
    std::vector<bool> v(std::size_t(count), false);
    for (int i : set)
        v[std::size_t(i)] = true;
    return v;
}

// What a maker told, gathered from its thread.
struct Told {
    std::mutex lock;
    PdfProblem problem = PdfProblem::None;
    int count = -1;
    std::vector<int> pages;
    std::vector<QImage> images;

    PdfPageMaker::Events events()
    {
        PdfPageMaker::Events e;
        e.opened = [this](PdfProblem p, int n, const QString&) {
            std::lock_guard guard(lock);
            problem = p;
            count = n;
        };
        e.made = [this](int page, const QImage& image) {
            std::lock_guard guard(lock);
            pages.push_back(page);
            images.push_back(image);
        };
        return e;
    }
    std::size_t made()
    {
        std::lock_guard guard(lock);
        return pages.size();
    }
    int opened()
    {
        std::lock_guard guard(lock);
        return count;
    }
};

const QSize kScreen(480, 270);

} // namespace

TEST(PdfPageWindow, ThePageShownComesFirstThenThePagesAheadThenTheOneBehind)
{
    EXPECT_EQ(PdfPagesToMake(10, 100, flags(100, {})), (std::vector<int> {10, 11, 12, 13, 9}));
    // Pages made already are not asked for again.
    EXPECT_EQ(PdfPagesToMake(10, 100, flags(100, {10, 12})), (std::vector<int> {11, 13, 9}));
    // At either end of the document nothing past it is asked for.
    EXPECT_EQ(PdfPagesToMake(0, 100, flags(100, {})), (std::vector<int> {0, 1, 2, 3}));
    EXPECT_EQ(PdfPagesToMake(99, 100, flags(100, {})), (std::vector<int> {99, 98}));
    // The board shows a page after the document: its last page stays ready for the way back.
    EXPECT_EQ(PdfPagesToMake(100, 100, flags(100, {})), (std::vector<int> {99}));
    EXPECT_TRUE(PdfPagesToMake(-5, 100, flags(100, {})).empty());
}

TEST(PdfPageWindow, UnwrittenPagesFarFromThePageShownGoAndWrittenOnesStay)
{
    const std::vector<bool> made = flags(400, {0, 1, 2, 3, 7, 299, 300, 301, 302, 303});
    const std::vector<bool> written = flags(400, {1, 7});
    EXPECT_EQ(PdfPagesToLetGo(300, 400, made, written), (std::vector<int> {0, 2, 3}));
    // However far the teacher pages, what is kept is the window and the written pages.
    EXPECT_EQ(
        PdfPagesToLetGo(-10, 400, made, written), (std::vector<int> {0, 2, 3, 299, 300, 301, 302, 303}));
}

TEST(PdfPageMaker, OnlyThePagesAskedForAreRenderedAndNoneTwice)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    ASSERT_TRUE(qmtest::writeManyPagesPdf(pdf, 10000));
    Told told;
    PdfPageMaker maker(pdf, kScreen, told.events());
    ASSERT_TRUE(qmtest::waitFor([&] { return told.made() == 1; }, 60000));
    EXPECT_EQ(told.problem, PdfProblem::None);
    EXPECT_EQ(told.count, 10000);
    EXPECT_EQ(told.pages.front(), 0) << "the first page comes without being asked for";

    maker.Want({299, 300, 0});
    ASSERT_TRUE(qmtest::waitFor([&] { return told.made() == 3; }, 60000));
    // Asked for again, a page made is not drawn twice; forgotten, it is.
    maker.Forget(299);
    maker.Want({0, 299, 9999});
    ASSERT_TRUE(qmtest::waitFor([&] { return told.made() == 5; }, 60000));
    maker.Stop();
    ASSERT_TRUE(maker.WaitUntilEnded(60000));
    EXPECT_EQ(told.pages, (std::vector<int> {0, 299, 300, 299, 9999}));

    // Each page is fitted into the screen and is the page asked for.
    const QImage last = told.images.back();
    EXPECT_EQ(last.size(), kScreen);
    const QColor colour = qmtest::manyPagesColour(9999);
    const QRgb middle = last.pixel(kScreen.width() / 2, 20);
    EXPECT_NEAR(qRed(middle), colour.red(), 3);
    EXPECT_NEAR(qGreen(middle), colour.green(), 3);
    EXPECT_NEAR(qBlue(middle), colour.blue(), 3);
}

TEST(PdfPageMaker, NothingIsToldOnceStopped)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    ASSERT_TRUE(qmtest::writeManyPagesPdf(pdf, 2000));
    Told told;
    PdfPageMaker maker(pdf, kScreen, told.events());
    ASSERT_TRUE(qmtest::waitFor([&] { return told.made() == 1; }, 60000));
    std::vector<int> many(1000);
    for (int i = 0; i < 1000; ++i)
        many[std::size_t(i)] = i + 1;
    maker.Want(many);
    maker.Stop();
    const std::size_t atStop = told.made();
    ASSERT_TRUE(maker.WaitUntilEnded(60000));
    EXPECT_EQ(told.made(), atStop);
    EXPECT_LT(atStop, 1000u);
}

TEST(PdfPageMaker, AFileWithoutThePdfMarkIsRefusedAndADeckThatFailsGivesItsReason)
{
    QTemporaryDir dir;
    // A gigabyte of nothing named as a PDF: refused without being read to its end.
    const QString sparse = dir.filePath(QStringLiteral("big.pdf"));
    {
        QFile file(sparse);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(1) << 30));
    }
    Told refused;
    PdfPageMaker maker(sparse, kScreen, refused.events());
    ASSERT_TRUE(qmtest::waitFor([&] { return refused.opened() >= 0; }, 60000));
    EXPECT_EQ(refused.problem, PdfProblem::Unreadable);
    EXPECT_EQ(refused.made(), 0u);

    Told deck;
    QString reason;
    PdfPageMaker::Events events = deck.events();
    events.opened = [&, opened = events.opened](PdfProblem p, int n, const QString& error) {
        reason = error;
        opened(p, n, error);
    };
    PdfPageMaker printer(dir.filePath(QStringLiteral("Lesson.pptx")), kScreen, events,
        [](const std::function<bool()>&, QString*, QString* error) {
            *error = QStringLiteral("LibreOffice made no PDF of the deck");
            return false;
        });
    ASSERT_TRUE(qmtest::waitFor([&] { return deck.opened() >= 0; }, 60000));
    EXPECT_EQ(deck.problem, PdfProblem::Unreadable);
    EXPECT_EQ(reason, QStringLiteral("LibreOffice made no PDF of the deck"));
}

// The lesson as one PDF, read back with Poppler; a PDF's pages fitted to a screen; the kept lessons' folder.
#include "surface/canvas.h"
#include "surface/lesson_pdf.h"
#include "surface/page_format.h"
#include "surface/page_model.h"
#include "surface/pen_node.h"

#include "platform/shell.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <poppler-qt6.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>

using namespace DIALOG;

namespace {

constexpr QSize kPage(800, 600);

CPenNode stroke(COLORREF colour, int width, std::initializer_list<QPoint> points, NodeKind kind = Pen)
{
    CPenNode node(colour, width, 0, kind);
    for (const QPoint& p : points)
        node.AddPoint(p.x(), p.y());
    return node;
}

// A wavy stroke of many points, as a hand draws it.
CPenNode wave(COLORREF colour, int width, int y)
{
    CPenNode node(colour, width, 0, Pen);
    for (int x = 60; x <= 740; x += 10)
        node.AddPoint(x, y + int(std::lround(30 * std::sin(x / 60.0))));
    return node;
}

QImage plain(QColor colour)
{
    QImage image(kPage, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Stores a page as the page store does, and returns it as the lesson names it.
LessonPage storePage(
    const QString& folder, const QString& name, const QImage& background, const std::vector<CPenNode>& nodes)
{
    const QString objects = folder + QLatin1Char('/') + name + QStringLiteral(".kw");
    const QString picture = folder + QLatin1Char('/') + name + QStringLiteral(".bmp");
    EXPECT_TRUE(StorePageFiles(objects, nodes, picture, &background, 24));
    return {picture, objects};
}

// The page as the surface composes it from its stored files.
QImage composed(const LessonPage& page)
{
    PageList list;
    std::ifstream in(page.objects.toStdString(), std::ios::binary);
    ReadPageObjects(in, list);
    LoadPagePictures(list.nodes);
    Canvas canvas(kPage);
    QImage background(page.picture);
    canvas.PlacePagePicture(background);
    return canvas.PageWith(list.nodes, &canvas.backgroundBitmap());
}

QImage rendered(Poppler::Document& pdf, int index, double dpi = 96)
{
    const std::unique_ptr<Poppler::Page> page = pdf.page(index);
    return page ? page->renderToImage(dpi, dpi).convertToFormat(QImage::Format_RGB32) : QImage();
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// The share of pixels that differ by more than 64 in any channel.
double differingShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1.0;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += channelDistance(a.pixel(x, y), b.pixel(x, y)) > 64;
    return double(differing) / (qint64(a.width()) * a.height());
}

// Every stream of a PDF file, inflated where it is compressed.
QList<QByteArray> pdfStreams(const QByteArray& file)
{
    QList<QByteArray> streams;
    qsizetype at = 0;
    while ((at = file.indexOf("stream", at)) >= 0) {
        if (at >= 3 && file.mid(at - 3, 3) == "end") {
            at += 6;
            continue;
        }
        qsizetype start = at + 6;
        if (file.mid(start, 2) == "\r\n")
            start += 2;
        else if (file.at(start) == '\n')
            start += 1;
        const qsizetype end = file.indexOf("endstream", start);
        if (end < 0)
            break;
        const QByteArray raw = file.mid(start, end - start);
        QByteArray sized(4, '\0');
        qToBigEndian<quint32>(quint32(64u << 20), sized.data());
        const QByteArray inflated = qUncompress(sized + raw);
        streams << (inflated.isEmpty() ? raw : inflated);
        at = end + 9;
    }
    return streams;
}

class LessonPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = dir.path();
        // Page 1: strokes, one of them half erased, and a highlighter over ink.
        CPenNode highlighter = stroke(RGB(255, 255, 0), 16, {{100, 400}, {700, 400}});
        highlighter.highlight = 1;
        CPenNode eraser = stroke(0, 20, {}, EraseTrail);
        for (int x = 500; x <= 700; x += 4)
            eraser.AddPoint(x, 200);
        pages.push_back(storePage(folder, QStringLiteral("1-9-0-1"), plain(QColor(235, 245, 255)),
            {wave(RGB(255, 0, 0), 6, 200), stroke(RGB(0, 0, 255), 4, {{100, 380}, {700, 420}}), highlighter,
                eraser}));

        // Page 2: a picture turned by 30 degrees, and a line over it.
        QImage tile(QSize(120, 60), QImage::Format_RGB32);
        tile.fill(QColor(0, 150, 0));
        picturePath = folder + QStringLiteral("/tile.png");
        ASSERT_TRUE(tile.save(picturePath));
        CPenNode picture(0, 0, 0, Picture);
        picture.SetPicturePath(picturePath);
        picture.boxWidth = 240;
        picture.boxHeight = 120;
        picture.boxCentreX = 400;
        picture.boxCentreY = 300;
        picture.boxAngle = std::numbers::pi / 6;
        picture.AddPoint(400, 300);
        pages.push_back(storePage(folder, QStringLiteral("1-9-0-2"), plain(Qt::white),
            {picture, stroke(RGB(0, 0, 0), 3, {{50, 550}, {750, 550}}, Line)}));

        // Page 3: a compass arc, a rectangle and a solid.
        CPenNode arc(RGB(128, 0, 128), 4, 0, CompassArc);
        arc.arcCentreX = 400;
        arc.arcCentreY = 300;
        arc.arcRadius = 200;
        arc.AddPoint(600, 300);
        arc.AddPoint(400, 100);
        arc.AddPoint(200, 300);
        pages.push_back(storePage(folder, QStringLiteral("1-9-0-3"), plain(QColor(255, 250, 230)),
            {arc, stroke(RGB(0, 128, 255), 3, {{80, 450}, {300, 560}}, Rectangle),
                stroke(RGB(0, 0, 0), 2, {{520, 420}, {700, 560}}, Cube)}));
        pdfPath = folder + QStringLiteral("/lesson.pdf");
    }

    QTemporaryDir dir;
    QString folder;
    QString picturePath;
    QString pdfPath;
    std::vector<LessonPage> pages;
};

} // namespace

TEST_F(LessonPdf, ThreePagesRenderBackAsTheComposedPages)
{
    LessonExport result;
    ASSERT_TRUE(WriteLessonPdf(pdfPath, pages, &result)) << result.error.toStdString();
    EXPECT_EQ(result.pagesWritten, 3);
    EXPECT_TRUE(result.leftOut.isEmpty());

    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(pdfPath);
    ASSERT_TRUE(pdf);
    ASSERT_EQ(pdf->numPages(), 3);
    pdf->setRenderHint(Poppler::Document::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        const QImage back = rendered(*pdf, i);
        const QImage expected = composed(pages[std::size_t(i)]);
        ASSERT_EQ(back.size(), kPage) << "page " << i + 1 << " keeps its pixel size at 96 dpi";
        // Edges of ink are smoothed in the PDF and hard on the page: at most 1.5 % of the pixels may differ.
        EXPECT_LT(differingShare(back, expected), 0.015) << "page " << i + 1;
    }
    // The places that matter, by eye: ink, erased ink, highlighter over ink, the turned picture, the arc.
    const QImage first = rendered(*pdf, 0);
    EXPECT_LT(
        channelDistance(first.pixel(120, 200 + int(std::lround(30 * std::sin(2.0)))), qRgb(255, 0, 0)), 40);
    EXPECT_LT(
        channelDistance(first.pixel(600, 200 + int(std::lround(30 * std::sin(10.0)))), qRgb(235, 245, 255)),
        40)
        << "the eraser shows the background again";
    EXPECT_LT(channelDistance(first.pixel(400, 400), qRgb(0, 0, 0)), 60) << "yellow masking blue stays dark";
    EXPECT_LT(channelDistance(first.pixel(200, 400), qRgb(255, 255, 0)), 40);
    const QImage second = rendered(*pdf, 1);
    EXPECT_LT(channelDistance(second.pixel(400, 300), qRgb(0, 150, 0)), 40);
    // The box's corner (280, 240) lies outside the turned picture; a point along its long axis lies inside.
    EXPECT_LT(channelDistance(second.pixel(290, 245), qRgb(255, 255, 255)), 40);
    EXPECT_LT(channelDistance(second.pixel(400 + int(100 * std::cos(std::numbers::pi / 6)),
                                  300 + int(100 * std::sin(std::numbers::pi / 6))),
                  qRgb(0, 150, 0)),
        40);
    const QImage third = rendered(*pdf, 2);
    EXPECT_LT(channelDistance(third.pixel(400, 100), qRgb(128, 0, 128)), 60) << "the top of the arc";
    EXPECT_LT(channelDistance(third.pixel(400, 500), qRgb(255, 250, 230)), 40) << "the arc's open side";
}

TEST_F(LessonPdf, InkIsVectorPathsAndEachPictureIsStoredOnce)
{
    ASSERT_TRUE(WriteLessonPdf(pdfPath, pages, nullptr));
    QFile file(pdfPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Three backgrounds, the one picture and what lies under the highlighter; the eraser reuses its page's
    // background.
    EXPECT_EQ(bytes.count("/Subtype /Image"), 5);
    // The wave's 69 points are 68 line segments in a content stream.
    int lineTos = 0;
    for (const QByteArray& stream : pdfStreams(bytes))
        lineTos += int(stream.count(" l\n"));
    EXPECT_GE(lineTos, 68);

    // Zoomed in four times, a 6-pixel stroke is 24 pixels thick with hard edges: a picture of the page would
    // be blurred over several pixels at each edge.
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(pdfPath);
    ASSERT_TRUE(pdf);
    pdf->setRenderHint(Poppler::Document::Antialiasing);
    const QImage zoomed = rendered(*pdf, 1, 4 * 96);
    // The black line at y = 550, 3 pixels thick: at 4× it covers 12 rows, with at most one partial row per
    // edge.
    int dark = 0, partial = 0;
    for (int y = 4 * 540; y < 4 * 560; ++y) {
        const int grey = qGray(zoomed.pixel(4 * 100, y));
        dark += grey < 40;
        partial += grey >= 40 && grey < 215;
    }
    EXPECT_NEAR(dark, 12, 1);
    EXPECT_LE(partial, 2);
}

TEST_F(LessonPdf, APageWithoutItsPictureIsLeftOutAndNamed)
{
    QFile::remove(pages[1].picture);
    LessonExport result;
    ASSERT_TRUE(WriteLessonPdf(pdfPath, pages, &result));
    EXPECT_EQ(result.pagesWritten, 2);
    EXPECT_EQ(result.leftOut, QStringList {pages[1].picture});
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(pdfPath);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->numPages(), 2);
}

TEST_F(LessonPdf, NothingToWriteOrNowhereToWriteLeavesNoFileAndSaysWhy)
{
    LessonExport result;
    EXPECT_FALSE(WriteLessonPdf(pdfPath, {}, &result));
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_FALSE(QFile::exists(pdfPath));

    // A PDF that exists is not replaced by a failed export.
    QFile old(pdfPath);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older");
    old.close();
    for (const LessonPage& page : pages)
        QFile::remove(page.picture);
    EXPECT_FALSE(WriteLessonPdf(pdfPath, pages, &result));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("older"));

    EXPECT_FALSE(WriteLessonPdf(folder + QStringLiteral("/no/such/folder/lesson.pdf"), pages, &result));
    EXPECT_FALSE(result.error.isEmpty());
}

namespace {

// A PDF of one page per colour, each A4 portrait.
QString colourPdf(const QString& path, std::initializer_list<QColor> colours)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    bool first = true;
    for (const QColor& colour : colours) {
        if (!first)
            writer.newPage();
        first = false;
        p.fillRect(QRect(0, 0, writer.width(), writer.height()), colour);
    }
    return path;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(PdfPagesForTheBoard, EachPageFitsTheScreenCentredOnWhite)
{
    QTemporaryDir dir;
    const QString pdf = colourPdf(dir.filePath(QStringLiteral("three.pdf")), {Qt::red, Qt::green, Qt::blue});
    PdfPages pages;
    ASSERT_EQ(pages.Open(pdf), PdfProblem::None);
    ASSERT_EQ(pages.Count(), 3);
    const QImage second = pages.Render(1, QSize(1920, 1080));
    ASSERT_EQ(second.size(), QSize(1920, 1080));
    // A4 portrait in 1080 rows is 764 pixels wide, from x = 578.
    EXPECT_LT(channelDistance(second.pixel(960, 540), qRgb(0, 255, 0)), 30);
    EXPECT_LT(channelDistance(second.pixel(590, 5), qRgb(0, 255, 0)), 30);
    EXPECT_EQ(second.pixel(560, 540) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(second.pixel(1360, 540) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(pages.Render(3, QSize(1920, 1080)).isNull());
    EXPECT_EQ(PageFitIn(QSizeF(595, 842), QSize(1920, 1080)), QSize(763, 1080));
    EXPECT_EQ(PageFitIn(QSizeF(960, 540), QSize(1920, 1080)), QSize(1920, 1080));
    EXPECT_EQ(PageFitIn(QSizeF(0, 540), QSize(1920, 1080)), QSize(1, 1));
}

TEST(PdfPagesForTheBoard, DamagedEncryptedAndEmptyFilesAreToldApart)
{
    QTemporaryDir dir;
    PdfPages pages;
    EXPECT_EQ(pages.Open(dir.filePath(QStringLiteral("missing.pdf"))), PdfProblem::Unreadable);
    writeFile(dir.filePath(QStringLiteral("noise.pdf")), QByteArray(4000, '\x9c'));
    EXPECT_EQ(pages.Open(dir.filePath(QStringLiteral("noise.pdf"))), PdfProblem::Unreadable);
    // A real PDF cut after its first bytes.
    const QString whole = colourPdf(dir.filePath(QStringLiteral("whole.pdf")), {Qt::red});
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    writeFile(dir.filePath(QStringLiteral("cut.pdf")), file.read(40));
    EXPECT_EQ(pages.Open(dir.filePath(QStringLiteral("cut.pdf"))), PdfProblem::Unreadable);
    EXPECT_EQ(pages.Count(), 0);

    // Standard security with a user password that is not empty: Poppler cannot open the pages without it.
    const QByteArray key(32, '\x5a');
    writeFile(dir.filePath(QStringLiteral("locked.pdf")),
        "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
        "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >> endobj\n"
        "4 0 obj << /Filter /Standard /V 1 /R 2 /O <"
            + key.toHex() + "> /U <" + QByteArray(32, '\x33').toHex()
            + "> /P -4 >> endobj\n"
              "trailer << /Root 1 0 R /Encrypt 4 0 R /ID [<00112233445566778899aabbccddeeff>"
              "<00112233445566778899aabbccddeeff>] >>\n%%EOF\n");
    EXPECT_EQ(pages.Open(dir.filePath(QStringLiteral("locked.pdf"))), PdfProblem::Encrypted);

    writeFile(dir.filePath(QStringLiteral("empty.pdf")),
        "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [] /Count 0 >> endobj\n"
        "trailer << /Root 1 0 R >>\n%%EOF\n");
    const PdfProblem empty = pages.Open(dir.filePath(QStringLiteral("empty.pdf")));
    EXPECT_TRUE(empty == PdfProblem::NoPages || empty == PdfProblem::Unreadable);
    EXPECT_EQ(pages.Count(), 0);
}

TEST(KeptLessons, NewestFirstAndOnlyTheLastTwentyStay)
{
    QTemporaryDir dir;
    const QDateTime start(QDate(2026, 12, 8), QTime(8, 0, 0));
    for (int i = 0; i < 23; ++i) {
        const QString lesson = dir.filePath(KeptLessonFolderName(start.addSecs(3600 * i)));
        ASSERT_TRUE(platform::makeScratchFolder(lesson));
        writeFile(KeptLessonPdf(lesson), "%PDF-1.4\n");
    }
    // Two kept within one second, a folder of the teacher's and a lesson folder without its PDF.
    const QString twin = dir.filePath(KeptLessonFolderName(start.addSecs(3600 * 22)) + QStringLiteral("-2"));
    ASSERT_TRUE(platform::makeScratchFolder(twin));
    writeFile(KeptLessonPdf(twin), "%PDF-1.4\n");
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("my notes"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("2020-01-01-00-00-00"))));

    QStringList lessons = KeptLessons(dir.path());
    ASSERT_EQ(lessons.size(), 24);
    EXPECT_EQ(lessons.first(), twin);
    EXPECT_TRUE(lessons.last().endsWith(QStringLiteral("2026-12-08-08-00-00")));

    PruneKeptLessons(dir.path());
    lessons = KeptLessons(dir.path());
    ASSERT_EQ(lessons.size(), kKeptLessons);
    EXPECT_EQ(lessons.first(), twin);
    EXPECT_TRUE(lessons.last().endsWith(QStringLiteral("2026-12-08-12-00-00")));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("my notes"))).isDir());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("2020-01-01-00-00-00"))).isDir());
    EXPECT_EQ(LessonPdfFileName(start), QStringLiteral("20261208080000.pdf"));
}

TEST(KeptLessons, ALinkPlantedAmongTheOldestLeavesItsTargetWhole)
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("lessons"));
    const QDateTime start(QDate(2026, 12, 8), QTime(8, 0, 0));
    const QString kept = root + u'/' + KeptLessonFolderName(start);
    ASSERT_TRUE(platform::makeScratchFolder(kept));
    writeFile(KeptLessonPdf(kept), "%PDF-1.4\n");
    // Another program links an older "lesson" to the teacher's documents, where a lesson.pdf lies.
    const QString documents = qmtest::teachersFolder(dir.filePath(QStringLiteral("Documents")));
    writeFile(KeptLessonPdf(documents), "%PDF-1.4\n");
    ASSERT_TRUE(qmtest::plantLink(documents, root + u'/' + KeptLessonFolderName(start.addSecs(-3600))));
    const QString older = root + u'/' + KeptLessonFolderName(start.addSecs(-7200));
    ASSERT_TRUE(platform::makeScratchFolder(older));
    writeFile(KeptLessonPdf(older), "%PDF-1.4\n");
    ASSERT_EQ(KeptLessons(root).size(), 3);

    PruneKeptLessons(root, 1);
    EXPECT_TRUE(qmtest::teachersFolderWhole(documents));
    EXPECT_TRUE(QFileInfo::exists(KeptLessonPdf(documents)));
    EXPECT_FALSE(QFileInfo::exists(older));
    EXPECT_TRUE(QFileInfo::exists(KeptLessonPdf(kept)));
}

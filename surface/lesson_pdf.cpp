#include "surface/lesson_pdf.h"

#include "pdf/pdf_reader.h"
#include "platform/gdi.h"
#include "platform/image_file.h"
#include "platform/shell.h"
#include "support/program_settings.h"
#include "surface/page_format.h"
#include "surface/page_model.h"
#include "surface/pen_node.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <ext/stdio_filebuf.h>
#include <istream>

namespace DIALOG {

namespace {

// Pages are laid out in screen pixels; the PDF gives each pixel its size at 96 dpi.
constexpr int kPdfResolution = 96;

QPen roundPen(COLORREF colour, double width)
{
    return QPen(
        platform::colorFromRef(colour), std::max(1.0, width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPainterPath polylinePath(const std::vector<PenPoint>& points)
{
    QPainterPath path(QPointF(points.front().x, points.front().y));
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i].x, points[i].y);
    return path;
}

// The background shows again inside outline: the page's one picture, drawn through a clip.
void showBackgroundThrough(QPainter& painter, const QImage& background, const QPainterPath& outline)
{
    if (background.isNull() || outline.isEmpty())
        return;
    painter.save();
    painter.setClipPath(outline, Qt::IntersectClip);
    painter.drawImage(0, 0, background);
    painter.restore();
}

// The kinds the page bitmap draws with raster operations, image copies or stamps, as a PDF draws them.
// False for every other kind, which the object draws itself with plain painter calls.
bool drawAsVector(QPainter& painter, const QImage& background, const CPenNode& node)
{
    const int w = std::clamp(node.width, 0, 4096);
    switch (node.kind) {
    case Pen: {
        if (node.points.size() < 2)
            return false;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(roundPen(node.colour, w));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(polylinePath(node.points));
        painter.restore();
        return true;
    }
    case SpeedPen: {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        for (std::size_t i = 1; i < node.points.size(); ++i) {
            painter.setPen(roundPen(node.colour, std::clamp(node.points[i].segWidth, 0, 4096)));
            painter.drawLine(QPointF(node.points[i - 1].x, node.points[i - 1].y),
                QPointF(node.points[i].x, node.points[i].y));
        }
        painter.restore();
        return true;
    }
    case BrushPen: {
        if (w < 1)
            return true;
        // The brush's dots fade from the middle of the stroke to its edge: a full core in a softer rim.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QPainterPath path = polylinePath(node.points);
        QPen rim = roundPen(node.colour, w);
        QColor soft = rim.color();
        soft.setAlphaF(0.45);
        rim.setColor(soft);
        painter.setPen(rim);
        if (node.points.size() == 1)
            painter.drawPoint(QPointF(node.points[0].x, node.points[0].y));
        else
            painter.drawPath(path);
        painter.setPen(roundPen(node.colour, w * 0.7));
        if (node.points.size() == 1)
            painter.drawPoint(QPointF(node.points[0].x, node.points[0].y));
        else
            painter.drawPath(path);
        painter.restore();
        return true;
    }
    case EraseTrail: {
        if (w <= 0)
            return true;
        QPainterPath squares;
        squares.setFillRule(Qt::WindingFill);
        for (const PenPoint& p : node.points)
            squares.addRect(QRectF(double(p.x) - w, double(p.y) - w, 2.0 * w, 2.0 * w));
        showBackgroundThrough(painter, background, squares);
        return true;
    }
    case EraseLasso: {
        QPolygonF polygon;
        const std::size_t count = std::min<std::size_t>(node.points.size(), kMaxLassoPoints);
        for (std::size_t i = 0; i < count; ++i)
            polygon << QPointF(node.points[i].x, node.points[i].y);
        QPainterPath lasso;
        lasso.setFillRule(Qt::WindingFill);
        lasso.addPolygon(polygon);
        lasso.closeSubpath();
        showBackgroundThrough(painter, background, lasso);
        return true;
    }
    default:
        return false;
    }
}

// A highlighter masks what lies under it with its colour (R2_MASKPEN), which a PDF cannot do: the page as it
// stands under the stroke is drawn as the screen draws it, masked, and laid in through the stroke's outline.
// Only the ink under a highlighter becomes pixels.
void drawHighlighter(
    QPainter& painter, const QImage& background, const std::vector<CPenNode>& nodes, std::size_t at)
{
    const CPenNode& node = nodes[at];
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(1, std::clamp(node.width, 0, 4096)));
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath outline = stroker.createStroke(polylinePath(node.points));
    const QRect area = outline.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1) & background.rect();
    if (area.isEmpty())
        return;
    QImage patch(area.size(), QImage::Format_RGB32);
    {
        QPainter p(&patch);
        p.translate(-area.topLeft());
        p.drawImage(0, 0, background);
        for (std::size_t i = 0; i <= at; ++i)
            nodes[i].Draw(p, &background);
    }
    painter.save();
    painter.setClipPath(outline, Qt::IntersectClip);
    painter.drawImage(area.topLeft(), patch);
    painter.restore();
}

// The objects of a stored page with their pictures; empty when the file cannot be opened.
std::vector<CPenNode> readPageObjects(const QString& objectFile)
{
    PageList list;
    const int fd = platform::openRegularFileDescriptor(objectFile);
    if (fd < 0)
        return {};
    __gnu_cxx::stdio_filebuf<char> file(fd, std::ios::in | std::ios::binary);
    std::istream in(&file);
    ReadPageObjects(in, list);
    LoadPagePictures(list.nodes);
    return std::move(list.nodes);
}

QPageSize pdfPageSize(const QSize& pixels)
{
    return QPageSize(
        QSizeF(pixels) * 72.0 / kPdfResolution, QPageSize::Point, QString(), QPageSize::ExactMatch);
}

const QRegularExpression& keptLessonName()
{
    static const QRegularExpression name(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}-\\d{2}-\\d{2}-\\d{2}(-\\d+)?$"));
    return name;
}

} // namespace

void DrawPageAsVectors(QPainter& painter, const QImage& background, const std::vector<CPenNode>& nodes)
{
    if (!background.isNull())
        painter.drawImage(0, 0, background);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const CPenNode& node = nodes[i];
        if (node.erased || node.cleared)
            continue;
        if (node.points.empty() && node.kind != Picture)
            continue;
        if (node.kind == Pen && node.highlight && node.points.size() > 1)
            drawHighlighter(painter, background, nodes, i);
        else if (!drawAsVector(painter, background, node))
            node.Draw(painter, &background);
    }
}

bool WriteLessonPdf(const QString& pdfPath, const std::vector<LessonPage>& pages, LessonExport* result)
{
    LessonExport local;
    LessonExport& out = result ? *result : local;
    out = LessonExport();
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly)) {
        out.error = file.errorString();
        return false;
    }
    QPdfWriter writer(&file);
    writer.setResolution(kPdfResolution);
    writer.setCreator(QStringLiteral("Quillmark"));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    // Pages not made yet are rendered from their PDF one at a time, the document opened once.
    PdfPages source;
    for (const LessonPage& page : pages) {
        QImage background = platform::readImageFile(page.picture).convertToFormat(QImage::Format_RGB32);
        if (background.isNull() && !page.pdf.isEmpty()) {
            if (source.Path() != page.pdf)
                source.Open(page.pdf);
            background = source.Render(page.pdfPage, page.screen);
        }
        if (background.isNull()) {
            out.leftOut << page.picture;
            continue;
        }
        writer.setPageSize(pdfPageSize(background.size()));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        if (out.pagesWritten == 0) {
            if (!painter.begin(&writer)) {
                out.error = QStringLiteral("the PDF cannot be started");
                return false;
            }
        } else {
            writer.newPage();
        }
        DrawPageAsVectors(painter, background, readPageObjects(page.objects));
        ++out.pagesWritten;
    }
    if (out.pagesWritten == 0) {
        out.error
            = pages.empty() ? QStringLiteral("there are no pages") : QStringLiteral("no page could be read");
        return false;
    }
    painter.end();
    if (!file.commit()) {
        out.error = file.errorString();
        out.pagesWritten = 0;
        return false;
    }
    return true;
}

QString LessonPdfFileName(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".pdf");
}

PdfPages::PdfPages() = default;
PdfPages::~PdfPages() = default;

bool HasPdfMark(const QByteArray& head)
{
    return head.left(1024).contains("%PDF-");
}

PdfProblem PdfPages::Open(const QString& path)
{
    document_.reset();
    path_ = path;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || !HasPdfMark(file.read(1024)))
        return PdfProblem::Unreadable;
    file.close();
    bool readerMissing = false;
    std::unique_ptr<pdfreader::Document> document = pdfreader::Open(path, &readerMissing);
    if (!document)
        return readerMissing ? PdfProblem::NoReader : PdfProblem::Unreadable;
    if (document->Locked())
        return PdfProblem::Encrypted;
    if (document->PageCount() <= 0)
        return PdfProblem::NoPages;
    document_ = std::move(document);
    return PdfProblem::None;
}

int PdfPages::Count() const
{
    return document_ ? document_->PageCount() : 0;
}

QImage PdfPages::Render(int index, const QSize& screen, const std::atomic<bool>* abort) const
{
    if (!document_ || index < 0 || index >= document_->PageCount() || screen.isEmpty())
        return {};
    const QSizeF points = document_->PageSize(index);
    if (!(points.width() > 0) || !(points.height() > 0))
        return {};
    const QSize size = PageFitIn(points, screen);
    const double dpiX = size.width() * 72.0 / points.width(), dpiY = size.height() * 72.0 / points.height();
    const QImage rendered = document_->Render(index, dpiX, dpiY, abort);
    if (rendered.isNull() || (abort && *abort))
        return {};
    QImage board(screen, QImage::Format_RGB32);
    board.fill(Qt::white);
    QPainter p(&board);
    const QImage fitted = rendered.size() == size ? rendered : rendered.scaled(size);
    p.drawImage((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2, fitted);
    return board;
}

QSize PageFitIn(const QSizeF& points, const QSize& screen)
{
    if (!(points.width() > 0) || !(points.height() > 0) || screen.isEmpty())
        return QSize(1, 1);
    const double scale = std::min(screen.width() / points.width(), screen.height() / points.height());
    return QSize(std::clamp(int(std::lround(points.width() * scale)), 1, screen.width()),
        std::clamp(int(std::lround(points.height() * scale)), 1, screen.height()));
}

QString KeptLessonsFolder()
{
    return settings::KeptLessonsFolderOf(settings::ReadSettings().values);
}

QString KeptLessonFolderName(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}

QString KeptLessonPdf(const QString& lessonFolder)
{
    return lessonFolder + QStringLiteral("/lesson.pdf");
}

QStringList KeptLessons(const QString& root)
{
    QStringList lessons;
    const QDir dir(root);
    QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        // "…-09-2" was kept after "…-09" within the same second.
        const QString ka = a.section(QLatin1Char('-'), 0, 5), kb = b.section(QLatin1Char('-'), 0, 5);
        if (ka != kb)
            return ka > kb;
        return a.section(QLatin1Char('-'), 6).toInt() > b.section(QLatin1Char('-'), 6).toInt();
    });
    for (const QString& name : names) {
        if (keptLessonName().match(name).hasMatch() && QFileInfo(KeptLessonPdf(dir.filePath(name))).isFile())
            lessons << dir.filePath(name);
    }
    return lessons;
}

void PruneKeptLessons(const QString& root, int keep)
{
    const QStringList lessons = KeptLessons(root);
    for (qsizetype i = std::max(0, keep); i < lessons.size(); ++i)
        platform::removeScratchFolder(lessons.at(i));
}

} // namespace DIALOG

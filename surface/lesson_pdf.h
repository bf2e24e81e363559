#pragma once
// A lesson as one PDF, and a PDF as board pages, without a window: the stored pages of a lesson drawn into a
// PDF, each page's background as a picture and its objects as vector paths; the pages of a PDF rendered to
// fit a screen; and the folder where lessons are kept when the program closes.
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

class QPainter;

namespace pdfreader {
class Document;
}

namespace DIALOG {

class CPenNode;

// One stored page: its picture (".bmp", the background) and its object file (".kw"). A page of an opened PDF
// that has not been made yet names that PDF and its page instead of a picture on disk; it is rendered for the
// size of the board's screen.
struct LessonPage {
    QString picture;
    QString objects;
    QString pdf {};
    int pdfPage = -1;
    QSize screen {};
};

// Draws a page at its own pixel size: the background as one picture, then every visible object in list order.
// Ink becomes vector paths; an eraser shows the background again through its own outline, so the background
// is drawn (and stored in a PDF) once however often the page was erased.
void DrawPageAsVectors(QPainter& painter, const QImage& background, const std::vector<CPenNode>& nodes);

struct LessonExport {
    int pagesWritten = 0;
    // Pages left out because their picture could not be read, by their picture file.
    QStringList leftOut;
    // Why nothing was written; empty on success.
    QString error;
};

// Writes the pages into one PDF at pdfPath, one PDF page per page, each the size of its picture at 96 dpi.
// The file is written beside its name and renamed into place: a failed export leaves no half file and
// replaces nothing. False, with result->error, when no PDF was written.
bool WriteLessonPdf(const QString& pdfPath, const std::vector<LessonPage>& pages, LessonExport* result);

// The default file name of a lesson exported at when: year, month, day, hour, minute, second and ".pdf".
QString LessonPdfFileName(const QDateTime& when);

// What stands between a PDF file and its pages.
enum class PdfProblem {
    None,
    Unreadable, // not a PDF, or damaged beyond reading
    Encrypted, // needs a password
    NoPages,
    NoReader, // the PDF library cannot be loaded
};

// The pages of one PDF, rendered for a board. Open and render on one thread: a document is not shared.
class PdfPages {
public:
    PdfPages();
    ~PdfPages();
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    // A file without the PDF mark in its first kilobyte is refused at once: read as a damaged PDF, a large
    // file would be scanned to its end.
    PdfProblem Open(const QString& path);
    const QString& Path() const { return path_; }
    int Count() const;
    // Page index fitted into screen with its shape kept, centred on white; a null image when the page cannot
    // be rendered or when *abort turns true while it is drawn.
    QImage Render(int index, const QSize& screen, const std::atomic<bool>* abort = nullptr) const;

private:
    std::unique_ptr<pdfreader::Document> document_;
    QString path_;
};

// The PDF mark ("%PDF-") stands in the first kilobyte of data, as readers require.
bool HasPdfMark(const QByteArray& head);

// The size a page of points takes when fitted into screen with its shape kept (at least 1 × 1).
QSize PageFitIn(const QSizeF& points, const QSize& screen);

// The most lessons kept; the oldest go first.
constexpr int kKeptLessons = 20;
// The folder the teacher chose in the settings, else $XDG_DATA_HOME/Quillmark/lessons.
QString KeptLessonsFolder();
// The folder name of a lesson kept at when: "2026-12-08-14-05-09", so that names sort as times do.
QString KeptLessonFolderName(const QDateTime& when);
// The PDF inside a kept lesson's folder.
QString KeptLessonPdf(const QString& lessonFolder);
// The kept lessons under root, newest first: folders named as above that hold their PDF.
QStringList KeptLessons(const QString& root);
// Removes the oldest kept lessons beyond keep. Only folders named as above that the program made (marked
// scratch folders, never a link) go; anything else under root is left alone.
void PruneKeptLessons(const QString& root, int keep = kKeptLessons);

} // namespace DIALOG

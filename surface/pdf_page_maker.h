#pragma once
// The pages of an opened PDF, made when the teacher reaches them: which pages to render and which to let go
// (a window around the page shown), and a thread that opens the PDF and renders only the pages asked for.
// However many pages the file has, what is held in memory and on disk stays within that window.
#include "surface/lesson_pdf.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace DIALOG {

// Pages made past the one shown, so that the next button finds them ready, and pages kept behind it.
constexpr int kPdfPagesAhead = 3;
constexpr int kPdfPagesBehind = 1;

// The pages of a document of count pages to make, most wanted first, while page shown (an index into the
// document; outside it when the board shows another page) is on the board: that page, then the pages
// ahead, then the pages behind; pages already made (made[i]) are left out.
std::vector<int> PdfPagesToMake(int shown, int count, const std::vector<bool>& made);
// The pages made and not written on (written[i] false) that lie outside the window around shown: their
// files can go, to be made again when the teacher comes back.
std::vector<int> PdfPagesToLetGo(
    int shown, int count, const std::vector<bool>& made, const std::vector<bool>& written);

// Opens one PDF on a thread of its own and renders the pages it is asked for, one at a time. A deck is first
// printed to PDF by prepare, on the same thread.
class PdfPageMaker {
public:
    // Told on the maker's thread, and never once Stop() has returned.
    struct Events {
        // The PDF is open with count pages, or cannot be (problem); a deck that could not be printed gives
        // its converter's words in deckError, with the problem Unreadable.
        std::function<void(PdfProblem problem, int count, const QString& deckError)> opened;
        // A page asked for is rendered; a null image when it cannot be.
        std::function<void(int page, const QImage& image)> made;
    };
    // Prints a deck to PDF while stopped() stays false: true with the PDF's path, or false with the reason
    // (empty when it was stopped).
    using Prepare = std::function<bool(const std::function<bool()>& stopped, QString* pdf, QString* error)>;

    // Starts at once with page 0 asked for. screen: the size each page is fitted into.
    PdfPageMaker(const QString& path, const QSize& screen, Events events, Prepare prepare = {});
    // Stops, and leaves the thread to end by itself.
    ~PdfPageMaker();
    PdfPageMaker(const PdfPageMaker&) = delete;
    PdfPageMaker& operator=(const PdfPageMaker&) = delete;

    // The pages to render next, in this order, in place of those asked for before. A page already made is
    // not made again until it is forgotten.
    void Want(const std::vector<int>& pages);
    // The page's files are gone: it is made again when it is wanted.
    void Forget(int page);
    // The PDF the pages come from, once open (a deck's printed PDF); empty before.
    QString PdfPath() const;

    // Stops the work where it is: a page being drawn is abandoned, LibreOffice and what it started are
    // killed. Returns at once; no event comes after it.
    void Stop();
    // Waits up to timeoutMs for the thread to end after Stop(); false when it is still inside the PDF library
    // (reading a damaged file to its end), where it cannot be stopped.
    bool WaitUntilEnded(int timeoutMs);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace DIALOG

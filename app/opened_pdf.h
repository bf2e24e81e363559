#pragma once
// One PDF or slide deck opened as board pages. Its pages stand in the board's page list from the first
// page's index on; each is made (rendered and stored as page files) when the teacher comes near it, and one
// without ink goes again once the teacher has moved on.
#include "assist/conversion_progress.h"
#include "surface/pdf_page_maker.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <vector>

namespace DIALOG {

struct OpenedPdf {
    enum class Page : std::uint8_t {
        Waiting, // in the PDF only
        Made, // its page files are on disk
        Failed, // it could not be rendered or stored; not asked for again
    };

    int id = 0;
    QString name;
    QSize screen;
    // The index of its first page in the board's page list; -1 until that page has come.
    int first = -1;
    std::vector<Page> pages;
    // Where a deck is printed to PDF; it lives as long as pages may still be made from that PDF.
    std::unique_ptr<QTemporaryDir> work;
    // Declared after work: it stops before the PDF it reads goes.
    std::unique_ptr<PdfPageMaker> maker;
    QPointer<CConversionProgress> progress;

    int Count() const { return int(pages.size()); }
    bool Holds(int index) const { return first >= 0 && index >= first && index < first + Count(); }
};

} // namespace DIALOG

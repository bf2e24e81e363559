#pragma once
// A PDF document as the program reads it: its pages' sizes and the pages drawn as pictures. The PDF library
// is loaded when the first document is opened.
#include <QImage>
#include <QSizeF>
#include <QString>

#include <atomic>
#include <memory>

namespace pdfreader {

class Document {
public:
    virtual ~Document() = default;
    virtual bool Locked() const = 0;
    virtual int PageCount() const = 0;
    // In points; empty when there is no such page.
    virtual QSizeF PageSize(int index) const = 0;
    // The page at these resolutions, antialiased; null when it cannot be drawn, or when *abort turns true
    // while it is drawn.
    virtual QImage Render(int index, double dpiX, double dpiY, const std::atomic<bool>* abort) const = 0;
};

// The document at path; null when it cannot be read, with *readerMissing true when the PDF library itself
// cannot be loaded. Safe on any thread.
std::unique_ptr<Document> Open(const QString& path, bool* readerMissing = nullptr);
// What the teacher reads when the PDF library cannot be loaded, in the language in force.
QString MissingText();

} // namespace pdfreader

// The module's one entry, QMPdfOpen: a new document, or null.
using QMPdfOpenFunction = pdfreader::Document* (*)(const QString* path);

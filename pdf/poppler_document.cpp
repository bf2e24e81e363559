// Poppler behind the program's PDF document.
#include "pdf/pdf_reader.h"

#include <poppler-qt6.h>

namespace {

bool renderAborted(const QVariant& abort)
{
    return reinterpret_cast<const std::atomic<bool>*>(abort.value<quintptr>())->load();
}

class PopplerDocument : public pdfreader::Document {
public:
    explicit PopplerDocument(std::unique_ptr<Poppler::Document> document)
        : document_(std::move(document))
    {
        document_->setRenderHint(Poppler::Document::Antialiasing);
        document_->setRenderHint(Poppler::Document::TextAntialiasing);
    }

    bool Locked() const override { return document_->isLocked(); }
    int PageCount() const override { return document_->numPages(); }

    QSizeF PageSize(int index) const override
    {
        const std::unique_ptr<Poppler::Page> page = pageAt(index);
        return page ? page->pageSizeF() : QSizeF();
    }

    QImage Render(int index, double dpiX, double dpiY, const std::atomic<bool>* abort) const override
    {
        const std::unique_ptr<Poppler::Page> page = pageAt(index);
        if (!page)
            return {};
        QImage image = abort
            ? page->renderToImage(dpiX, dpiY, -1, -1, -1, -1, Poppler::Page::Rotate0, nullptr, nullptr,
                renderAborted, QVariant::fromValue(reinterpret_cast<quintptr>(abort)))
            : page->renderToImage(dpiX, dpiY);
        return abort && *abort ? QImage() : image;
    }

private:
    std::unique_ptr<Poppler::Page> pageAt(int index) const
    {
        return index >= 0 && index < document_->numPages() ? document_->page(index) : nullptr;
    }

    std::unique_ptr<Poppler::Document> document_;
};

} // namespace

extern "C" __attribute__((visibility("default"))) pdfreader::Document* QMPdfOpen(const QString* path)
{
    std::unique_ptr<Poppler::Document> document = path ? Poppler::Document::load(*path) : nullptr;
    return document ? new PopplerDocument(std::move(document)) : nullptr;
}

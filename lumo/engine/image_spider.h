#pragma once
// The pictures of one folder, and each picture loaded at the size the wall needs.
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

namespace lumo::wall {

class IImageItem {
public:
    virtual ~IImageItem() = default;
    virtual const QString& FilePath() const = 0;
    // The picture fitted into maxSide × maxSide (never enlarged), as 32-bit ARGB; null when it does not load.
    virtual QImage Load(int maxSide) const = 0;
    // The picture fitted into a box of exactly this size with its own shape (see zoomFit).
    virtual QImage LoadFitted(QSize box) const = 0;
    // The picture's own size; empty when it cannot be read.
    virtual QSize OriginalSize() const = 0;
};

class CLocalImageItem : public IImageItem {
public:
    explicit CLocalImageItem(QString path);
    const QString& FilePath() const override { return path_; }
    QImage Load(int maxSide) const override;
    QImage LoadFitted(QSize box) const override;
    QSize OriginalSize() const override;

private:
    QString path_;
};

} // namespace lumo::wall

namespace lumo::spider {

class IImageSpider {
public:
    virtual ~IImageSpider() = default;
    virtual std::vector<std::unique_ptr<lumo::wall::IImageItem>> Crawl() = 0;
};

// The picture files of one folder in name order; a file is a picture by the last three letters of its name.
class CLocalImageSpider : public IImageSpider {
public:
    explicit CLocalImageSpider(QString folder);
    std::vector<std::unique_ptr<lumo::wall::IImageItem>> Crawl() override;
    const QString& Folder() const { return folder_; }

private:
    QString folder_;
};

} // namespace lumo::spider

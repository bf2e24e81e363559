#include "lumo/engine/image_spider.h"

#include "lumo/engine/wall_rules.h"

#include <QDir>
#include <QImageReader>

#include <algorithm>

namespace lumo::wall {

CLocalImageItem::CLocalImageItem(QString path)
    : path_(std::move(path))
{
}

QSize CLocalImageItem::OriginalSize() const
{
    QImageReader reader(path_);
    reader.setAutoTransform(true);
    return reader.size();
}

QImage CLocalImageItem::LoadFitted(QSize box) const
{
    QImageReader reader(path_);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    // JPEG decodes straight to the smaller size: a 4000 × 3000 photo never exists whole in memory.
    if (size.isValid() && !box.isEmpty())
        reader.setScaledSize(box);
    QImage image = reader.read();
    if (image.isNull())
        return image;
    if (!box.isEmpty() && image.size() != box)
        image = image.scaled(box, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage CLocalImageItem::Load(int maxSide) const
{
    const QSize size = OriginalSize();
    if (!size.isValid())
        return LoadFitted(QSize());
    QSize box = size;
    if (size.width() > maxSide || size.height() > maxSide)
        box = size.scaled(maxSide, maxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return LoadFitted(box);
}

} // namespace lumo::wall

namespace lumo::spider {

namespace {

// Names in the order a person counts them: "s_2" before "s_10"; the same digits otherwise compare as text.
bool countsBefore(const QString& a, const QString& b)
{
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            int ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            const qulonglong x = a.mid(i, ei - i).toULongLong(), y = b.mid(j, ej - j).toULongLong();
            if (x != y)
                return x < y;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;
}

} // namespace

CLocalImageSpider::CLocalImageSpider(QString folder)
    : folder_(std::move(folder))
{
}

std::vector<std::unique_ptr<lumo::wall::IImageItem>> CLocalImageSpider::Crawl()
{
    std::vector<std::unique_ptr<lumo::wall::IImageItem>> items;
    QDir dir(folder_);
    QStringList names = dir.entryList(QDir::Files | QDir::Readable);
    std::sort(names.begin(), names.end(), countsBefore);
    for (const QString& name : names)
        if (lumo::wall::isPictureFile(name))
            items.push_back(std::make_unique<lumo::wall::CLocalImageItem>(dir.filePath(name)));
    return items;
}

} // namespace lumo::spider

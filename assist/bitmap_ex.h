#pragma once
// A picture that a window of the library draws, remembering where it was last drawn: that rectangle is its
// hit area when the picture serves as a button. A picture that failed to load draws nothing and is never hit.
#include "assist/qmhelp_export.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

class QPainter;

namespace UICONTROL {

class QMHELP_EXPORT CBitmapEx {
public:
    // The library's own picture of a resource id.
    bool LoadResource(int id);
    bool LoadFile(const QString& path);
    void Attach(const QImage& image);

    // Each drawing call makes the drawn rectangle the hit area.
    void Draw(QPainter& painter, const QPoint& topLeft);
    void DrawStretch(QPainter& painter, const QRect& target);
    // Pixels of the transparent colour are left as they were.
    void DrawTransparent(QPainter& painter, const QPoint& topLeft, QRgb transparent);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool IsNull() const { return image_.isNull(); }
    // Takes the part sub of other (clipped to it); false when nothing is left.
    bool CopyFrom(const CBitmapEx& other, const QRect& sub);
    // The picture's non-black pixels, as a window shape.
    QRegion Region() const;

    QRect DrawnRect() const { return drawn_; }
    bool Hit(const QPoint& point) const { return !image_.isNull() && drawn_.contains(point); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
    QRect drawn_;
};

} // namespace UICONTROL

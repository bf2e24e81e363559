#pragma once
// A zoomed slide to write on: the slide's picture over the place the wall shows it, on black. Each slide
// keeps its ink while the wall is open, and gets it back when it is zoomed again.
#include "lumo/engine/ink_canvas.h"
#include "wall/qmshow_export.h"

#include <QHash>
#include <QString>

namespace lumo::show {

class QMSHOW_EXPORT SlideCanvas : public wall::InkCanvas {
    Q_OBJECT
public:
    explicit SlideCanvas(QWidget* parent);

    // The slide's picture, shown scaled into the canvas; ink drawn on it earlier comes back with it.
    void SetSlide(const QString& path, const QImage& picture);
    const QString& Slide() const { return slide_; }
    // Removes the ink of the slide shown.
    void Clear();

private:
    QString slide_;
    QHash<QString, QList<wall::InkMark>> inkOfSlides_;
};

} // namespace lumo::show

#include "wall/slide_canvas.h"

namespace lumo::show {

SlideCanvas::SlideCanvas(QWidget* parent)
    : InkCanvas(parent, Qt::black, Qt::BlankCursor, Qt::BlankCursor)
{
}

void SlideCanvas::SetSlide(const QString& path, const QImage& picture)
{
    if (!slide_.isEmpty())
        inkOfSlides_[slide_] = Marks();
    slide_ = path;
    ShowPicture(picture, inkOfSlides_.value(path));
}

void SlideCanvas::Clear()
{
    inkOfSlides_.remove(slide_);
    InkCanvas::Clear();
}

} // namespace lumo::show

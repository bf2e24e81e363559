#include "board3d/page_canvas.h"

namespace lumo::board {

PageCanvas::PageCanvas(QWidget* parent)
    : InkCanvas(parent, Qt::white, Qt::CrossCursor, Qt::PointingHandCursor)
{
}

void PageCanvas::SetPage(const QString& path, const QImage& picture)
{
    path_ = path;
    ShowPicture(picture, {});
}

} // namespace lumo::board

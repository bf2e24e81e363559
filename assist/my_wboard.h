#pragma once
// The picture zoom: the screen rectangle frozen and shown enlarged (1 to 10 times) over the whole screen
// rectangle; the teacher drags it about and uses its three pictures to zoom in, out or close it.
#include "assist/bitmap_ex.h"
#include "assist/picture_zoom_model.h"
#include "assist/qmhelp_export.h"

#include <QCursor>
#include <QImage>
#include <QWidget>

#include <functional>

namespace DIALOG {

class QMHELP_EXPORT CMyWboard : public QWidget {
public:
    // What a press on one of the window's pictures asks of the library.
    enum class Request { Close, Enlarge, Reduce };

    // snapshot: the screen rectangle (desktop coordinates) as it is now; the view starts centred at factor.
    CMyWboard(const QImage& snapshot, const QRect& screen, int factor);

    const zoom::PictureZoom& view() const { return view_; }
    void enlarge();
    // False when the factor came down to 1: the caller then closes the window.
    bool reduce();

    // Where the close, enlarge ("Bin/ZoomOut.png") and reduce ("Bin/ZoomIn.png") pictures stand; empty when
    // the picture is missing.
    QRect closeRect() const;
    QRect enlargeRect() const;
    QRect reduceRect() const;

    // Called when one of the pictures is pressed; the library decides, since it may close this window.
    void setRequestHandler(std::function<void(Request)> handler) { onRequest_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateCursor(const QPoint& point);

    QImage snapshot_;
    UICONTROL::CBitmapEx close_;
    UICONTROL::CBitmapEx enlarge_;
    UICONTROL::CBitmapEx reduce_;
    zoom::PictureZoom view_;
    QPoint last_;
    bool dragging_ = false;
    QCursor viewCursor_;
    QCursor dragCursor_;
    QCursor buttonCursor_;
    std::function<void(Request)> onRequest_;
};

} // namespace DIALOG

#pragma once
// Pages and screens for the instrument tests: instruments are drawn onto a copy of a page and read the
// page's own pixels for their colours.
#include "instruments/instrument_table.h"
#include "instruments/my_shape.h"

#include <QImage>
#include <QPainter>

#include <memory>

namespace instrument_test {

constexpr int kScreenWidth = 1920;

inline DIALOG::ScreenWidthSource screen()
{
    return [] { return kScreenWidth; };
}

inline QImage page(QColor colour = Qt::white, int w = 1200, int h = 800)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// The page with the instrument drawn over it, as the surface paints it: a black pen, a white brush.
inline QImage drawnOver(DIALOG::MyShape& shape, const QImage& under)
{
    QImage out = under.copy();
    QPainter p(&out);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    shape.Draw(p, under);
    return out;
}

template<typename Shape>
std::unique_ptr<Shape> laid(QPoint a, QPoint b)
{
    auto shape = std::make_unique<Shape>(screen());
    shape->ptOrigin = a;
    shape->ptHandle = b;
    shape->visible = 1;
    return shape;
}

// Chooses a kind and lays it by a press at a, one drag step and a release at b.
inline void place(DIALOG::InstrumentTable& table, const char* kind, QPoint a, QPoint b)
{
    table.SelectInstrument(QString::fromLatin1(kind));
    table.Press(a);
    table.Move(b, QRect());
    table.Release(b);
}

inline bool isInk(QRgb c)
{
    return qGray(c) < 60;
}

} // namespace instrument_test

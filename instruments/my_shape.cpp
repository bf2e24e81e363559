#include "instruments/my_shape.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <cmath>
#include <utility>

namespace DIALOG {

int PrimaryScreenWidth()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return screen->geometry().width();
    return 1920;
}

double Distance(QPoint a, QPoint b)
{
    return std::hypot(double(b.x()) - double(a.x()), double(b.y()) - double(a.y()));
}

MyShape::MyShape(ScreenWidthSource screenWidth)
    : screenWidth_(screenWidth ? std::move(screenWidth) : ScreenWidthSource(PrimaryScreenWidth))
{
    maxLength = double(this->screenWidth());
}

MyShape::~MyShape() = default;

int MyShape::screenWidth() const
{
    return screenWidth_();
}

int MyShape::Direction(int x0, int y0, int x1, int y1) const
{
    if (x0 == x1 && y0 == y1)
        return 4;
    if (y0 == y1)
        return 5;
    if (x0 == x1)
        return 6;
    if (y1 < y0)
        return x1 > x0 ? 0 : 1;
    return x1 < x0 ? 2 : 3;
}

void MyShape::Draw(QPainter&, const QImage&)
{
}

BOOL MyShape::HitBody(int, int) const
{
    return 0;
}

BOOL MyShape::HitHandle(int x, int y) const
{
    return Distance(QPoint(x, y), ptHandle) <= 15.0;
}

BOOL MyShape::CanReach(int x, int y) const
{
    return Distance(ptOrigin, QPoint(x, y)) <= double(screenWidth());
}

void MyShape::UpdateRegions()
{
}

BOOL MyShape::BodyRegionMeets(int left, int top, int right, int bottom) const
{
    // Every integer point of the closed rectangle tested against the body is the same question as whether
    // the body's pixels meet the rectangle's, asked once instead of once a pixel.
    if (!bodyRgn || right < left || bottom < top)
        return 0;
    const QRect rect(QPoint(left, top), QPoint(right, bottom));
    return bodyRgn->intersects(rect);
}

} // namespace DIALOG

#include "surface/pen_node.h"

#include "platform/gdi.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>

using namespace DIALOG;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

QImage page(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kWhite);
    return img;
}

// A stroke as the page drew it before strokes were written into the bitmap directly.
void paintStrokeWithQt(QImage& img, const CPenNode& node)
{
    QPainter p(&img);
    platform::beginGdi(p);
    p.setPen(platform::gdiPen(node.colour, node.width));
    if (node.highlight)
        platform::setRop2(p, platform::R2_MASKPEN);
    QPolygon poly;
    for (const PenPoint& pt : node.points)
        poly << QPoint(pt.x, pt.y);
    p.drawPolyline(poly);
}

long differing(const QImage& a, const QImage& b)
{
    long n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

long inked(const QImage& img)
{
    long n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) != kWhite;
    return n;
}

} // namespace

TEST(PenNodeWideStroke, PageOfStrokesLooksAsQtDrewIt)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(0, 399), step(-8, 8);
    for (int width : {1, 3, 8}) {
        QImage drawn = page(400, 300);
        QImage reference = page(400, 300);
        for (int s = 0; s < 60; ++s) {
            CPenNode node(RGB(s * 4, 40, 200), width, s % 5 == 0, Pen);
            int x = coord(rng), y = coord(rng) % 300;
            for (int k = 0; k < 40; ++k) {
                node.AddPoint(x, y);
                x += step(rng);
                y += step(rng);
            }
            QPainter p(&drawn);
            node.Draw(p, nullptr);
            p.end();
            paintStrokeWithQt(reference, node);
        }
        const long ink = inked(reference);
        ASSERT_GT(ink, 1000);
        // One pixel pens are still Qt's own; wide ones may differ on edge pixels only.
        if (width == 1)
            EXPECT_EQ(differing(drawn, reference), 0);
        else
            EXPECT_LE(double(differing(drawn, reference)), 0.01 * double(ink)) << "width " << width;
    }
}

TEST(PenNodeWideStroke, WideHighlighterOverColourIsExactlyQts)
{
    QImage drawn = page(200, 120);
    QPainter(&drawn).fillRect(0, 60, 200, 60, QColor(30, 120, 250));
    QImage reference = drawn;
    CPenNode node(RGB(255, 255, 0), 12, 1, Pen);
    node.AddPoint(10, 20);
    node.AddPoint(100, 100);
    node.AddPoint(190, 20);
    QPainter p(&drawn);
    node.Draw(p, nullptr);
    p.end();
    paintStrokeWithQt(reference, node);
    EXPECT_EQ(drawn, reference);
    EXPECT_EQ(drawn.pixel(100, 100), qRgb(30, 120, 0));
}

TEST(PenNodeWideStroke, SpeedPenSegmentsMatchQtPerWidth)
{
    CPenNode node(RGB(0, 0, 0), 3, 0, SpeedPen);
    node.AddPoint(10, 50, 1, 0);
    node.AddPoint(80, 20, 1, 4);
    node.AddPoint(140, 50, 1, 1);
    node.AddPoint(220, 80, 1, 10);
    node.AddPoint(290, 50, 1, 6);
    QImage drawn = page(300, 100);
    QPainter p(&drawn);
    node.Draw(p, nullptr);
    p.end();

    QImage reference = page(300, 100);
    QPainter q(&reference);
    platform::beginGdi(q);
    for (std::size_t i = 1; i < node.points.size(); ++i) {
        q.setPen(platform::gdiPen(node.colour, node.points[i].segWidth));
        q.drawLine(node.points[i - 1].x, node.points[i - 1].y, node.points[i].x, node.points[i].y);
    }
    q.end();
    EXPECT_LE(double(differing(drawn, reference)), 0.01 * double(inked(reference)));
}

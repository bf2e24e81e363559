#include "surface/pen_node.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

using namespace DIALOG;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

QImage page(int w = 200, int h = 200, QRgb fill = kWhite)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void draw(QImage& target, const CPenNode& node, const QImage* background = nullptr)
{
    QPainter p(&target);
    node.Draw(p, background);
}

int inked(const QImage& img, QRgb paper = kWhite)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) != paper;
    return n;
}

CPenNode twoPoint(NodeKind kind, QPoint a, QPoint b, int width = 3, COLORREF colour = RGB(0, 0, 0))
{
    CPenNode node(colour, width, 0, kind);
    node.AddPoint(a.x(), a.y());
    node.AddPoint(b.x(), b.y());
    return node;
}

} // namespace

TEST(PenNodeDraw, OnePointPenIsExactlyOnePixel)
{
    QImage img = page();
    CPenNode node(RGB(255, 0, 0), 8, 0, Pen);
    node.AddPoint(40, 50);
    draw(img, node);
    EXPECT_EQ(inked(img), 1);
    EXPECT_EQ(img.pixel(40, 50), qRgb(255, 0, 0));
}

TEST(PenNodeDraw, OnePointPolylineDrawsNothing)
{
    QImage img = page();
    CPenNode node(RGB(255, 0, 0), 8, 0, Polyline);
    node.AddPoint(40, 50);
    draw(img, node);
    EXPECT_EQ(inked(img), 0);
}

TEST(PenNodeDraw, ErasedClearedAndEmptyObjectsDrawNothing)
{
    QImage img = page();
    CPenNode node = twoPoint(Line, {10, 10}, {100, 100});
    node.erased = 1;
    draw(img, node);
    node.erased = 0;
    node.cleared = 1;
    draw(img, node);
    draw(img, CPenNode(0, 3, 0, Pen));
    EXPECT_EQ(inked(img), 0);
}

TEST(PenNodeDraw, HighlighterMasksWhatLiesBelow)
{
    QImage img = page();
    QPainter(&img).fillRect(100, 0, 100, 200, QColor(0, 0, 255));
    CPenNode node(RGB(255, 255, 0), 10, 1, Pen);
    node.AddPoint(20, 100);
    node.AddPoint(180, 100);
    draw(img, node);
    EXPECT_EQ(img.pixel(50, 100), qRgb(255, 255, 0));
    EXPECT_EQ(img.pixel(150, 100), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(150, 150), qRgb(0, 0, 255));

    CPenNode plain(RGB(255, 255, 0), 10, 0, Pen);
    plain.points = node.points;
    draw(img, plain);
    EXPECT_EQ(img.pixel(150, 100), qRgb(255, 255, 0));
}

TEST(PenNodeDraw, ArrowHeadWingsAndDegenerateArrow)
{
    QPoint w1, w2;
    ASSERT_TRUE(ArrowHead({0, 0}, {100, 0}, &w1, &w2));
    EXPECT_EQ(w1, QPoint(80, 5));
    EXPECT_EQ(w2, QPoint(80, -5));
    ASSERT_TRUE(ArrowHead({100, 100}, {100, 0}, &w1, &w2));
    EXPECT_GT(w1.y(), 0); // pointing up, the wings trail below the tip
    EXPECT_GT(w2.y(), 0);
    EXPECT_FALSE(ArrowHead({5, 5}, {5, 5}, &w1, &w2));

    QImage img = page();
    draw(img, twoPoint(Arrow, {50, 50}, {50, 50}, 1));
    EXPECT_LE(inked(img), 1);
    draw(img, twoPoint(Arrow, {20, 100}, {150, 100}, 1, RGB(0, 128, 0)));
    EXPECT_EQ(img.pixel(140, 102), qRgb(0, 128, 0)); // inside the filled head
    EXPECT_EQ(img.pixel(60, 104), kWhite);
}

TEST(PenNodeDraw, EraseTrailCopiesTheBackgroundSquare)
{
    const QImage background = page(200, 200, qRgb(200, 10, 10));
    QImage img = page();
    CPenNode node(0, 5, 0, EraseTrail);
    node.AddPoint(50, 50);
    draw(img, node, &background);
    EXPECT_EQ(inked(img), 100);
    EXPECT_EQ(img.pixel(45, 45), qRgb(200, 10, 10));
    EXPECT_EQ(img.pixel(54, 54), qRgb(200, 10, 10));
    EXPECT_EQ(img.pixel(55, 50), kWhite);

    QImage none = page();
    draw(none, node, nullptr);
    EXPECT_EQ(inked(none), 0);
}

TEST(PenNodeDraw, LassoFillsFromTheBackground)
{
    QImage background = page(200, 200, qRgb(0, 90, 0));
    QImage img = page();
    CPenNode node(0, 3, 0, EraseLasso);
    for (const QPoint p : {QPoint(20, 20), QPoint(120, 20), QPoint(120, 120), QPoint(20, 120)})
        node.AddPoint(p.x(), p.y());
    draw(img, node, &background);
    EXPECT_EQ(img.pixel(70, 70), qRgb(0, 90, 0));
    EXPECT_EQ(img.pixel(150, 70), kWhite);
    EXPECT_EQ(img.pixel(10, 10), kWhite);
}

TEST(PenNodeDraw, TextDrawsItsLinesInsideTheBox)
{
    QImage img = page(300, 200);
    CPenNode node = twoPoint(Text, {10, 10}, {290, 190}, 24);
    node.SetEditText(QStringLiteral("Hi there\nline"));
    draw(img, node);
    std::vector<bool> rowInked(200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            rowInked[y] = rowInked[y] || img.pixel(x, y) != kWhite;
    int bands = 0;
    for (int y = 1; y < 200; ++y)
        bands += rowInked[y] && !rowInked[y - 1];
    EXPECT_EQ(bands, 2);
    EXPECT_FALSE(rowInked[5]);
}

TEST(PenNodeDraw, BrushDotHasSoftPremultipliedAlpha)
{
    const QImage dot = BrushDot(21, RGB(0, 0, 255));
    ASSERT_EQ(dot.size(), QSize(21, 21));
    const QRgb centre = dot.pixel(10, 10);
    EXPECT_EQ(qAlpha(centre), 150);
    EXPECT_EQ(qBlue(centre), 150);
    EXPECT_EQ(qRed(centre), 0);
    EXPECT_EQ(qAlpha(dot.pixel(0, 0)), 0);
    EXPECT_LT(qAlpha(dot.pixel(10, 18)), qAlpha(dot.pixel(10, 14)));
    EXPECT_EQ(qAlpha(BrushDot(1, 0).pixel(0, 0)), 150);
    EXPECT_TRUE(BrushDot(0, 0).isNull());

    QImage img = page();
    CPenNode node(RGB(0, 0, 0), 21, 0, BrushPen);
    node.AddPoint(100, 100);
    draw(img, node);
    EXPECT_NEAR(qRed(img.pixel(100, 100)), 105, 1); // 150/255 black over white
    EXPECT_EQ(img.pixel(100, 120), kWhite);
}

TEST(PenNodeDraw, BrushStrokeStampsAlongTheLine)
{
    QImage img = page(2000, 60);
    CPenNode node(RGB(0, 0, 0), 9, 0, BrushPen);
    node.AddPoint(-2000000000, 30);
    node.AddPoint(2000000000, 30);
    QElapsedTimer timer;
    timer.start();
    draw(img, node);
    EXPECT_LT(timer.elapsed(), 10000); // a far-flung stroke is clipped, not walked
    EXPECT_NE(img.pixel(0, 30), kWhite);
    EXPECT_NE(img.pixel(1999, 30), kWhite);
    EXPECT_EQ(img.pixel(1000, 50), kWhite);
}

TEST(PenNodeDraw, CompassArcRunsCounterClockwiseFromPointToPoint)
{
    // From the right of the centre to the top is a quarter; from the top to the right, three quarters. A
    // repeated point adds nothing (drawn, it would be the whole circle).
    for (bool reversed : {false, true}) {
        QImage img = page(400, 400);
        CPenNode node(RGB(0, 0, 0), 1, 0, CompassArc);
        node.arcCentreX = 200;
        node.arcCentreY = 200;
        node.arcRadius = 100.0;
        QPoint a(300, 200), b(200, 100);
        if (reversed)
            std::swap(a, b);
        node.AddPoint(a.x(), a.y());
        node.AddPoint(a.x(), a.y());
        node.AddPoint(b.x(), b.y());
        draw(img, node);
        int upperRight = 0;
        int elsewhere = 0;
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x)
                if (img.pixel(x, y) != kWhite)
                    (x >= 195 && y <= 205 ? upperRight : elsewhere)++;
        if (!reversed) {
            EXPECT_GT(upperRight, 100);
            EXPECT_EQ(elsewhere, 0);
        } else {
            EXPECT_GT(elsewhere, 300);
            EXPECT_LT(upperRight, 20);
        }
    }
}

TEST(PenNodeDraw, DashPenLeavesGaps)
{
    QImage img = page(300, 40);
    draw(img, twoPoint(DashPen, {10, 20}, {290, 20}, 2));
    std::set<bool> along;
    for (int x = 20; x < 280; ++x)
        along.insert(img.pixel(x, 20) != kWhite);
    EXPECT_EQ(along.size(), 2u);
}

TEST(PenNodeDraw, SpeedPenSegmentsTakeTheirEndPointWidth)
{
    QImage img = page(300, 100);
    CPenNode node(RGB(0, 0, 0), 3, 0, SpeedPen);
    node.AddPoint(10, 50, 1, 0);
    node.AddPoint(140, 50, 1, 2);
    node.AddPoint(290, 50, 1, 12);
    draw(img, node);
    auto thickness = [&](int x) {
        int n = 0;
        for (int y = 0; y < 100; ++y)
            n += img.pixel(x, y) != kWhite;
        return n;
    };
    EXPECT_LE(thickness(70), 3);
    EXPECT_GE(thickness(220), 11);
}

TEST(PenNodeDraw, PictureFillsItsTurnedBox)
{
    auto red = std::make_shared<QImage>(10, 10, QImage::Format_RGB32);
    red->fill(Qt::red);
    CPenNode node(0, 3, 0, Picture);
    node.image = red;
    node.boxWidth = 40;
    node.boxHeight = 10;
    node.boxCentreX = 100;
    node.boxCentreY = 100;
    QImage img = page();
    draw(img, node);
    EXPECT_EQ(img.pixel(85, 100), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(100, 112), kWhite);

    node.boxAngle = std::numbers::pi / 2;
    img = page();
    draw(img, node);
    EXPECT_EQ(img.pixel(100, 115), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(115, 100), kWhite);

    node.image = std::make_shared<QImage>();
    img = page();
    draw(img, node);
    EXPECT_EQ(inked(img), 0);
}

TEST(PenNodeDraw, SolidsAndOnePointShapesDraw)
{
    QImage img = page(400, 450);
    draw(img, twoPoint(Cube, {300, 400}, {100, 250}, 1, RGB(255, 0, 0)));
    // The antialiased bottom edge straddles rows 399 and 400.
    const QRgb edge = qGreen(img.pixel(200, 399)) < qGreen(img.pixel(200, 400)) ? img.pixel(200, 399)
                                                                                : img.pixel(200, 400);
    EXPECT_EQ(qRed(edge), 255);
    EXPECT_LT(qGreen(edge), 200);

    // Shapes spanned by two points still draw (degenerately) from a record holding one.
    for (NodeKind kind : {GuideLine, Rectangle, Ellipse, Text, Cube, Cylinder, Line, Arrow}) {
        CPenNode one(0, 3, 0, kind);
        one.AddPoint(20, 20);
        QImage small = page(50, 50);
        draw(small, one);
        EXPECT_LE(inked(small), 16) << kind;
    }
}

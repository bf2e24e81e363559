// Fingers, a palm and a stylus on the pen surface, through Qt's own touch path (a touch screen device
// made for the test) and tablet events sent as Qt delivers them: every finger writes its own stroke at the
// same time, each undone on its own; a palm and the stylus's eraser end erase and leave the tool as it was;
// pressure sets the width; two fingers carry and turn a ruler.
#include "surface/surface_fixture.h"

#include "surface/test_strokes.h"
#include "surface/touch_writers.h"

#include <QTabletEvent>
#include <QTest>

#include <cmath>
#include <numbers>

using namespace DIALOG;

namespace {

// One device for each kind a board may report: Qt keeps devices for the life of the process.
QPointingDevice* touchScreen(QInputDevice::Capabilities caps)
{
    static QPointingDevice* sized = nullptr;
    static QPointingDevice* pressing = nullptr;
    QPointingDevice*& device = caps.testFlag(QInputDevice::Capability::Pressure) ? pressing : sized;
    if (!device)
        device = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen, caps);
    return device;
}

QPointingDevice* fingers()
{
    return touchScreen(QInputDevice::Capability::Position | QInputDevice::Capability::Area);
}

// A frame that reports pressure and no size: Qt gives a pressed point the full pressure, as a palm laid flat.
QPointingDevice* palmFrame()
{
    return touchScreen(QInputDevice::Capability::Position | QInputDevice::Capability::Pressure);
}

const QPointingDevice* stylus(QPointingDevice::PointerType end)
{
    static const auto* pen = new QPointingDevice(QStringLiteral("stylus"), 9001,
        QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    static const auto* eraser = new QPointingDevice(QStringLiteral("stylus eraser"), 9001,
        QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Eraser,
        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    return end == QPointingDevice::PointerType::Eraser ? eraser : pen;
}

class Hands : public SurfaceTest {
protected:
    // Fingers pressed at the starts of paths, moved together in steps to their ends, and lifted one by one in
    // the order lift gives (all of them in path order without one).
    void writeTogether(const std::vector<std::pair<QPoint, QPoint>>& paths, std::vector<int> lift = {},
        QPointingDevice* device = fingers(), int steps = 20)
    {
        QWidget* w = surface_.get();
        auto touch = QTest::touchEvent(w, device, false);
        for (std::size_t i = 0; i < paths.size(); ++i)
            touch.press(int(i), paths[i].first, w);
        touch.commit();
        for (int k = 1; k <= steps; ++k) {
            for (std::size_t i = 0; i < paths.size(); ++i)
                touch.move(int(i), paths[i].first + (paths[i].second - paths[i].first) * k / steps, w);
            touch.commit();
        }
        if (lift.empty())
            for (std::size_t i = 0; i < paths.size(); ++i)
                lift.push_back(int(i));
        std::vector<bool> down(paths.size(), true);
        for (int finger : lift) {
            for (std::size_t i = 0; i < paths.size(); ++i) {
                if (int(i) == finger)
                    touch.release(finger, paths[i].second, w);
                else if (down[i])
                    touch.stationary(int(i));
            }
            touch.commit();
            down[std::size_t(finger)] = false;
        }
    }

    void tablet(QEvent::Type type, QPoint p, double pressure, QPointingDevice::PointerType end)
    {
        const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held = type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton;
        QTabletEvent e(type, stylus(end), QPointF(p), QPointF(surface_->mapToGlobal(p)), pressure, 0, 0, 0, 0,
            0, Qt::NoModifier, button, held);
        QCoreApplication::sendEvent(surface_.get(), &e);
    }
    // The stylus pressed at from, moved a pixel at a time to to with pressure changing evenly between the two
    // given, and lifted.
    void stylusStroke(QPoint from, QPoint to, double pressureFrom, double pressureTo,
        QPointingDevice::PointerType end = QPointingDevice::PointerType::Pen)
    {
        tablet(QEvent::TabletPress, from, pressureFrom, end);
        const int n = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
        for (int k = 1; k <= n; ++k)
            tablet(QEvent::TabletMove, from + (to - from) * k / n,
                pressureFrom + (pressureTo - pressureFrom) * k / n, end);
        tablet(QEvent::TabletRelease, to, 0.0, end);
    }

    const std::vector<CPenNode>& nodes() const { return lesson_.Pages().nodes; }
};

// Every point of node lies on the row y: a stroke that joined two fingers would leave it.
bool onRow(const CPenNode& node, int y)
{
    return !node.points.empty()
        && std::all_of(node.points.begin(), node.points.end(), [&](const PenPoint& p) { return p.y == y; });
}

double degrees(QPoint from, QPoint to)
{
    return std::atan2(to.y() - from.y(), to.x() - from.x()) * 180.0 / std::numbers::pi;
}

} // namespace

TEST_F(Hands, TwoFingersWriteTwoStrokesAtOnceAndNothingBetweenThem)
{
    CScreenPenWnd& s = open();
    writeTogether({{{100, 200}, {500, 200}}, {{100, 400}, {500, 400}}});

    ASSERT_EQ(nodes().size(), 2u);
    EXPECT_TRUE(onRow(nodes()[0], 200));
    EXPECT_TRUE(onRow(nodes()[1], 400));
    for (const CPenNode& stroke : nodes()) {
        EXPECT_EQ(stroke.kind, Pen);
        EXPECT_EQ(stroke.width, 3);
        EXPECT_EQ(stroke.points.front().x, 100);
        EXPECT_EQ(stroke.points.back().x, 500);
        EXPECT_GE(stroke.points.size(), 20u);
    }
    const QImage page = s.ComposedPage();
    EXPECT_GT(inked(page, QRect(100, 195, 401, 10)), 800);
    EXPECT_GT(inked(page, QRect(100, 395, 401, 10)), 800);
    // No zig-zag from one finger to the other.
    EXPECT_EQ(inked(page, QRect(90, 220, 420, 160)), 0);
    EXPECT_EQ(inked(s.windowImage(), QRect(90, 220, 420, 160)), 0);
    EXPECT_TRUE(lesson_.Pages().pageChanged);
}

TEST_F(Hands, TenFingersWriteTenStrokesKeptInTheOrderTheyLiftAndUndoneOneByOne)
{
    CScreenPenWnd& s = open();
    std::vector<std::pair<QPoint, QPoint>> paths;
    for (int i = 0; i < 10; ++i)
        paths.push_back({{100, 60 + 50 * i}, {600, 60 + 50 * i}});
    // An eleventh finger finds no room and writes nothing.
    paths.push_back({{650, 100}, {650, 500}});
    writeTogether(paths, {3, 9, 0, 10, 7, 1, 2, 4, 5, 6, 8});

    ASSERT_EQ(nodes().size(), 10u);
    const std::vector<int> lifted = {3, 9, 0, 7, 1, 2, 4, 5, 6, 8};
    for (std::size_t k = 0; k < lifted.size(); ++k)
        EXPECT_TRUE(onRow(nodes()[k], 60 + 50 * lifted[k])) << "stroke " << k;
    EXPECT_EQ(inked(s.ComposedPage(), QRect(645, 80, 10, 440)), 0);

    // Each stroke is undone on its own, the last lifted first.
    s.UndoStep();
    EXPECT_EQ(qmtest::shownHeights(nodes()).size(), 9u);
    EXPECT_EQ(inked(s.ComposedPage(), QRect(100, 55 + 50 * 8, 501, 10)), 0);
    EXPECT_GT(inked(s.ComposedPage(), QRect(100, 55 + 50 * 6, 501, 10)), 800);
    s.UndoStep();
    EXPECT_EQ(inked(s.ComposedPage(), QRect(100, 55 + 50 * 6, 501, 10)), 0);
    s.RedoStep();
    EXPECT_GT(inked(s.ComposedPage(), QRect(100, 55 + 50 * 6, 501, 10)), 800);
}

TEST_F(Hands, OneFingerDrawsOnceLikeTheMouseEvenWhenQtAlsoMakesMouseEventsOfIt)
{
    CScreenPenWnd& s = open();
    QWidget* w = surface_.get();
    auto touch = QTest::touchEvent(w, fingers(), false);
    touch.press(0, {100, 300}, w).commit();
    // A mouse event made from the same finger, as a window system may send besides the touch.
    QMouseEvent made(QEvent::MouseMove, QPointF(300, 500), QPointF(w->mapToGlobal(QPoint(300, 500))),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier, fingers());
    QCoreApplication::sendEvent(w, &made);
    for (int x = 110; x <= 300; x += 10)
        touch.move(0, {x, 300}, w).commit();
    EXPECT_TRUE(s.mouseHeld());
    touch.release(0, {300, 300}, w).commit();
    EXPECT_FALSE(s.mouseHeld());

    ASSERT_EQ(nodes().size(), 1u);
    EXPECT_TRUE(onRow(nodes()[0], 300));
    EXPECT_EQ(inked(s.ComposedPage(), QRect(280, 310, 40, 200)), 0);

    // The mouse then writes as before.
    drag({100, 600}, {300, 600});
    ASSERT_EQ(nodes().size(), 2u);
    EXPECT_TRUE(onRow(nodes()[1], 600));
}

TEST_F(Hands, ShapesAndErasersWorkPerFinger)
{
    CScreenPenWnd& s = open();
    s.SetShape(Rectangle);
    writeTogether({{{100, 100}, {300, 200}}, {{400, 100}, {600, 200}}});
    ASSERT_EQ(nodes().size(), 2u);
    for (const CPenNode& box : nodes()) {
        EXPECT_EQ(box.kind, Rectangle);
        ASSERT_EQ(box.points.size(), 2u);
    }
    EXPECT_EQ(QPoint(nodes()[0].points[1].x, nodes()[0].points[1].y), QPoint(300, 200));
    EXPECT_EQ(QPoint(nodes()[1].points[0].x, nodes()[1].points[0].y), QPoint(400, 100));
    // The bands are gone with the fingers: the window shows the page.
    const QRect boxes(90, 90, 520, 120);
    EXPECT_EQ(s.windowImage().copy(boxes), s.pageBitmap().copy(boxes));

    band(400);
    s.SetPointEraser(8);
    writeTogether({{{250, 340}, {250, 460}}, {{450, 340}, {450, 460}}});
    ASSERT_EQ(nodes().size(), 5u);
    EXPECT_EQ(nodes()[3].kind, EraseTrail);
    EXPECT_EQ(nodes()[4].kind, EraseTrail);
    const QImage page = s.ComposedPage();
    EXPECT_EQ(inked(page, QRect(246, 360, 8, 80)), 0);
    EXPECT_EQ(inked(page, QRect(446, 360, 8, 80)), 0);
    EXPECT_GT(inked(page, QRect(330, 360, 40, 80)), 3000);
}

TEST_F(Hands, APalmErasesUnderItWhateverTheToolAndLeavesThePenAsItWas)
{
    CScreenPenWnd& s = open();
    band(300);
    s.SetPen(3, RGB(0, 0, 0));
    // A finger writes while the palm wipes across the band.
    QWidget* w = surface_.get();
    auto palm = QTest::touchEvent(w, palmFrame(), false);
    palm.press(0, {250, 300}, w).commit();
    for (int x = 260; x <= 400; x += 10)
        palm.move(0, {x, 300}, w).commit();
    palm.release(0, {400, 300}, w).commit();

    ASSERT_EQ(nodes().size(), 2u);
    const CPenNode& wipe = nodes()[1];
    EXPECT_EQ(wipe.kind, EraseTrail);
    EXPECT_EQ(wipe.width, TouchWriters::kPalmEraserSize);
    const QImage page = s.ComposedPage();
    EXPECT_EQ(inked(page, QRect(250, 275, 150, 50)), 0);
    EXPECT_GT(inked(page, QRect(450, 275, 100, 50)), 4000);

    // The pen is back: a finger and the mouse write with it.
    EXPECT_EQ(lesson_.Pen().kind, Pen);
    EXPECT_EQ(s.eraseMode(), kEraseModeNone);
    writeTogether({{{100, 600}, {300, 600}}});
    drag({100, 700}, {300, 700});
    ASSERT_EQ(nodes().size(), 4u);
    EXPECT_EQ(nodes()[2].kind, Pen);
    EXPECT_EQ(nodes()[3].kind, Pen);
    EXPECT_GT(inked(s.ComposedPage(), QRect(100, 595, 201, 10)), 400);

    // Undone, the band comes back whole.
    s.UndoStep();
    s.UndoStep();
    s.UndoStep();
    EXPECT_GT(inked(s.ComposedPage(), QRect(250, 275, 150, 50)), 7000);
}

TEST(PalmRule, ASizeBeyondTheThresholdOrFullPressureWithoutASizeIsAPalm)
{
    PalmRule rule;
    rule.pixelsPerMm = 4.0;
    EXPECT_FALSE(rule.IsPalm(QSizeF(40, 30), -1));
    EXPECT_TRUE(rule.IsPalm(QSizeF(40, 130), -1));
    EXPECT_TRUE(rule.IsPalm(QSizeF(120, 20), 0.1));
    // A finger with a size is a finger, whatever pressure the frame also reports.
    EXPECT_FALSE(rule.IsPalm(QSizeF(20, 20), 1.0));
    EXPECT_TRUE(rule.IsPalm(QSizeF(), 0.95));
    EXPECT_FALSE(rule.IsPalm(QSizeF(), 0.5));
    EXPECT_FALSE(rule.IsPalm(QSizeF(), -1));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("SetInfo.ini"));
    qmtest::writeFile(file, "[Touch]\nPalmSize=50\nPalmPressure=2\n");
    const PalmRule set = PalmRule::FromSettings(file, 2.0);
    EXPECT_EQ(set.diameterMm, 50.0);
    EXPECT_EQ(set.pressure, PalmRule::kPressure);
    EXPECT_FALSE(set.IsPalm(QSizeF(99, 99), -1));
    EXPECT_TRUE(set.IsPalm(QSizeF(100, 10), -1));
    const PalmRule none = PalmRule::FromSettings(dir.filePath(QStringLiteral("missing.ini")), 0.0);
    EXPECT_EQ(none.diameterMm, PalmRule::kDiameterMm);
    EXPECT_GT(none.pixelsPerMm, 0.0);
}

TEST_F(Hands, StylusPressureSetsTheDrawnAndStoredWidth)
{
    CScreenPenWnd& s = open();
    s.SetPen(10, RGB(0, 0, 0));
    // Light from 100 to 300, then pressed ever harder to 500.
    tablet(QEvent::TabletPress, {100, 300}, 0.0, QPointingDevice::PointerType::Pen);
    for (int x = 101; x <= 300; ++x)
        tablet(QEvent::TabletMove, {x, 300}, 0.0, QPointingDevice::PointerType::Pen);
    for (int x = 301; x <= 500; ++x)
        tablet(QEvent::TabletMove, {x, 300}, 1.0, QPointingDevice::PointerType::Pen);
    const int liveLight = inked(s.windowImage(), QRect(200, 270, 1, 60));
    const int liveFirm = inked(s.windowImage(), QRect(450, 270, 1, 60));
    tablet(QEvent::TabletRelease, {500, 300}, 0.0, QPointingDevice::PointerType::Pen);

    ASSERT_EQ(nodes().size(), 1u);
    const CPenNode& stroke = nodes()[0];
    EXPECT_EQ(stroke.kind, SpeedPen);
    EXPECT_EQ(stroke.width, 10);
    EXPECT_EQ(stroke.points[100].segWidth, 5);
    EXPECT_EQ(stroke.points[350].segWidth, 20);
    EXPECT_EQ(stroke.points.back().segWidth, 20);
    const QImage page = s.ComposedPage();
    EXPECT_NEAR(inked(page, QRect(200, 270, 1, 60)), 5, 1);
    EXPECT_NEAR(inked(page, QRect(450, 270, 1, 60)), 20, 1);
    EXPECT_EQ(liveLight, inked(page, QRect(200, 270, 1, 60)));
    EXPECT_EQ(liveFirm, inked(page, QRect(450, 270, 1, 60)));

    // The highlighter is no pen of pressure; the mouse keeps the chosen width.
    s.SetHighlighter(10, RGB(255, 255, 0));
    stylusStroke({100, 500}, {300, 500}, 1.0, 1.0);
    drag({100, 700}, {300, 700});
    ASSERT_EQ(nodes().size(), 3u);
    EXPECT_EQ(nodes()[1].kind, Pen);
    EXPECT_EQ(nodes()[2].kind, Pen);
    EXPECT_NEAR(inked(s.ComposedPage(), QRect(200, 670, 1, 60)), 10, 1);
}

TEST_F(Hands, TheStylusEraserEndErasesAndGivesThePenBack)
{
    CScreenPenWnd& s = open();
    band(300);
    s.SetPen(3, RGB(0, 0, 0));
    stylusStroke({300, 250}, {300, 350}, 0.5, 0.5, QPointingDevice::PointerType::Eraser);
    ASSERT_EQ(nodes().size(), 2u);
    EXPECT_EQ(nodes()[1].kind, EraseTrail);
    EXPECT_EQ(inked(s.ComposedPage(), QRect(290, 260, 20, 80)), 0);
    EXPECT_EQ(lesson_.Pen().kind, Pen);

    stylusStroke({100, 600}, {300, 600}, 0.5, 0.5);
    ASSERT_EQ(nodes().size(), 3u);
    EXPECT_EQ(nodes()[2].kind, SpeedPen);
    EXPECT_GT(inked(s.ComposedPage(), QRect(100, 595, 201, 10)), 400);
}

TEST_F(Hands, TwoFingersOnARulerCarryAndTurnItByTheAngleBetweenThem)
{
    CScreenPenWnd& s = open();
    s.SelectInstrument(QStringLiteral("Ruler"));
    through({{150, 300}, {650, 300}}, 5);
    const MyShape* ruler = s.instruments().shape(kRulerEntry);
    ASSERT_TRUE(ruler && ruler->visible);
    QPoint inside(400, 330);
    if (!ruler->HitBody(inside.x(), inside.y()))
        inside = QPoint(400, 270);
    ASSERT_TRUE(ruler->HitBody(inside.x(), inside.y()));

    // Back to the pen: fingers on the ruler hold it, and the first one's stroke just begun is let go.
    s.SetPen(3, RGB(0, 0, 0));
    const QPoint a = inside - QPoint(100, 0), b = inside + QPoint(100, 0);
    const double before = degrees(ruler->ptOrigin, ruler->ptHandle);
    const double length = Distance(ruler->ptOrigin, ruler->ptHandle);
    QWidget* w = surface_.get();
    auto touch = QTest::touchEvent(w, fingers(), false);
    touch.press(0, a, w).commit();
    touch.move(0, a + QPoint(3, 0), w).commit();
    touch.stationary(0).press(1, b, w).commit();
    // Turned 30 degrees about their midpoint, and carried 40 pixels down.
    const QPointF mid = QPointF(inside) + QPointF(0, 40);
    for (int step = 1; step <= 10; ++step) {
        const double t = 30.0 * step / 10 * std::numbers::pi / 180.0;
        const QPointF arm(100 * std::cos(t), 100 * std::sin(t));
        const QPointF down(0, 40.0 * step / 10);
        touch.move(0, (QPointF(inside) + down - arm).toPoint(), w);
        touch.move(1, (QPointF(inside) + down + arm).toPoint(), w);
        touch.commit();
    }
    touch.release(0, (mid - QPointF(86.6, 50)).toPoint(), w)
        .release(1, (mid + QPointF(86.6, 50)).toPoint(), w);
    touch.commit();

    EXPECT_NEAR(degrees(ruler->ptOrigin, ruler->ptHandle) - before, 30.0, 1.0);
    EXPECT_NEAR(Distance(ruler->ptOrigin, ruler->ptHandle), length, 2.0);
    // The ruler's middle turned with the fingers about theirs and went down with them.
    const QPointF centre = QPointF(ruler->ptOrigin + ruler->ptHandle) / 2.0;
    const QPointF off = QPointF(400, 300) - QPointF(inside);
    const double turn = std::numbers::pi / 6;
    const QPointF expected = mid
        + QPointF(off.x() * std::cos(turn) - off.y() * std::sin(turn),
            off.x() * std::sin(turn) + off.y() * std::cos(turn));
    EXPECT_NEAR(centre.x(), expected.x(), 2.0);
    EXPECT_NEAR(centre.y(), expected.y(), 2.0);
    EXPECT_TRUE(nodes().empty());
    EXPECT_FALSE(s.mouseHeld());

    // One finger on it writes, as the mouse does.
    writeTogether({{ruler->ptOrigin + QPoint(50, 0), ruler->ptOrigin + QPoint(150, 0)}});
    EXPECT_EQ(nodes().size(), 1u);
}

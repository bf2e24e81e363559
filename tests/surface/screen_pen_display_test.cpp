// The pen surface on a real display, driven by synthetic pointer and key input as a teacher would drive it:
// the wiring of input, windows and messages. The stroke rules are tested without a display.
#include "surface/screen_pen_wnd.h"

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/notice.h"
#include "platform/shell.h"
#include "platform/x11_desktop.h"
#include "support_main/private_bus.h"
#include "support_main/test_util.h"
#include "surface/page_model.h"
#include "surface/surface_messages.h"
#include "surface/surface_state.h"
#include "surface/transparent_edit.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace DIALOG;
namespace desktop = platform::desktop;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

struct Message {
    UINT number;
    WPARAM wParam;
    bool ownerVisible;
};

class ScreenPenDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(desktop::available()) << "needs the virtual desktop";
        lesson_.Pages().pageChanged = false;
        lesson_.SetBoardMode(kBoardWhite);
        owner_ = std::make_unique<QWidget>();
        owner_->setWindowTitle(QStringLiteral("surface test owner"));
        table_ = std::make_unique<platform::MessageTable>(owner_.get(), QStringLiteral("SurfaceTestOwner"));
        for (UINT m : {ScreenPenMsg::kCapturing, ScreenPenMsg::kExitBoard, ScreenPenMsg::kClosed,
                 ScreenPenMsg::kPolyline}) {
            table_->on(m, [this, m](WPARAM w, LPARAM) -> LRESULT {
                messages_.push_back({m, w, owner_->isVisible()});
                return 0;
            });
        }
    }

    void TearDown() override
    {
        surface_.reset();
        table_.reset();
        owner_.reset();
    }

    CScreenPenWnd& open()
    {
        surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_);
        return *surface_;
    }

    // Waits until the window is on the screen and takes input.
    void shown()
    {
        ASSERT_TRUE(qmtest::waitFor([&] {
            return surface_->isVisible() && surface_->windowHandle() && surface_->windowHandle()->isExposed();
        }));
        qmtest::waitFor([] { return false; }, 100);
    }

    void moveTo(QPoint p)
    {
        if (QCursor::pos() == p && surface_->lastMousePoint() == p)
            return;
        desktop::moveMouse(p.x(), p.y());
        desktop::flush();
        ASSERT_TRUE(qmtest::waitFor([&] { return surface_->lastMousePoint() == p; }, 3000))
            << p.x() << "," << p.y();
    }

    void press(QPoint p, int button = 1)
    {
        moveTo(p);
        desktop::mouseButton(button, true);
        desktop::flush();
        if (button == 1)
            ASSERT_TRUE(qmtest::waitFor([&] { return surface_->mouseHeld(); }, 3000));
        else
            qmtest::waitFor([] { return false; }, 100);
    }

    void release(int button = 1)
    {
        desktop::mouseButton(button, false);
        desktop::flush();
        if (button == 1)
            ASSERT_TRUE(qmtest::waitFor([&] { return !surface_->mouseHeld(); }, 3000));
        else
            qmtest::waitFor([] { return false; }, 100);
    }

    // A straight drag in steps of one pixel along the longer axis, every step seen by the surface.
    void dragSteps(QPoint from, QPoint to)
    {
        const int n = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
        for (int i = 1; i <= n; ++i)
            moveTo(from + (to - from) * i / n);
    }

    void drag(QPoint from, QPoint to, int button = 1)
    {
        press(from, button);
        dragSteps(from, to);
        release(button);
    }

    void click(QPoint p)
    {
        press(p);
        release();
    }

    static int inked(const QImage& img, const QRect& area, QRgb paper = kWhite)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += img.pixel(x, y) != paper;
        return n;
    }

    std::vector<Message> messagesOf(UINT number) const
    {
        std::vector<Message> out;
        for (const Message& m : messages_)
            if (m.number == number)
                out.push_back(m);
        return out;
    }

    Lesson lesson_ {platform::programFolder()};
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<platform::MessageTable> table_;
    std::unique_ptr<CScreenPenWnd> surface_;
    std::vector<Message> messages_;
};

} // namespace

TEST_F(ScreenPenDisplay, ClickWithThePenIsOnePixel)
{
    CScreenPenWnd& s = open();
    s.SetPen(0, RGB(255, 0, 0));
    shown();
    click({300, 300});
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(lesson_.Pages().nodes[0].kind, Pen);
    EXPECT_EQ(lesson_.Pages().nodes[0].points.size(), 1u);
    EXPECT_EQ(inked(s.pageBitmap(), QRect(250, 250, 100, 100)), 1);
    EXPECT_EQ(s.pageBitmap().pixel(300, 300), qRgb(255, 0, 0));
    EXPECT_TRUE(lesson_.Pages().pageChanged);
}

TEST_F(ScreenPenDisplay, RightButtonDrawsNothing)
{
    CScreenPenWnd& s = open();
    s.SetPen(3, RGB(0, 0, 0));
    shown();
    drag({400, 400}, {450, 430}, 3);
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_EQ(inked(s.pageBitmap(), QRect(350, 350, 150, 150)), 0);
    EXPECT_EQ(inked(s.windowImage(), QRect(350, 350, 150, 150)), 0);
}

TEST_F(ScreenPenDisplay, TwoPolylinePressesGiveOneObjectUntilTheToolChanges)
{
    CScreenPenWnd& s = open();
    s.SetPen(3, RGB(0, 128, 0));
    s.SetPolyline();
    shown();
    drag({100, 200}, {160, 200});
    drag({300, 260}, {260, 260});
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_FALSE(messagesOf(ScreenPenMsg::kPolyline).empty());
    for (const Message& m : messagesOf(ScreenPenMsg::kPolyline))
        EXPECT_EQ(m.wParam, 1u);
    // The second segment starts at the first release, not at the second press.
    EXPECT_NE(s.windowImage().pixel(210, 230), kWhite);

    s.SetPen(3, RGB(0, 0, 0));
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    const CPenNode& line = lesson_.Pages().nodes[0];
    EXPECT_EQ(line.kind, Polyline);
    ASSERT_EQ(line.points.size(), 3u);
    EXPECT_EQ(QPoint(line.points[0].x, line.points[0].y), QPoint(100, 200));
    EXPECT_EQ(QPoint(line.points[1].x, line.points[1].y), QPoint(160, 200));
    EXPECT_EQ(QPoint(line.points[2].x, line.points[2].y), QPoint(260, 260));
    EXPECT_EQ(messagesOf(ScreenPenMsg::kPolyline).back().wParam, 0u);
    EXPECT_NE(s.pageBitmap().pixel(210, 230), kWhite);
}

TEST_F(ScreenPenDisplay, TwoLineTextIsCommittedInItsStoredForm)
{
    CScreenPenWnd& s = open();
    s.SetTextTool(RGB(0, 0, 0), 24);
    shown();
    drag({400, 300}, {700, 420});
    ASSERT_TRUE(qmtest::waitFor([&] { return s.textEdit()->isVisible(); }, 3000));
    EXPECT_EQ(s.textEdit()->geometry(), QRect(400, 300, 300, 120));
    for (const char* key : {"a", "space", "b", "Return", "c"})
        desktop::pressKey(QString::fromLatin1(key));
    ASSERT_TRUE(
        qmtest::waitFor([&] { return s.textEdit()->toPlainText() == QStringLiteral("a b\nc"); }, 3000))
        << s.textEdit()->toPlainText().toStdString();

    s.SetPen(3, RGB(0, 0, 0));
    EXPECT_FALSE(s.textEdit()->isVisible());
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    const CPenNode& text = lesson_.Pages().nodes[0];
    EXPECT_EQ(text.kind, Text);
    EXPECT_STREQ(text.text, "a\\tb\\nc");
    EXPECT_EQ(text.width, 24);
    ASSERT_EQ(text.points.size(), 2u);
    EXPECT_EQ(QPoint(text.points[0].x, text.points[0].y), QPoint(400, 300));
    EXPECT_EQ(QPoint(text.points[1].x, text.points[1].y), QPoint(700, 420));
    EXPECT_GT(inked(s.pageBitmap(), QRect(400, 300, 300, 120)), 0);
}

TEST_F(ScreenPenDisplay, SmallTextBoxIsDroppedAndEmptyBoxCommitsNothing)
{
    CScreenPenWnd& s = open();
    s.SetTextTool(RGB(0, 0, 0), 20);
    shown();
    drag({400, 300}, {431, 332});
    EXPECT_FALSE(s.textEdit()->isVisible());
    drag({400, 300}, {432, 310});
    ASSERT_TRUE(qmtest::waitFor([&] { return s.textEdit()->isVisible(); }, 3000));
    s.SetPen(3, RGB(0, 0, 0));
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
}

TEST_F(ScreenPenDisplay, ScreenPictureIsTakenWithTheOwnerHidden)
{
    lesson_.SetBoardMode(kBoardDesktop);
    owner_->setGeometry(300, 300, 240, 160);
    owner_->setAutoFillBackground(true);
    QPalette magenta = owner_->palette();
    magenta.setColor(QPalette::Window, QColor(255, 0, 255));
    owner_->setPalette(magenta);
    owner_->show();
    ASSERT_TRUE(
        qmtest::waitFor([&] { return owner_->windowHandle() && owner_->windowHandle()->isExposed(); }));
    qmtest::waitFor([] { return false; }, 300);
    const QPoint inside = owner_->geometry().center();

    CScreenPenWnd& s = open();
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.front().number, ScreenPenMsg::kCapturing);
    EXPECT_TRUE(messages_.front().ownerVisible);
    EXPECT_NE(s.backgroundBitmap().pixel(inside), qRgb(255, 0, 255));
    EXPECT_TRUE(owner_->isVisible());
    EXPECT_EQ(s.backgroundBitmap().size(), QSize(1920, 1080));
}

// What a Wayland desktop shows (native windows) only its portal can give: four coloured quarters, none of
// them what the X server here would show.
QImage portalDesktop()
{
    QImage picture(1920, 1080, QImage::Format_RGB32);
    picture.fill(0xFF10A050);
    for (int y = 0; y < 540; ++y)
        for (int x = 0; x < 960; ++x)
            picture.setPixel(x, y, 0xFF9030C0);
    return picture;
}

TEST_F(ScreenPenDisplay, InAWaylandSessionWritingFreezesThePortalsPictureAfterSayingOnceWhatItIsFor)
{
    qmtest::PortalSession session(portalDesktop());
    ASSERT_TRUE(session.ready());
    std::vector<platform::MessageBoxRequest> boxes;
    platform::setMessageBoxHook([&](const platform::MessageBoxRequest& r) {
        boxes.push_back(r);
        return platform::IDOK;
    });
    lesson_.SetBoardMode(kBoardDesktop);
    CScreenPenWnd& s = open();
    EXPECT_EQ(s.backgroundBitmap().pixel(100, 100), 0xFF9030C0u);
    EXPECT_EQ(s.backgroundBitmap().pixel(1800, 1000), 0xFF10A050u);
    ASSERT_EQ(boxes.size(), 1u) << "the permission question is explained before the first picture";
    EXPECT_EQ(boxes.front().caption, QStringLiteral("提示"));

    // A stroke lands on the frozen picture.
    s.SetPen(3, RGB(0, 0, 0));
    shown();
    drag({400, 700}, {440, 700});
    EXPECT_EQ(s.backgroundBitmap().pixel(420, 700), 0xFF10A050u) << "the picture under the ink stays";
    EXPECT_GT(inked(s.pageBitmap(), QRect(400, 695, 41, 11), 0xFF10A050), 20);

    surface_.reset();
    open();
    EXPECT_EQ(boxes.size(), 1u) << "and only once";
    platform::setMessageBoxHook({});
}

TEST_F(ScreenPenDisplay, InAWaylandSessionARefusedPictureGivesAWhitePageAndSaysWhy)
{
    qmtest::PortalSession session(portalDesktop());
    ASSERT_TRUE(session.ready());
    platform::setMessageBoxHook([](const platform::MessageBoxRequest&) { return platform::IDOK; });
    session.portal().setAnswer(qmtest::FakeScreenshotPortal::Answer::Refuse);
    lesson_.SetBoardMode(kBoardDesktop);
    CScreenPenWnd& s = open();
    for (const QPoint p : {QPoint(10, 10), QPoint(960, 540), QPoint(1900, 1070)})
        EXPECT_EQ(s.backgroundBitmap().pixel(p), kWhite) << "never a black page";
    EXPECT_TRUE(platform::CurrentNotice().contains(QStringLiteral("截取屏幕画面")))
        << platform::CurrentNotice().toStdString();
    platform::setMessageBoxHook({});
}

TEST_F(ScreenPenDisplay, BoardExitLeavesBoardModeAndClosesTheSurface)
{
    CScreenPenWnd& s = open();
    s.SetPen(3, RGB(0, 0, 0));
    shown();
    EXPECT_EQ(s.backgroundBitmap().pixel(10, 10), kWhite);
    const QRect exit = s.navButtonRect(CScreenPenWnd::NavExit);
    ASSERT_FALSE(exit.isEmpty());
    // The button acts on the press, so there is no held press to wait for.
    moveTo(exit.center());
    desktop::mouseButton(1, true);
    desktop::mouseButton(1, false);
    desktop::flush();
    ASSERT_TRUE(qmtest::waitFor([&] { return !s.isVisible(); }, 3000));
    EXPECT_EQ(lesson_.BoardMode(), 0);
    EXPECT_FALSE(s.windowExists());
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[0].number, ScreenPenMsg::kExitBoard);
    EXPECT_EQ(messages_[1].number, ScreenPenMsg::kClosed);
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
}

TEST_F(ScreenPenDisplay, BoardColourButtonRepaintsThePageOnTheChosenColour)
{
    CScreenPenWnd& s = open();
    s.SetPen(3, RGB(0, 0, 0));
    shown();
    drag({300, 300}, {400, 300});
    // As just stored: the new colour is what changes the page.
    lesson_.Pages().pageChanged = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QColorDialog*>(w); dialog && dialog->isVisible()) {
                dialog->setCurrentColor(QColor(0, 128, 255));
                dialog->accept();
            }
        }
    });
    answer.start(100);
    const QRect colour = s.navButtonRect(CScreenPenWnd::NavColour);
    moveTo(colour.center());
    desktop::mouseButton(1, true);
    desktop::mouseButton(1, false);
    desktop::flush();
    ASSERT_TRUE(qmtest::waitFor([this] { return lesson_.BoardMode() == kBoardColour; }, 5000));
    EXPECT_EQ(s.backgroundBitmap().pixel(10, 10), qRgb(0, 128, 255));
    EXPECT_EQ(s.pageBitmap().pixel(10, 10), qRgb(0, 128, 255));
    EXPECT_EQ(s.pageBitmap().pixel(350, 300), qRgb(0, 0, 0));
    EXPECT_TRUE(lesson_.Pages().pageChanged);
    EXPECT_EQ(lesson_.Pages().nodes.size(), 1u);
}

#include "platform/messages.h"

#include "support_main/test_util.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using platform::MessageTable;
using platform::WindowRef;

namespace {

constexpr UINT kMsgA = WM_USER + 0x91;
constexpr UINT kMsgB = WM_USER + 0x92;

void drainPosted()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST(MessageTableDispatch, SendCallsHandlerAndUnknownAnswersZero)
{
    QWidget w;
    MessageTable table(&w, u"TestClass"_s);
    table.on(kMsgA, [](WPARAM wp, LPARAM lp) { return LRESULT(wp * 10 + LPARAM(lp)); });
    EXPECT_EQ(platform::SendMessage(&w, kMsgA, 4, -2), 38);
    EXPECT_EQ(platform::SendMessage(&w, kMsgB, 4, 2), 0);
    EXPECT_EQ(platform::SendMessage(WindowRef(), kMsgA, 4, 2), 0);
}

TEST(MessageTableDispatch, SendIsImmediatePostIsQueuedInOrder)
{
    QWidget w;
    MessageTable table(&w, u"TestClass"_s);
    std::vector<int> seen;
    table.on(kMsgA, [&](WPARAM wp, LPARAM) {
        seen.push_back(int(wp));
        return LRESULT(0);
    });
    EXPECT_TRUE(platform::PostMessage(&w, kMsgA, 1, 0));
    EXPECT_TRUE(platform::PostMessage(&w, kMsgA, 2, 0));
    platform::SendMessage(&w, kMsgA, 3, 0);
    EXPECT_EQ(seen, std::vector<int>({3}));
    drainPosted();
    EXPECT_EQ(seen, std::vector<int>({3, 1, 2}));
}

TEST(MessageTableDispatch, PostToWindowDestroyedBeforeDeliveryIsDropped)
{
    int calls = 0;
    {
        auto* w = new QWidget;
        auto table = std::make_unique<MessageTable>(w, u"TestClass"_s);
        table->on(kMsgA, [&](WPARAM, LPARAM) { return LRESULT(++calls); });
        EXPECT_TRUE(platform::PostMessage(w, kMsgA, 0, 0));
        table.reset();
        delete w;
    }
    drainPosted();
    EXPECT_EQ(calls, 0);
}

TEST(MessageTableDispatch, PostFromAnotherThreadRunsOnTheUiThread)
{
    QWidget w;
    MessageTable table(&w, u"TestClass"_s);
    QThread* handledOn = nullptr;
    table.on(kMsgA, [&](WPARAM, LPARAM) {
        handledOn = QThread::currentThread();
        return LRESULT(0);
    });
    std::thread poster([&] { platform::PostMessage(&w, kMsgA, 0, 0); });
    poster.join();
    ASSERT_TRUE(qmtest::waitFor([&] { return handledOn != nullptr; }, 2000));
    EXPECT_EQ(handledOn, QCoreApplication::instance()->thread());
}

TEST(MessageTableDispatch, CloseWithoutHandlerClosesTheWindow)
{
    QWidget w;
    MessageTable table(&w, u"TestClass"_s);
    w.show();
    platform::SendMessage(&w, platform::WM_CLOSE, 0, 0);
    EXPECT_FALSE(w.isVisible());
}

TEST(FindWindowInProcess, ByClassCaseInsensitiveAndByTitle)
{
    QWidget panel;
    panel.setWindowTitle(u"白板"_s);
    MessageTable panelTable(&panel, platform::kDialogClass);
    QWidget other;
    other.setWindowTitle(u"HideDlg"_s);
    MessageTable otherTable(&other, u"QmTestOther"_s);
    panel.show();
    other.show();

    EXPECT_EQ(platform::FindWindow(platform::kDialogClass, u"白板"_s).widget, &panel);
    EXPECT_EQ(platform::FindWindow(u"qmtestOTHER"_s, QString()).widget, &other);
    EXPECT_EQ(platform::FindWindow(QString(), u"HideDlg"_s).widget, &other);
    // Title matching is exact, and class and title must both match.
    EXPECT_FALSE(platform::FindWindow(QString(), u"hidedlg"_s));
    EXPECT_FALSE(platform::FindWindow(platform::kDialogClass, u"HideDlg"_s));
}

TEST(FindWindowInProcess, AWindowIsFoundByItsOtherTitlesAsWell)
{
    QWidget panel;
    panel.setWindowTitle(u"Whiteboard"_s);
    MessageTable table(&panel, platform::kDialogClass);
    EXPECT_FALSE(platform::FindWindow(platform::kDialogClass, u"白板"_s));
    table.setOtherTitles({u"白板"_s, u"Whiteboard"_s});
    EXPECT_EQ(platform::FindWindow(platform::kDialogClass, u"白板"_s).widget, &panel);
    EXPECT_EQ(platform::FindWindow(platform::kDialogClass, u"Whiteboard"_s).widget, &panel);
    EXPECT_FALSE(platform::FindWindow(platform::kDialogClass, u"白"_s));
}

TEST(FindWindowInProcess, HiddenWindowsAreFoundShownOnesFirstUnregisteredOnesNot)
{
    QWidget hidden, shown;
    hidden.setWindowTitle(u"QmHiddenTest"_s);
    shown.setWindowTitle(u"QmHiddenTest"_s);
    {
        MessageTable hiddenTable(&hidden, u"QmHiddenClass"_s);
        // A hidden window can still be sent the message that shows it again.
        EXPECT_EQ(platform::FindWindow(u"QmHiddenClass"_s, QString()).widget, &hidden);
        MessageTable shownTable(&shown, u"QmHiddenClass"_s);
        shown.show();
        EXPECT_EQ(platform::FindWindow(u"QmHiddenClass"_s, u"QmHiddenTest"_s).widget, &shown);
        shown.hide();
        EXPECT_TRUE(platform::FindWindow(u"QmHiddenClass"_s, QString()));
    }
    EXPECT_FALSE(platform::FindWindow(u"QmHiddenClass"_s, QString()));
}

TEST(MessageTableLocal, MessagesOnlyThisProcessSendsAreRefusedFromOutside)
{
    QWidget w;
    MessageTable table(&w, u"QmLocalClass"_s);
    int calls = 0;
    table.onLocal(0x493, [&](WPARAM, LPARAM) { return LRESULT(++calls); });
    table.on(0x492, [&](WPARAM, LPARAM) { return LRESULT(++calls); });
    EXPECT_EQ(table.dispatch(0x493, 0, 0), 1);
    EXPECT_EQ(table.dispatchForeign(0x493, 0, 0, false), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(table.dispatchForeign(0x492, 0, 0, false), 2);
}

TEST(RegisteredMessages, NumbersAreStablePerName)
{
    const UINT marlowe = platform::RegisterWindowMessage(u"Marlowe"_s);
    EXPECT_NE(marlowe, 0u);
    EXPECT_EQ(platform::RegisterWindowMessage(u"Marlowe"_s), marlowe);
    EXPECT_NE(platform::RegisterWindowMessage(u"QmTestOtherName"_s), marlowe);
    EXPECT_EQ(platform::RegisterWindowMessage(QString()), 0u);
}

TEST(RegisteredMessages, NeverMeetAFixedNumberOfTheSameValue)
{
    QWidget w;
    MessageTable table(&w, u"TestClass"_s);
    const UINT registered = platform::RegisterWindowMessage(u"QmTestCollision"_s);
    int fixedCalls = 0, registeredCalls = 0;
    table.on(registered, [&](WPARAM, LPARAM) { return LRESULT(++fixedCalls); });
    table.onRegistered(registered, [&](WPARAM wp, LPARAM) {
        ++registeredCalls;
        return LRESULT(wp);
    });

    EXPECT_EQ(platform::SendRegisteredMessage(&w, registered, 1148, 0), 1148);
    EXPECT_EQ(registeredCalls, 1);
    EXPECT_EQ(fixedCalls, 0);
    platform::SendMessage(&w, registered, 0, 0);
    EXPECT_EQ(fixedCalls, 1);
    EXPECT_EQ(registeredCalls, 1);

    platform::PostRegisteredMessage(&w, registered, 1, 0);
    drainPosted();
    EXPECT_EQ(registeredCalls, 2);
    EXPECT_EQ(fixedCalls, 1);
    EXPECT_EQ(table.dispatchForeign(registered, 0, 0, true), 0);
    EXPECT_EQ(registeredCalls, 3);
}

TEST(ForeignMessages, PointerHandlersAreRefused)
{
    QWidget w;
    MessageTable table(&w, platform::kDialogClass);
    int pointerCalls = 0, plainCalls = 0;
    QString path = u"/tmp/picture.png"_s;
    table.onPointer(0x495, [&](WPARAM, LPARAM lp) {
        ++pointerCalls;
        return LRESULT(reinterpret_cast<const QString*>(lp)->size());
    });
    table.on(0x492, [&](WPARAM, LPARAM) { return LRESULT(++plainCalls); });

    EXPECT_EQ(platform::SendMessage(&w, 0x495, 0, reinterpret_cast<LPARAM>(&path)), path.size());
    EXPECT_EQ(pointerCalls, 1);

    EXPECT_EQ(table.dispatchForeign(0x495, 0, 0x12345678, false), 0);
    EXPECT_EQ(pointerCalls, 1);
    EXPECT_EQ(table.dispatchForeign(0x492, 0, 0, false), 1);

    // A message whose wParam also means something by itself reaches its number handler, never with a pointer.
    std::vector<std::pair<WPARAM, LPARAM>> foreign;
    table.onPointer(
        0x59C, [&](WPARAM, LPARAM) { return LRESULT(++pointerCalls); },
        [&](WPARAM wp, LPARAM lp) {
            foreign.emplace_back(wp, lp);
            return LRESULT(7);
        });
    EXPECT_EQ(table.dispatchForeign(0x59C, 3, 0x12345678, false), 7);
    EXPECT_EQ(pointerCalls, 1);
    ASSERT_EQ(foreign.size(), 1u);
    EXPECT_EQ(foreign[0], (std::pair<WPARAM, LPARAM>(3, 0)));
}

TEST(ForeignMessages, BareCopyDataIsRefused)
{
    QWidget w;
    MessageTable table(&w, u"TestClass"_s);
    int calls = 0;
    table.on(platform::WM_COPYDATA, [&](WPARAM, LPARAM) { return LRESULT(++calls); });
    table.onCopyData([&](WPARAM, const QString&) { return LRESULT(++calls); });
    EXPECT_EQ(table.dispatchForeign(platform::WM_COPYDATA, 0, 0x1000, false), 0);
    EXPECT_EQ(calls, 0);
}

TEST(CopyDataInProcess, TextArrivesUpToTheLimit)
{
    QWidget w;
    MessageTable table(&w, u"TestClass"_s);
    QString received;
    WPARAM receivedWParam = 0;
    int calls = 0;
    table.onCopyData([&](WPARAM wp, const QString& text) {
        ++calls;
        receivedWParam = wp;
        received = text;
        return LRESULT(1);
    });

    EXPECT_EQ(platform::SendCopyData(&w, 0, u"LogoMode"_s), 1);
    EXPECT_EQ(received, u"LogoMode"_s);

    // 21 845 three-byte characters and one byte: exactly 64 KiB of UTF-8.
    const QString atLimit = QString(21845, QChar(0x8F6F)) + u'x';
    ASSERT_EQ(atLimit.toUtf8().size(), platform::kMaxCopyDataBytes);
    EXPECT_EQ(platform::SendCopyData(&w, 7, atLimit), 1);
    EXPECT_EQ(received, atLimit);
    EXPECT_EQ(receivedWParam, 7u);

    EXPECT_EQ(platform::SendCopyData(&w, 0, atLimit + u'y'), 0);
    EXPECT_EQ(calls, 2);
}

// Messages from another process: qmsend, started as a child, against a window of this test program.
#include "platform/messages.h"
#include "platform/x11_desktop.h"

#include "support_main/test_util.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::Literals::StringLiterals;
using platform::MessageTable;

namespace {

struct SendResult {
    int exitCode = -1;
    QString errors;
};

// Waits while the event loop runs: the window under test must take copy data while qmsend waits for it.
SendResult qmsend(const QStringList& args, int timeoutMs = 30000)
{
    QProcess process;
    process.start(QStringLiteral(QM_BIN_DIR "/qmsend"), args);
    SendResult run;
    if (!process.waitForStarted(5000))
        return run;
    qmtest::waitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

struct Received {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

constexpr UINT kMsgProbe = 0x492;
constexpr UINT kMsgPicture = 0x495;

class CrossProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        title_ = u"白板 %1"_s.arg(QCoreApplication::applicationPid());
        window_.setWindowTitle(title_);
        window_.resize(200, 100);
        table_ = std::make_unique<MessageTable>(&window_, platform::kDialogClass);
        for (UINT message : {platform::WM_COMMAND, kMsgProbe, 0x65dU})
            table_->on(message, [this, message](WPARAM wp, LPARAM lp) {
                received_.push_back({message, wp, lp});
                return LRESULT(0);
            });
        window_.show();
        ASSERT_TRUE(qmtest::waitFor([&] { return platform::desktop::findWindow(title_) != 0; }));
    }

    // Messages from one sender arrive in order: once the probe is in, everything sent before it has been
    // seen.
    void sendProbeAndWait()
    {
        const size_t before = received_.size();
        ASSERT_EQ(qmsend({u"--title"_s, title_, QString::number(kMsgProbe), u"0"_s, u"0"_s}).exitCode, 0);
        ASSERT_TRUE(qmtest::waitFor(
            [&] { return received_.size() > before && received_.back().message == kMsgProbe; }));
    }

    QString title_;
    QWidget window_;
    std::unique_ptr<MessageTable> table_;
    std::vector<Received> received_;
};

} // namespace

TEST_F(CrossProcess, CommandArrivesByTitleAndByClass)
{
    const SendResult byTitle = qmsend({u"--title"_s, title_, u"0x111"_s, u"1075"_s, u"0"_s});
    EXPECT_EQ(byTitle.exitCode, 0) << byTitle.errors.toStdString();
    ASSERT_TRUE(qmtest::waitFor([&] { return !received_.empty(); }));
    EXPECT_EQ(received_[0].message, platform::WM_COMMAND);
    EXPECT_EQ(received_[0].wParam, 1075u);
    EXPECT_EQ(received_[0].lParam, 0);

    EXPECT_EQ(
        qmsend({u"--class"_s, u"#32770"_s, u"--title"_s, title_, u"0x65d"_s, u"3"_s, u"0"_s}).exitCode, 0);
    ASSERT_TRUE(qmtest::waitFor([&] { return received_.size() == 2; }));
    EXPECT_EQ(received_[1].message, 0x65dU);
    EXPECT_EQ(received_[1].wParam, 3u);
}

TEST_F(CrossProcess, ClassIsPublishedOnTheXWindow)
{
    const unsigned long xid = platform::desktop::findWindow(title_);
    EXPECT_EQ(platform::desktop::findWindow(QString(), platform::kDialogClass), xid);
    const platform::WindowRef found = platform::FindWindow(platform::kDialogClass, title_);
    EXPECT_EQ(found.widget, &window_);
}

TEST_F(CrossProcess, ParametersTravelAs32BitValues)
{
    const auto send = [&](const QString& wp, const QString& lp) {
        EXPECT_EQ(qmsend({u"--title"_s, title_, u"0x111"_s, wp, lp}).exitCode, 0)
            << (wp + u' ' + lp).toStdString();
    };
    send(u"0xFFFFFFFF"_s, u"-1"_s);
    send(u"-1"_s, u"0xFFFFFFFF"_s);
    send(u"0"_s, u"0x80000000"_s);
    send(u"2147483647"_s, u"-2147483648"_s);
    ASSERT_TRUE(qmtest::waitFor([&] { return received_.size() == 4; }));
    EXPECT_EQ(received_[0].wParam, 0xFFFFFFFFu);
    EXPECT_EQ(received_[0].lParam, -1);
    EXPECT_EQ(received_[1].wParam, 0xFFFFFFFFu);
    EXPECT_EQ(received_[1].lParam, -1);
    EXPECT_EQ(received_[2].lParam, -2147483647 - 1);
    EXPECT_EQ(received_[3].wParam, 2147483647u);
    EXPECT_EQ(received_[3].lParam, -2147483647 - 1);
}

TEST_F(CrossProcess, RegisteredMessageReachesOnlyTheRegisteredHandler)
{
    const UINT marlowe = platform::RegisterWindowMessage(u"QmTestMarlowe"_s);
    std::vector<WPARAM> registered;
    table_->onRegistered(marlowe, [&](WPARAM wp, LPARAM) {
        registered.push_back(wp);
        return LRESULT(0);
    });
    // A fixed handler on the atom's own value must stay silent.
    int fixedCalls = 0;
    table_->on(marlowe, [&](WPARAM, LPARAM) { return LRESULT(++fixedCalls); });

    EXPECT_EQ(
        qmsend({u"--title"_s, title_, u"--registered"_s, u"QmTestMarlowe"_s, u"1148"_s, u"0"_s}).exitCode, 0);
    ASSERT_TRUE(qmtest::waitFor([&] { return !registered.empty(); }));
    EXPECT_EQ(registered, std::vector<WPARAM>({1148}));
    sendProbeAndWait();
    EXPECT_EQ(fixedCalls, 0);

    EXPECT_EQ(qmsend({u"--title"_s, title_, QString::number(marlowe), u"5"_s, u"0"_s}).exitCode, 0);
    ASSERT_TRUE(qmtest::waitFor([&] { return fixedCalls == 1; }));
    EXPECT_EQ(registered.size(), 1u);
}

TEST_F(CrossProcess, PointerMessageFromOutsideIsRefused)
{
    int pointerCalls = 0;
    table_->onPointer(kMsgPicture, [&](WPARAM, LPARAM) { return LRESULT(++pointerCalls); });
    EXPECT_EQ(qmsend({u"--title"_s, title_, u"0x495"_s, u"0"_s, u"0x7ffd1234"_s}).exitCode, 0);
    sendProbeAndWait();
    EXPECT_EQ(pointerCalls, 0);
}

TEST_F(CrossProcess, CopyDataCarriesChineseTextUpTo64KiB)
{
    std::vector<std::pair<WPARAM, QString>> texts;
    table_->onCopyData([&](WPARAM wp, const QString& text) {
        texts.emplace_back(wp, text);
        return LRESULT(1);
    });
    EXPECT_EQ(qmsend({u"--title"_s, title_, u"--copydata"_s, u"1P—软件园简介"_s, u"0"_s}).exitCode, 0);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].second, u"1P—软件园简介"_s);

    const QString atLimit = QString(21845, QChar(0x56ed)) + u'x';
    ASSERT_EQ(atLimit.toUtf8().size(), platform::kMaxCopyDataBytes);
    EXPECT_EQ(qmsend({u"--title"_s, title_, u"--copydata"_s, atLimit, u"7"_s}).exitCode, 0);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].first, 7u);
    EXPECT_EQ(texts[1].second, atLimit);

    const SendResult tooLong = qmsend({u"--title"_s, title_, u"--copydata"_s, atLimit + u'y', u"7"_s});
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_TRUE(tooLong.errors.contains(u"longer"_s)) << tooLong.errors.toStdString();
    EXPECT_EQ(texts.size(), 2u);

    EXPECT_EQ(qmsend({u"--title"_s, title_, u"--copydata"_s, QString(), u"0"_s}).exitCode, 0);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_TRUE(texts[2].second.isEmpty());
}

TEST_F(CrossProcess, UnknownWindowExitsOne)
{
    const SendResult run
        = qmsend({u"--title"_s, u"no such window %1"_s.arg(title_), u"0x111"_s, u"1"_s, u"0"_s});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(u"no window"_s)) << run.errors.toStdString();

    // A hidden window is still found, as it always was: it can be sent the message that shows it again.
    window_.hide();
    ASSERT_TRUE(qmtest::waitFor([&] { return platform::desktop::findWindow(title_) == 0; }));
    EXPECT_NE(platform::desktop::findAnyWindow(title_), 0u);
    EXPECT_EQ(qmsend({u"--title"_s, title_, u"0x111"_s, u"1"_s, u"0"_s}).exitCode, 0);
}

TEST_F(CrossProcess, WaitWindowWaitsForTheWindowToAppear)
{
    window_.hide();
    ASSERT_TRUE(qmtest::waitFor([&] { return platform::desktop::findWindow(title_) == 0; }));
    QTimer::singleShot(700, &window_, [&] { window_.show(); });
    EXPECT_EQ(
        qmsend({u"--wait-window"_s, u"10"_s, u"--title"_s, title_, u"0x111"_s, u"9"_s, u"0"_s}).exitCode, 0);
    ASSERT_TRUE(qmtest::waitFor([&] { return !received_.empty(); }));
    EXPECT_EQ(received_[0].wParam, 9u);
}

TEST_F(CrossProcess, NonsenseArgumentsExitTwo)
{
    const QList<QStringList> nonsense = {
        {},
        {u"--title"_s, title_},
        {u"0x111"_s, u"1"_s, u"0"_s},
        {u"--title"_s, title_, u"0x111"_s, u"1"_s},
        {u"--title"_s, title_, u"0x111"_s, u"1"_s, u"0"_s, u"4"_s},
        {u"--title"_s, title_, u"command"_s, u"1"_s, u"0"_s},
        {u"--title"_s, title_, u"0x111"_s, u"0x100000000"_s, u"0"_s},
        {u"--title"_s, title_, u"0x111"_s, u"1"_s, u"-2147483649"_s},
        {u"--title"_s, title_, u"0x111"_s, u"1.5"_s, u"0"_s},
        {u"--title"_s, title_, u"--frobnicate"_s, u"0x111"_s, u"1"_s, u"0"_s},
        {u"--title"_s, title_, u"--registered"_s, u"X"_s, u"1"_s},
        {u"--title"_s, title_, u"--copydata"_s, u"text"_s},
        {u"--title"_s, title_, u"--count"_s, u"0"_s, u"0x111"_s, u"1"_s, u"0"_s},
        {u"--title"_s},
    };
    for (const QStringList& args : nonsense) {
        const SendResult run = qmsend(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(run.errors.isEmpty()) << args.join(u' ').toStdString();
    }
    sendProbeAndWait();
    EXPECT_EQ(received_.size(), 1u);
}

TEST_F(CrossProcess, FloodLeavesTheEventLoopResponsive)
{
    int handled = 0;
    qint64 firstAt = -1, lastAt = -1;
    QElapsedTimer clock;
    clock.start();
    // Each message costs a little, as a real handler does, so the flood outlasts many timer periods.
    table_->on(0x64c, [&](WPARAM, LPARAM) {
        if (firstAt < 0)
            firstAt = clock.elapsed();
        QElapsedTimer busy;
        busy.start();
        while (busy.nsecsElapsed() < 200000) { }
        ++handled;
        lastAt = clock.elapsed();
        return LRESULT(0);
    });
    std::vector<qint64> ticks;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(clock.elapsed()); });
    timer.start();

    EXPECT_EQ(
        qmsend({u"--title"_s, title_, u"--count"_s, u"20000"_s, u"0x64c"_s, u"0"_s, u"0"_s}, 120000).exitCode,
        0);
    sendProbeAndWait();
    timer.stop();

    EXPECT_GE(handled, 5000);
    EXPECT_LE(handled, 20000);
    int ticksDuringFlood = 0;
    for (qint64 t : ticks)
        ticksDuringFlood += t > firstAt && t < lastAt;
    // The flood took seconds of handler time; the timer must have kept firing through it.
    const qint64 floodMs = lastAt - firstAt;
    EXPECT_GT(floodMs, 500);
    EXPECT_GE(ticksDuringFlood, floodMs / 100) << "flood of " << floodMs << " ms";
}

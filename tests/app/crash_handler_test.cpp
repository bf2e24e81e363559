#include "app/crash_handler.h"

#include "support_main/test_util.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// Runs body in a child process with the crash handler installed; the reporter writes the text it is
// given into a file. Returns the child's wait status.
int crashInChild(const QString& reporter, void (*body)())
{
    const pid_t child = fork();
    if (child == 0) {
        // The crashes are meant: they leave no core files behind.
        const rlimit noCore {0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        crash::install(reporter);
        body();
        _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

QString makeReporter(const QTemporaryDir& dir)
{
    const QString script = dir.path() + QStringLiteral("/reporter.sh");
    qmtest::writeFile(script,
        QByteArray("#!/bin/sh\nprintf '%s' \"$QM_CRASH_MESSAGE\" > '") + dir.path().toUtf8()
            + "/report.txt'\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script;
}

// The addresses are read from volatile variables, so that no optimiser sees a constant address it could warn
// about or fold away.
volatile int* volatile kWriteTarget = reinterpret_cast<int*>(0x10);
volatile int* volatile kReadTarget = reinterpret_cast<int*>(0x20);

void writeToNull()
{
    *kWriteTarget = 1;
}
void readFromNull()
{
    [[maybe_unused]] int value = *kReadTarget;
}

// An exception leaving a noexcept function ends in std::terminate, as one that nobody catches does.
void throwPastNoexcept() noexcept
{
    [[maybe_unused]] const int value = std::vector<int>().at(1);
}

} // namespace

TEST(CrashReportText, NamesTheAddressAndTheKindOfAccess)
{
    char buffer[256];
    EXPECT_STREQ(
        crash::formatAccessViolation(buffer, sizeof buffer, reinterpret_cast<void*>(0xdeadbeef), true),
        "尝试 在地址 00000000DEADBEEF 处 写 数据失败 ");
    EXPECT_STREQ(crash::formatAccessViolation(buffer, sizeof buffer, nullptr, false),
        "尝试 在地址 0000000000000000 处 读 数据失败 ");
    // A buffer too small is filled and terminated, never overrun.
    char tiny[8];
    std::memset(tiny, 'x', sizeof tiny);
    crash::formatAccessViolation(tiny, sizeof tiny, nullptr, true);
    EXPECT_EQ(std::strlen(tiny), sizeof tiny - 1);
}

TEST(CrashHandler, ABadWriteIsReportedThenTheProcessEnds)
{
    QTemporaryDir dir;
    const int status = crashInChild(makeReporter(dir), writeToNull);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    EXPECT_EQ(QString::fromUtf8(qmtest::readFile(dir.path() + QStringLiteral("/report.txt"))),
        QStringLiteral("尝试 在地址 0000000000000010 处 写 数据失败 "));
}

TEST(CrashHandler, ABadReadIsReportedAsARead)
{
    QTemporaryDir dir;
    const int status = crashInChild(makeReporter(dir), readFromNull);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(QString::fromUtf8(qmtest::readFile(dir.path() + QStringLiteral("/report.txt"))),
        QStringLiteral("尝试 在地址 0000000000000020 处 读 数据失败 "));
}

TEST(CrashHandler, OtherFaultsEndQuietlyWhileTheMainWindowExists)
{
    QTemporaryDir dir;
    const int status = crashInChild(makeReporter(dir), [] {
        crash::setHasMainWindow(true);
        raise(SIGFPE);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/report.txt")));
}

TEST(CrashHandler, AnAbortIsReportedAndEndsAsAFailureEvenWithTheMainWindow)
{
    // Before, an abort dumped core without a word, and with the main window it would have ended with the exit
    // code of a normal end.
    const struct {
        const char* what;
        void (*body)();
    } aborts[] = {
        {"abort",
            [] {
                crash::setHasMainWindow(true);
                std::abort();
            }},
        {"an exception nobody catches",
            [] {
                crash::setHasMainWindow(true);
                throwPastNoexcept();
            }},
        {"a fatal Qt error",
            [] {
                crash::setHasMainWindow(true);
                qFatal("the page list is broken");
            }},
        {"abort before the main window", [] { std::abort(); }},
    };
    for (const auto& a : aborts) {
        SCOPED_TRACE(a.what);
        QTemporaryDir dir;
        crash::setAbortText(QStringLiteral("The program has run into an error."));
        const int status = crashInChild(makeReporter(dir), a.body);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGABRT);
        EXPECT_EQ(qmtest::readFile(dir.path() + QStringLiteral("/report.txt")),
            QByteArray("The program has run into an error."));
    }
}

TEST(CrashHandler, TheAbortTextIsTheOneInForceAndIsCutToItsBuffer)
{
    QTemporaryDir dir;
    crash::setAbortText(QStringLiteral("程序出错"));
    int status = crashInChild(makeReporter(dir), [] { std::abort(); });
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(QString::fromUtf8(qmtest::readFile(dir.path() + QStringLiteral("/report.txt"))),
        QStringLiteral("程序出错"));

    // A text longer than the buffer is cut between characters, never run past its end.
    crash::setAbortText(QString(2000, QLatin1Char('x')));
    status = crashInChild(makeReporter(dir), [] { std::abort(); });
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(qmtest::readFile(dir.path() + QStringLiteral("/report.txt")), QByteArray(511, 'x'));
    crash::setAbortText(QString(200, QChar(u'错')));
    status = crashInChild(makeReporter(dir), [] { std::abort(); });
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(QString::fromUtf8(qmtest::readFile(dir.path() + QStringLiteral("/report.txt"))),
        QString(170, QChar(u'错')));
}

#include "app/crash_handler.h"

#include "support_main/test_util.h"

#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

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

TEST(CrashHandler, AnAbortIsReportedThenEndsAsTheOtherFaults)
{
    // An exception nobody caught ends in abort(): the teacher is told, with or without the main window.
    QTemporaryDir dir;
    int status = crashInChild(makeReporter(dir), [] {
        crash::setAbortText(QStringLiteral("程序出错"));
        crash::setHasMainWindow(true);
        std::abort();
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(QString::fromUtf8(qmtest::readFile(dir.path() + QStringLiteral("/report.txt"))), QStringLiteral("程序出错"));

    QFile::remove(dir.path() + QStringLiteral("/report.txt"));
    status = crashInChild(makeReporter(dir), [] {
        crash::setAbortText(QStringLiteral("The program has run into an error."));
        throwPastNoexcept();
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
    EXPECT_EQ(qmtest::readFile(dir.path() + QStringLiteral("/report.txt")), QByteArray("The program has run into an error."));
}

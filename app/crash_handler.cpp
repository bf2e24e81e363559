#include "app/crash_handler.h"

#include <QByteArray>

#include <atomic>
#include <csignal>
#include <cstring>
#include <ucontext.h>

#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace crash {

namespace {

char g_reporter[4096];
char g_abortText[512] = "程序出错";
std::atomic<bool> g_hasMainWindow {false};

// Everything below runs inside a signal handler: no allocation, no locks, no stdio.
void append(char*& out, const char* end, const char* text)
{
    while (*text && out + 1 < end)
        *out++ = *text++;
    *out = '\0';
}

void appendPointer(char*& out, const char* end, const void* address)
{
    // As the Windows build printed %p: every hex digit of the pointer, in capitals, without a prefix.
    const auto value = reinterpret_cast<unsigned long>(address);
    char digits[2 * sizeof value + 1];
    for (unsigned i = 0; i < 2 * sizeof value; ++i)
        digits[i] = "0123456789ABCDEF"[(value >> (4 * (2 * sizeof value - 1 - i))) & 0xF];
    digits[2 * sizeof value] = '\0';
    append(out, end, digits);
}

bool faultWasWrite(void* context)
{
#if defined(__x86_64__)
    // Bit 1 of the page-fault error code is set for a write.
    const auto* uc = static_cast<const ucontext_t*>(context);
    return (uc->uc_mcontext.gregs[REG_ERR] & 2) != 0;
#else
    (void)context;
    return false;
#endif
}

void endWithDefault(int sig)
{
    signal(sig, SIG_DFL);
    raise(sig);
}

void showReport(const char* text)
{
    if (!g_reporter[0])
        return;
    static char variable[1024];
    char* out = variable;
    append(out, variable + sizeof variable, kCrashMessageVariable);
    append(out, variable + sizeof variable, "=");
    append(out, variable + sizeof variable, text);

    static char* envp[1024];
    unsigned n = 0;
    for (char** e = environ; e && *e && n + 2 < sizeof envp / sizeof *envp; ++e)
        envp[n++] = *e;
    envp[n++] = variable;
    envp[n] = nullptr;

    const pid_t child = fork();
    if (child == 0) {
        char* argv[] = {g_reporter, nullptr};
        execve(g_reporter, argv, envp);
        _exit(127);
    }
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    }
}

void onAccessViolation(int sig, siginfo_t* info, void* context)
{
    static char text[512];
    formatAccessViolation(text, sizeof text, info ? info->si_addr : nullptr, faultWasWrite(context));
    showReport(text);
    endWithDefault(sig);
}

void onOtherFault(int sig, siginfo_t*, void*)
{
    if (g_hasMainWindow.load())
        _exit(0);
    endWithDefault(sig);
}

// An abort (an exception nobody caught, a fatal Qt error) is a failure the teacher must see: it is reported,
// and the process ends as aborted even with the main window, never with the exit code of a normal end.
void onAbort(int sig, siginfo_t*, void*)
{
    showReport(g_abortText);
    endWithDefault(sig);
}

} // namespace

const char* formatAccessViolation(char* buffer, unsigned long bufferSize, const void* address, bool isWrite)
{
    char* out = buffer;
    const char* end = buffer + bufferSize;
    *out = '\0';
    append(out, end, "尝试 在地址 ");
    appendPointer(out, end, address);
    append(out, end, " 处 ");
    append(out, end, isWrite ? "写" : "读");
    append(out, end, " 数据失败 ");
    return buffer;
}

void install(const QString& reporterProgram)
{
    const QByteArray path = reporterProgram.toLocal8Bit();
    std::strncpy(g_reporter, path.constData(), sizeof g_reporter - 1);

    // The handlers run on a stack of their own, so that a stack overflow is reported too.
    static char alternateStack[64 * 1024];
    stack_t ss {};
    ss.ss_sp = alternateStack;
    ss.ss_size = sizeof alternateStack;
    sigaltstack(&ss, nullptr);

    struct sigaction sa { };
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    sa.sa_sigaction = onAccessViolation;
    sigaction(SIGSEGV, &sa, nullptr);
    sigaction(SIGBUS, &sa, nullptr);
    sa.sa_sigaction = onOtherFault;
    sigaction(SIGFPE, &sa, nullptr);
    sigaction(SIGILL, &sa, nullptr);
    sa.sa_sigaction = onAbort;
    sigaction(SIGABRT, &sa, nullptr);
}

void setAbortText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    // A text too long for the buffer is cut between characters, never inside one.
    qsizetype length = qMin(utf8.size(), qsizetype(sizeof g_abortText - 1));
    while (length > 0 && length < utf8.size() && (utf8[length] & 0xC0) == 0x80)
        --length;
    std::memcpy(g_abortText, utf8.constData(), size_t(length));
    g_abortText[length] = '\0';
}

void setHasMainWindow(bool hasMainWindow)
{
    g_hasMainWindow = hasMainWindow;
}

} // namespace crash

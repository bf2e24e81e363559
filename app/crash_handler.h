#pragma once
// The last word of a crashing process: a bad memory access ("尝试 在地址 … 处 写/读 数据失败 ") or an abort
// is reported in a message box before the process ends. Nothing can be drawn from a signal handler,
// so the box is shown by a process of its own: the reporter program is started with the text in the
// environment variable named by kCrashMessageVariable, and the crashing process waits for it.
#include <QString>

namespace crash {

inline constexpr const char* kCrashMessageVariable = "QM_CRASH_MESSAGE";

// Installs the handlers for SIGSEGV and SIGBUS (the report), SIGFPE and SIGILL (quiet end while the main
// window exists) and SIGABRT (the abort text reported, then the end of an abort, main window or not).
// reporter is the program that shows the text; it is copied.
void install(const QString& reporterProgram);

// The text reported for an abort, in the language in force; copied (at most 511 bytes).
void setAbortText(const QString& text);

// Other failures end the process at once with exit code 0 while the application has a main window.
void setHasMainWindow(bool hasMainWindow);

// The text for a bad access at address; a write when isWrite. Written into buffer, which it returns.
const char* formatAccessViolation(char* buffer, unsigned long bufferSize, const void* address, bool isWrite);

} // namespace crash

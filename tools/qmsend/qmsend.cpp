// qmsend: sends a window message to a window found by title or class, as another program could.
//   qmsend --title 白板 0x111 1075 0
#include "platform/messages.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>

#include <cstdio>
#include <optional>

namespace {

constexpr int kExitSent = 0;
constexpr int kExitNoWindow = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage
    = "usage: qmsend [--title T] [--class C] [--wait-window SECONDS] [--count N] MSG WPARAM LPARAM\n"
      "       qmsend [--title T] [--class C] [--wait-window SECONDS] [--count N] --registered NAME WPARAM "
      "LPARAM\n"
      "       qmsend [--title T] [--class C] [--wait-window SECONDS] --copydata TEXT WPARAM\n"
      "Numbers are decimal (may be negative) or 0x hexadecimal and must fit in 32 bits.\n"
      "At least one of --title and --class is needed. --count sends the message N times.\n"
      "Exit status: 0 sent, 1 no such window (or it did not take the text), 2 bad usage.\n";

struct Options {
    QString title;
    QString className;
    double waitSeconds = 0;
    long long count = 1;
    QString registered;
    std::optional<QString> copyData;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

void printError(const QString& text)
{
    std::fprintf(stderr, "qmsend: %s\n", text.toLocal8Bit().constData());
}

// A 32-bit value, written as the shell gives it: -1 and 0xFFFFFFFF are the same bits.
std::optional<std::uint32_t> parse32(const QString& text)
{
    bool ok = false;
    long long value = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toLongLong(&ok, 16);
    else if (!text.isEmpty() && (text[0].isDigit() || text[0] == u'-'))
        value = text.toLongLong(&ok, 10);
    if (!ok || value < -0x80000000LL || value > 0xFFFFFFFFLL)
        return std::nullopt;
    return std::uint32_t(value);
}

// Fills options from the arguments; a text on error.
QString parse(const QStringList& args, Options* options)
{
    QStringList positional;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        const auto value = [&]() -> QString { return args[++i]; };
        if (arg == QLatin1String("--title") || arg == QLatin1String("--class")
            || arg == QLatin1String("--wait-window") || arg == QLatin1String("--count")
            || arg == QLatin1String("--registered") || arg == QLatin1String("--copydata")) {
            if (!hasValue)
                return arg + QLatin1String(" needs a value");
        }
        if (arg == QLatin1String("--title")) {
            options->title = value();
        } else if (arg == QLatin1String("--class")) {
            options->className = value();
        } else if (arg == QLatin1String("--wait-window")) {
            bool ok = false;
            options->waitSeconds = value().toDouble(&ok);
            if (!ok || options->waitSeconds < 0 || options->waitSeconds > 3600)
                return QStringLiteral("--wait-window takes seconds from 0 to 3600");
        } else if (arg == QLatin1String("--count")) {
            bool ok = false;
            options->count = value().toLongLong(&ok);
            if (!ok || options->count < 1 || options->count > 1000000)
                return QStringLiteral("--count takes a number from 1 to 1000000");
        } else if (arg == QLatin1String("--registered")) {
            options->registered = value();
            if (options->registered.isEmpty())
                return QStringLiteral("--registered needs a name");
        } else if (arg == QLatin1String("--copydata")) {
            options->copyData = value();
        } else if (arg.startsWith(QLatin1String("--"))) {
            return QLatin1String("unknown option ") + arg;
        } else {
            positional.append(arg);
        }
    }
    if (options->title.isNull() && options->className.isNull())
        return QStringLiteral("give --title or --class");
    if (options->copyData && !options->registered.isNull())
        return QStringLiteral("--copydata and --registered exclude each other");
    if (options->copyData && options->count != 1)
        return QStringLiteral("--copydata sends one text");
    if (options->copyData && options->copyData->toUtf8().size() > platform::kMaxCopyDataBytes)
        return QStringLiteral("--copydata text is longer than %1 bytes").arg(platform::kMaxCopyDataBytes);

    const bool messageGiven = !options->copyData && options->registered.isNull();
    const int wanted = options->copyData ? 1 : messageGiven ? 3 : 2;
    if (positional.size() != wanted)
        return QStringLiteral("expected %1 numbers, got %2").arg(wanted).arg(positional.size());
    std::uint32_t values[3] = {};
    for (int i = 0; i < wanted; ++i) {
        const std::optional<std::uint32_t> v = parse32(positional[i]);
        if (!v)
            return QLatin1String("not a 32-bit number: ") + positional[i];
        values[i] = *v;
    }
    int next = 0;
    if (messageGiven)
        options->message = values[next++];
    options->wParam = values[next++];
    if (!options->copyData)
        options->lParam = std::int32_t(values[next]);
    return {};
}

platform::WindowRef waitForWindow(const Options& options)
{
    QDeadlineTimer deadline(qint64(options.waitSeconds * 1000));
    for (;;) {
        const platform::WindowRef window = platform::FindWindow(options.className, options.title);
        if (window || deadline.hasExpired())
            return window;
        QThread::msleep(100);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return kExitSent;
    }
    Options options;
    if (const QString error = parse(args, &options); !error.isNull()) {
        printError(error);
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }

    const platform::WindowRef window = waitForWindow(options);
    if (!window) {
        printError(
            QStringLiteral("no window with%1%2")
                .arg(options.title.isNull() ? QString() : QStringLiteral(" title \"%1\"").arg(options.title),
                    options.className.isNull() ? QString()
                                               : QStringLiteral(" class \"%1\"").arg(options.className)));
        return kExitNoWindow;
    }

    if (options.copyData) {
        if (platform::SendCopyData(window, options.wParam, *options.copyData) == 0) {
            printError(QStringLiteral("the window did not take the text"));
            return kExitNoWindow;
        }
        return kExitSent;
    }
    const UINT registered
        = options.registered.isNull() ? 0 : platform::RegisterWindowMessage(options.registered);
    for (long long i = 0; i < options.count; ++i) {
        const bool sent = registered
            ? platform::PostRegisteredMessage(window, registered, options.wParam, options.lParam)
            : platform::PostMessage(window, options.message, options.wParam, options.lParam);
        if (!sent) {
            printError(QStringLiteral("the window went away"));
            return kExitNoWindow;
        }
    }
    return kExitSent;
}

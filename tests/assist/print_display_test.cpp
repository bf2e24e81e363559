// Printing the last capture through CUPS to a real PDF printer (Debian's cups-pdf) on a print server of the
// test's own, and counting the pages of the PDF it writes.
#include "assist/assist_exports.h"
#include "assist/capture_model.h"
#include "platform/message_box.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

#include <pwd.h>
#include <unistd.h>

namespace {

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
    }
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
}

// Where cups-pdf writes a job of this user: the PDF folder of the user's home as the system knows it.
QString pdfFolder()
{
    const passwd* pw = getpwuid(getuid());
    return pw ? QString::fromLocal8Bit(pw->pw_dir) + QStringLiteral("/PDF") : QString();
}

void pressEscapeInCaptureWindow()
{
    QTimer::singleShot(0, [] {
        QWidget* w = qmhelp::captureWindow();
        if (!w)
            return;
        qmtest::waitFor([&] { return w->windowHandle() && w->windowHandle()->isExposed(); });
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(w, &key);
    });
    BeginCapSelect();
}

// Accepts the print dialog that opens, noting the page range it offered; the caller owns the returned watch.
QTimer* acceptPrintDialog(int* offeredMax)
{
    auto* poll = new QTimer;
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, [poll, offeredMax] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QPrintDialog*>(w);
            if (!dialog || !dialog->isVisible())
                continue;
            poll->stop();
            *offeredMax = dialog->maxPage();
            static_cast<QDialog*>(dialog)->accept();
            return;
        }
    });
    poll->start();
    return poll;
}

// A CUPS server of the test's own with one cups-pdf queue as its default printer; this process prints to it.
class PdfPrinter : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (getuid() != 0)
            GTEST_SKIP() << "cups-pdf writes its files only when the print server runs as root";
        if (QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin")}).isEmpty()
            || !QFile::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf"))
            || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            GTEST_SKIP() << "cups, printer-driver-cups-pdf and poppler-utils are needed (scripts/deps)";
        ASSERT_TRUE(dir_.isValid());
        const QString root = dir_.path();
        for (const char* sub : {"spool", "cache", "state", "log", "ppd"})
            QDir(root).mkpath(QLatin1String(sub));
        socket_ = root + QStringLiteral("/cups.sock");
        qmtest::writeFile(root + QStringLiteral("/cupsd.conf"),
            QStringLiteral("Listen %1\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n")
                .arg(socket_)
                .toLocal8Bit());
        qmtest::writeFile(root + QStringLiteral("/cups-files.conf"),
            QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                           "TempDir %1/spool\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                           "PageLog %1/log/page_log\n")
                .arg(root)
                .toLocal8Bit());
        cupsd_.start(QStringLiteral("/usr/sbin/cupsd"),
            {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
        ASSERT_TRUE(cupsd_.waitForStarted());
        ASSERT_TRUE(qmtest::waitFor([&] { return QFileInfo::exists(socket_); }, 10000));
        qputenv("CUPS_SERVER", socket_.toLocal8Bit());
        int code = 0;
        const QString out = run(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), QStringLiteral("QMPDF"), QStringLiteral("-v"),
                QStringLiteral("cups-pdf:/"), QStringLiteral("-P"),
                QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"), QStringLiteral("-E")},
            &code);
        ASSERT_EQ(code, 0) << out.toStdString();
        run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QStringLiteral("QMPDF")}, &code);
        ASSERT_EQ(code, 0);
        // The document takes the application's name: a name of this run finds its file.
        token_ = QStringLiteral("qmprint%1").arg(QCoreApplication::applicationPid());
        QGuiApplication::setApplicationDisplayName(token_);
    }
    void TearDown() override
    {
        platform::setMessageBoxHook({});
        SetScreenRect(0, 0, 0, 0);
        for (const QString& pdf : printed())
            QFile::remove(pdf);
        if (cupsd_.state() != QProcess::NotRunning) {
            cupsd_.terminate();
            cupsd_.waitForFinished(5000);
        }
    }

    QStringList printed() const
    {
        QStringList files;
        const QDir folder(pdfFolder());
        for (const QString& name : folder.entryList({token_ + QStringLiteral("*.pdf")}, QDir::Files))
            files << folder.filePath(name);
        return files;
    }

    // Prints a capture of the given width (the black desktop) through the print dialog and returns the
    // pages of the PDF, rendered at 50 dpi.
    void printCapture(int width, int* offered, QList<QImage>* pages)
    {
        SetScreenRect(0, 0, width, 600);
        pressEscapeInCaptureWindow();
        ASSERT_EQ(qmhelp::lastCapture().width(), width);
        const std::unique_ptr<QTimer> watch(acceptPrintDialog(offered));
        PrintLastCapBmp();
        ASSERT_TRUE(qmtest::waitFor([&] { return !printed().isEmpty(); }, 30000)) << "no PDF came out";
        const QString pdf = printed().constFirst();
        // cups-pdf writes the file under its final name: wait until it is complete.
        QString info;
        ASSERT_TRUE(qmtest::waitFor(
            [&] {
                info = run(QStringLiteral("pdfinfo"), {pdf});
                return info.contains(QLatin1String("Pages:"));
            },
            10000));
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        const int count = m.captured(1).toInt();
        // The label's glyphs carry no text a reader could extract: the pages are looked at instead.
        const QString prefix = dir_.filePath(QStringLiteral("page"));
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"), pdf, prefix});
        for (int n = 1; n <= count; ++n)
            pages->append(
                QImage(QStringLiteral("%1-%2.png").arg(prefix).arg(n)).convertToFormat(QImage::Format_RGB32));
    }

    QTemporaryDir dir_;
    QString socket_;
    QString token_;
    QProcess cupsd_;
};

// Dark pixels in the rectangle of a rendered page.
int darkPixels(const QImage& page, const QRect& area)
{
    int n = 0;
    const QRect r = area & page.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(page.pixel(x, y)) < 100;
    return n;
}

// How wide the printed capture is on the page's row y.
int stripWidth(const QImage& page, int y)
{
    int left = -1;
    int right = -2;
    for (int x = 0; x < page.width(); ++x)
        if (qGray(page.pixel(x, y)) < 100) {
            if (left < 0)
                left = x;
            right = x;
        }
    return right - left + 1;
}

// The label stands at the page's bottom right, inside the page.
QRect labelBox(const QImage& page)
{
    return QRect(page.width() * 3 / 4, page.height() * 93 / 100, page.width() / 4, page.height() * 7 / 100);
}

} // namespace

TEST_F(PdfPrinter, ACaptureNarrowerThanThePagePrintsOnePageWithItsLabel)
{
    int offered = 0;
    QList<QImage> pages;
    printCapture(640, &offered, &pages);
    EXPECT_EQ(offered, 1);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_GT(darkPixels(pages[0], labelBox(pages[0])), 20);
    // 640 screen pixels at 96 dpi are 6.7 inches: about 333 pixels at 50 dpi.
    EXPECT_NEAR(stripWidth(pages[0], 60), 333, 6);
}

TEST_F(PdfPrinter, AThousandPixelCaptureTakesTheA4PagesItsWidthNeedsEachLabelled)
{
    // At the screen's 96 dpi an A4 page holds fewer than 800 screen pixels across: two pages, the second with
    // what the first could not hold.
    int offered = 0;
    QList<QImage> pages;
    printCapture(1000, &offered, &pages);
    EXPECT_EQ(offered, 2);
    ASSERT_EQ(pages.size(), 2);
    for (const QImage& page : pages)
        EXPECT_GT(darkPixels(page, labelBox(page)), 20);
    const int first = stripWidth(pages[0], 60);
    const int second = stripWidth(pages[1], 60);
    EXPECT_GT(first, 350);
    EXPECT_LT(second, first / 2);
    // Together the two strips are as wide as the capture: 1000 pixels at 96 dpi, about 521 at 50 dpi.
    EXPECT_NEAR(first + second, 521, 6);
}

TEST_F(PdfPrinter, WithoutACaptureNothingIsPrinted)
{
    // A fresh process has no capture yet: no dialog, no file.
    int offered = -1;
    const std::unique_ptr<QTimer> watch(acceptPrintDialog(&offered));
    PrintLastCapBmp();
    qmtest::waitFor([] { return false; }, 500);
    EXPECT_EQ(offered, -1);
    EXPECT_TRUE(printed().isEmpty());
}

TEST(PrintWithoutPrinters, SaysSoAndPrintsNothing)
{
    // A print server that is not there: no printer at all.
    const QTemporaryDir dir;
    qputenv("CUPS_SERVER", dir.filePath(QStringLiteral("no-server.sock")).toLocal8Bit());
    std::vector<platform::MessageBoxRequest> boxes;
    platform::setMessageBoxHook([&](const platform::MessageBoxRequest& box) {
        boxes.push_back(box);
        return platform::IDOK;
    });
    SetScreenRect(0, 0, 300, 200);
    pressEscapeInCaptureWindow();
    ASSERT_FALSE(qmhelp::lastCapture().isNull());
    int offered = -1;
    const std::unique_ptr<QTimer> watch(acceptPrintDialog(&offered));
    PrintLastCapBmp();
    qmtest::waitFor([] { return false; }, 300);
    platform::setMessageBoxHook({});
    SetScreenRect(0, 0, 0, 0);
    EXPECT_EQ(offered, -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("找不到打印机。请检查已安装的打印机和默认打印机。"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("提示"));
}

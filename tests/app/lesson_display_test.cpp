// A lesson in and out as PDF on the desktop: a PDF opens as board pages that keep their ink while the teacher
// pages through them, a PDF of thousands of pages within a bound of memory and disk, bad PDFs are told
// without holding the panel and open nothing, a deck's conversion can be cancelled, the lesson exports from
// the panel with every page, and a close keeps the lesson where the history panel finds it again.
#include "app/line_style_dlg.h"
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"

#include "assist/conversion_progress.h"
#include "assist/ppt_convert.h"
#include "assist/slide_deck_fixture.h"
#include "assist/tab_dlg.h"
#include "controls/button_ex.h"
#include "platform/message_box.h"
#include "platform/x11_desktop.h"
#include "support/language.h"
#include "support_main/test_util.h"
#include "surface/lesson_pdf.h"
#include "surface/many_pages_pdf.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <poppler-qt6.h>

#include <gtest/gtest.h>

using namespace DIALOG;
namespace desktop = platform::desktop;

namespace {

QString colourPdf(const QString& path, std::initializer_list<QColor> colours)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    bool first = true;
    for (const QColor& colour : colours) {
        if (!first)
            writer.newPage();
        first = false;
        p.fillRect(QRect(0, 0, writer.width(), writer.height()), colour);
    }
    return path;
}

QImage screenImage()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

bool near(QRgb a, QRgb b, int tolerance = 40)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

void pause(int ms)
{
    qmtest::waitFor([] { return false; }, ms);
}

void stroke(const QList<QPoint>& points)
{
    desktop::moveMouse(points.first().x(), points.first().y());
    pause(60);
    desktop::mouseButton(1, true);
    for (const QPoint& p : points) {
        pause(15);
        desktop::moveMouse(p.x(), p.y());
    }
    pause(60);
    desktop::mouseButton(1, false);
    desktop::flush();
    pause(300);
}

class LessonOnTheDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<qmtest::ScopedCurrentDir>(dir.path());
        QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"),
            dir.filePath(QStringLiteral("Language.ini")));
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            told << r.text;
            return platform::IDOK;
        });
        panel = std::make_unique<CWhiteBoardDlg>(nullptr);
        panel->OnInitDialog();
        panel->show();
    }
    void TearDown() override
    {
        if (panel)
            panel->OnDestroy();
        panel.reset();
        CWhiteBoardDlg::SetLessonFileChooser({});
        platform::setMessageBoxHook({});
        QDir(KeptLessonsFolder()).removeRecursively();
        cwd.reset();
    }

    bool openAndWait(const QString& pdf)
    {
        if (!panel->OpenPagesOf(pdf))
            return false;
        return qmtest::waitFor(
            [&] { return !panel->OpeningPages() && panel->Surface() && panel->Surface()->isVisible(); },
            20000);
    }

    void click(CScreenPenWnd::NavButton button)
    {
        const QPoint at = panel->Surface()->mapToGlobal(panel->Surface()->navButtonRect(button).center());
        desktop::moveMouse(at.x(), at.y());
        pause(60);
        desktop::mouseButton(1, true);
        desktop::mouseButton(1, false);
        desktop::flush();
        pause(500);
    }

    QRgb centre() const
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        return screenImage().pixel(screen.center().x() - 200, screen.center().y() + 100);
    }

    QTemporaryDir dir;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd;
    std::unique_ptr<CWhiteBoardDlg> panel;
    QStringList told;
};

} // namespace

TEST_F(LessonOnTheDesktop, APdfOpensAsBoardPagesThatKeepTheirInk)
{
    const QString pdf = colourPdf(dir.filePath(QStringLiteral("three.pdf")), {Qt::red, Qt::green, Qt::blue});
    ASSERT_TRUE(openAndWait(pdf));
    EXPECT_TRUE(told.isEmpty()) << told.join(u'|').toStdString();
    ASSERT_EQ(panel->TheLesson().BoardPages().files.size(), 3);
    EXPECT_EQ(panel->TheLesson().BoardPages().currentPage, 0);
    EXPECT_TRUE(qmtest::waitFor([&] { return near(centre(), qRgb(255, 0, 0)); }, 5000))
        << std::hex << centre();

    click(CScreenPenWnd::NavNext);
    ASSERT_TRUE(qmtest::waitFor([&] { return near(centre(), qRgb(0, 255, 0)); }, 5000))
        << std::hex << centre();
    pause(300);
    panel->Surface()->SetPen(12, RGB(0, 0, 0));
    stroke({{700, 300}, {900, 310}, {1100, 300}});
    EXPECT_TRUE(near(screenImage().pixel(900, 310), qRgb(0, 0, 0)));

    click(CScreenPenWnd::NavNext);
    EXPECT_TRUE(qmtest::waitFor([&] { return near(centre(), qRgb(0, 0, 255)); }, 5000))
        << std::hex << centre();
    EXPECT_TRUE(near(screenImage().pixel(900, 310), qRgb(0, 0, 255))) << "the ink stays on its page";

    click(CScreenPenWnd::NavPrevious);
    EXPECT_TRUE(near(centre(), qRgb(0, 255, 0))) << std::hex << centre();
    EXPECT_TRUE(near(screenImage().pixel(900, 310), qRgb(0, 0, 0))) << "back on page 2 the ink is there";

    click(CScreenPenWnd::NavPrevious);
    EXPECT_TRUE(near(centre(), qRgb(255, 0, 0))) << std::hex << centre();
    EXPECT_TRUE(near(screenImage().pixel(900, 310), qRgb(255, 0, 0)));
    EXPECT_EQ(panel->TheLesson().BoardPages().files.size(), 3) << "paging adds no page";
}

TEST_F(LessonOnTheDesktop, APdfOfTenThousandPagesIsPagedThroughWithinABoundOfMemoryAndDisk)
{
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    ASSERT_TRUE(qmtest::writeManyPagesPdf(pdf, 10000));
    const qint64 before = qmtest::residentBytes();
    ASSERT_TRUE(openAndWait(pdf));
    const QStringList& files = panel->TheLesson().BoardPages().files;
    ASSERT_EQ(files.size(), 10000);
    const auto onDisk = [&] {
        qint64 bytes = 0;
        for (const QString& objects : files)
            bytes += QFileInfo(objects).size()
                + QFileInfo(WithExtension(objects, QStringLiteral("bmp"))).size();
        return bytes;
    };
    const auto shows = [&](int page) {
        const QRgb top = panel->Surface()->backgroundBitmap().pixel(960, 20);
        return near(top, qmtest::manyPagesColour(page).rgb(), 6);
    };
    const qint64 pageBytes = qint64(1920) * 1080 * 4;
    qint64 mostOnDisk = 0, mostHeld = 0;
    // The teacher writes on the third page and pages on, to the forty-first.
    for (int page = 1; page <= 40; ++page) {
        NextPage(panel->Surface());
        ASSERT_TRUE(qmtest::waitFor([&] { return shows(page); }, 30000)) << "page " << page + 1;
        if (page == 2) {
            panel->Surface()->SetPen(12, RGB(0, 0, 0));
            stroke({{700, 300}, {900, 310}, {1100, 300}});
        }
        mostOnDisk = std::max(mostOnDisk, onDisk());
        mostHeld = std::max(mostHeld, qmtest::residentBytes() - before);
    }
    // The window of pages around the one shown, and the page written on.
    EXPECT_LT(mostOnDisk, 8 * pageBytes) << mostOnDisk;
    EXPECT_LT(mostHeld, qint64(900) << 20) << mostHeld;
    EXPECT_GT(QFileInfo(files.at(2)).size(), 1) << "the ink stays with its page";
    EXPECT_FALSE(QFileInfo::exists(files.at(20))) << "a page the teacher left behind goes";

    // Back on the page written on, its ink shows over its page.
    for (int page = 39; page >= 2; --page)
        PreviousPage(panel->Surface());
    ASSERT_TRUE(qmtest::waitFor([&] { return shows(2); }, 30000));
    pause(300);
    EXPECT_TRUE(near(screenImage().pixel(900, 310), qRgb(0, 0, 0)));

    // Paging ahead faster than pages are drawn, the teacher writes on a page whose picture is still to come:
    // the picture comes under the ink, and both stay with the page.
    for (int page = 3; page <= 32; ++page)
        NextPage(panel->Surface());
    panel->Surface()->SetPen(12, RGB(0, 0, 0));
    qmtest::dragThrough(panel->Surface(), {{400, 700}, {600, 700}, {800, 700}});
    ASSERT_TRUE(qmtest::waitFor([&] { return shows(32); }, 30000));
    EXPECT_EQ(panel->Surface()->windowImage().pixel(600, 700), qRgb(0, 0, 0));
    NextPage(panel->Surface());
    PreviousPage(panel->Surface());
    EXPECT_TRUE(shows(32));
    EXPECT_EQ(panel->Surface()->windowImage().pixel(600, 700), qRgb(0, 0, 0))
        << "the ink is stored with the page";

    // The close ends: the page makers stop where they are.
    panel->OnDestroy();
    panel.reset();
    const QStringList kept = KeptLessons(KeptLessonsFolder());
    ASSERT_EQ(kept.size(), 1);
    std::unique_ptr<Poppler::Document> lesson = Poppler::Document::load(KeptLessonPdf(kept.first()));
    ASSERT_TRUE(lesson);
    EXPECT_EQ(lesson->numPages(), 2) << "the pages written on are kept, the others are in their PDF";
}

TEST_F(LessonOnTheDesktop, HugeDamagedAndEncryptedFilesAreToldWithoutHoldingThePanelAndOpenNothing)
{
    // A gigabyte named as a PDF is checked beside the panel, which goes on answering: the teacher is told
    // once the check is done.
    QFile huge(dir.filePath(QStringLiteral("huge.pdf")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(1) << 30));
    huge.close();
    ASSERT_TRUE(panel->OpenPagesOf(huge.fileName()));
    EXPECT_TRUE(told.isEmpty());
    EXPECT_TRUE(panel->OpeningPages());
    ASSERT_TRUE(qmtest::waitFor([&] { return !told.isEmpty(); }, 60000));
    EXPECT_FALSE(panel->OpeningPages());
    EXPECT_EQ(told.last(), QStringLiteral("这个文件不是PDF，或已损坏，无法打开。"));
    QFile::remove(huge.fileName());

    QFile damaged(dir.filePath(QStringLiteral("damaged.pdf")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R");
    damaged.close();
    ASSERT_TRUE(panel->OpenPagesOf(damaged.fileName()));
    ASSERT_TRUE(qmtest::waitFor([&] { return told.size() == 2; }, 20000));
    EXPECT_EQ(told.last(), QStringLiteral("这个文件不是PDF，或已损坏，无法打开。"));

    QFile locked(dir.filePath(QStringLiteral("locked.pdf")));
    ASSERT_TRUE(locked.open(QIODevice::WriteOnly));
    locked.write("%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                 "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
                 "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >> endobj\n"
                 "4 0 obj << /Filter /Standard /V 1 /R 2 /O <"
        + QByteArray(32, '\x5a').toHex() + "> /U <" + QByteArray(32, '\x33').toHex()
        + "> /P -4 >> endobj\n"
          "trailer << /Root 1 0 R /Encrypt 4 0 R /ID [<00112233445566778899aabbccddeeff>"
          "<00112233445566778899aabbccddeeff>] >>\n%%EOF\n");
    locked.close();
    SetLanguage(QStringLiteral("English"));
    ASSERT_TRUE(panel->OpenPagesOf(locked.fileName()));
    ASSERT_TRUE(qmtest::waitFor([&] { return told.size() == 3; }, 20000));
    SetLanguage(QStringLiteral("Chinese"));
    EXPECT_EQ(told.last(), QStringLiteral("This PDF is encrypted and cannot be opened."));

    EXPECT_TRUE(panel->TheLesson().BoardPages().files.isEmpty());
    EXPECT_EQ(panel->Surface(), nullptr);
}

TEST_F(LessonOnTheDesktop, TheLessonExportsFromTheMenuAndThePopupWithEveryPageAndTheOpenPageStoredFirst)
{
    // Pages the teacher has not come near are not made for the board, and are in the export all the same.
    const QString pdf = dir.filePath(QStringLiteral("eight.pdf"));
    ASSERT_TRUE(qmtest::writeManyPagesPdf(pdf, 8));
    ASSERT_TRUE(openAndWait(pdf));
    panel->Surface()->SetPen(10, RGB(0, 0, 0));
    stroke({{600, 500}, {1000, 500}});
    ASSERT_TRUE(panel->TheLesson().Pages().pageChanged);

    QString offered;
    const QString chosen = dir.filePath(QStringLiteral("lesson"));
    CWhiteBoardDlg::SetLessonFileChooser([&](bool save, const QString& start, const QString&) {
        EXPECT_TRUE(save);
        offered = start;
        return chosen;
    });
    panel->OnCommand(kCmdExportPdf);
    EXPECT_TRUE(QFileInfo(offered).fileName().endsWith(QStringLiteral(".pdf")));
    EXPECT_EQ(QFileInfo(offered).fileName().size(), 18) << "year to second, then .pdf";
    EXPECT_NE(panel->Surface(), nullptr) << "the teacher keeps writing on the page";
    EXPECT_FALSE(panel->TheLesson().Pages().pageChanged) << "the open page was stored first";
    std::unique_ptr<Poppler::Document> exported = Poppler::Document::load(chosen + QStringLiteral(".pdf"));
    ASSERT_TRUE(exported);
    ASSERT_EQ(exported->numPages(), 8);
    const QImage first = exported->page(0)->renderToImage(96, 96);
    const QPoint ink = QPoint(800, 500) - panel->Surface()->mapToGlobal(QPoint(0, 0));
    EXPECT_TRUE(near(first.pixel(ink), qRgb(0, 0, 0))) << "the ink written before the export is in it";
    EXPECT_FALSE(QFileInfo::exists(
        WithExtension(panel->TheLesson().BoardPages().files.last(), QStringLiteral("bmp"))));
    const QImage last = exported->page(7)->renderToImage(96, 96);
    EXPECT_TRUE(near(last.pixel(960, 20), qmtest::manyPagesColour(7).rgb(), 6))
        << std::hex << last.pixel(960, 20);

    // The popup's button does the same.
    QFile::remove(chosen + QStringLiteral(".pdf"));
    panel->LineStyleDlg()->Button(CLineStyleDlg::kExportPdfId)->click();
    exported = Poppler::Document::load(chosen + QStringLiteral(".pdf"));
    ASSERT_TRUE(exported);
    EXPECT_EQ(exported->numPages(), 8);
}

TEST_F(LessonOnTheDesktop, ACloseKeepsTheWrittenLessonAndItOpensAgain)
{
    const QString pdf = colourPdf(dir.filePath(QStringLiteral("two.pdf")), {Qt::red, Qt::green});
    ASSERT_TRUE(openAndWait(pdf));
    panel->Surface()->SetPen(10, RGB(0, 0, 0));
    stroke({{600, 500}, {1000, 500}});
    // Closed while the page is open and changed: it is stored and kept with the others.
    panel->OnDestroy();
    panel.reset();

    const QStringList kept = KeptLessons(KeptLessonsFolder());
    ASSERT_EQ(kept.size(), 1);
    std::unique_ptr<Poppler::Document> lesson = Poppler::Document::load(KeptLessonPdf(kept.first()));
    ASSERT_TRUE(lesson);
    // The page without ink stays in the PDF it came from.
    ASSERT_EQ(lesson->numPages(), 1);
    EXPECT_TRUE(near(lesson->page(0)->renderToImage(96, 96).pixel(800, 500), qRgb(0, 0, 0)));
    panel = std::make_unique<CWhiteBoardDlg>(nullptr);
    panel->OnInitDialog();
    panel->show();
    // The history panel's way back: a menu of the kept lessons, newest first, named by their date and time.
    QStringList offered;
    QTimer::singleShot(500, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                offered << action->text();
            // Chosen as the teacher chooses it: the entry under the pointer and a press of Return.
            menu->setActiveAction(menu->actions().first());
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(menu, &enter);
        }
    });
    panel->OpenKeptLesson();
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(offered.first(),
        QDateTime::fromString(QFileInfo(kept.first()).fileName(), QStringLiteral("yyyy-MM-dd-HH-mm-ss"))
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    ASSERT_TRUE(qmtest::waitFor(
        [&] { return !panel->OpeningPages() && panel->Surface() && panel->Surface()->isVisible(); }, 20000));
    EXPECT_EQ(panel->TheLesson().BoardPages().files.size(), 1);
    pause(500);
    EXPECT_TRUE(near(screenImage().pixel(800, 500), qRgb(0, 0, 0))) << "the kept ink shows again";

    panel->OnDestroy();
    panel.reset();
    EXPECT_EQ(KeptLessons(KeptLessonsFolder()).size(), 1) << "a lesson only opened again is not kept twice";
}

TEST_F(LessonOnTheDesktop, TheHistoryPanelsPdfButtonReachesThePanel)
{
    QWidget* history = panel->TabDlg()->window();
    ASSERT_NE(history, nullptr);
    auto* kept = history->findChild<QAction*>(QStringLiteral("historyOpenKeptLesson"));
    auto* open = history->findChild<QAction*>(QStringLiteral("historyOpenLessonFile"));
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(kept->text(), QStringLiteral("打开保存的课"));

    // No lesson has been kept in this home yet: the teacher is told so.
    kept->trigger();
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told.last(), QStringLiteral("还没有保存的课。"));

    // The other entry asks for a file, starting in Documents, and opens what is chosen.
    const QString pdf = colourPdf(dir.filePath(QStringLiteral("one.pdf")), {Qt::magenta});
    bool asked = false;
    CWhiteBoardDlg::SetLessonFileChooser([&](bool save, const QString&, const QString& filter) {
        asked = true;
        EXPECT_FALSE(save);
        EXPECT_TRUE(filter.contains(QStringLiteral("*.pptx")));
        return pdf;
    });
    open->trigger();
    EXPECT_TRUE(asked);
    ASSERT_TRUE(qmtest::waitFor([&] { return !panel->OpeningPages() && panel->Surface(); }, 20000));
    EXPECT_EQ(panel->TheLesson().BoardPages().files.size(), 1);
}

TEST_F(LessonOnTheDesktop, CancellingADeckWhileLibreOfficeWorksStopsItLeavesTheBoardAsItWasAndTellsNothing)
{
    if (UICONTROL::CPptConvert::officeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString deck = dir.filePath(QStringLiteral("Lesson 2.odp"));
    ASSERT_TRUE(qmtest::writeSlideDeck(deck, {Qt::red, Qt::green}));
    ASSERT_TRUE(panel->OpenPagesOf(deck));
    // A wait of more than a second shows its progress: a bar that runs until the page count is known.
    CConversionProgress* progress = nullptr;
    ASSERT_TRUE(qmtest::waitFor(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == CConversionProgress::kTitle)
                    progress = dynamic_cast<CConversionProgress*>(w);
            return progress != nullptr;
        },
        20000));
    EXPECT_EQ(progress->Maximum(), 0);
    EXPECT_TRUE(progress->Text().contains(QStringLiteral("LibreOffice"))) << progress->Text().toStdString();
    EXPECT_TRUE(progress->screen()->availableGeometry().contains(progress->frameGeometry()));
    ASSERT_TRUE(qmtest::waitFor([&] { return !qmtest::processesMentioning(deck).isEmpty(); }, 20000));

    progress->CancelButton()->click();
    ASSERT_TRUE(qmtest::waitFor([&] { return !panel->OpeningPages(); }, 20000));
    EXPECT_TRUE(qmtest::waitFor([&] { return qmtest::processesMentioning(deck).isEmpty(); }, 5000))
        << "LibreOffice and what it started are gone";
    pause(300);
    EXPECT_TRUE(told.isEmpty()) << told.join(u'|').toStdString();
    EXPECT_TRUE(panel->TheLesson().BoardPages().files.isEmpty());
    EXPECT_EQ(panel->Surface(), nullptr);
    bool progressShown = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        progressShown |= w->isVisible() && w->windowTitle() == CConversionProgress::kTitle;
    EXPECT_FALSE(progressShown);
}

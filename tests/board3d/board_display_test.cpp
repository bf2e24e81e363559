#include "board3d/board3d_exports.h"
#include "board3d/board_menu.h"
#include "board3d/board_rules.h"
#include "board3d/cmfc_lumo_dlg.h"
#include "board3d/page_canvas.h"

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/notice.h"
#include "platform/window_ops.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstring>

using namespace Qt::StringLiterals;
using lumo::board::CmfcLumoDlg;
using lumo::wall::PointerEvent;

namespace {

void pause(int ms)
{
    qmtest::waitFor([] { return false; }, ms);
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)),
        type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

CmfcLumoDlg* theBoard()
{
    return qobject_cast<CmfcLumoDlg*>(
        platform::FindWindow(QString(), lumo::board::kBoardTitle).widget.data());
}

QImage screen()
{
    return qmtest::logicalScreen();
}

bool isNumberBlue(QRgb pixel)
{
    return qBlue(pixel) > 190 && qRed(pixel) < 100 && qGreen(pixel) < 100;
}

int bluePixels(const QImage& image, const QRect& area)
{
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += isNumberBlue(image.pixel(x, y)) ? 1 : 0;
    return count;
}

QByteArray digest(const QString& path)
{
    return QCryptographicHash::hash(qmtest::readFile(path), QCryptographicHash::Sha256);
}

QStringList pages(const QString& folder)
{
    QStringList names;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        if (lumo::board::isPageFile(name))
            names << name;
    return names;
}

// Mesa lets go of its driver, and the driver of LLVM, when the board's display connection closes. LLVM keeps
// a few blocks for the life of the process, which the leak checker, with LLVM gone from memory, can no longer
// tell apart from ours: the driver and LLVM stay loaded, so that its blocks stay recognised as its own.
int pinGraphicsDriver(dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name
        && (std::strstr(info->dlpi_name, "libLLVM") || std::strstr(info->dlpi_name, "_dri.so")))
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

void keepGraphicsDriverLoaded()
{
    dl_iterate_phdr(pinGraphicsDriver, nullptr);
}

int threadCount()
{
    return int(QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

QString threadNames()
{
    QStringList names;
    for (const QString& task : QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        names << QString::fromUtf8(qmtest::readFile(u"/proc/self/task/%1/comm"_s.arg(task))).trimmed();
    names.sort();
    return names.join(u' ');
}

class BoardWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A home of its own: every test starts with a new board folder.
        qputenv("HOME", home_.path().toLocal8Bit());
        qputenv("QM_WALL_LOAD_PAUSE_MS", "300");
        cwd_ = std::make_unique<qmtest::ScopedCurrentDir>(QStringLiteral(QM_BIN_DIR));
        ASSERT_TRUE(Create3DScreenPen());
        board_ = theBoard();
        ASSERT_NE(board_, nullptr) << "no board window: no 3D device";
        ASSERT_TRUE(waitTiles(18)) << board_->Engine().View().tiles << " tiles";
        keepGraphicsDriverLoaded();
    }
    void TearDown() override
    {
        platform::setMessageBoxHook({});
        Destroy3DScreen();
    }

    bool waitTiles(int tiles)
    {
        return qmtest::waitFor(
            [&] {
                const auto view = board_->Engine().View();
                return view.loaded && view.tiles == tiles && view.frames > 3;
            },
            60000);
    }
    // Brings page index (in the wall's order) close and waits until the camera stands in front of it.
    bool zoomInto(int index)
    {
        board_->Engine().SelectIndex(index);
        return qmtest::waitFor(
            [&] {
                const auto view = board_->Engine().View();
                return view.standing && view.turned && view.selectedIndex == index;
            },
            30000);
    }
    void answerMessageBoxes(int answer)
    {
        platform::setMessageBoxHook([this, answer](const platform::MessageBoxRequest& box) {
            boxes_ << box.text;
            return answer;
        });
    }

    QTemporaryDir home_;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd_;
    CmfcLumoDlg* board_ = nullptr;
    QStringList boxes_;
};

TEST_F(BoardWindow, TheFirstStartMakes18NumberedPagesThatShowOnTheWall)
{
    EXPECT_EQ(board_->windowTitle(), u"3D VorivOrazu"_s);
    EXPECT_TRUE(board_->BoardFolder().endsWith(u"/Temp/3DSlate"_s)) << board_->BoardFolder().toStdString();
    QStringList expected;
    for (int n = 1; n <= 18; ++n)
        expected << lumo::board::pageFileName(n);
    EXPECT_EQ(pages(board_->BoardFolder()), expected);
    EXPECT_EQ(board_->PageCounter(), 18);
    // Each page is the template with its own number.
    const QImage seven(QDir(board_->BoardFolder()).filePath(u"Template007.png"_s));
    EXPECT_EQ(seven.size(), QSize(1024, 768));
    EXPECT_GT(bluePixels(seven, QRect(800, 600, 100, 130)), 300);
    EXPECT_NE(digest(QDir(board_->BoardFolder()).filePath(u"Template007.png"_s)),
        digest(QDir(board_->BoardFolder()).filePath(u"Template008.png"_s)));

    // The whole wall of two rows is in view: every page's number shows in blue on its white tile.
    pause(2500);
    const QImage wall = screen();
    wall.save(u"/tmp/board_start.png"_s);
    // The wall's columns lie between the first and the last screen column with white page pixels.
    int left = wall.width(), right = -1;
    for (int x = 0; x < wall.width(); ++x)
        for (int y = wall.height() / 4; y < wall.height() * 3 / 4; y += 3)
            if (qRed(wall.pixel(x, y)) > 240 && qGreen(wall.pixel(x, y)) > 240
                && qBlue(wall.pixel(x, y)) > 240) {
                left = std::min(left, x);
                right = std::max(right, x);
                break;
            }
    ASSERT_LT(left, right) << "no page on the screen";
    // Nine columns in two rows, one above and one below the middle of the screen: each page shows its number.
    int pagesWithNumbers = 0;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 9; ++column) {
            const QRect cell(left + (right - left) * column / 9,
                row == 0 ? wall.height() / 4 : wall.height() / 2, (right - left) / 9, wall.height() / 4);
            pagesWithNumbers += bluePixels(wall, cell) >= 4 ? 1 : 0;
        }
    EXPECT_EQ(pagesWithNumbers, 18);

    // Close up, page 12's number stands at the page's lower right.
    ASSERT_TRUE(zoomInto(11));
    pause(300);
    const QImage close = screen();
    close.save(u"/tmp/board_page12.png"_s);
    const QRect page = board_->Engine().View().selectedRect;
    const QRect numberArea(page.x() + page.width() * 780 / 1024, page.y() + page.height() * 590 / 768,
        page.width() * 200 / 1024, page.height() * 140 / 768);
    EXPECT_GT(bluePixels(close, numberArea), 200);
    EXPECT_EQ(bluePixels(close, QRect(page.x() + 30, page.y() + 30, page.width() / 2, page.height() / 2)), 0);
}

TEST_F(BoardWindow, ANewPageWithin500MsOfTheLastIsIgnored)
{
    // The board's clock is the test's, so that a slow machine does not stretch the time between two presses.
    qint64 now = 100000;
    board_->SetClock([&] { return now; });
    EXPECT_TRUE(board_->NewPage());
    now += 499;
    EXPECT_FALSE(board_->NewPage());
    EXPECT_EQ(pages(board_->BoardFolder()).size(), 19);
    ASSERT_TRUE(waitTiles(19));
    now += 1;
    EXPECT_TRUE(board_->NewPage());
    EXPECT_TRUE(QFileInfo::exists(QDir(board_->BoardFolder()).filePath(u"Template020.png"_s)));
    ASSERT_TRUE(waitTiles(20));
    // The board's own menu button does the same.
    now += 500;
    board_->PenMenu()->Button(lumo::board::kMenuNew)->click();
    EXPECT_TRUE(waitTiles(21));
    // The new page is shown: the camera glides to the last page.
    EXPECT_TRUE(qmtest::waitFor([&] { return board_->Engine().View().cameraX > 4000; }, 20000))
        << board_->Engine().View().cameraX;
}

TEST_F(BoardWindow, WritingOnAZoomedPageIsStoredIntoThatPageWhenEditingEnds)
{
    const QString third = QDir(board_->BoardFolder()).filePath(u"Template003.png"_s);
    const QString fourth = QDir(board_->BoardFolder()).filePath(u"Template004.png"_s);
    const QByteArray fourthBefore = digest(fourth);
    ASSERT_TRUE(zoomInto(2));
    const QRect page = board_->Engine().View().selectedRect;

    // A click on the page standing in front of the camera starts editing it.
    board_->Pointer({PointerEvent::LeftDown, page.center().x(), page.center().y(), 0});
    board_->Pointer({PointerEvent::LeftUp, page.center().x(), page.center().y(), 0});
    ASSERT_TRUE(board_->Editing());
    EXPECT_EQ(board_->EditedPage(), 3);
    lumo::board::PageCanvas* canvas = board_->Canvas();
    ASSERT_TRUE(canvas->isVisible());

    // A stroke across the middle, and one that starts beyond the left edge: it stays 20 pixels inside.
    const int y = canvas->height() / 2;
    mouse(canvas, QEvent::MouseButtonPress, QPoint(canvas->width() / 4, y), Qt::LeftButton);
    for (int x = canvas->width() / 4; x <= canvas->width() * 3 / 4; x += 8)
        mouse(canvas, QEvent::MouseMove, QPoint(x, y), Qt::LeftButton);
    mouse(canvas, QEvent::MouseButtonRelease, QPoint(canvas->width() * 3 / 4, y), Qt::NoButton);
    const int y2 = canvas->height() / 4;
    mouse(canvas, QEvent::MouseButtonPress, QPoint(-40, y2), Qt::LeftButton);
    for (int x = -40; x <= canvas->width() / 4; x += 8)
        mouse(canvas, QEvent::MouseMove, QPoint(x, y2), Qt::LeftButton);
    mouse(canvas, QEvent::MouseButtonRelease, QPoint(canvas->width() / 4, y2), Qt::NoButton);
    pause(200);
    const QImage ink = screen();
    ink.save(u"/tmp/board_ink.png"_s);
    EXPECT_TRUE(isNumberBlue(ink.pixel(canvas->mapToGlobal(QPoint(canvas->width() / 2, y)))));
    // Not yet stored: the file is as it was until editing ends.
    const QSize shown = canvas->size();

    // A click beside the page ends editing: the ink is in the page's picture, and only in that one.
    board_->Pointer({PointerEvent::LeftDown, 10, 10, 0});
    board_->Pointer({PointerEvent::LeftUp, 10, 10, 0});
    EXPECT_FALSE(board_->Editing());
    const QImage stored(third);
    ASSERT_EQ(stored.size(), QSize(1024, 768));
    const auto inPage
        = [&](int x, int yy) { return QPoint(x * 1024 / shown.width(), yy * 768 / shown.height()); };
    EXPECT_TRUE(isNumberBlue(stored.pixel(inPage(shown.width() / 2, y))));
    EXPECT_TRUE(isNumberBlue(stored.pixel(inPage(shown.width() / 8, y2))));
    // The margin: nothing left of 20 shown pixels (less the pen's half width) was drawn.
    for (int x = 0; x < inPage(17, 0).x(); ++x)
        ASSERT_FALSE(isNumberBlue(stored.pixel(x, inPage(0, y2).y()))) << x;
    EXPECT_EQ(digest(fourth), fourthBefore);

    // Coming back to the page shows what was written on it.
    ASSERT_TRUE(qmtest::waitFor([&] { return board_->Engine().View().selected.isEmpty(); }, 10000));
    ASSERT_TRUE(zoomInto(2));
    pause(300);
    const QImage again = screen();
    again.save(u"/tmp/board_ink_again.png"_s);
    const QRect back = board_->Engine().View().selectedRect;
    EXPECT_GT(
        bluePixels(again, QRect(back.x() + back.width() / 3, back.center().y() - 6, back.width() / 3, 12)),
        back.width() / 4);
}

TEST_F(BoardWindow, ClosingTheBoardByItsTitleHidesItAndStoresWhatIsBeingWritten)
{
    ASSERT_TRUE(zoomInto(0));
    board_->OnCommand(lumo::board::kCmdPen);
    ASSERT_TRUE(board_->Editing());
    lumo::board::PageCanvas* canvas = board_->Canvas();
    const int y = canvas->height() / 3;
    mouse(canvas, QEvent::MouseButtonPress, QPoint(60, y), Qt::LeftButton);
    for (int x = 60; x <= canvas->width() - 60; x += 10)
        mouse(canvas, QEvent::MouseMove, QPoint(x, y), Qt::LeftButton);
    mouse(canvas, QEvent::MouseButtonRelease, QPoint(canvas->width() - 60, y), Qt::NoButton);
    const QSize shown = canvas->size();
    // The panel's deck conversion closes the board by its title, as another program would.
    platform::RequestClose(platform::FindWindow(QString(), u"3D VorivOrazu"_s));
    EXPECT_FALSE(board_->isVisible());
    EXPECT_FALSE(board_->Editing());
    const QImage stored(QDir(board_->BoardFolder()).filePath(u"Template001.png"_s));
    EXPECT_TRUE(
        isNumberBlue(stored.pixel(shown.width() / 2 * 1024 / shown.width(), y * 768 / shown.height())));
    // Opened again by the same call, it shows; a second call hides it again.
    EXPECT_TRUE(Create3DScreenPen());
    EXPECT_TRUE(board_->isVisible());
    EXPECT_FALSE(Create3DScreenPen());
    EXPECT_FALSE(board_->isVisible());
}

TEST_F(BoardWindow, SaveCopiesEveryPageIntoTheChosenFolder)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(u"savefile/2026-12- 8-22- 8"_s);
    ASSERT_TRUE(board_->SaveTo(target));
    const QStringList saved = QDir(target).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(saved, QDir(board_->BoardFolder()).entryList(QDir::Files, QDir::Name));
    EXPECT_EQ(saved.size(), 18);
    for (const QString& name : saved)
        EXPECT_EQ(digest(QDir(target).filePath(name)), digest(QDir(board_->BoardFolder()).filePath(name)))
            << name.toStdString();
    // Saving again over the same folder replaces the copies.
    EXPECT_TRUE(board_->SaveTo(target));

    // A name that is a file is refused with a message, and nothing is written.
    answerMessageBoxes(platform::IDOK);
    const QString file = qmtest::writeFile(dir.filePath(u"notes"_s), "a file");
    EXPECT_FALSE(board_->SaveTo(file));
    EXPECT_EQ(boxes_.size(), 1);
    EXPECT_EQ(qmtest::readFile(file), QByteArray("a file"));
}

TEST_F(BoardWindow, ImportOfAFolderOf5PicturesShows5Tiles)
{
    QTemporaryDir empty, dir;
    // An empty folder changes nothing and says so.
    EXPECT_FALSE(board_->ImportFolder(empty.path()));
    EXPECT_FALSE(platform::CurrentNotice().isEmpty());
    EXPECT_EQ(pages(board_->BoardFolder()).size(), 18);

    for (int i = 0; i < 5; ++i) {
        QImage picture(640 + 100 * i, 480, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 60, 200, 220));
        ASSERT_TRUE(picture.save(dir.filePath(u"photo_%1.%2"_s.arg(i).arg(i % 2 ? u"jpg"_s : u"png"_s))));
    }
    qmtest::writeFile(dir.filePath(u"readme.txt"_s), "not a picture");
    // The teacher is asked before the pages are replaced; "No" keeps them.
    answerMessageBoxes(platform::IDNO);
    EXPECT_FALSE(board_->ImportFolder(dir.path()));
    EXPECT_EQ(boxes_.size(), 1);
    EXPECT_EQ(pages(board_->BoardFolder()).size(), 18);

    answerMessageBoxes(platform::IDYES);
    ASSERT_TRUE(board_->ImportFolder(dir.path()));
    EXPECT_EQ(pages(board_->BoardFolder()),
        (QStringList {u"Template001.png"_s, u"Template002.png"_s, u"Template003.png"_s, u"Template004.png"_s,
            u"Template005.png"_s}));
    ASSERT_TRUE(waitTiles(5));
    EXPECT_EQ(QImage(QDir(board_->BoardFolder()).filePath(u"Template005.png"_s)).size(), QSize(1040, 480));
    pause(1500);
    screen().save(u"/tmp/board_imported.png"_s);
    // A new page follows the imported ones.
    EXPECT_TRUE(board_->NewPage());
    EXPECT_TRUE(QFileInfo::exists(QDir(board_->BoardFolder()).filePath(u"Template006.png"_s)));
}

TEST_F(BoardWindow, AnImportNeverEmptiesWhatAnotherProgramLinkedInPlaceOfItsStagingFolder)
{
    QTemporaryDir dir;
    const QString documents = qmtest::teachersFolder(dir.filePath(u"Documents"_s));
    ASSERT_TRUE(qmtest::plantLink(documents, QDir(board_->BoardFolder()).filePath(u".import"_s)));
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QDir().mkpath(dir.filePath(u"photos"_s));
    ASSERT_TRUE(picture.save(dir.filePath(u"photos/one.png"_s)));

    answerMessageBoxes(platform::IDYES);
    EXPECT_FALSE(board_->ImportFolder(dir.filePath(u"photos"_s)));
    EXPECT_TRUE(qmtest::teachersFolderWhole(documents));
    EXPECT_FALSE(QFileInfo::exists(documents + u"/Template001.png"_s));
    // The teacher is told, and the board keeps its pages.
    ASSERT_EQ(boxes_.size(), 2);
    EXPECT_TRUE(boxes_[1].contains(board_->BoardFolder())) << boxes_[1].toStdString();
    EXPECT_EQ(pages(board_->BoardFolder()).size(), 18);
}

TEST_F(BoardWindow, OnlyOneFolderBrowserIsOpenAtATimeAndItIsTitledInTheLanguage)
{
    int browsers = -1;
    QString title;
    QTimer::singleShot(800, [&] {
        // Whatever happens, the browsers go away again.
        QTimer::singleShot(300, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QFileDialog*>(w))
                    dialog->reject();
        });
        board_->PenMenu()->Button(lumo::board::kMenuImport)->click();
        browsers = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                ++browsers;
                title = dialog->windowTitle();
            }
    });
    board_->Import();
    EXPECT_EQ(browsers, 1);
    EXPECT_EQ(title, u"3DSlate图片浏览"_s);
    EXPECT_EQ(pages(board_->BoardFolder()).size(), 18);
}

TEST_F(BoardWindow, DeletingAPageAsksFirstAndTakesItsTileAway)
{
    // Nothing selected: the teacher is told what to do.
    EXPECT_FALSE(board_->DeletePage());
    EXPECT_FALSE(platform::CurrentNotice().isEmpty());
    ASSERT_TRUE(zoomInto(4));
    answerMessageBoxes(platform::IDNO);
    EXPECT_FALSE(board_->DeletePage());
    EXPECT_TRUE(QFileInfo::exists(QDir(board_->BoardFolder()).filePath(u"Template005.png"_s)));
    answerMessageBoxes(platform::IDYES);
    EXPECT_TRUE(board_->DeletePage());
    EXPECT_FALSE(QFileInfo::exists(QDir(board_->BoardFolder()).filePath(u"Template005.png"_s)));
    ASSERT_TRUE(waitTiles(17));
    // The next new page takes a number of its own, not the deleted one's.
    EXPECT_TRUE(board_->NewPage());
    EXPECT_TRUE(QFileInfo::exists(QDir(board_->BoardFolder()).filePath(u"Template019.png"_s)));
    EXPECT_FALSE(QFileInfo::exists(QDir(board_->BoardFolder()).filePath(u"Template005.png"_s)));
}

TEST_F(BoardWindow, NextAndPreviousStepThroughThePagesAndStartFromAnEndWhenNoneIsClose)
{
    board_->PenMenu()->Button(lumo::board::kMenuNext)->click();
    ASSERT_TRUE(qmtest::waitFor([&] { return board_->Engine().View().selectedIndex == 0; }, 10000));
    board_->PenMenu()->Button(lumo::board::kMenuNext)->click();
    ASSERT_TRUE(qmtest::waitFor([&] { return board_->Engine().View().selectedIndex == 1; }, 10000));
    board_->PenMenu()->Button(lumo::board::kMenuBack)->click();
    ASSERT_TRUE(qmtest::waitFor([&] { return board_->Engine().View().selectedIndex == -1; }, 10000));
    board_->PenMenu()->Button(lumo::board::kMenuPrevious)->click();
    EXPECT_TRUE(qmtest::waitFor([&] { return board_->Engine().View().selectedIndex == 17; }, 10000));
    // The pen with no page close says what to do instead of doing nothing.
    board_->PenMenu()->Button(lumo::board::kMenuBack)->click();
    ASSERT_TRUE(qmtest::waitFor([&] { return board_->Engine().View().selectedIndex == -1; }, 10000));
    board_->PenMenu()->Button(lumo::board::kMenuPen)->click();
    EXPECT_FALSE(board_->Editing());
    EXPECT_FALSE(platform::CurrentNotice().isEmpty());
    EXPECT_FALSE(board_->PenMenu()->Button(lumo::board::kMenuPen)->isChecked());
}

TEST_F(BoardWindow, TheMenuHasAPictureForEveryButtonInBothLanguages)
{
    for (const char* name : {"previous", "next", "new", "delete", "pen", "eraser", "colour", "larger",
             "smaller", "save", "import", "back", "exit"})
        for (const char* language : {"zh", "en"}) {
            const QImage normal(
                u":/qmplay/%1_%2_normal.png"_s.arg(QLatin1String(name), QLatin1String(language)));
            const QImage down(u":/qmplay/%1_%2_down.png"_s.arg(QLatin1String(name), QLatin1String(language)));
            ASSERT_EQ(normal.size(), QSize(60, 46)) << name << language;
            ASSERT_EQ(down.size(), QSize(60, 46)) << name << language;
            EXPECT_NE(normal, down) << name << language;
        }
    // The menu stands at the right edge, from the screen's height − 80 to its height − 30.
    const QRect screenRect = QGuiApplication::primaryScreen()->geometry();
    const QRect menu = board_->PenMenu()->geometry();
    EXPECT_TRUE(board_->PenMenu()->isVisible());
    EXPECT_EQ(menu.right(), screenRect.right());
    EXPECT_EQ(menu.top(), screenRect.height() - 80);
    EXPECT_EQ(menu.bottom() + 1, screenRect.height() - 30);
    // A pressed button shows its pressed picture.
    lumo::board::PictureButton* pen = board_->PenMenu()->Button(lumo::board::kMenuPen);
    EXPECT_FALSE(pen->ShowsPressed());
    pen->setDown(true);
    EXPECT_TRUE(pen->ShowsPressed());
    pen->setDown(false);
    screen().save(u"/tmp/board_menu.png"_s);
}

TEST(BoardLifetime, HideAndDestroyLeaveNoWindowAndNoThreadBehind)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("QM_WALL_LOAD_PAUSE_MS", "300");
    qmtest::ScopedCurrentDir cwd(QStringLiteral(QM_BIN_DIR));
    EXPECT_FALSE(Hide3DWindow());
    Destroy3DScreen(); // nothing to destroy yet
    const int threadsBefore = threadCount();
    const QString namesBefore = threadNames();
    ASSERT_TRUE(Create3DScreenPen());
    CmfcLumoDlg* board = theBoard();
    ASSERT_NE(board, nullptr);
    ASSERT_TRUE(qmtest::waitFor([&] { return board->Engine().View().tiles == 18; }, 60000));
    EXPECT_GT(threadCount(), threadsBefore);
    EXPECT_TRUE(threadNames().contains(u"QMWallRender"_s));
    keepGraphicsDriverLoaded();

    EXPECT_TRUE(Hide3DWindow());
    EXPECT_FALSE(board->isVisible());
    EXPECT_FALSE(board->PenMenu()->isVisible());
    // Hidden, the board draws nothing.
    pause(200);
    const quint64 frames = board->Engine().View().frames;
    pause(500);
    EXPECT_EQ(board->Engine().View().frames, frames);

    Destroy3DScreen();
    QCoreApplication::processEvents();
    EXPECT_EQ(theBoard(), nullptr);
    EXPECT_FALSE(platform::FindWindow(QString(), lumo::board::kBoardTitle));
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && w->windowTitle() == u"3DSlateMenu"_s);
    // The board's render and loader threads are gone. What the graphics driver and Qt keep for the process
    // (a rasteriser pool, a shader cache, D-Bus) stays once made, and a second board adds nothing to it.
    EXPECT_TRUE(qmtest::waitFor([&] { return !threadNames().contains(u"QMWall"_s); }, 5000))
        << threadNames().toStdString();
    const int threadsAfterOne = threadCount();
    ASSERT_TRUE(Create3DScreenPen());
    ASSERT_TRUE(
        qmtest::waitFor([&] { return theBoard() && theBoard()->Engine().View().tiles == 18; }, 60000));
    EXPECT_TRUE(threadNames().contains(u"QMWallRender"_s));
    Destroy3DScreen();
    EXPECT_TRUE(qmtest::waitFor([&] { return threadCount() <= threadsAfterOne; }, 5000))
        << threadCount() << " threads, " << threadsAfterOne
        << " after the first board: " << threadNames().toStdString()
        << " (before any board: " << namesBefore.toStdString() << ")";
    EXPECT_FALSE(threadNames().contains(u"QMWall"_s));
    EXPECT_FALSE(Hide3DWindow());
}

TEST(BoardWithout3D, TheTeacherIsToldAndGetsThePanelBack)
{
    qputenv("QM_WALL_DRIVER", "none");
    qmtest::ScopedCurrentDir cwd(QStringLiteral(QM_BIN_DIR));
    QWidget tab;
    tab.setWindowTitle(u"HideDlg"_s);
    platform::MessageTable table(&tab, u"HideDlgClass"_s);
    int restored = 0;
    table.on(lumo::board::kMsgRestorePanel, [&](WPARAM, LPARAM) {
        ++restored;
        return LRESULT(0);
    });
    QStringList boxes;
    platform::setMessageBoxHook([&](const platform::MessageBoxRequest& box) {
        boxes << box.text;
        return platform::IDOK;
    });
    EXPECT_FALSE(Create3DScreenPen());
    platform::setMessageBoxHook({});
    qunsetenv("QM_WALL_DRIVER");
    EXPECT_EQ(boxes, QStringList {u"未检测到3D支持,请检查显卡驱动等信息!"_s});
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(theBoard(), nullptr);
}

} // namespace

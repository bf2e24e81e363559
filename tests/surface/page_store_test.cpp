// The page store's files: the object file and picture formats, storing and loading pages, the board's page
// list, the export, and what a failed or interrupted store leaves behind.
#include "surface/page_store.h"

#include "platform/bmp_writer.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "support/language.h"
#include "support_main/test_util.h"
#include "surface/page_model.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <sstream>

using namespace DIALOG;

namespace {

const QString kData = QStringLiteral(QM_TEST_DATA "/pages/");

constexpr int kSmallPage = 1000;
constexpr int kBigPage = 3000;

std::vector<CPenNode> strokes(int count, COLORREF colour)
{
    std::vector<CPenNode> nodes;
    for (int i = 0; i < count; ++i) {
        CPenNode node(colour, 3, 0, Pen);
        for (int k = 0; k < 8; ++k)
            node.AddPoint(10 + k * 5, 10 + i % 900, 1, 0);
        nodes.push_back(node);
    }
    return nodes;
}

QImage paper(QRgb colour)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The child half of the interrupted-store test: stores two different pages over the same files, one after
// the other, until it is killed. It runs before main, so it needs nothing the tests set up.
[[noreturn]] void storeUntilKilled(const QString& folder)
{
    const std::vector<CPenNode> small = strokes(kSmallPage, RGB(255, 0, 0));
    const std::vector<CPenNode> big = strokes(kBigPage, RGB(0, 0, 255));
    const QImage white = paper(0xFFFFFFFF);
    const QImage grey = paper(0xFF808080);
    for (unsigned n = 0;; ++n) {
        const bool first = n % 2 == 0;
        StorePageFiles(folder + QStringLiteral("/page.kw"), first ? small : big,
            folder + QStringLiteral("/page.bmp"), first ? &white : &grey, 32);
        if (n == 1)
            qmtest::writeFile(folder + QStringLiteral("/ready"), "1");
    }
}

const bool childMode = [] {
    if (const char* folder = std::getenv("QM_PAGE_STORE_CHILD"))
        storeUntilKilled(QString::fromLocal8Bit(folder));
    return false;
}();

std::size_t loadCount(PageList& list, const QString& path)
{
    list.Clear();
    LoadPage(list, path);
    return list.nodes.size();
}

// The objects a page file holds, read into a page list of its own.
std::size_t loadCount(const QString& path)
{
    PageList list;
    return loadCount(list, path);
}

class PageStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        lesson_.SetBoardFolder(dir_.path() + QStringLiteral("/Temp/ZidodAvuvTemp/"));
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            boxes_.push_back(r);
            return platform::IDOK;
        });
    }

    void TearDown() override
    {
        platform::setMessageBoxHook({});
        SetExportDialogHook({});
        surface_.reset();
        owner_.reset();
    }

    CScreenPenWnd& board()
    {
        lesson_.SetBoardMode(kBoardWhite);
        owner_ = std::make_unique<QWidget>();
        surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_);
        return *surface_;
    }

    // A stroke put on the page as the surface would commit it.
    void draw(int y, COLORREF colour = RGB(0, 0, 0))
    {
        CPenNode node(colour, 3, 0, Pen);
        node.AddPoint(100, y);
        node.AddPoint(300, y);
        lesson_.Pages().PushUndo(lesson_.Pages().AddObject(node), UndoAdd);
        lesson_.Pages().pageChanged = true;
    }

    QString path(const QString& name) const { return dir_.path() + u'/' + name; }

    QTemporaryDir dir_;
    Lesson lesson_ {platform::programFolder()};
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<CScreenPenWnd> surface_;
    std::vector<platform::MessageBoxRequest> boxes_;
};

} // namespace

TEST(PageStoreObjectFile, OldAndOddFilesStayReadable)
{
    PageList list;
    EXPECT_EQ(loadCount(list, kData + QStringLiteral("empty_page.kw")), 0u);
    EXPECT_EQ(loadCount(list, kData + QStringLiteral("legacy_text.kw")), 2u);
    EXPECT_EQ(loadCount(list, kData + QStringLiteral("windows_mixed.kw")), 6u);
    // Line breaks between records, as a hand-edited file may have them.
    EXPECT_EQ(loadCount(list, kData + QStringLiteral("spaced_records.kw")), 2u);
}

TEST(PageStoreObjectFile, FileWithoutEndMarkLoadsItsCompleteRecords)
{
    PageList list;
    ASSERT_EQ(loadCount(list, kData + QStringLiteral("no_end_mark.kw")), 2u);
    EXPECT_EQ(list.nodes[1].kind, Line);
    EXPECT_EQ(list.nodes[1].colour, 65280u);
    EXPECT_EQ(list.nodes[1].cleared, 0);
    EXPECT_TRUE(list.undoStack.empty());
}

TEST(PageStoreObjectFile, RecordCutShortOrGarbledIsLeftOutAndTheRestKept)
{
    PageList list;
    // A cut record kept hidden would come back with the undo of a clear.
    ASSERT_EQ(loadCount(list, kData + QStringLiteral("odd_kind_and_cut.kw")), 2u);
    for (const CPenNode& node : list.nodes)
        EXPECT_EQ(node.cleared, 0);

    ASSERT_EQ(loadCount(list, kData + QStringLiteral("garbled_middle.kw")), 2u);
    EXPECT_EQ(list.nodes[0].colour, 255u);
    EXPECT_EQ(list.nodes[1].kind, Rectangle);
    EXPECT_EQ(list.nodes[1].colour, 65280u);
}

TEST(PageStoreObjectFile, MissingFileFolderPipeOrDeviceLoadsNothingAndBlocksNothing)
{
    PageList list;
    EXPECT_EQ(LoadPage(list, QStringLiteral("/nonexistent/page.kw")), 0);
    EXPECT_EQ(LoadPage(list, QStringLiteral(QM_TEST_DATA)), 0);
    EXPECT_EQ(LoadPage(list, QStringLiteral("/dev/zero")), 0);
    // A pipe with no writer: opening it to read would wait for one for ever.
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("1-2-3-4.kw"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(LoadPage(list, pipe), 0);
    EXPECT_TRUE(list.nodes.empty());
}

TEST(PageStoreObjectFile, StoredPageIsItsObjectsThenE)
{
    std::vector<CPenNode> nodes = strokes(2, RGB(1, 2, 3));
    nodes[1].erased = 1;
    CPenNode rect(RGB(0, 255, 0), 2, 0, Rectangle);
    rect.AddPoint(1, 2);
    rect.AddPoint(30, 40);
    nodes.push_back(rect);
    std::ostringstream out;
    WritePageObjects(out, nodes);
    const std::string text = out.str();
    EXPECT_EQ(text.back(), 'e');
    std::ostringstream none;
    WritePageObjects(none, {});
    EXPECT_EQ(none.str(), "e");

    std::istringstream in(text);
    PageList list;
    EXPECT_EQ(ReadPageObjects(in, list), 3u);
    ASSERT_EQ(list.nodes.size(), 3u);
    EXPECT_EQ(list.nodes[1].erased, 1);
    EXPECT_EQ(list.nodes[2].points, rect.points);
    EXPECT_EQ(list.nodes[0].points, nodes[0].points);
}

TEST(PageStorePicture, HeaderAndPixelsAreByteExact)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(2, 0, qRgb(0, 0, 255));
    image.setPixel(0, 1, qRgb(255, 255, 255));
    image.setPixel(1, 1, qRgb(0, 0, 0));
    image.setPixel(2, 1, qRgb(16, 32, 48));
    EXPECT_EQ(
        OWNERBITMAP::EncodeBitmap(image, 24), qmtest::readFile(kData + QStringLiteral("picture_3x2_24.bmp")));
    EXPECT_EQ(
        OWNERBITMAP::EncodeBitmap(image, 32), qmtest::readFile(kData + QStringLiteral("picture_3x2_32.bmp")));
    EXPECT_EQ(
        OWNERBITMAP::EncodeBitmap(image, 1), qmtest::readFile(kData + QStringLiteral("picture_3x2_1.bmp")));

    for (int depth : {4, 8}) {
        const QByteArray bmp = OWNERBITMAP::EncodeBitmap(image, depth);
        const int palette = 4 << depth;
        const int rowBytes = 4;
        ASSERT_EQ(bmp.size(), 14 + 40 + palette + 2 * rowBytes) << depth;
        EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 10), quint32(54 + palette));
        EXPECT_EQ(qFromLittleEndian<quint16>(bmp.constData() + 28), depth);
        // Black and white are in every palette, so they survive exactly.
        const QImage back = QImage::fromData(bmp, "BMP");
        ASSERT_FALSE(back.isNull()) << depth;
        EXPECT_EQ(back.pixel(0, 1), qRgb(255, 255, 255));
        EXPECT_EQ(back.pixel(1, 1), qRgb(0, 0, 0));
    }
    EXPECT_TRUE(OWNERBITMAP::EncodeBitmap(image, 16).isEmpty());
    QBuffer unwritable;
    EXPECT_EQ(OWNERBITMAP::WriteBitmap(unwritable, image, 24), -1);
}

TEST(PageStorePicture, DepthFollowsTheDisplay)
{
    EXPECT_EQ(OWNERBITMAP::BitmapDepthFor(1), 1);
    EXPECT_EQ(OWNERBITMAP::BitmapDepthFor(2), 4);
    EXPECT_EQ(OWNERBITMAP::BitmapDepthFor(8), 8);
    EXPECT_EQ(OWNERBITMAP::BitmapDepthFor(16), 24);
    EXPECT_EQ(OWNERBITMAP::BitmapDepthFor(24), 24);
    EXPECT_EQ(OWNERBITMAP::BitmapDepthFor(30), 32);
    EXPECT_EQ(OWNERBITMAP::BitmapDepthFor(48), 0);
}

TEST_F(PageStoreTest, UnchangedBoardPageWritesNothing)
{
    CScreenPenWnd& s = board();
    draw(200);
    lesson_.Pages().pageChanged = false;
    EXPECT_EQ(SavePage(&s, path(QStringLiteral("Temp/1-2-3-4.xxx"))), 1);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Temp"))));
    EXPECT_TRUE(lesson_.BoardPages().files.isEmpty());
}

TEST_F(PageStoreTest, DesktopPageWithWritingWritesBothFilesEveryTime)
{
    lesson_.SetBoardMode(kBoardDesktop);
    owner_ = std::make_unique<QWidget>();
    surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_);
    ASSERT_FALSE(surface_->IsBoardPage());
    draw(200);
    EXPECT_EQ(SavePage(surface_.get(), path(QStringLiteral("Temp/5-6-7-8.xxx"))), 1);
    const QString kw = path(QStringLiteral("Temp/5-6-7-8.kw"));
    EXPECT_EQ(loadCount(kw), 1u);
    const QImage picture(path(QStringLiteral("Temp/5-6-7-8.bmp")));
    EXPECT_EQ(picture.size(), surface_->backgroundBitmap().size());
    EXPECT_EQ(lesson_.LastStoredPage(), kw);
    EXPECT_TRUE(lesson_.BoardPages().files.isEmpty());

    // A page stored before is stored again, also with its writing undone.
    const QString bmp = path(QStringLiteral("Temp/5-6-7-8.bmp"));
    QFile::remove(bmp);
    lesson_.Pages().UndoStep();
    EXPECT_EQ(SavePage(surface_.get(), path(QStringLiteral("Temp/5-6-7-8.xxx"))), 1);
    EXPECT_TRUE(QFileInfo::exists(bmp));
}

TEST_F(PageStoreTest, NewPageWithNothingWrittenIsNotStored)
{
    lesson_.SetBoardMode(kBoardDesktop);
    owner_ = std::make_unique<QWidget>();
    surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_);
    CPenNode trail(RGB(255, 255, 255), 16, 0, EraseTrail);
    trail.AddPoint(100, 100);
    lesson_.Pages().AddObject(trail);
    draw(300);
    lesson_.Pages().UndoStep();
    EXPECT_EQ(SavePage(surface_.get(), path(QStringLiteral("Temp/5-6-7-8.xxx"))), 1);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Temp"))));
    EXPECT_FALSE(lesson_.Pages().pageChanged);

    // A blank board page that took a press is left out of the board's pages too.
    CScreenPenWnd& s = board();
    lesson_.Pages().pageChanged = true;
    EXPECT_EQ(SavePage(&s, path(QStringLiteral("Temp/1-2-3-4.xxx"))), 1);
    EXPECT_TRUE(lesson_.BoardPages().files.isEmpty());

    // A background the teacher chose is kept, written on or not.
    s.SetBackground(QImage(8, 8, QImage::Format_RGB32));
    lesson_.Pages().pageChanged = true;
    EXPECT_EQ(SavePage(&s, path(QStringLiteral("Temp/1-2-3-4.xxx"))), 1);
    EXPECT_EQ(lesson_.BoardPages().files.size(), 1);
}

TEST_F(PageStoreTest, BoardPageIsStoredInTheBoardFolderAndListedOnce)
{
    CScreenPenWnd& s = board();
    draw(200, RGB(0, 0, 255));
    ASSERT_EQ(SavePage(&s, path(QStringLiteral("Temp/1-2-3-4.xxx"))), 1);
    const QString kw = path(QStringLiteral("Temp/ZidodAvuvTemp/1-2-3-4.kw"));
    ASSERT_EQ(lesson_.BoardPages().files, QStringList {kw});
    EXPECT_FALSE(lesson_.Pages().pageChanged);
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("Temp/ZidodAvuvTemp/1-2-3-4.bmp"))));

    // Stored again, under the name in other letters, it stays one page.
    draw(300);
    ASSERT_EQ(SavePage(&s, path(QStringLiteral("TEMP/1-2-3-4.XXX"))), 1);
    EXPECT_EQ(lesson_.BoardPages().files, QStringList {kw});
    EXPECT_EQ(loadCount(kw), 2u);
}

TEST_F(PageStoreTest, ImportedPagesGetNamesOfTheirOwnAndReplaceNothing)
{
    const QDateTime when(QDate(2024, 3, 8), QTime(14, 5, 9));
    const QString history = path(QStringLiteral("Temp"));
    qmtest::writeFile(history + QStringLiteral("/8-14-5-9.bmp"), "the page written today");
    const QString saved = path(QStringLiteral("saved"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(QDir().mkpath(saved));
    for (const QString& name :
        {QStringLiteral("10-1-1-1"), QStringLiteral("8-14-5-9"), QStringLiteral("9-1-1-1")})
        ASSERT_TRUE(picture.save(saved + u'/' + name + QStringLiteral(".bmp"), "BMP"));
    qmtest::writeFile(saved + QStringLiteral("/8-14-5-9.kw"), "e");
    qmtest::writeFile(saved + QStringLiteral("/notes.txt"), "not a page");

    const QStringList pictures = PagePicturesIn(saved);
    ASSERT_EQ(pictures.size(), 3);
    EXPECT_TRUE(pictures[0].endsWith(QStringLiteral("/8-14-5-9.bmp")));
    EXPECT_TRUE(pictures[2].endsWith(QStringLiteral("/10-1-1-1.bmp")))
        << "numbers, not letters, give the order";

    // A picture of another kind is written as a BMP; one that is no picture is left out.
    ASSERT_TRUE(picture.save(saved + QStringLiteral("/other.png"), "PNG"));
    qmtest::writeFile(saved + QStringLiteral("/broken.png"), "no picture");
    const QStringList imported = ImportPages(lesson_,
        pictures + QStringList({saved + QStringLiteral("/other.png"), saved + QStringLiteral("/broken.png")}),
        history, when);
    const QString base = history + QStringLiteral("/8-14-5-9");
    EXPECT_EQ(imported,
        QStringList({base + QStringLiteral("-2.bmp"), base + QStringLiteral("-3.bmp"),
            base + QStringLiteral("-4.bmp"), base + QStringLiteral("-5.bmp")}));
    EXPECT_EQ(qmtest::readFile(base + QStringLiteral(".bmp")), "the page written today");
    EXPECT_EQ(qmtest::readFile(base + QStringLiteral("-2.kw")), "e");
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("-3.kw")));
    EXPECT_EQ(qmtest::readFile(base + QStringLiteral("-5.bmp")).left(2), "BM");
    EXPECT_EQ(QImage(base + QStringLiteral("-5.bmp")).pixelColor(0, 0), QColor(Qt::blue));
}

TEST_F(PageStoreTest, FolderThatCannotBeMadeIsReportedAndNothingIsLost)
{
    qmtest::writeFile(path(QStringLiteral("Temp")), "not a folder");
    CScreenPenWnd& s = board();
    draw(200);
    EXPECT_EQ(SavePage(&s, path(QStringLiteral("Temp/1-2-3-4.xxx"))), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("提示"));
    EXPECT_TRUE(boxes_[0].text.contains(QStringLiteral("页面无法保存")));
    EXPECT_TRUE(lesson_.Pages().pageChanged);
    EXPECT_TRUE(lesson_.BoardPages().files.isEmpty());
    EXPECT_TRUE(lesson_.LastStoredPage().isEmpty());

    qmtest::ScopedCurrentDir here(dir_.path());
    SetLanguage(QStringLiteral("English"));
    EXPECT_EQ(SavePage(&s, path(QStringLiteral("Temp/1-2-3-4.xxx"))), 0);
    SetLanguage(QStringLiteral("Chinese"));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].caption, QStringLiteral("Tips"));
    EXPECT_TRUE(boxes_[1].text.startsWith(QStringLiteral("The page could not be saved")));
}

TEST_F(PageStoreTest, FileThatCannotBeWrittenLeavesTheOlderPageAsItWas)
{
    const QString kw = path(QStringLiteral("page.kw"));
    const QImage white = paper(0xFFFFFFFF);
    ASSERT_TRUE(StorePageFiles(kw, strokes(3, 0), path(QStringLiteral("page.bmp")), &white, 24));
    const QByteArray before = qmtest::readFile(kw);
    // The picture's place is taken by a folder, so the new pair cannot be completed.
    QFile::remove(path(QStringLiteral("page.bmp")));
    QDir().mkpath(path(QStringLiteral("page.bmp/inside")));
    QString failed;
    EXPECT_FALSE(StorePageFiles(kw, strokes(9, 0), path(QStringLiteral("page.bmp")), &white, 24, &failed));
    EXPECT_EQ(failed, path(QStringLiteral("page.bmp")));
    EXPECT_EQ(qmtest::readFile(kw), before);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList {QStringLiteral("page.kw")});
}

TEST_F(PageStoreTest, StoreKilledAtAnyMomentLeavesAWholePage)
{
    const QString folder = dir_.path();
    for (int round = 0; round < 6; ++round) {
        QFile::remove(folder + QStringLiteral("/ready"));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QM_PAGE_STORE_CHILD"), folder);
        // The child is killed on purpose: its leaks are no finding.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=-*")});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(
            qmtest::waitFor([&] { return QFileInfo::exists(folder + QStringLiteral("/ready")); }, 60000));
        QThread::msleep(unsigned(7 + 23 * round));
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished());

        const QByteArray objects = qmtest::readFile(folder + QStringLiteral("/page.kw"));
        ASSERT_FALSE(objects.isEmpty());
        EXPECT_EQ(objects.back(), 'e') << "round " << round;
        const std::size_t count = loadCount(folder + QStringLiteral("/page.kw"));
        EXPECT_TRUE(count == kSmallPage || count == kBigPage) << count;
        const QByteArray bmp = qmtest::readFile(folder + QStringLiteral("/page.bmp"));
        ASSERT_GE(bmp.size(), 54);
        EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 2), quint32(bmp.size()));
        const QImage picture = QImage::fromData(bmp, "BMP");
        ASSERT_EQ(picture.size(), QSize(1920, 1080));
        const QRgb corner = picture.pixel(1919, 1079) | 0xFF000000;
        EXPECT_TRUE(corner == 0xFFFFFFFF || corner == 0xFF808080) << std::hex << corner;
    }
}

TEST_F(PageStoreTest, ExportSavesTheComposedPageUnderTheChosenName)
{
    EXPECT_EQ(
        ExportFileName(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))), QStringLiteral("20240305070809.jpg"));

    CScreenPenWnd& s = board();
    CPenNode band(RGB(0, 0, 255), 40, 0, Pen);
    band.AddPoint(100, 200);
    band.AddPoint(400, 200);
    lesson_.Pages().AddObject(band);
    const QString chosen = path(QStringLiteral("export"));
    QString seenName;
    QString seenFilter;
    const QString before = QDir::currentPath();
    SetExportDialogHook([&](QWidget*, const QString& name, const QString& filter) {
        seenName = name;
        seenFilter = filter;
        QDir::setCurrent(dir_.path());
        return chosen;
    });
    ASSERT_EQ(ExportPicture(&s), 1);
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_TRUE(seenName.endsWith(QStringLiteral(".jpg")));
    EXPECT_EQ(seenName.size(), 18);
    EXPECT_EQ(seenFilter, QStringLiteral("图片文件 (*.jpg)"));
    const QImage jpeg(chosen + QStringLiteral(".jpg"), "JPG");
    ASSERT_EQ(jpeg.size(), s.backgroundBitmap().size());
    EXPECT_LT(qRed(jpeg.pixel(250, 200)), 40);
    EXPECT_GT(qBlue(jpeg.pixel(250, 200)), 200);
    EXPECT_GT(qRed(jpeg.pixel(250, 400)), 220);

    SetExportDialogHook([](QWidget*, const QString&, const QString&) { return QString(); });
    EXPECT_EQ(ExportPicture(&s), 0);
}

namespace {

// A folder on a file system of its own that holds only size bytes; unmounted when the object goes.
class SmallDisk {
public:
    SmallDisk(const QString& folder, int kilobytes)
        : folder_(folder)
    {
        QDir().mkpath(folder_);
        const QString options = QStringLiteral("size=%1k").arg(kilobytes);
        mounted_ = QProcess::execute(QStringLiteral("mount"),
                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
                           QStringLiteral("tmpfs"), folder_})
            == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {folder_});
    }
    bool mounted() const { return mounted_; }

private:
    QString folder_;
    bool mounted_ = false;
};

} // namespace

TEST_F(PageStoreTest, AFullDiskIsReportedAndTheOlderPageStaysWhole)
{
    const QString disk = path(QStringLiteral("disk"));
    SmallDisk small(disk, 256);
    if (!small.mounted())
        GTEST_SKIP() << "a small file system needs the right to mount one";

    const QString kw = disk + QStringLiteral("/page.kw");
    const QString bmp = disk + QStringLiteral("/page.bmp");
    QImage little(100, 100, QImage::Format_RGB32);
    little.fill(0xFFFFFFFF);
    ASSERT_TRUE(StorePageFiles(kw, strokes(3, 0), bmp, &little, 24));
    const QByteArray oldStrokes = qmtest::readFile(kw);
    const QByteArray oldPicture = qmtest::readFile(bmp);

    // A screen-sized picture does not fit: the store fails and the older pair is untouched.
    const QImage full = paper(0xFF808080);
    QString failed;
    EXPECT_FALSE(StorePageFiles(kw, strokes(9, 0), bmp, &full, 24, &failed));
    EXPECT_FALSE(failed.isEmpty());
    EXPECT_EQ(qmtest::readFile(kw), oldStrokes);
    EXPECT_EQ(qmtest::readFile(bmp), oldPicture);
    EXPECT_EQ(QDir(disk).entryList(QDir::Files),
        QStringList({QStringLiteral("page.bmp"), QStringLiteral("page.kw")}))
        << "no half-written file is left beside them";

    // Through the surface the teacher is told, and the page stays unsaved for another try.
    CScreenPenWnd& s = board();
    draw(200);
    lesson_.SetBoardFolder(disk + QStringLiteral("/"));
    EXPECT_EQ(SavePage(&s, disk + QStringLiteral("/Temp/1-2-3-4.xxx")), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(boxes_[0].text.contains(QStringLiteral("页面无法保存")));
    EXPECT_TRUE(lesson_.Pages().pageChanged);
}

#include "assist/assist_exports.h"
#include "assist/conversion_progress.h"
#include "assist/deck_conversion.h"
#include "assist/deck_convert_model.h"
#include "assist/ppt_convert.h"
#include "assist/slide_deck_fixture.h"

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using UICONTROL::CPptConvert;

namespace {

TEST(DeckNames, Slide12OfLesson1BecomesLesson1_012InItsOwnFolder)
{
    EXPECT_EQ(qmhelp::deckTitle(u"/home/t/Decks/Lesson 1.pptx"_s), u"Lesson 1"_s);
    EXPECT_EQ(qmhelp::deckFolder(u"/opt/qm"_s, u"Lesson 1"_s), u"/opt/qm/Save/PowerPoint/Lesson 1"_s);
    EXPECT_EQ(qmhelp::slideNumberOf(u"Slide12.PNG"_s), 12);
    EXPECT_EQ(qmhelp::slidePictureName(u"Lesson 1"_s, 12, u"PNG"_s), u"Lesson 1_012.PNG"_s);
    EXPECT_EQ(qmhelp::slidePictureName(u"Lesson 1"_s, 1234, u"PNG"_s), u"Lesson 1_1234.PNG"_s);
}

TEST(DeckNames, ADeckNamedWithDotsOrSeparatorsNamesAFolderOfItsOwnAmongTheDecks)
{
    EXPECT_EQ(qmhelp::deckTitle(u"/home/t/...odp"_s), u".."_s);
    EXPECT_EQ(qmhelp::deckFolder(u"/opt/qm"_s, u".."_s), u"/opt/qm/Save/PowerPoint/__"_s);
    EXPECT_EQ(qmhelp::deckFolder(u"/opt/qm"_s, u"."_s), u"/opt/qm/Save/PowerPoint/_"_s);
    EXPECT_EQ(qmhelp::deckFolderName(QString()), u"_"_s);
    EXPECT_EQ(qmhelp::deckFolderName(u".hidden deck"_s), u"_hidden deck"_s);
    EXPECT_EQ(qmhelp::deckFolderName(u"a\\b/c\nd"_s), u"a_b_c_d"_s);
    EXPECT_EQ(qmhelp::deckFolderName(u"Lesson 1.v2"_s), u"Lesson 1.v2"_s);
}

TEST(DeckNames, AFolderNoConversionMadeIsPassedOverForOneBesideIt)
{
    QTemporaryDir dir;
    const QString decks = dir.path() + u"/Save/PowerPoint/"_s;
    EXPECT_EQ(qmhelp::ownDeckFolder(dir.path(), u"Lesson"_s), decks + u"Lesson"_s);
    const QString documents = qmtest::teachersFolder(dir.filePath(u"Documents"_s));
    ASSERT_TRUE(qmtest::plantLink(documents, decks + u"Lesson"_s));
    ASSERT_TRUE(QDir().mkpath(decks + u"Lesson (2)"_s));
    EXPECT_EQ(qmhelp::ownDeckFolder(dir.path(), u"Lesson"_s), decks + u"Lesson (3)"_s);
    // One a conversion made is its again the next time.
    ASSERT_TRUE(platform::makeScratchFolder(decks + u"Lesson (3)"_s));
    EXPECT_EQ(qmhelp::ownDeckFolder(dir.path(), u"Lesson"_s), decks + u"Lesson (3)"_s);
}

TEST(DeckNames, OnlyPicturesNamedAfterASlideCarryANumber)
{
    EXPECT_EQ(qmhelp::slideNumberOf(u"幻灯片7.png"_s), 7);
    EXPECT_EQ(qmhelp::slideNumberOf(u"Slide3.jpg"_s), 3);
    EXPECT_EQ(qmhelp::slideNumberOf(u"Lesson 1_012.PNG"_s), 0);
    EXPECT_EQ(qmhelp::slideNumberOf(u"Slide2_001.PNG"_s), 0); // a deck titled "Slide2", already renamed
    EXPECT_EQ(qmhelp::slideNumberOf(u"flag.dat"_s), 0);
    EXPECT_EQ(qmhelp::slideNumberOf(u"Slide.PNG"_s), 0);
}

TEST(DeckNames, PowerPointAndLibreOfficeDecksAreAccepted)
{
    for (const QString& name : {u"a.ppt"_s, u"b.PPTX"_s, u"Lesson 1.odp"_s})
        EXPECT_TRUE(qmhelp::isSlideDeck(name)) << name.toStdString();
    for (const QString& name : {u"a.pdf"_s, u"pptx"_s, u"a.ppt.txt"_s, QString()})
        EXPECT_FALSE(qmhelp::isSlideDeck(name)) << name.toStdString();
}

TEST(DeckFolderChoice, ANewFolderConvertsAFlaggedOneAsksAnOlderOneConvertsAgain)
{
    const QDateTime deck = QDateTime::fromSecsSinceEpoch(1'700'000'000);
    EXPECT_EQ(qmhelp::chooseForFolder(false, true, deck, deck), qmhelp::FolderChoice::Convert);
    EXPECT_EQ(qmhelp::chooseForFolder(true, true, deck.addDays(1), deck), qmhelp::FolderChoice::Ask);
    // Slides made well after the deck was saved are reused; slides from before a later save are not.
    EXPECT_EQ(qmhelp::chooseForFolder(true, false, deck.addSecs(3600), deck), qmhelp::FolderChoice::Reuse);
    EXPECT_EQ(qmhelp::chooseForFolder(true, false, deck.addSecs(-3600), deck), qmhelp::FolderChoice::Convert);
    // Within the minute the folder does not count as newer.
    EXPECT_EQ(qmhelp::chooseForFolder(true, false, deck.addSecs(30), deck), qmhelp::FolderChoice::Convert);
    EXPECT_EQ(qmhelp::chooseForFolder(true, false, QDateTime(), deck), qmhelp::FolderChoice::Convert);
}

TEST(DeckPictures, RenderSizeFillsTheZoomBoxWithTheSlidesShape)
{
    EXPECT_EQ(qmhelp::slideRenderSize(QSizeF(720, 540)), QSize(1280, 960)); // 4:3
    EXPECT_EQ(qmhelp::slideRenderSize(QSizeF(960, 540)), QSize(1280, 720)); // 16:9
    EXPECT_EQ(qmhelp::slideRenderSize(QSizeF(0, 540)), QSize(1280, 960));
}

TEST(DeckPictures, RenamingKeepsSpacesAndLeavesOtherFilesAlone)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u"/Save/PowerPoint/Lesson 1"_s;
    qmtest::writeFile(folder + u"/Slide12.PNG"_s, "twelve");
    qmtest::writeFile(folder + u"/Slide2.PNG"_s, "two");
    qmtest::writeFile(folder + u"/flag.dat"_s, "");
    EXPECT_EQ(CPptConvert::RenameSlidePictures(folder, u"Lesson 1"_s), 9);
    EXPECT_EQ(qmtest::readFile(folder + u"/Lesson 1_012.PNG"_s), "twelve");
    EXPECT_EQ(qmtest::readFile(folder + u"/Lesson 1_002.PNG"_s), "two");
    EXPECT_TRUE(QFileInfo::exists(folder + u"/flag.dat"_s));
    EXPECT_FALSE(QFileInfo::exists(folder + u"/Slide12.PNG"_s));
    EXPECT_EQ(CPptConvert::RenameSlidePictures(dir.path() + u"/missing"_s, u"x"_s), -1);
}

TEST(DeckProgress, TheBarRunsUntilThePageCountIsKnownThenCountsInBothLanguages)
{
    using qmhelp::ConversionStage;
    const qmhelp::ProgressView office = qmhelp::progressView(ConversionStage::Office, 0, 0, false);
    EXPECT_EQ(office.maximum, 0);
    EXPECT_TRUE(office.text.contains(u"LibreOffice"_s));
    EXPECT_EQ(qmhelp::progressView(ConversionStage::Slides, 0, 0, false).maximum, 0);
    const qmhelp::ProgressView slides = qmhelp::progressView(ConversionStage::Slides, 2, 12, false);
    EXPECT_EQ(slides.text, u"第2张幻灯片,共12张"_s);
    EXPECT_EQ(slides.maximum, 12);
    EXPECT_EQ(slides.value, 2);
    EXPECT_EQ(qmhelp::progressView(ConversionStage::Slides, 2, 12, true).text, u"Slide 2 of 12"_s);
    EXPECT_EQ(qmhelp::progressView(ConversionStage::Pages, 3, 4, true).text, u"Opening page 3 of 4"_s);
    EXPECT_EQ(qmhelp::progressView(ConversionStage::Pages, 3, 4, false).text, u"正在打开第3页，共4页"_s);
    EXPECT_EQ(qmhelp::progressView(ConversionStage::Pages, 0, 0, true).text, u"Opening the PDF…"_s);
    // A count past the end never overfills the bar.
    EXPECT_EQ(qmhelp::progressView(ConversionStage::Pages, 9, 4, true).value, 4);
}

// An office program of the test's own on the search path: the script's body decides what it does.
class FakeOffice {
public:
    explicit FakeOffice(const QByteArray& body)
        : path_(qgetenv("PATH"))
    {
        const QString program = dir_.filePath(u"soffice"_s);
        qmtest::writeFile(program, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", dir_.path().toLocal8Bit());
    }
    ~FakeOffice() { qputenv("PATH", path_); }

private:
    QTemporaryDir dir_;
    QByteArray path_;
};

TEST(DeckOffice, AnExitCodeOfZeroWithoutAPdfIsAFailure)
{
    QTemporaryDir dir;
    const QString deck = dir.filePath(u"Lesson 1.pptx"_s);
    qmtest::writeFile(deck, "deck");
    FakeOffice office("echo 'Error: source file could not be loaded'; exit 0");
    CPptConvert converter;
    ASSERT_TRUE(converter.Initialise());
    EXPECT_FALSE(converter.Convert(deck, dir.filePath(u"out"_s), 0));
    EXPECT_TRUE(converter.Error().contains(u"made no PDF"_s)) << converter.Error().toStdString();
    EXPECT_TRUE(converter.Error().contains(u"could not be loaded"_s));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out/temp"_s))); // its profile and home are gone
}

TEST(DeckOffice, AnOfficeThatHangsIsStoppedAtTheTimeLimit)
{
    QTemporaryDir dir;
    const QString deck = dir.filePath(u"Lesson 1.pptx"_s);
    qmtest::writeFile(deck, "deck");
    // The child it starts hangs too: the whole process group goes.
    FakeOffice office("/bin/sleep 60 & /bin/sleep 60");
    CPptConvert converter;
    ASSERT_TRUE(converter.Initialise());
    converter.SetTimeLimit(1000);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(converter.Convert(deck, dir.filePath(u"out"_s), 0));
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_TRUE(converter.Error().contains(u"took longer"_s)) << converter.Error().toStdString();
}

TEST(DeckOffice, CancelStopsLibreOfficeAndEveryProcessItStartedAndIsNoError)
{
    QTemporaryDir dir;
    const QString deck = dir.filePath(u"Lesson 1.pptx"_s);
    qmtest::writeFile(deck, "deck");
    const QString pids = dir.filePath(u"pids"_s);
    // The office program and a child of its own, both waiting for ever; each notes its process id.
    FakeOffice office(u"echo $$ > '%1'; /bin/sleep 600 & echo $! >> '%1'; wait"_s.arg(pids).toLocal8Bit());
    CPptConvert converter;
    ASSERT_TRUE(converter.Initialise());
    QList<qint64> started;
    converter.SetCancelCheck([&] {
        started.clear();
        for (const QByteArray& line : qmtest::readFile(pids).split('\n'))
            if (!line.trimmed().isEmpty())
                started << line.trimmed().toLongLong();
        return started.size() == 2;
    });
    EXPECT_FALSE(converter.Convert(deck, dir.filePath(u"out"_s), 0));
    EXPECT_TRUE(converter.Cancelled());
    EXPECT_TRUE(converter.Error().isEmpty()) << converter.Error().toStdString();
    ASSERT_EQ(started.size(), 2);
    for (qint64 pid : started)
        EXPECT_TRUE(qmtest::waitFor([pid] { return !platform::processRunning(pid); }, 5000)) << pid;
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"out/temp"_s)));
    EXPECT_TRUE(QDir(dir.filePath(u"out"_s)).entryList(QDir::Files).isEmpty());
}

// The panel's two windows the converter talks to: the show/hide tab and the panel itself.
struct PanelWindows {
    QWidget tab;
    QWidget panel;
    platform::MessageTable tabTable {&tab, u"HideDlgClass"_s};
    platform::MessageTable panelTable {&panel, platform::kDialogClass};
    int restored = 0;
    QStringList wallFolders;

    PanelWindows()
    {
        tab.setWindowTitle(u"HideDlg"_s);
        panel.setWindowTitle(u"白板"_s);
        tabTable.on(0x70A, [this](WPARAM, LPARAM) {
            ++restored;
            return 0;
        });
        panelTable.onPointer(0x77B, [this](WPARAM, LPARAM lParam) {
            if (const auto* folder = reinterpret_cast<const QString*>(lParam))
                wallFolders << *folder;
            return 0;
        });
    }
};

// The conversion's progress window while it exists.
DIALOG::CConversionProgress* progressWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* progress = dynamic_cast<DIALOG::CConversionProgress*>(w))
            return progress;
    return nullptr;
}

class DeckConversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd_ = std::make_unique<qmtest::ScopedCurrentDir>(dir_.path());
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& box) {
            boxes_ << box.text;
            return answer_;
        });
        qmhelp::setFolderChooser([this](const QString&, const QString&) {
            ++browsed_;
            return QString();
        });
    }
    void TearDown() override
    {
        ASSERT_TRUE(qmhelp::waitForConversion(60000));
        qmhelp::setDeckChooser({});
        qmhelp::setFolderChooser({});
        platform::setMessageBoxHook({});
    }

    QTemporaryDir dir_;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd_;
    PanelWindows windows_;
    QStringList boxes_;
    int answer_ = platform::IDOK;
    int browsed_ = 0;
};

TEST_F(DeckConversion, CancelStartsNoWorkerAndStillGivesThePanelBack)
{
    if (CPptConvert::officeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    int asked = 0;
    qmhelp::setDeckChooser([&] {
        ++asked;
        return QString();
    });
    ConvertPPTToFolder();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(qmhelp::conversionBusy());
    EXPECT_EQ(windows_.restored, 1);
    EXPECT_TRUE(QFileInfo(dir_.path() + u"/Save"_s).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir_.path() + u"/Save/PowerPoint"_s));
    EXPECT_TRUE(boxes_.isEmpty());
}

TEST_F(DeckConversion, WithoutLibreOfficeTheTeacherIsToldWhatToInstallAndGetsThePanelBack)
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir_.path().toLocal8Bit());
    int asked = 0;
    qmhelp::setDeckChooser([&] {
        ++asked;
        return QString();
    });
    ConvertPPTToFolder();
    qputenv("PATH", path);
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(boxes_.size(), 1);
    EXPECT_TRUE(boxes_[0].contains(u"LibreOffice Impress"_s)) << boxes_[0].toStdString();
    EXPECT_EQ(windows_.restored, 1);
}

TEST_F(DeckConversion, ADeckWithSpacesBecomesSlidesAndTheWallOpensWithoutAFolderBrowser)
{
    if (CPptConvert::officeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString deck = dir_.path() + u"/My Decks/Lesson 1.odp"_s;
    ASSERT_TRUE(qmtest::writeSlideDeck(
        deck, {QColor(0xd0, 0x20, 0x20), QColor(0x20, 0xa0, 0x40), QColor(0x20, 0x40, 0xd0)}));
    qmhelp::setDeckChooser([&] { return deck; });
    ConvertPPTToFolder();
    EXPECT_EQ(windows_.restored, 1); // the panel comes back while the slides are made
    ASSERT_TRUE(qmhelp::waitForConversion(120000));
    ASSERT_TRUE(qmtest::waitFor([&] { return !windows_.wallFolders.isEmpty(); }, 5000))
        << boxes_.join(u"; "_s).toStdString();

    const QString folder = dir_.path() + u"/Save/PowerPoint/Lesson 1"_s;
    EXPECT_EQ(windows_.wallFolders, QStringList {folder});
    EXPECT_EQ(browsed_, 0);
    EXPECT_EQ(qmhelp::lastConversionFolder(), folder);
    const QStringList files
        = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(files, (QStringList {u"Lesson 1_001.PNG"_s, u"Lesson 1_002.PNG"_s, u"Lesson 1_003.PNG"_s}));
    const QImage green(folder + u"/Lesson 1_002.PNG"_s);
    ASSERT_FALSE(green.isNull());
    EXPECT_EQ(green.size(), QSize(1280, 960));
    const QColor middle = green.pixelColor(640, 480);
    EXPECT_NEAR(middle.red(), 0x20, 8);
    EXPECT_NEAR(middle.green(), 0xa0, 8);
    EXPECT_NEAR(middle.blue(), 0x40, 8);

    // The progress window went with the conversion, and nothing half made is left beside the folder.
    EXPECT_TRUE(qmtest::waitFor([] { return progressWindow() == nullptr; }, 5000));
    EXPECT_EQ(QDir(dir_.path() + u"/Save/PowerPoint"_s)
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList {u"Lesson 1"_s});

    // A later request with nothing new converted asks for a folder.
    StartPicturePlayByWallglide();
    EXPECT_EQ(browsed_, 1);
    EXPECT_EQ(windows_.wallFolders.size(), 1);
}

TEST_F(DeckConversion, AFlaggedFolderIsReusedWhenTheTeacherSaysNo)
{
    if (CPptConvert::officeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString deck = dir_.path() + u"/Lesson 1.pptx"_s;
    qmtest::writeFile(deck, "not looked at: the folder is reused");
    const QString folder = dir_.path() + u"/Save/PowerPoint/Lesson 1"_s;
    ASSERT_TRUE(platform::makeScratchFolder(folder)) << "made by an earlier conversion";
    qmtest::writeFile(folder + u"/Lesson 1_001.PNG"_s, "old slide");
    qmtest::writeFile(folder + u"/flag.dat"_s, "");
    answer_ = platform::IDNO;
    qmhelp::setDeckChooser([&] { return deck; });
    ConvertPPTToFolder();
    ASSERT_TRUE(qmhelp::waitForConversion(30000));
    ASSERT_TRUE(qmtest::waitFor([&] { return !windows_.wallFolders.isEmpty(); }, 5000));
    ASSERT_EQ(boxes_.size(), 1);
    EXPECT_EQ(boxes_[0], u"是否打开新3DPPT文件"_s);
    EXPECT_EQ(windows_.wallFolders, QStringList {folder});
    EXPECT_EQ(qmtest::readFile(folder + u"/Lesson 1_001.PNG"_s), "old slide");
}

TEST_F(DeckConversion, DecksNamedWithDotsLeaveTheSavedWorkAndTheOtherDecksWhole)
{
    if (CPptConvert::officeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString save = dir_.path() + u"/Save"_s;
    qmtest::writeFile(save + u"/8-14-5-9.bmp"_s, "a saved page");
    qmtest::writeFile(save + u"/8-14-5-9.kw"_s, "its strokes");
    qmtest::writeFile(save + u"/PowerPoint/Other/Other_001.PNG"_s, "another deck's slide");
    for (const QString& name : {u"...odp"_s, u"..odp"_s}) {
        const QString deck = dir_.path() + u"/decks/"_s + name;
        ASSERT_TRUE(qmtest::writeSlideDeck(deck, {QColor(0x20, 0x40, 0xd0)}));
        qmhelp::setDeckChooser([deck] { return deck; });
        ConvertPPTToFolder();
        ASSERT_TRUE(qmhelp::waitForConversion(120000));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(qmtest::readFile(save + u"/8-14-5-9.bmp"_s), "a saved page");
    EXPECT_EQ(qmtest::readFile(save + u"/8-14-5-9.kw"_s), "its strokes");
    EXPECT_EQ(qmtest::readFile(save + u"/PowerPoint/Other/Other_001.PNG"_s), "another deck's slide");
    ASSERT_TRUE(qmtest::waitFor([&] { return windows_.wallFolders.size() == 2; }, 5000))
        << boxes_.join(u"; "_s).toStdString();
    EXPECT_EQ(windows_.wallFolders, QStringList({save + u"/PowerPoint/__"_s, save + u"/PowerPoint/_"_s}));
    for (const QString& folder : windows_.wallFolders)
        EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1) << folder.toStdString();
}

TEST_F(DeckConversion, ADeckFolderLinkedToTheTeachersDocumentsIsNeitherEmptiedNorWrittenInto)
{
    if (CPptConvert::officeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString documents = qmtest::teachersFolder(dir_.path() + u"/Documents"_s);
    ASSERT_TRUE(qmtest::plantLink(documents, dir_.path() + u"/Save/PowerPoint/Lesson"_s));
    const QString deck = dir_.path() + u"/Lesson.odp"_s;
    ASSERT_TRUE(qmtest::writeSlideDeck(deck, {QColor(0xd0, 0x20, 0x20)}));
    QFile(deck).setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
    qmhelp::setDeckChooser([&] { return deck; });
    ConvertPPTToFolder();
    ASSERT_TRUE(qmhelp::waitForConversion(120000));
    ASSERT_TRUE(qmtest::waitFor([&] { return !windows_.wallFolders.isEmpty(); }, 5000))
        << boxes_.join(u"; "_s).toStdString();

    EXPECT_TRUE(qmtest::teachersFolderWhole(documents));
    EXPECT_EQ(QDir(documents).entryList(QDir::Files), QStringList {u"lesson plan.odt"_s});
    const QString own = dir_.path() + u"/Save/PowerPoint/Lesson (2)"_s;
    EXPECT_EQ(windows_.wallFolders, QStringList {own});
    EXPECT_EQ(QDir(own).entryList(QDir::Files), QStringList {u"Lesson_001.PNG"_s});
}

TEST_F(DeckConversion, ADeckLibreOfficeCannotReadIsReportedAndNothingOpens)
{
    if (CPptConvert::officeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString deck = dir_.path() + u"/Broken deck.pptx"_s;
    qmtest::writeFile(deck, QByteArray("PK\x03\x04", 4) + " this is no deck");
    qmhelp::setDeckChooser([&] { return deck; });
    ConvertPPTToFolder();
    ASSERT_TRUE(qmhelp::waitForConversion(120000));
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes_.size(), 1);
    EXPECT_TRUE(boxes_[0].contains(u"Broken deck"_s)) << boxes_[0].toStdString();
    EXPECT_TRUE(windows_.wallFolders.isEmpty());
    EXPECT_EQ(windows_.restored, 1);
}

TEST_F(DeckConversion, CancelDuringARealConversionStopsLibreOfficeKeepsTheEarlierSlidesAndTellsNothing)
{
    if (CPptConvert::officeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString folder = dir_.path() + u"/Save/PowerPoint/Lesson 1"_s;
    ASSERT_TRUE(platform::makeScratchFolder(folder)) << "made by an earlier conversion";
    qmtest::writeFile(folder + u"/Lesson 1_001.PNG"_s, "earlier slide");
    // The deck is saved after those slides were made: it is converted again.
    const QString deck = dir_.path() + u"/Lesson 1.odp"_s;
    ASSERT_TRUE(qmtest::writeSlideDeck(deck, {QColor(0xd0, 0x20, 0x20), QColor(0x20, 0xa0, 0x40)}));
    QFile(deck).setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
    qmhelp::setDeckChooser([&] { return deck; });
    ConvertPPTToFolder();

    // Cancel once the window is there and LibreOffice runs.
    ASSERT_TRUE(qmtest::waitFor([] { return progressWindow() && progressWindow()->isVisible(); }, 20000));
    const QString office = u"/.Lesson 1.part/"_s;
    ASSERT_TRUE(qmtest::waitFor([&] { return !qmtest::processesMentioning(office).isEmpty(); }, 20000));
    EXPECT_EQ(progressWindow()->Maximum(), 0) << "the page count is not known while LibreOffice works";
    progressWindow()->CancelButton()->click();
    ASSERT_TRUE(qmhelp::waitForConversion(30000));
    QCoreApplication::processEvents();

    EXPECT_TRUE(qmtest::waitFor([&] { return qmtest::processesMentioning(office).isEmpty(); }, 5000));
    EXPECT_TRUE(boxes_.isEmpty()) << boxes_.join(u"; "_s).toStdString();
    EXPECT_TRUE(windows_.wallFolders.isEmpty());
    EXPECT_EQ(qmtest::readFile(folder + u"/Lesson 1_001.PNG"_s), "earlier slide");
    EXPECT_FALSE(QFileInfo::exists(dir_.path() + u"/Save/PowerPoint/.Lesson 1.part"_s));
    EXPECT_TRUE(qmtest::waitFor([] { return progressWindow() == nullptr; }, 5000));
}

} // namespace
// A teacher opens a slide deck from the main menu: LibreOffice prints it, its slides become board pages to
// write on and page through, a file LibreOffice cannot read gives the converter's message instead, and a
// LibreOffice that hangs holds up neither the quit nor the next start.
#include "program_driver.h"

#include "assist/slide_deck_fixture.h"
#include "platform/shell.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
constexpr int kCmdOpenPdf = 32901;
const QColor kRed(0xd0, 0x20, 0x20), kGreen(0x20, 0xa0, 0x40), kBlue(0x20, 0x40, 0xd0);

void choose(ProgramDriver& program, const QString& file)
{
    ASSERT_TRUE(program.chooseInFileDialog(kCmdOpenPdf, QStringLiteral("打开PDF或幻灯片"), file))
        << "no file dialog";
}

// An office program that never ends, with a child that never ends either; each notes its process id. It
// stands first on the search path that the programs started from now on inherit.
class HangingOffice {
public:
    HangingOffice()
        : path_(qgetenv("PATH"))
    {
        const QString program = dir_.filePath(QStringLiteral("soffice"));
        qmtest::writeFile(program,
            QStringLiteral("#!/bin/sh\necho $$ >> '%1'; /bin/sleep 600 & echo $! >> '%1'; wait\n")
                .arg(pids())
                .toLocal8Bit());
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", dir_.path().toLocal8Bit() + ':' + path_);
    }
    ~HangingOffice() { qputenv("PATH", path_); }

    QString pids() const { return dir_.filePath(QStringLiteral("pids")); }
    QList<qint64> started() const
    {
        QList<qint64> ids;
        for (const QByteArray& line : qmtest::readFile(pids()).split('\n'))
            if (!line.trimmed().isEmpty())
                ids << line.trimmed().toLongLong();
        return ids;
    }

private:
    QTemporaryDir dir_;
    QByteArray path_;
};

bool near(QRgb p, const QColor& c)
{
    return std::abs(qRed(p) - c.red()) < 28 && std::abs(qGreen(p) - c.green()) < 28
        && std::abs(qBlue(p) - c.blue()) < 28;
}

// The middle of the left half of the screen, where a 4:3 slide shows and no panel stands.
bool pageShows(const QColor& colour, int timeoutMs)
{
    return qmtest::waitFor([&] { return near(qmtest::screenshot().pixel(700, 600), colour); }, timeoutMs);
}

} // namespace

TEST(LessonFromADeck, ASlideDeckOpensAsBoardPagesThatKeepTheirInk)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    const QString deck = program.homeFolder() + QStringLiteral("/My Decks/Lesson 2.odp");
    ASSERT_TRUE(qmtest::writeSlideDeck(deck, {kRed, kGreen, kBlue}));

    choose(program, deck);
    ASSERT_TRUE(pageShows(kRed, 150000)) << "the first slide is not on the board";

    program.click(qmtest::boardButtonCentre(1));
    ASSERT_TRUE(pageShows(kGreen, 10000)) << "the next button does not show the second slide";
    program.drag(qmtest::straightPath(QPoint(500, 500), QPoint(900, 500)));
    qmtest::waitFor([] { return false; }, 500);
    EXPECT_FALSE(near(qmtest::screenshot().pixel(700, 500), kGreen)) << "the pen writes on the slide";

    program.click(qmtest::boardButtonCentre(1));
    ASSERT_TRUE(pageShows(kBlue, 10000));
    EXPECT_TRUE(near(qmtest::screenshot().pixel(700, 500), kBlue)) << "the ink stays on its own page";
    program.click(qmtest::boardButtonCentre(0));
    ASSERT_TRUE(pageShows(kGreen, 10000));
    const QImage back = qmtest::screenshot(300);
    back.save(QStringLiteral("/tmp/lesson_deck_page2.png"));
    EXPECT_FALSE(near(back.pixel(700, 500), kGreen)) << "back on the second slide, the ink is there";
}

TEST(LessonFromADeck, AFileLibreOfficeCannotReadGivesTheConvertersMessage)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    const QString broken = program.homeFolder() + QStringLiteral("/Broken.pptx");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2048, '\x7f'));
    file.close();

    choose(program, broken);
    const unsigned long box = program.waitForWindow(QStringLiteral("提示"), 150000);
    ASSERT_NE(box, 0u) << "no message about the deck";
    EXPECT_TRUE(program.pressKeyIn(box, QStringLiteral("Return")));
    EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("提示")));
    EXPECT_TRUE(QDir(program.programFolder() + QStringLiteral("/Temp/ZidodAvuvTemp"))
                    .entryList({QStringLiteral("*.bmp")}, QDir::Files)
                    .isEmpty())
        << "nothing was opened";
}

TEST(LessonFromADeck, AQuitWhileLibreOfficeHangsEndsTheProgramAndLibreOfficeAndTheNextStartHasItsPanel)
{
    // Once by the menu's "Open PDF or slides", once by 4D for the picture wall.
    for (const int button : {kCmdOpenPdf, 1125}) {
        SCOPED_TRACE(button);
        HangingOffice office;
        ProgramDriver program;
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
        const QString deck
            = qmtest::writeFile(program.homeFolder() + QStringLiteral("/Hanging.pptx"), "deck");
        const QString dialog
            = button == kCmdOpenPdf ? QStringLiteral("打开PDF或幻灯片") : QStringLiteral("打开幻灯片");
        ASSERT_TRUE(program.chooseInFileDialog(button, dialog, deck)) << "no file dialog";
        ASSERT_TRUE(qmtest::waitFor([&] { return office.started().size() == 2; }, 30000))
            << "LibreOffice started";

        // The quit another program asks for, as the teacher's close does.
        ASSERT_EQ(program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
                      QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")}),
            0);
        EXPECT_TRUE(program.waitForExit(30000)) << "the program is still running";
        for (const qint64 pid : office.started())
            EXPECT_TRUE(qmtest::waitFor([pid] { return !platform::processRunning(pid); }, 5000))
                << "LibreOffice's process " << pid << " is still running";

        // Started again, the program finds no copy of itself running and shows its panel.
        ASSERT_TRUE(program.start());
        EXPECT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
        EXPECT_EQ(program.waitForWindow(QStringLiteral("信息提示"), 2000), 0u)
            << "told it is running already";
    }
}

// The geometry instruments in the running program: another program chooses one by message, the teacher lays
// it with the mouse and reads its scale on the screen, and the compass's arc is stored with the page and
// comes back with it.
#include "program_driver.h"

#include "support_main/test_util.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

#include <cmath>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
constexpr int kWhiteboard = 1128;
constexpr int kNextPage = 1047;

int countIn(const QImage& image, const QRect& area, bool (*wanted)(QRgb))
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += wanted(image.pixel(x, y));
    return n;
}

bool isRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

bool isWhite(QRgb c)
{
    return qRed(c) > 230 && qGreen(c) < 256 && qGreen(c) > 230 && qBlue(c) > 230;
}

bool isInk(QRgb c)
{
    return qRed(c) < 250 || qGreen(c) < 250 || qBlue(c) < 250;
}

// Around centre at this radius, from one angle to another (degrees counter-clockwise on the screen).
QList<QPoint> around(QPoint centre, int radius, double from, double to)
{
    QList<QPoint> points;
    const int n = 40;
    for (int k = 0; k <= n; ++k) {
        const double a = (from + (to - from) * k / n) * 3.14159265358979323846 / 180.0;
        points << centre
                + QPoint(int(std::lround(radius * std::cos(a))), -int(std::lround(radius * std::sin(a))));
    }
    return points;
}

class InstrumentsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    }
    void TearDown() override
    {
        if (program.running())
            program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
                QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
        program.waitForExit(20000);
    }

    // Message 0x59C with an instrument's number, from another process.
    void chooseInstrument(int number)
    {
        ASSERT_EQ(program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("0x59c"),
                      QString::number(number), QStringLiteral("0")}),
            0);
        ASSERT_NE(program.waitForWindow(kSurface), 0u);
        // The surface takes the pointer once it is mapped and painted.
        qmtest::waitFor([] { return false; }, 1000);
    }

    ProgramDriver program;
};

} // namespace

TEST_F(InstrumentsEndToEnd, AnotherProgramChoosesTheRulerAndTheTeacherLaysItWithTheMouse)
{
    chooseInstrument(3);
    const QRect band(390, 410, 620, 180);
    const int redBefore = countIn(qmtest::screenshot(), band, isRed);
    program.drag(qmtest::straightPath(QPoint(400, 500), QPoint(1000, 500), 30));
    // Over the dark desktop its ticks and numbers are light, its edges red.
    QImage shot;
    ASSERT_TRUE(qmtest::waitFor(
        [&] {
            shot = qmtest::screenshot();
            return countIn(shot, band, isRed) > redBefore + 600;
        },
        5000));
    EXPECT_GT(countIn(shot, band, isWhite), 300);
    // Nothing of it was written on the page: the page, with nothing on it, is not kept.
    ASSERT_EQ(program.pressPanelButton(1132), 0);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));
    const QStringList pages = QDir(program.programFolder() + QStringLiteral("/Temp"))
                                  .entryList({QStringLiteral("*.kw")}, QDir::Files);
    EXPECT_TRUE(pages.isEmpty()) << pages.join(u' ').toStdString();
}

TEST_F(InstrumentsEndToEnd, ACompassArcIsStoredWithThePageAndComesBackWithIt)
{
    ASSERT_EQ(program.pressPanelButton(kWhiteboard), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    chooseInstrument(1);
    const QPoint needle(700, 600);
    program.drag(qmtest::straightPath(needle, needle + QPoint(200, 0), 10));
    // Clockwise from above the needle to its right, away from the compass.
    program.drag(around(needle, 260, 95, -5));
    // Where the arc runs clear of the compass's legs, near its start above the needle.
    const QRect clear(needle.x() - 12, needle.y() - 205, 75, 40);
    const QRect unswept(needle.x() - 215, needle.y() + 20, 190, 190);
    ASSERT_TRUE(qmtest::waitFor([&] { return countIn(qmtest::screenshot(), clear, isRed) > 30; }, 5000));

    // The next page stores this one; its object file holds the arc about the needle with radius 200.
    ASSERT_EQ(program.pressPanelButton(kNextPage), 0);
    const QString folder = program.programFolder() + QStringLiteral("/Temp/ZidodAvuvTemp");
    ASSERT_TRUE(qmtest::waitFor(
        [&] { return !QDir(folder).entryList({QStringLiteral("*.kw")}, QDir::Files).isEmpty(); }));
    const QString stored = QDir(folder).entryList({QStringLiteral("*.kw")}, QDir::Files).first();
    const QByteArray objects = qmtest::readFile(folder + QLatin1Char('/') + stored);
    ASSERT_TRUE(objects.startsWith("12 0 ")) << objects.left(80).toStdString();
    EXPECT_TRUE(objects.contains(" 700 600 200 ")) << objects.left(120).toStdString();
    EXPECT_EQ(objects.count(';'), 1);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    qmtest::waitFor([] { return false; }, 1000);
    EXPECT_EQ(countIn(qmtest::screenshot(), clear, isRed), 0) << "a blank page";

    // Back to it with the board's button: the arc is drawn again from the file, and only where the hand
    // swept.
    program.click(qmtest::boardButtonCentre(0));
    ASSERT_TRUE(qmtest::waitFor([&] { return countIn(qmtest::screenshot(), clear, isRed) > 30; }, 5000));
    EXPECT_EQ(countIn(qmtest::screenshot(), unswept, isInk), 0);
}

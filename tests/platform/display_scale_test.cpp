#include "platform/display_scale.h"

#include <gtest/gtest.h>

using platform::ScaleSources;
using namespace Qt::StringLiterals;

namespace {

ScaleSources fromXftDpi(double dpi)
{
    ScaleSources sources;
    sources.xftDpi = dpi;
    return sources;
}

// The scale Qt ends at: its own Xft.dpi over 96 times the factor the program sets.
double scaleQtReaches(const ScaleSources& sources)
{
    const double qtAlone = sources.xftDpi > 0 ? sources.xftDpi / 96 : 1.0;
    const QByteArray factor = platform::ScaleFactorToSet(sources);
    return qtAlone * (factor.isEmpty() ? 1.0 : factor.toDouble());
}

} // namespace

TEST(DisplayScale, XftDpiGivesTheScaleToTheNearestQuarterWithinOneToFour)
{
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(96)), 1);
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(144)), 1.5);
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(192)), 2);
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(120)), 1.25);
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(110)), 1.25);
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(100)), 1);
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(72)), 1) << "never smaller than the design";
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(960)), 4);
    EXPECT_DOUBLE_EQ(platform::DesktopScale(fromXftDpi(0)), 1) << "no Xft.dpi";
}

TEST(DisplayScale, TheTeachersChoiceComesBeforeGdkScaleWhichComesBeforeXftDpi)
{
    ScaleSources sources = fromXftDpi(96);
    sources.gdkScale = "2";
    EXPECT_DOUBLE_EQ(platform::DesktopScale(sources), 2);
    sources.chosenScale = 1.5;
    EXPECT_DOUBLE_EQ(platform::DesktopScale(sources), 1.5);

    // A GDK_SCALE that is no whole number of at least one is read as far as it goes, or not at all.
    ScaleSources typed = fromXftDpi(144);
    typed.gdkScale = "2.7";
    EXPECT_DOUBLE_EQ(platform::DesktopScale(typed), 2);
    typed.gdkScale = "zwei";
    EXPECT_DOUBLE_EQ(platform::DesktopScale(typed), 1.5);
    typed.gdkScale = "0";
    EXPECT_DOUBLE_EQ(platform::DesktopScale(typed), 1.5);
}

TEST(DisplayScale, QtIsGivenOnlyTheFactorItLacks)
{
    // Qt scales by Xft.dpi itself: a 4K board at 192 dpi or a plain desktop needs nothing more.
    EXPECT_EQ(platform::ScaleFactorToSet(fromXftDpi(192)), "");
    EXPECT_EQ(platform::ScaleFactorToSet(fromXftDpi(96)), "");
    EXPECT_EQ(platform::ScaleFactorToSet(fromXftDpi(0)), "");

    ScaleSources gdk;
    gdk.gdkScale = "2";
    EXPECT_EQ(platform::ScaleFactorToSet(gdk), "2");

    // Whatever the sources, Qt ends at the desktop's scale, never at a product of two scales.
    for (const double dpi : {0.0, 96.0, 110.0, 120.0, 144.0, 192.0, 288.0}) {
        for (const char* gdkScale : {"", "1", "2", "3"}) {
            for (const double chosen : {0.0, 1.0, 1.75}) {
                ScaleSources sources = fromXftDpi(dpi);
                sources.gdkScale = gdkScale;
                sources.chosenScale = chosen;
                EXPECT_NEAR(scaleQtReaches(sources), platform::DesktopScale(sources), 1e-4)
                    << dpi << " dpi, GDK_SCALE " << gdkScale << ", chosen " << chosen;
            }
        }
    }
}

TEST(DisplayScale, AScaleTheUserGaveQtIsKept)
{
    ScaleSources sources = fromXftDpi(96);
    sources.gdkScale = "2";
    sources.scaleFactor = "1.5";
    EXPECT_TRUE(platform::ScaleGivenToQt(sources));
    EXPECT_EQ(platform::ScaleFactorToSet(sources), "");

    sources.scaleFactor.clear();
    sources.screenScaleFactors = "HDMI-1=2;DP-1=1";
    EXPECT_EQ(platform::ScaleFactorToSet(sources), "");

    sources.screenScaleFactors = "  ";
    EXPECT_FALSE(platform::ScaleGivenToQt(sources));
    EXPECT_EQ(platform::ScaleFactorToSet(sources), "2");
}

TEST(DisplayScale, AChoiceIsKeptAsAPercentageAndOnlyAnOfferedOneIsRead)
{
    for (const double choice : {0.0, 1.0, 1.25, 1.5, 2.0})
        EXPECT_EQ(platform::ScaleChoiceFromText(platform::ScaleChoiceText(choice)), choice) << choice;
    EXPECT_EQ(platform::ScaleChoiceText(1.25), u"125"_s);
    EXPECT_EQ(platform::ScaleChoiceText(0), u"auto"_s);
    // As a hand writes it.
    EXPECT_EQ(platform::ScaleChoiceFromText(u" 150 % "_s), 1.5);
    EXPECT_EQ(platform::ScaleChoiceFromText(u"Auto"_s), 0.0);
    EXPECT_EQ(platform::ScaleChoiceFromText(u""_s), 0.0);
    // A scale not offered, or not a scale: the caller falls back to the desktop's and names the key.
    for (const QString& bad : {u"175"_s, u"1.5"_s, u"2"_s, u"150%%"_s, u"big"_s, u"-100"_s})
        EXPECT_EQ(platform::ScaleChoiceFromText(bad), std::nullopt) << bad.toStdString();

    // The choice of 100 % on a 4K board at 192 dpi halves what Qt would do alone.
    ScaleSources board = fromXftDpi(192);
    board.chosenScale = *platform::ScaleChoiceFromText(u"100"_s);
    EXPECT_EQ(platform::ScaleFactorToSet(board), "0.5");
}

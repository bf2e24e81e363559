#include "recorder/compressors.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace recorder;

namespace {

Compressor named(const char* encoder, const char* handler)
{
    return {QString::fromLatin1(encoder), QString::fromLatin1(handler), QString::fromLatin1(encoder)};
}

// A compressor that takes only sides that are multiples of `multiple`.
AcceptsFrame onlyMultiplesOf(int multiple)
{
    return [multiple](const Compressor&, FrameSize size) {
        return size.width % multiple == 0 && size.height % multiple == 0;
    };
}

} // namespace

TEST(CompressorSizeRounding, RoundsUpUnlessThatPassesTheScreen)
{
    EXPECT_EQ(roundToCompressorSize(1365, 2, 1366), 1366);
    EXPECT_EQ(roundToCompressorSize(1365, 2, 1365), 1364);
    EXPECT_EQ(roundToCompressorSize(1366, 4, 1366), 1364);
    EXPECT_EQ(roundToCompressorSize(1366, 4, 1400), 1368);
    EXPECT_EQ(roundToCompressorSize(768, 8, 768), 768);
    EXPECT_EQ(roundToCompressorSize(1050, 8, 1050), 1048);
}

TEST(CompressorFit, AnOddSizedScreenIsRecordedAtAnEvenSize)
{
    const Compressor wanted = named("mpeg4", "XVID");
    const FrameFit even = fitCompressor(wanted, {1366, 768}, {1366, 768}, onlyMultiplesOf(2));
    EXPECT_EQ(even.compressor.handler, QStringLiteral("XVID"));
    EXPECT_EQ(even.size, (FrameSize {1366, 768}));

    const FrameFit odd = fitCompressor(wanted, {1365, 767}, {1365, 767}, onlyMultiplesOf(2));
    EXPECT_EQ(odd.compressor.handler, QStringLiteral("XVID"));
    EXPECT_EQ(odd.size, (FrameSize {1364, 766}));

    const FrameFit byEight = fitCompressor(wanted, {1366, 768}, {1366, 768}, onlyMultiplesOf(8));
    EXPECT_EQ(byEight.size, (FrameSize {1360, 768}));
}

TEST(CompressorFit, ACompressorThatRefusesEverySizeGivesWayToTheDefault)
{
    const AcceptsFrame onlyVideo1 = [](const Compressor& c, FrameSize size) {
        return c.handler == QLatin1String(kDefaultHandler) && size.width % 4 == 0 && size.height % 4 == 0;
    };
    const FrameFit fit = fitCompressor(named("mpeg4", "XVID"), {1366, 768}, {1366, 768}, onlyVideo1);
    EXPECT_EQ(fit.compressor.handler, QStringLiteral("MSVC"));
    EXPECT_EQ(fit.compressor.description, QStringLiteral("Default Compressor"));
    EXPECT_EQ(fit.size, (FrameSize {1364, 768}));
}

TEST(CompressorFit, DivxAndIndeoAreAlwaysReplacedByTheDefault)
{
    const AcceptsFrame everything = [](const Compressor&, FrameSize) { return true; };
    for (const char* handler : {"DIVX", "IV50"}) {
        const FrameFit fit = fitCompressor(named("mpeg4", handler), {1920, 1080}, {1920, 1080}, everything);
        EXPECT_EQ(fit.compressor.handler, QStringLiteral("MSVC")) << handler;
        EXPECT_EQ(fit.size, (FrameSize {1920, 1080}));
    }
}

TEST(CompressorList, PrefersMpeg4ThenVideo1ThenTheFirst)
{
    EXPECT_EQ(preferredCompressor({}), -1);
    EXPECT_EQ(
        preferredCompressor({named("ffv1", "FFV1"), named("msvideo1", "MSVC"), named("mpeg4", "XVID")}), 2);
    EXPECT_EQ(preferredCompressor({named("ffv1", "FFV1"), named("msvideo1", "MSVC")}), 1);
    EXPECT_EQ(preferredCompressor({named("ffv1", "FFV1"), named("huffyuv", "HFYU")}), 0);
}

TEST(CompressorList, HoldsTheAviEncodersThatTakeTheFrame)
{
    const std::vector<Compressor> list = listCompressors({1920, 1080});
    ASSERT_FALSE(list.empty());
    EXPECT_LE(int(list.size()), kMaxCompressors);
    const int preferred = preferredCompressor(list);
    ASSERT_GE(preferred, 0);
    EXPECT_EQ(list[size_t(preferred)].encoder, QStringLiteral("mpeg4"));
    EXPECT_EQ(list[size_t(preferred)].handler, QStringLiteral("XVID"));
    const bool hasVideo1 = std::any_of(list.begin(), list.end(), [](const Compressor& c) {
        return c.encoder == QLatin1String("msvideo1") && c.handler == QLatin1String("MSVC");
    });
    EXPECT_TRUE(hasVideo1);
    for (const Compressor& c : list)
        EXPECT_EQ(c.handler.size(), 4) << c.encoder.toStdString();

    // Microsoft Video 1 takes only sides that are multiples of 4, so a 1366-pixel-wide screen leaves it out
    // and the fit records 1364 pixels of it.
    const std::vector<Compressor> narrow = listCompressors({1366, 768});
    EXPECT_TRUE(std::none_of(narrow.begin(), narrow.end(),
        [](const Compressor& c) { return c.encoder == QLatin1String("msvideo1"); }));
    const FrameFit fit = fitCompressor(defaultCompressor(), {1366, 768}, {1366, 768});
    EXPECT_EQ(fit.size, (FrameSize {1364, 768}));
}

TEST(CompressorCodes, FourLettersAreStoredLittleEndian)
{
    EXPECT_EQ(fourCC(QStringLiteral("XVID")), 0x44495658u);
    EXPECT_EQ(fourCC(QStringLiteral("MSVC")), 0x4356534Du);
}

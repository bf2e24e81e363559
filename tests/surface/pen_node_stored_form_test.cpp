#include "surface/pen_node.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <locale>
#include <sstream>

using namespace DIALOG;

namespace {

std::string stored(const CPenNode& node)
{
    std::ostringstream os;
    node.Write(os);
    return os.str();
}

// Reads records the way the page store does: until the "e" mark or the end of the stream, each
// record into a reset scratch object whose cleared flag is set first.
std::vector<CPenNode> loadRecords(std::istream& is)
{
    std::vector<CPenNode> out;
    CPenNode scratch(0, 3, 0, Pen);
    while (is.peek() != 'e' && is.peek() != std::char_traits<char>::eof()) {
        scratch.Reset();
        scratch.cleared = 1;
        if (!scratch.Read(is))
            break;
        out.push_back(scratch);
        if (!is)
            break;
    }
    return out;
}

std::vector<CPenNode> loadFixture(const char* name)
{
    std::ifstream f(std::string(QM_TEST_DATA) + "/pages/" + name, std::ios::binary);
    EXPECT_TRUE(f.is_open()) << name;
    return loadRecords(f);
}

CPenNode roundTrip(const CPenNode& node)
{
    std::istringstream is(stored(node));
    CPenNode back(0, 3, 0, Pen);
    EXPECT_TRUE(back.Read(is));
    return back;
}

} // namespace

TEST(PenNodeStoredForm, TwoPointLineHasTheExactBytes)
{
    CPenNode line(RGB(255, 0, 0), 3, 0, Line);
    line.AddPoint(10, 20);
    line.AddPoint(30, 40);
    EXPECT_EQ(stored(line), "15 0 255 3 0 0 0 0 0 0 0 0 10 20 1 0 30 40 1 0 -9999;");
}

TEST(PenNodeStoredForm, EveryKindRoundTrips)
{
    for (int k = 0; k < kNodeKindCount; ++k) {
        SCOPED_TRACE(k);
        CPenNode node(RGB(10, 20, 30), 7, k == Pen, NodeKind(k));
        node.erased = k % 2;
        node.cleared = k % 3 == 0;
        node.boxWidth = 640;
        node.boxHeight = 480;
        node.boxAngle = 0.5;
        node.mediaWidth = 320;
        node.mediaHeight = 240;
        node.arcCentreX = 300;
        node.arcCentreY = 310;
        node.arcRadius = 49.5;
        node.boxCentreX = 11;
        node.boxCentreY = 12;
        node.mediaCentreX = 13;
        node.mediaCentreY = 14;
        node.mediaShown = true;
        node.SetEditText(QStringLiteral("two words\nnext line"));
        node.SetPicturePath(QStringLiteral("/no such/picture.png"));
        node.SetMediaPath(QStringLiteral("/clips/a lesson.avi"));
        for (int i = 0; i < 5; ++i)
            node.AddPoint(i * 10, -i, i % 2, k == SpeedPen ? i + 3 : 0);

        const CPenNode back = roundTrip(node);
        EXPECT_EQ(back.kind, node.kind);
        EXPECT_EQ(back.highlight, node.highlight);
        EXPECT_EQ(back.colour, node.colour);
        EXPECT_EQ(back.width, node.width);
        EXPECT_EQ(back.erased, node.erased);
        EXPECT_EQ(back.cleared, node.cleared);
        EXPECT_EQ(back.points, node.points);
        EXPECT_EQ(back.boxWidth, 640);
        EXPECT_EQ(back.boxAngle, 0.5);
        EXPECT_EQ(back.mediaHeight, 240);
        EXPECT_EQ(back.EditText(), k == Text ? node.EditText() : QStringLiteral("0"));
        const bool arc = k == CompassArc;
        EXPECT_EQ(back.arcCentreY, arc ? 310 : 0);
        EXPECT_EQ(back.arcRadius, arc ? 49.5 : 0.0);
        const bool picture = k == Picture;
        EXPECT_EQ(back.boxCentreX, picture ? 11 : 0);
        EXPECT_STREQ(back.picturePath, picture ? "/no|such/picture.png" : "");
        // Reading a record decodes nothing: the page loader decodes each picture once for the page.
        EXPECT_EQ(back.image, nullptr);
        const bool media = k == Flash || k == Video;
        EXPECT_EQ(back.mediaCentreY, media ? 14 : 0);
        EXPECT_EQ(back.mediaShown, media);
        EXPECT_STREQ(back.mediaPath, media ? "/clips/a|lesson.avi" : "");
    }
}

TEST(PenNodeStoredForm, RecordsFollowEachOtherWithoutSeparator)
{
    std::ostringstream os;
    for (int i = 0; i < 3; ++i) {
        CPenNode node(RGB(0, 0, 255), 3 + i, 0, Pen);
        node.AddPoint(i, i);
        node.Write(os);
    }
    os << 'e';
    std::istringstream is(os.str());
    const auto nodes = loadRecords(is);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[2].width, 5);
    EXPECT_EQ(nodes[2].cleared, 0);
    // Past the last record nothing more is read, also when only white space is left.
    std::istringstream tail(stored(nodes[0]) + "  \n");
    CPenNode node;
    EXPECT_TRUE(node.Read(tail));
    EXPECT_FALSE(node.Read(tail));
}

TEST(PenNodeStoredForm, AngleKeepsSixSignificantDigits)
{
    CPenNode node(0, 3, 0, Picture);
    node.boxAngle = 1.23456789;
    EXPECT_DOUBLE_EQ(roundTrip(node).boxAngle, 1.23457);
    node.boxAngle = 1e-7;
    EXPECT_NE(stored(node).find(" 1e-07 "), std::string::npos);
}

TEST(PenNodeStoredForm, CallersStreamFormattingDoesNotLeakIn)
{
    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    CPenNode node(0x00FF8040, 12345, 0, Line);
    node.AddPoint(1000, 2000);
    node.AddPoint(3000, 4000);
    const std::string plain = stored(node);
    std::ostringstream os;
    os.imbue(std::locale(std::locale::classic(), new Grouping));
    os << std::hex << std::showpos;
    os.precision(2);
    node.Write(os);
    EXPECT_EQ(os.str(), plain);
    os << 255;
    EXPECT_EQ(os.str().substr(plain.size()), "ff"); // the caller's formatting is given back
}

TEST(PenNodeStoredForm, TextSpacesAndLineBreaksUseTheOldEscapes)
{
    CPenNode node(0, 20, 0, Text);
    node.SetEditText(QStringLiteral("a b\nc"));
    EXPECT_STREQ(node.text, "a\\tb\\nc");
    node.SetEditText(QStringLiteral("a b\r\nc"));
    EXPECT_STREQ(node.text, "a\\tb\\nc");
}

TEST(PenNodeStoredForm, AnyTextRoundTripsUnchanged)
{
    const QString samples[] = {
        QStringLiteral("tab\there"),
        QStringLiteral("cr\ronly, vt\v ff\f"),
        QString::fromUtf16(u"nbsp\u00A0ideographic\u3000space"),
        QStringLiteral("C:\\new\\text\\x41; and \\\\ unc"),
        QStringLiteral("trailing backslash \\"),
        QStringLiteral("backslash before space \\ and break \\\nend"),
        QString::fromUtf16(u"汉字 and 😀 emoji"),
    };
    for (const QString& text : samples) {
        SCOPED_TRACE(text.toStdString());
        CPenNode node(0, 20, 0, Text);
        node.SetEditText(text);
        for (const char* c = node.text; *c; ++c)
            EXPECT_FALSE(std::isspace(static_cast<unsigned char>(*c)));
        EXPECT_EQ(roundTrip(node).EditText(), text);
    }
}

TEST(PenNodeStoredForm, EmptyTextDoesNotShiftTheRecord)
{
    CPenNode node(0, 20, 0, Text);
    node.AddPoint(1, 2);
    node.AddPoint(3, 4);
    const CPenNode back = roundTrip(node);
    EXPECT_EQ(back.EditText(), QString());
    EXPECT_EQ(back.boxWidth, 0);
    EXPECT_EQ(back.points, node.points);
}

TEST(PenNodeStoredForm, LongTextIsCutAtAWholeCharacter)
{
    CPenNode node(0, 20, 0, Text);
    node.SetEditText(QString(5000, QChar(u'字')));
    const std::size_t n = std::strlen(node.text);
    EXPECT_LE(n, std::size_t(kTextSize - 1));
    EXPECT_EQ(n % 3, 0u);
    EXPECT_EQ(node.EditText(), QString(qsizetype(n / 3), QChar(u'字')));
}

TEST(PenNodeStoredForm, PicturePathWithSpacesComesBackWithItsSpaces)
{
    const QString path = QStringLiteral("/tmp/my pictures/board one.png");
    CPenNode node(0, 3, 0, Picture);
    node.SetPicturePath(path);
    EXPECT_EQ(std::strchr(node.picturePath, ' '), nullptr);
    EXPECT_EQ(roundTrip(node).PicturePathForLoad(), path);
}

TEST(PenNodeStoredForm, WindowsPageFileReads)
{
    const auto nodes = loadFixture("windows_mixed.kw");
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[0].kind, Pen);
    EXPECT_EQ(nodes[0].points.size(), 3u);
    EXPECT_EQ(nodes[1].kind, Text);
    EXPECT_EQ(nodes[1].colour, RGB(0, 0, 255));
    EXPECT_EQ(nodes[1].EditText(), QStringLiteral("Hello world\nline two"));
    EXPECT_EQ(nodes[2].kind, CompassArc);
    EXPECT_EQ(nodes[2].cleared, 1);
    EXPECT_EQ(nodes[2].arcRadius, 50.0);
    EXPECT_EQ(nodes[2].points.size(), 2u);
    EXPECT_EQ(nodes[3].kind, Picture);
    EXPECT_EQ(nodes[3].PicturePathForLoad(), QStringLiteral("C:\\Documents and Settings\\board.png"));
    EXPECT_DOUBLE_EQ(nodes[3].boxAngle, 0.785398);
    EXPECT_EQ(nodes[3].boxCentreY, 400);
    EXPECT_EQ(nodes[4].kind, Video);
    EXPECT_EQ(nodes[4].erased, 1);
    EXPECT_TRUE(nodes[4].mediaShown);
    EXPECT_STREQ(nodes[4].mediaPath, "D:\\clips\\lesson|one.avi");
    EXPECT_EQ(nodes[5].kind, Rectangle);
    EXPECT_EQ(nodes[5].points.back(), (PenPoint {50, 60, 1, 0}));
    EXPECT_TRUE(loadFixture("empty_page.kw").empty());
}

TEST(PenNodeStoredForm, UnknownKindAndCutRecordRead)
{
    const auto nodes = loadFixture("odd_kind_and_cut.kw");
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].kind, Pen);
    EXPECT_EQ(nodes[1].kind, SpeedPen);
    EXPECT_DOUBLE_EQ(nodes[1].boxAngle, 1e-7);
    EXPECT_EQ(nodes[1].points[1].segWidth, 6);
    // The last record stops inside a point: the whole points read so far are kept.
    EXPECT_EQ(nodes[2].kind, Line);
    EXPECT_EQ(nodes[2].points, (std::vector<PenPoint> {{10, 20, 1, 0}}));
}

TEST(PenNodeStoredForm, LegacyTextReadsAsBefore)
{
    const auto nodes = loadFixture("legacy_text.kw");
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].EditText(), QString::fromUtf16(u"你好 世界"));
    EXPECT_EQ(nodes[1].EditText(), QStringLiteral("\\\\server\\share C: emp"));
}

TEST(PenNodeHostileInput, LongTokensAreCutAndTheStreamStaysInStep)
{
    const std::string longText(10000, 'a');
    const std::string longPath(1000, 'p');
    std::istringstream is("8 0 0 20 0 0 " + longText + " 0 0 0 0 0 1 1 1 0 -9999;"
        + "13 0 0 3 0 0 0 1 1 0 0 0 5 5 " + longPath + " -9999;" + "18 0 0 3 0 0 0 0 0 0 1 1 2 2 1 "
        + longPath + " 7 7 1 0 -9999;e");
    const auto nodes = loadRecords(is);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(std::strlen(nodes[0].text), std::size_t(kTextSize - 1));
    EXPECT_EQ(nodes[0].points.size(), 1u);
    EXPECT_EQ(std::strlen(nodes[1].picturePath), std::size_t(kPathSize - 1));
    EXPECT_EQ(std::strlen(nodes[2].mediaPath), std::size_t(kPathSize - 1));
    EXPECT_EQ(nodes[2].points, (std::vector<PenPoint> {{7, 7, 1, 0}}));
}

TEST(PenNodeHostileInput, PointListEndsWithTheStream)
{
    for (const char* input :
        {"0 0 0 3 0 0 0 0 0 0 0 0 1 2 3 4 5 6", "0 0 0 3 0 0 0 0 0 0 0 0 1 2 3 4 x y z w -9999;"}) {
        std::istringstream is(input);
        CPenNode node;
        EXPECT_TRUE(node.Read(is));
        EXPECT_EQ(node.points, (std::vector<PenPoint> {{1, 2, 3, 4}}));
        EXPECT_FALSE(node.Read(is));
    }
}

TEST(PenNodeHostileInput, PointsPastTheCapAreDropped)
{
    std::string input = "0 0 0 3 0 0 0 0 0 0 0 0 ";
    input.reserve(kMaxPointsPerObject * 9 + 100);
    for (std::size_t i = 0; i < kMaxPointsPerObject + 5; ++i)
        input += "1 2 1 0 ";
    input += "-9999;15 0 0 3 0 0 0 0 0 0 0 0 1 1 1 0 2 2 1 0 -9999;";
    std::istringstream is(input);
    CPenNode big;
    ASSERT_TRUE(big.Read(is));
    EXPECT_EQ(big.points.size(), kMaxPointsPerObject);
    CPenNode next;
    ASSERT_TRUE(next.Read(is));
    EXPECT_EQ(next.kind, Line);
    EXPECT_EQ(next.points.size(), 2u);
}

TEST(PenNodeHostileInput, RecordCutInTheHeaderKeepsTheFlagsSetBefore)
{
    std::istringstream is("0 0 255 3 0");
    CPenNode node(0, 3, 0, Pen);
    node.cleared = 1;
    EXPECT_TRUE(node.Read(is));
    EXPECT_EQ(node.cleared, 1);
    EXPECT_EQ(node.colour, 255u);
    EXPECT_TRUE(node.points.empty());
}

TEST(PenNodeHostileInput, PointAtTheEndMarkDoesNotEndTheRecord)
{
    CPenNode node(0, 3, 0, Pen);
    node.AddPoint(-9999, 5);
    node.AddPoint(1, 1);
    const CPenNode back = roundTrip(node);
    ASSERT_EQ(back.points.size(), 2u);
    EXPECT_EQ(back.points[0].x, -9998);
}

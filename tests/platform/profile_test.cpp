#include "platform/profile.h"
#include "support_main/read_only_folder.h"

#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;
using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileKeyNames;
using platform::GetPrivateProfileSectionNames;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;

namespace {

using qmtest::ReadOnlyFolder;

class ProfileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString write(const QByteArray& bytes, const QString& name = u"test.ini"_s) const
    {
        return qmtest::writeFile(path(name), bytes);
    }

    QTemporaryDir dir_;
};

QString read(const QString& file, const QString& section, const QString& key, int bufferSize = 2048)
{
    return GetPrivateProfileString(section, key, u"<none>"_s, bufferSize, file);
}

QString fixture(const QString& name)
{
    return QStringLiteral(QM_TEST_DATA "/profile/") + name;
}

} // namespace

TEST_F(ProfileTest, LookupIgnoresCaseAndFirstMatchWins)
{
    const QString file = write("[ToolInfo]\nCalc=first\ncalc=second\n[TOOLINFO]\nCalc=third\nOnlyHere=x\n");
    EXPECT_EQ(read(file, u"toolinfo"_s, u"CALC"_s), u"first"_s);
    // Only the first section of a name is looked at, as Windows does.
    EXPECT_EQ(read(file, u"ToolInfo"_s, u"OnlyHere"_s), u"<none>"_s);
}

TEST_F(ProfileTest, LookupTrimsNamesAndValuesAndDropsMatchingQuotes)
{
    const QString file = write("  [ Setting ]  \n"
                               "\t Language \t=  English  \n"
                               "double = \"  spaced  \"\n"
                               "single='x'\n"
                               "mixed=\"x'\n"
                               "inner=a \"b\" c\n"
                               "empty=\n");
    EXPECT_EQ(read(file, u" Setting "_s, u"Language"_s), u"English"_s);
    EXPECT_EQ(read(file, u"Setting"_s, u"double"_s), u"  spaced  "_s);
    EXPECT_EQ(read(file, u"Setting"_s, u"single"_s), u"x"_s);
    EXPECT_EQ(read(file, u"Setting"_s, u"mixed"_s), u"\"x'"_s);
    EXPECT_EQ(read(file, u"Setting"_s, u"inner"_s), u"a \"b\" c"_s);
    EXPECT_EQ(read(file, u"Setting"_s, u"empty"_s), u""_s);
}

TEST_F(ProfileTest, LinesWithoutEqualsAndCommentsAreNotKeys)
{
    const QString file = write("[A]\njust text\n;note=1\n=orphan\nkey=1\n");
    EXPECT_EQ(read(file, u"A"_s, u"just text"_s), u"<none>"_s);
    EXPECT_EQ(read(file, u"A"_s, u";note"_s), u"<none>"_s);
    EXPECT_EQ(GetPrivateProfileKeyNames(u"A"_s, file), QStringList {u"key"_s});
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesDefaultWithoutTrailingBlanks)
{
    const QString file = write("[A]\nkey=1\n");
    EXPECT_EQ(GetPrivateProfileString(u"A"_s, u"other"_s, u"dflt  "_s, 100, file), u"dflt"_s);
    EXPECT_EQ(GetPrivateProfileString(u"B"_s, u"key"_s, u"dflt"_s, 100, file), u"dflt"_s);
    EXPECT_EQ(GetPrivateProfileString(u"A"_s, u"key"_s, u"dflt"_s, 100, path(u"missing.ini"_s)), u"dflt"_s);
}

TEST_F(ProfileTest, RelativePathFollowsCurrentDirectoryAtEachCall)
{
    qmtest::writeFile(path(u"one/a.ini"_s), "[A]\nk=one\n");
    qmtest::writeFile(path(u"two/a.ini"_s), "[A]\nk=two\n");
    {
        qmtest::ScopedCurrentDir cd(path(u"one"_s));
        EXPECT_EQ(read(u"./a.ini"_s, u"A"_s, u"k"_s), u"one"_s);
    }
    qmtest::ScopedCurrentDir cd(path(u"two"_s));
    EXPECT_EQ(read(u"a.ini"_s, u"A"_s, u"k"_s), u"two"_s);
    EXPECT_TRUE(WritePrivateProfileString(u"A"_s, u"k"_s, u"written"_s, u"./a.ini"_s));
    EXPECT_EQ(read(path(u"two/a.ini"_s), u"A"_s, u"k"_s), u"written"_s);
    EXPECT_EQ(read(path(u"one/a.ini"_s), u"A"_s, u"k"_s), u"one"_s);
}

TEST_F(ProfileTest, BufferCutsValueAndDefaultToOneLessThanItsSize)
{
    const QString file = write("[A]\nk=0123456789\n");
    EXPECT_EQ(read(file, u"A"_s, u"k"_s, 5), u"0123"_s);
    EXPECT_EQ(read(file, u"A"_s, u"k"_s, 11), u"0123456789"_s);
    EXPECT_EQ(read(file, u"A"_s, u"k"_s, 1), u""_s);
    EXPECT_EQ(read(file, u"A"_s, u"k"_s, 0), u""_s);
    EXPECT_EQ(read(file, u"A"_s, u"missing"_s, 4), u"<no"_s);
}

TEST_F(ProfileTest, NullKeyListsKeyNamesCutAsWindowsCutsThem)
{
    const QString file = write("[A]\nab=1\nc=2\nab=3\n[Empty]\n");
    const QString all = u"ab\0c\0ab\0"_s;
    EXPECT_EQ(GetPrivateProfileString(u"a"_s, QString(), u""_s, 100, file), all);
    // The list needs one more place for its final zero; without it the last name is cut to leave two zeros.
    EXPECT_EQ(GetPrivateProfileString(u"A"_s, QString(), u""_s, int(all.size()) + 1, file), all);
    EXPECT_EQ(GetPrivateProfileString(u"A"_s, QString(), u""_s, int(all.size()), file), u"ab\0c\0a"_s);
    EXPECT_EQ(GetPrivateProfileString(u"A"_s, QString(), u""_s, 4, file), u"ab"_s);
    EXPECT_EQ(GetPrivateProfileString(u"Empty"_s, QString(), u"dflt"_s, 100, file), u"dflt"_s);
    EXPECT_EQ(GetPrivateProfileKeyNames(u"A"_s, file), (QStringList {u"ab"_s, u"c"_s, u"ab"_s}));
}

TEST_F(ProfileTest, NullSectionListsSectionNames)
{
    const QString file = write("top=1\n[One]\nk=1\n[ Two ]\n");
    EXPECT_EQ(GetPrivateProfileString(QString(), QString(), u""_s, 100, file), u"One\0Two\0"_s);
    EXPECT_EQ(GetPrivateProfileString(QString(), QString(), u""_s, 6, file), u"One\0"_s);
    EXPECT_EQ(GetPrivateProfileSectionNames(file), (QStringList {u"One"_s, u"Two"_s}));
}

TEST_F(ProfileTest, IntegersReadAsWindowsReadsThem)
{
    const QString file = write("[N]\ndec= 42 \nneg=-7\nhex=0x1F\ntail=12px\nword=abc\nempty=\n");
    EXPECT_EQ(GetPrivateProfileInt(u"N"_s, u"dec"_s, 5, file), 42);
    EXPECT_EQ(GetPrivateProfileInt(u"N"_s, u"neg"_s, 5, file), -7);
    EXPECT_EQ(GetPrivateProfileInt(u"N"_s, u"hex"_s, 5, file), 31);
    EXPECT_EQ(GetPrivateProfileInt(u"N"_s, u"tail"_s, 5, file), 12);
    EXPECT_EQ(GetPrivateProfileInt(u"N"_s, u"word"_s, 5, file), 0);
    EXPECT_EQ(GetPrivateProfileInt(u"N"_s, u"empty"_s, 5, file), 5);
    EXPECT_EQ(GetPrivateProfileInt(u"N"_s, u"missing"_s, 5, file), 5);
}

TEST_F(ProfileTest, WriteReplacesValueInPlaceKeepingTheRestOfTheFile)
{
    const QString file = write("; quick launch\r\n[ToolInfo]\r\n  Calc = old ; not a comment\r\n\r\n"
                               "; next\r\n[Other]\r\nCalc=keep\r\n");
    ASSERT_TRUE(WritePrivateProfileString(u"toolinfo"_s, u"CALC"_s, u"galculator"_s, file));
    EXPECT_EQ(qmtest::readFile(file),
        "; quick launch\r\n[ToolInfo]\r\nCalc=galculator\r\n\r\n; next\r\n[Other]\r\nCalc=keep\r\n");
}

TEST_F(ProfileTest, WriteAddsKeyAfterTheLastKeyOfItsSection)
{
    const QString file = write("[A]\nx=1\n\n; about B\n[B]\ny=2");
    ASSERT_TRUE(WritePrivateProfileString(u"A"_s, u"new"_s, u"v"_s, file));
    ASSERT_TRUE(WritePrivateProfileString(u"B"_s, u"z"_s, u"3"_s, file));
    EXPECT_EQ(qmtest::readFile(file), "[A]\nx=1\nnew=v\n\n; about B\n[B]\ny=2\nz=3\n");
}

TEST_F(ProfileTest, WriteCreatesFileAndSection)
{
    const QString file = path(u"new.ini"_s);
    ASSERT_TRUE(WritePrivateProfileString(u"Setting"_s, u"Language"_s, u"English"_s, file));
    ASSERT_TRUE(WritePrivateProfileString(u"English"_s, u"白板"_s, u"Whiteboard"_s, file));
    EXPECT_EQ(
        qmtest::readFile(file), u"[Setting]\nLanguage=English\n[English]\n白板=Whiteboard\n"_s.toUtf8());
}

TEST_F(ProfileTest, NullValueDeletesKeyAndNullKeyDeletesSection)
{
    const QString file = write("[A]\nx=1\ny=2\nX=3\n[B]\nz=1\n[a]\nw=1\n[C]\n");
    ASSERT_TRUE(WritePrivateProfileString(u"A"_s, u"x"_s, QString(), file));
    EXPECT_EQ(qmtest::readFile(file), "[A]\ny=2\n[B]\nz=1\n[a]\nw=1\n[C]\n");
    ASSERT_TRUE(WritePrivateProfileString(u"A"_s, QString(), QString(), file));
    EXPECT_EQ(qmtest::readFile(file), "[B]\nz=1\n[C]\n");
    EXPECT_TRUE(WritePrivateProfileString(u"Missing"_s, QString(), QString(), file));
    EXPECT_TRUE(WritePrivateProfileString(u"B"_s, u"missing"_s, QString(), file));
    EXPECT_EQ(qmtest::readFile(file), "[B]\nz=1\n[C]\n");
}

TEST_F(ProfileTest, WriteKeepsStructureAgainstLineBreaksAndUnreadableNames)
{
    const QString file = write("[A]\nx=1\n");
    ASSERT_TRUE(WritePrivateProfileString(u"A"_s, u"x"_s, u"safe\r\n[Injected]\nk=v"_s, file));
    EXPECT_EQ(read(file, u"A"_s, u"x"_s), u"safe"_s);
    EXPECT_TRUE(GetPrivateProfileSectionNames(file) == QStringList {u"A"_s});
    EXPECT_FALSE(WritePrivateProfileString(u"A"_s, u"a=b"_s, u"v"_s, file));
    EXPECT_FALSE(WritePrivateProfileString(u"A]"_s, u"k"_s, u"v"_s, file));
    EXPECT_FALSE(WritePrivateProfileString(u"A"_s, u"  "_s, u"v"_s, file));
    EXPECT_FALSE(WritePrivateProfileString(QString(), u"k"_s, u"v"_s, file));
    EXPECT_EQ(qmtest::readFile(file), "[A]\nx=safe\n");
}

TEST_F(ProfileTest, AValueWithBlanksAtItsEndsOrInQuotesReadsBackAsWritten)
{
    const QString file = write("[ToolInfo]\nplain=x\n");
    const QStringList values {u"/home/t/notes.pdf "_s, u" lead"_s, u"\t"_s, u"\"quoted\""_s, u"'a'"_s,
        u"\"half"_s, u"end\x1a"_s, u"a \"b\" c"_s};
    for (const QString& value : values) {
        ASSERT_TRUE(WritePrivateProfileString(u"ToolInfo"_s, u"k"_s, value, file));
        EXPECT_EQ(read(file, u"ToolInfo"_s, u"k"_s), value) << value.toStdString();
    }
    // What reads back unchanged is stored as it is, as Windows stores it.
    ASSERT_TRUE(WritePrivateProfileString(u"ToolInfo"_s, u"k"_s, u"a \"b\" c"_s, file));
    ASSERT_TRUE(WritePrivateProfileString(u"ToolInfo"_s, u"n"_s, u"notes.pdf "_s, file));
    EXPECT_EQ(qmtest::readFile(file), "[ToolInfo]\nplain=x\nk=a \"b\" c\nn=\"notes.pdf \"\n");
}

TEST(ProfileEncoding, FixturesOfEveryEncodingReadAlike)
{
    for (const QString& name :
        {u"utf8.ini"_s, u"utf8_bom.ini"_s, u"utf16le_bom.ini"_s, u"gb18030.ini"_s, u"gb18030_bom.ini"_s}) {
        SCOPED_TRACE(name.toStdString());
        const QString file = fixture(name);
        EXPECT_EQ(read(file, u"setting"_s, u"language"_s), u"English"_s);
        EXPECT_EQ(read(file, u"English"_s, u"白板"_s), u"Whiteboard"_s);
        EXPECT_EQ(read(file, u"English"_s, u"信息提示"_s), u"Information"_s);
        EXPECT_EQ(GetPrivateProfileSectionNames(file), (QStringList {u"Setting"_s, u"English"_s}));
    }
}

TEST(ProfileEncoding, WriteKeepsTheFileEncoding)
{
    const QString body
        = u"; 白板的设置\n[Setting]\nLanguage = English\n\n[English]\n白板=%1\n信息提示 = \"Information\"\n"_s;
    const QString crlfBody = QString(body).replace(u"\n"_s, u"\r\n"_s);
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    QStringEncoder gb18030("GB18030");
    ASSERT_TRUE(gb18030.isValid());
    const struct {
        QString name;
        QByteArray expected;
    } cases[] = {
        {u"utf8.ini"_s, body.arg(u"白板页"_s).toUtf8()},
        {u"utf8_bom.ini"_s, "\xEF\xBB\xBF" + body.arg(u"白板页"_s).toUtf8()},
        {u"utf16le_bom.ini"_s, "\xFF\xFE" + QByteArray(utf16.encode(crlfBody.arg(u"白板页"_s)))},
        // A file of the Windows build stays readable there.
        {u"gb18030.ini"_s, QByteArray(gb18030.encode(crlfBody.arg(u"白板页"_s)))},
        {u"gb18030_bom.ini"_s, "\x84\x31\x95\x33" + QByteArray(gb18030.encode(crlfBody.arg(u"白板页"_s)))},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString file = dir.filePath(c.name);
        ASSERT_TRUE(QFile::copy(fixture(c.name), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(WritePrivateProfileString(u"English"_s, u"白板"_s, u"白板页"_s, file));
        EXPECT_EQ(qmtest::readFile(file), c.expected);
        EXPECT_EQ(read(file, u"English"_s, u"白板"_s), u"白板页"_s);
    }
}

TEST(ProfileEncoding, AMarkedGb18030FileKeepsItsFirstSectionAndItsMarkThroughAWrite)
{
    // The first line after the mark was lost, and after a write the lost section came back ahead of the
    // written one.
    QTemporaryDir dir;
    const QString file = dir.filePath(u"marked.ini"_s);
    QStringEncoder gb("GB18030");
    const QByteArray mark("\x84\x31\x95\x33");
    qmtest::writeFile(file, mark + QByteArray(gb.encode(u"[工具]\r\n计算器=calc\r\n"_s)));
    EXPECT_EQ(read(file, u"工具"_s, u"计算器"_s), u"calc"_s);
    ASSERT_TRUE(WritePrivateProfileString(u"工具"_s, u"计算器"_s, u"galculator"_s, file));
    EXPECT_EQ(read(file, u"工具"_s, u"计算器"_s), u"galculator"_s);
    EXPECT_EQ(GetPrivateProfileSectionNames(file), QStringList {u"工具"_s});
    EXPECT_EQ(qmtest::readFile(file), mark + QByteArray(gb.encode(u"[工具]\r\n计算器=galculator\r\n"_s)));
}

TEST(ProfileEncoding, AGb18030FileReadsTheSameAfterAWriteTakesAwayItsLastBytesThatAreNotUtf8)
{
    // In GB18030 "一" is D2 BB, which is also UTF-8 (for "һ"). Once "白板" is written over, nothing but the
    // mark tells that the file is still GB18030.
    QTemporaryDir dir;
    const QString file = dir.filePath(u"unmarked.ini"_s);
    QStringEncoder gb("GB18030");
    qmtest::writeFile(file, gb.encode(u"[一]\nname=白板\n"_s));
    ASSERT_EQ(GetPrivateProfileSectionNames(file), QStringList {u"一"_s});
    ASSERT_TRUE(WritePrivateProfileString(u"一"_s, u"name"_s, u"Whiteboard"_s, file));
    EXPECT_EQ(GetPrivateProfileSectionNames(file), QStringList {u"一"_s});
    EXPECT_EQ(read(file, u"一"_s, u"name"_s), u"Whiteboard"_s);
    EXPECT_EQ(
        qmtest::readFile(file), "\x84\x31\x95\x33" + QByteArray(gb.encode(u"[一]\nname=Whiteboard\n"_s)));
}

TEST_F(ProfileTest, WriteReplacesTheFileWholeNeverTruncatingIt)
{
    const QString file = write("[A]\nx=" + QByteArray(4096, 'o') + "\n");
    QFile reader(file);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    ASSERT_TRUE(WritePrivateProfileString(u"A"_s, u"x"_s, u"short"_s, file));
    // A reader that opened the old file still sees all of it: the new file was written beside and renamed.
    EXPECT_EQ(reader.readAll().size(), 4096 + 7);
    EXPECT_EQ(qmtest::readFile(file), "[A]\nx=short\n");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList {u"test.ini"_s});
}

TEST_F(ProfileTest, WriteFailsWithoutAWritableFolderOrFile)
{
    EXPECT_FALSE(WritePrivateProfileString(u"A"_s, u"x"_s, u"1"_s, path(u"no/such/folder/a.ini"_s)));

    const QString readOnlyFile = write("[A]\nx=1\n", u"locked.ini"_s);
    QFile::setPermissions(readOnlyFile, QFile::ReadOwner | QFile::ReadGroup);
    EXPECT_FALSE(WritePrivateProfileString(u"A"_s, u"x"_s, u"2"_s, readOnlyFile));
    EXPECT_EQ(qmtest::readFile(readOnlyFile), "[A]\nx=1\n");

    const QString inFolder = qmtest::writeFile(path(u"ro/a.ini"_s), "[A]\nx=1\n");
    {
        ReadOnlyFolder guard(path(u"ro"_s));
        if (!guard.holds())
            GTEST_SKIP() << "running as root without the means to give up its file permission override";
        EXPECT_FALSE(WritePrivateProfileString(u"A"_s, u"x"_s, u"2"_s, inFolder));
        EXPECT_FALSE(WritePrivateProfileString(u"A"_s, u"new"_s, u"2"_s, path(u"ro/b.ini"_s)));
    }
    EXPECT_EQ(qmtest::readFile(inFolder), "[A]\nx=1\n");
    EXPECT_FALSE(QFile::exists(path(u"ro/b.ini"_s)));
}

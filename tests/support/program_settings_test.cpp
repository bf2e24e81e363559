#include "support/program_settings.h"

#include "support_main/test_util.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using settings::PenKind;
using settings::ProgramSettings;
using settings::ReadSettings;
using settings::WriteSettings;

namespace {

class SettingsProfile : public ::testing::Test {
protected:
    QString file() const { return dir_.filePath(u"Quillmark/Quillmark.ini"_s); }
    void write(const char* text) const { qmtest::writeFile(file(), QByteArray(text)); }

    QTemporaryDir dir_;
};

ProgramSettings changedEverywhere()
{
    ProgramSettings v;
    v.penKind = PenKind::Highlighter;
    v.penWidth = 17;
    v.penColour = RGB(0x12, 0xA3, 0x9A);
    v.keptLessonsFolder = u"/srv/class 4b/lessons"_s;
    v.keptLessons = 3;
    v.monitor = u"HDMI-1"_s;
    v.microphone = u"alsa_input.usb-Blue_Yeti-00.analog-stereo"_s;
    v.frameRate = 10;
    v.scale = 1.25;
    return v;
}

} // namespace

TEST_F(SettingsProfile, MissingFileGivesTheDefaultsWithoutComplaint)
{
    const settings::SettingsRead read = ReadSettings(file());
    EXPECT_EQ(read.values, ProgramSettings {});
    EXPECT_TRUE(read.unreadable.isEmpty());
    EXPECT_EQ(ProgramSettings {}.penColour, RGB(255, 0, 0)) << "a teacher starts with the red pen";
    EXPECT_TRUE(settings::UnreadableSettingsText(file(), {}).isEmpty());
}

TEST_F(SettingsProfile, EverySettingComesBackAsStoredAndTheFolderIsMade)
{
    const ProgramSettings stored = changedEverywhere();
    ASSERT_TRUE(WriteSettings(stored, file()));
    const settings::SettingsRead read = ReadSettings(file());
    EXPECT_EQ(read.values, stored);
    EXPECT_TRUE(read.unreadable.isEmpty());
    // Written for a hand to read.
    const QByteArray text = qmtest::readFile(file());
    EXPECT_TRUE(text.contains("PenKind=highlighter")) << text.constData();
    EXPECT_TRUE(text.contains("PenColour=#12A39A")) << text.constData();
    EXPECT_TRUE(text.contains("Scale=125")) << text.constData();
}

TEST_F(SettingsProfile, HandEditsInAnotherCaseWithBlanksAndAHomeFolderAreRead)
{
    write("[settings]\r\n"
          "  penkind = Dashed \r\n"
          "PENWIDTH= 9\r\n"
          "PenColour=#00ff00\r\n"
          "KeptLessonsFolder=~/Lessons/\r\n");
    const settings::SettingsRead read = ReadSettings(file());
    EXPECT_TRUE(read.unreadable.isEmpty()) << read.unreadable.join(u',').toStdString();
    EXPECT_EQ(read.values.penKind, PenKind::Dashed);
    EXPECT_EQ(read.values.penWidth, 9);
    EXPECT_EQ(read.values.penColour, RGB(0, 255, 0));
    EXPECT_EQ(read.values.keptLessonsFolder, QDir::homePath() + u"/Lessons"_s);
}

TEST_F(SettingsProfile, ValuesThatCannotBeReadFallBackAloneAndAreNamed)
{
    const ProgramSettings good = changedEverywhere();
    // A hand edit breaks four values: a width of 12abc must not pass for 12, nor 0 lessons for a count, and
    // 30 frames a second is not offered.
    write("[Settings]\nPenKind=highlighter\nPenWidth=12abc\nPenColour=reddish\n"
          "KeptLessonsFolder=/srv/class 4b/lessons\nKeptLessons=0\nMonitor=HDMI-1\n"
          "Microphone=alsa_input.usb-Blue_Yeti-00.analog-stereo\nFrameRate=30\nScale=300\n");
    const settings::SettingsRead read = ReadSettings(file());
    EXPECT_EQ(read.unreadable,
        (QStringList {u"PenWidth"_s, u"PenColour"_s, u"KeptLessons"_s, u"FrameRate"_s, u"Scale"_s}));
    EXPECT_EQ(read.values.scale, 0) << "the desktop's own scale";
    const ProgramSettings defaults;
    EXPECT_EQ(read.values.penWidth, defaults.penWidth);
    EXPECT_EQ(read.values.penColour, defaults.penColour);
    EXPECT_EQ(read.values.keptLessons, defaults.keptLessons);
    EXPECT_EQ(read.values.frameRate, defaults.frameRate);
    // None of the others is lost.
    EXPECT_EQ(read.values.penKind, good.penKind);
    EXPECT_EQ(read.values.keptLessonsFolder, good.keptLessonsFolder);
    EXPECT_EQ(read.values.monitor, good.monitor);
    EXPECT_EQ(read.values.microphone, good.microphone);
    const QString message = settings::UnreadableSettingsText(file(), read.unreadable);
    EXPECT_TRUE(message.contains(file()) && message.contains(u"PenColour"_s)) << message.toStdString();
}

TEST_F(SettingsProfile, DamagedFileKeepsWhatCanStillBeRead)
{
    // Cut off in the middle of a write by another program, with binary rubbish after it.
    write("[Settings]\nPenKind=pen\nPenWidth=7\nKeptLessonsFolder=lessons "
          "here\nMonitor=DP-2\nFrameR\0\xff\xfe\x01");
    const settings::SettingsRead read = ReadSettings(file());
    EXPECT_EQ(read.values.penWidth, 7);
    EXPECT_EQ(read.values.monitor, u"DP-2"_s);
    EXPECT_EQ(read.unreadable, QStringList {u"KeptLessonsFolder"_s}) << "a relative folder cannot be used";
    EXPECT_EQ(settings::KeptLessonsFolderOf(read.values), settings::KeptLessonsFolderOf(ProgramSettings {}));
}

TEST_F(SettingsProfile, StoringKeepsOtherSectionsKeysAndComments)
{
    write("; set up by the school's technician\n[Settings]\nPenWidth=2\nSchoolNote=room 12\n[Other]\nA=1\n");
    ProgramSettings v;
    v.penWidth = 30;
    ASSERT_TRUE(WriteSettings(v, file()));
    const QByteArray text = qmtest::readFile(file());
    EXPECT_TRUE(text.startsWith("; set up by the school's technician\n")) << text.constData();
    EXPECT_TRUE(text.contains("SchoolNote=room 12"));
    EXPECT_TRUE(text.contains("[Other]\nA=1"));
    EXPECT_EQ(ReadSettings(file()).values.penWidth, 30);
}

TEST_F(SettingsProfile, AFileThatCannotBeWrittenIsReported)
{
    // A file where the folder should be.
    qmtest::writeFile(dir_.filePath(u"Quillmark"_s), "not a folder");
    EXPECT_FALSE(WriteSettings(ProgramSettings {}, file()));
}

TEST(SettingsColours, OnlyHashAndSixHexDigitsAreColours)
{
    COLORREF colour = 7;
    EXPECT_TRUE(settings::ColourFromText(u" #0000FF "_s, &colour));
    EXPECT_EQ(colour, RGB(0, 0, 255));
    EXPECT_EQ(settings::ColourText(RGB(255, 0, 0)), u"#FF0000"_s);
    for (const QString& bad : {u"red"_s, u"#FFF"_s, u"FF0000"_s, u"#GG0000"_s, u""_s, u"#FF00001"_s})
        EXPECT_FALSE(settings::ColourFromText(bad, &colour)) << bad.toStdString();
}

#include "platform/autostart.h"

#include "platform/shell.h"

#include "support_main/test_util.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The entry goes under a configuration folder of the test's own.
class Autostart : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8()); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    QTemporaryDir dir_;
};

// The value of key in the entry's text.
QString valueOf(const QString& entry, const QString& key)
{
    for (const QString& line : entry.split(u'\n'))
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    return {};
}

} // namespace

TEST_F(Autostart, TurningOnWritesTheEntryAndOffRemovesIt)
{
    EXPECT_EQ(platform::autostartFile(), dir_.path() + u"/autostart/quillmark.desktop"_s);
    EXPECT_FALSE(platform::autostartOn());
    ASSERT_TRUE(platform::setAutostart(true, u"/opt/quillmark/Quillmark"_s));
    EXPECT_TRUE(platform::autostartOn());
    const QString entry = QString::fromUtf8(qmtest::readFile(platform::autostartFile()));
    EXPECT_EQ(valueOf(entry, u"Exec"_s), u"\"/opt/quillmark/Quillmark\""_s);
    // Started in its own folder, where it finds Language.ini and its pictures.
    EXPECT_EQ(valueOf(entry, u"Path"_s), u"/opt/quillmark"_s);
    EXPECT_EQ(valueOf(entry, u"Type"_s), u"Application"_s);
    ASSERT_TRUE(platform::setAutostart(false, u"/opt/quillmark/Quillmark"_s));
    EXPECT_FALSE(QFile::exists(platform::autostartFile()));
    EXPECT_TRUE(platform::setAutostart(false, u"/opt/quillmark/Quillmark"_s)) << "off twice is still off";
}

TEST_F(Autostart, AnEntryTheDesktopSwitchedOffCountsAsOff)
{
    qmtest::writeFile(platform::autostartFile(), "[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n");
    EXPECT_FALSE(platform::autostartOn());
    qmtest::writeFile(
        platform::autostartFile(), "[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(platform::autostartOn());
    qmtest::writeFile(
        platform::autostartFile(), "[Desktop Entry]\nExec=x\n[Desktop Action a]\nHidden=true\n");
    EXPECT_TRUE(platform::autostartOn()) << "only the entry's own keys count";
}

TEST(AutostartExec, PathsWithBlanksAndSpecialCharactersStayOneArgument)
{
    EXPECT_EQ(
        platform::desktopExecQuoted(u"/home/t/My Apps/Quillmark"_s), u"\"/home/t/My Apps/Quillmark\""_s);
    EXPECT_EQ(platform::desktopExecQuoted(u"/a\"b/$c`d\\e/100%"_s), u"\"/a\\\"b/\\$c\\`d\\\\e/100%%\""_s);
}

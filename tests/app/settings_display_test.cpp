// The settings window as a teacher uses it: each control changed, kept after a restart (a new window and a
// new panel reading what was stored), and in effect in the panel, the pen, the autostart entry and the kept
// lessons.
#include "app/settings_dlg.h"
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"

#include "controls/button_ex.h"
#include "controls/colour_button.h"
#include "platform/autostart.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "support/language.h"
#include "support/language_internal.h"
#include "support_main/test_util.h"
#include "surface/lesson_pdf.h"
#include "surface/screen_pen_wnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace DIALOG;
using namespace Qt::StringLiterals;

namespace {

// A sound server with one microphone besides the default.
int oneMicrophone(QStringList* names, QStringList* descriptions)
{
    *names << u"test-mic"_s;
    *descriptions << u"Test microphone"_s;
    return 1;
}

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<qmtest::ScopedCurrentDir>(dir.path());
        QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"), u"Language.ini"_s);
        qmexpand_internal::reloadLanguage();
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            told << r.text;
            return platform::IDOK;
        });
    }
    void TearDown() override
    {
        QFile::remove(settings::SettingsFile());
        QFile::remove(platform::autostartFile());
        platform::setMessageBoxHook({});
        cwd.reset();
        qmexpand_internal::reloadLanguage();
    }
    std::unique_ptr<CSettingsDlg> open(CSettingsDlg::SourceLister lister = oneMicrophone)
    {
        auto dialog = std::make_unique<CSettingsDlg>(nullptr, std::move(lister));
        dialog->show();
        EXPECT_TRUE(qmtest::waitFor([&] { return dialog->MicrophonesListed(); }));
        return dialog;
    }
    static void press(QDialog* dialog, const QString& name)
    {
        dialog->findChild<QPushButton*>(name)->click();
    }
    static void choose(QComboBox* box, const QVariant& data)
    {
        const int index = box->findData(data);
        ASSERT_GE(index, 0) << data.toString().toStdString();
        box->setCurrentIndex(index);
    }

    QTemporaryDir dir;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd;
    QStringList told;
};

} // namespace

TEST_F(SettingsWindow, EachSettingIsKeptAfterARestartAndTakesEffect)
{
    const QString kept = dir.filePath(u"kept lessons"_s);
    const QString screen = QGuiApplication::primaryScreen()->name();
    {
        auto dialog = open();
        EXPECT_FALSE(dialog->ApplyButton()->isEnabled()) << "nothing changed yet";
        EXPECT_FALSE(dialog->DamageNote()->isVisible());
        choose(dialog->Language(), u"English"_s);
        choose(dialog->PenKind(), int(settings::PenKind::Dashed));
        dialog->PenWidth()->setValue(9);
        dialog->PenColour()->ChooseColor(RGB(0, 0, 255));
        dialog->KeptFolder()->setText(kept);
        dialog->KeptCount()->setValue(2);
        dialog->Autostart()->setChecked(true);
        choose(dialog->Monitor(), screen);
        choose(dialog->Microphone(), u"test-mic"_s);
        choose(dialog->FrameRate(), 10);
        choose(dialog->Scale(), 1.5);
        EXPECT_TRUE(dialog->ApplyButton()->isEnabled());
        // The language waits for the next start: this window and the panel keep the one in force.
        EXPECT_FALSE(IsEnglish());
        press(dialog.get(), u"ok"_s);
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_TRUE(told.isEmpty()) << told.join(u'\n').toStdString();
    }
    EXPECT_FALSE(IsEnglish()) << "nothing switches half-way";
    const QString entry = QString::fromUtf8(qmtest::readFile(platform::autostartFile()));
    EXPECT_TRUE(entry.contains(u"Exec="_s + platform::desktopExecQuoted(platform::programFilePath())));

    // The restart.
    qmexpand_internal::reloadLanguage();
    ASSERT_TRUE(IsEnglish());
    {
        auto dialog = open();
        EXPECT_EQ(dialog->Language()->currentData(), u"English"_s);
        EXPECT_EQ(dialog->PenKind()->currentData(), int(settings::PenKind::Dashed));
        EXPECT_EQ(dialog->PenWidth()->value(), 9);
        EXPECT_EQ(dialog->PenColour()->Color(), RGB(0, 0, 255));
        EXPECT_EQ(QDir::fromNativeSeparators(dialog->KeptFolder()->text()), kept);
        EXPECT_EQ(dialog->KeptCount()->value(), 2);
        EXPECT_TRUE(dialog->Autostart()->isChecked());
        EXPECT_EQ(dialog->Monitor()->currentData(), screen);
        EXPECT_EQ(dialog->Microphone()->currentData(), u"test-mic"_s);
        EXPECT_EQ(dialog->FrameRate()->currentData(), 10);
        EXPECT_EQ(dialog->Scale()->currentData(), 1.5);
        EXPECT_EQ(dialog->windowTitle(), u"Settings"_s);
    }

    // Two lessons kept before: with two kept at most, the oldest goes when this one is kept.
    for (const char* name : {"2020-01-01-08-00-00", "2020-01-02-08-00-00"}) {
        ASSERT_TRUE(platform::makeScratchFolder(kept + u'/' + QLatin1String(name)));
        qmtest::writeFile(KeptLessonPdf(kept + u'/' + QLatin1String(name)), "%PDF-1.4\n");
    }
    auto panel = std::make_unique<CWhiteBoardDlg>(nullptr);
    panel->OnInitDialog();
    panel->show();
    EXPECT_EQ(panel->Button(kCmdHistory)->toolTip(), u"Page history"_s);
    panel->OnCommand(kCmdWriting);
    ASSERT_TRUE(qmtest::waitFor([&] { return panel->Surface() && panel->Surface()->isVisible(); }, 5000));
    qmtest::dragThrough(panel->Surface(), {{400, 700}, {600, 700}, {800, 700}});
    const std::vector<CPenNode>& nodes = panel->TheLesson().Pages().nodes;
    ASSERT_FALSE(nodes.empty());
    EXPECT_EQ(nodes.back().kind, DashPen);
    EXPECT_EQ(nodes.back().width, 9);
    EXPECT_EQ(nodes.back().colour, RGB(0, 0, 255));
    // The close keeps the lesson where the teacher said.
    panel->OnDestroy();
    panel.reset();
    const QStringList lessons = KeptLessons(kept);
    ASSERT_EQ(lessons.size(), 2);
    EXPECT_FALSE(QFileInfo(lessons.first()).fileName().startsWith(u"2020"_s)) << "this lesson is the newest";
    EXPECT_FALSE(QFileInfo::exists(kept + u"/2020-01-01-08-00-00"_s)) << "the oldest went";

    // Starting with the session is switched off again.
    auto dialog = open();
    dialog->Autostart()->setChecked(false);
    press(dialog.get(), u"apply"_s);
    EXPECT_FALSE(QFile::exists(platform::autostartFile()));
    EXPECT_TRUE(dialog->isVisible()) << "Apply leaves the window open";
    EXPECT_FALSE(dialog->ApplyButton()->isEnabled());
}

TEST_F(SettingsWindow, CancelStoresNothingAndABadFolderIsToldAndKeepsTheWindowOpen)
{
    auto dialog = open();
    dialog->PenWidth()->setValue(30);
    dialog->Autostart()->setChecked(true);
    press(dialog.get(), u"cancel"_s);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(QFile::exists(settings::SettingsFile()));
    EXPECT_FALSE(QFile::exists(platform::autostartFile()));

    dialog = open();
    dialog->KeptFolder()->setText(u"lessons"_s);
    press(dialog.get(), u"ok"_s);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().contains(u"lessons"_s));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(QFile::exists(settings::SettingsFile()));
}

TEST_F(SettingsWindow, ADamagedProfileIsToldAndOnlyItsBadValuesFallBack)
{
    qmtest::writeFile(
        settings::SettingsFile(), "[Settings]\nPenWidth=wide\nFrameRate=25\nMonitor=DP-9\nScale=huge\n");
    auto dialog = open([](QStringList*, QStringList*) { return 0; });
    EXPECT_TRUE(dialog->DamageNote()->isVisible());
    EXPECT_TRUE(dialog->DamageNote()->text().contains(u"PenWidth"_s));
    EXPECT_EQ(dialog->PenWidth()->value(), settings::ProgramSettings {}.penWidth);
    EXPECT_EQ(dialog->FrameRate()->currentData(), 25);
    EXPECT_TRUE(dialog->DamageNote()->text().contains(u"Scale"_s));
    EXPECT_EQ(dialog->Scale()->currentData(), 0.0) << "automatic";
    EXPECT_TRUE(dialog->Monitor()->currentText().startsWith(u"DP-9"_s))
        << "a monitor not connected now stays";
    // No sound server: one line says what that means for a recording.
    EXPECT_TRUE(dialog->MicrophoneNote()->isVisible());
    EXPECT_TRUE(dialog->MicrophoneNote()->text().contains(u"没有声音服务器"_s));
    press(dialog.get(), u"ok"_s);
    const settings::SettingsRead read = settings::ReadSettings();
    EXPECT_TRUE(read.unreadable.isEmpty());
    EXPECT_EQ(read.values.monitor, u"DP-9"_s);
    EXPECT_EQ(read.values.frameRate, 25);
    EXPECT_EQ(read.values.scale, 0);
}

TEST_F(SettingsWindow, TheMainMenuItemOpensTheWindow)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    panel.show();
    EXPECT_EQ(CWhiteBoardDlg::FindCommand(kCmdSettings)->family, CWhiteBoardDlg::CommandFamily::Menus);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(qmtest::waitFor([&] { return QApplication::activeModalWidget() != nullptr; }, 5000));
        auto* dialog = qobject_cast<CSettingsDlg*>(QApplication::activeModalWidget());
        seen = dialog != nullptr;
        if (dialog) {
            const QRect area = dialog->screen()->availableGeometry();
            EXPECT_TRUE(area.contains(dialog->frameGeometry())) << "fully visible";
            // A window of fixed size gets no resize handle under its buttons.
            EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
            dialog->reject();
        }
    });
    panel.OnCommand(kCmdSettings);
    EXPECT_TRUE(seen);
    panel.OnDestroy();
}

// The panel's words as the teacher meets them: the background, history and material buttons open pages of
// the history panel that carry the button's own word, in Chinese and in English.
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"
#include "assist/tab_dlg.h"
#include "controls/button_ex.h"

#include "support/language.h"
#include "support_main/test_util.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using DIALOG::CWhiteBoardDlg;

namespace {

// The word the English picture of a panel button shows.
QString englishPictureWord(int id)
{
    const QString svg = QString::fromUtf8(
        qmtest::readFile(QStringLiteral(QM_SOURCE_DIR "/resources/embedded/panel/%1_en_normal.svg").arg(id)));
    static const QRegularExpression text(uR"re(<text[^>]*>([^<]+)</text>)re"_s);
    return text.match(svg).captured(1).trimmed();
}

QString shownPageTitle(const CWhiteBoardDlg& panel)
{
    const QWidget* window = panel.TabDlg()->window();
    if (!window || !window->isVisible())
        return {};
    for (const QPushButton* button : window->findChildren<QPushButton*>())
        if (button->isCheckable() && button->isChecked())
            return button->text();
    return {};
}

} // namespace

TEST(PanelWords, EachButtonOpensThePageThatCarriesItsWord)
{
    QTemporaryDir dir;
    qmtest::ScopedCurrentDir cwd(dir.path());
    QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"), u"Language.ini"_s);
    for (const bool english : {false, true}) {
        SetLanguage(english ? u"English"_s : u"Chinese"_s);
        CWhiteBoardDlg panel(nullptr);
        panel.OnInitDialog();
        for (UICONTROL::CButtonEx* button : panel.findChildren<UICONTROL::CButtonEx*>()) {
            const int id = button->id();
            if (id != DIALOG::kCmdBackground && id != DIALOG::kCmdHistory && id != DIALOG::kCmdMaterial)
                continue;
            const QString word = english ? englishPictureWord(id) : button->accessibleName();
            ASSERT_FALSE(word.isEmpty()) << id;
            panel.OnCommand(id);
            EXPECT_EQ(shownPageTitle(panel), word) << id << (english ? " in English" : " in Chinese");
            panel.OnCommand(id);
            EXPECT_TRUE(shownPageTitle(panel).isEmpty()) << "a second press hides the history panel";
        }
        panel.OnDestroy();
    }
    SetLanguage(u"Chinese"_s);
}

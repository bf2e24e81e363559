// Every window a teacher opens from the panel lies wholly on its screen: on the usual desktop, on an old
// 1366 x 768 laptop and on a 4K board scaled to 2 (the same test run on desktops of those sizes).
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"

#include "app/ppt_tool_bar.h"
#include "assist/conversion_progress.h"
#include "controls/button_ex.h"
#include "platform/message_box.h"
#include "support/language.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>

using namespace DIALOG;
using namespace Qt::StringLiterals;

namespace {

QList<QWidget*> windowsShown()
{
    QList<QWidget*> shown;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && !window->isMinimized()
            && (window->windowFlags() & Qt::ToolTip) != Qt::ToolTip)
            shown << window;
    return shown;
}

// The windows now shown whose frame leaves their screen's available area, or covers the panel that should
// stay in sight, described for the failure; empty when all fit.
std::string windowsOutside(const QWidget* panel = nullptr)
{
    QStringList outside;
    for (QWidget* window : windowsShown()) {
        const QRect area = window->screen()->availableGeometry();
        const QRect frame = window->frameGeometry();
        if (!area.contains(frame) || (panel && window != panel && frame.intersects(panel->frameGeometry())))
            outside << u"%1 \"%2\" at %3,%4 %5x%6 on %7x%8"_s
                           .arg(QString::fromLatin1(window->metaObject()->className()), window->windowTitle())
                           .arg(frame.x())
                           .arg(frame.y())
                           .arg(frame.width())
                           .arg(frame.height())
                           .arg(area.width())
                           .arg(area.height());
    }
    return outside.join(u"; "_s).toStdString();
}

// Lets the window manager map, frame and place what was just shown.
void settle()
{
    qmtest::waitFor(
        [] {
            const QList<QWidget*> shown = windowsShown();
            return std::all_of(shown.begin(), shown.end(), [](QWidget* w) {
                return w->windowHandle() && w->windowHandle()->isExposed() && !w->frameGeometry().isEmpty();
            });
        },
        30000);
    qmtest::waitFor([] { return false; }, 300);
}

// Runs open, which may show a modal window or menu and wait for it; the windows shown are looked at once
// placed, and the new ones are then closed. Showing no new window is a failure too.
std::string outsideAfter(const std::function<void()>& open, const QWidget* panel = nullptr)
{
    std::string outside;
    bool looked = false;
    const QList<QWidget*> before = windowsShown();
    const auto newWindows = [&] {
        QList<QWidget*> opened = windowsShown();
        opened.removeIf([&](QWidget* w) { return before.contains(w); });
        return opened;
    };
    QTimer::singleShot(0, [&] {
        qmtest::waitFor([&] { return !newWindows().isEmpty(); }, 10000);
        settle();
        const QList<QWidget*> opened = newWindows();
        outside = opened.isEmpty() ? "no new window" : windowsOutside(panel);
        for (QWidget* window : opened) {
            if (auto* dialog = qobject_cast<QDialog*>(window))
                dialog->reject();
            else
                window->hide();
        }
        looked = true;
    });
    open();
    qmtest::waitFor([&] { return looked; }, 10000);
    return outside;
}

} // namespace

TEST(WindowsFit, EveryWindowOpenedFromThePanelIsWhollyOnItsScreenInBothLanguages)
{
    QTemporaryDir dir;
    qmtest::ScopedCurrentDir cwd(dir.path());
    QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"), u"Language.ini"_s);
    const QString screen = u"%1x%2"_s.arg(QGuiApplication::primaryScreen()->availableGeometry().width())
                               .arg(QGuiApplication::primaryScreen()->availableGeometry().height());
    for (const bool english : {false, true}) {
        SetLanguage(english ? u"English"_s : u"Chinese"_s);
        SCOPED_TRACE((english ? "English on " : "Chinese on ") + screen.toStdString());
        CWhiteBoardDlg panel(nullptr);
        panel.OnInitDialog();
        panel.show();
        settle();
        EXPECT_EQ(windowsOutside(), "") << "the panel";
        // The popups, menus and dialogs of the panel, which leave the panel in sight.
        for (const int command : {kCmdTools, kCmdHistory, kCmdShowUserPanel, kCmdEraserSize, kCmdLineType,
                 kCmdSettings, kCmdRecorder})
            EXPECT_EQ(outsideAfter([&] { panel.OnCommand(command); }, &panel), "") << "command " << command;
        // The slide show's toolbar and a conversion's progress, as the panel opens them.
        EXPECT_EQ(outsideAfter([&] { (new CPPTToolBar(&panel))->show(); }), "") << "the slide-show toolbar";
        auto progress = std::make_unique<CConversionProgress>(u"幻灯片转为图片墙"_s, u"第一课"_s, &panel);
        EXPECT_EQ(outsideAfter([&] { progress->show(); }), "") << "a conversion's progress";
        const QString longText = QString(u"课件转换失败：文件无法读取。"_s).repeated(12);
        EXPECT_EQ(outsideAfter([&] {
            platform::MessageBox(&panel, longText, u"提示"_s, platform::MB_OK | platform::MB_ICONWARNING);
        }),
            "")
            << "a message box with a long text";
        panel.OnDestroy();
    }
    SetLanguage(u"Chinese"_s);
}

// The panel's buttons are drawn from pictures of the screen's density: twice the pixels on a board scaled to
// 2, in the same place and size.
TEST(WindowsFit, ThePanelsButtonsHaveThePixelsOfTheScreen)
{
    QTemporaryDir dir;
    qmtest::ScopedCurrentDir cwd(dir.path());
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    panel.show();
    settle();
    const qreal ratio = panel.devicePixelRatio();
    UICONTROL::CButtonEx* writing = panel.Button(kCmdWriting);
    ASSERT_NE(writing, nullptr);
    const QPixmap& picture = writing->Picture(false);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.devicePixelRatio(), ratio > 1 ? 2 : 1);
    EXPECT_EQ(picture.size(), writing->size() * picture.devicePixelRatio())
        << "drawn at the device's pixels, one to one";
    panel.OnDestroy();
}

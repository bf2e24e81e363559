// Every dialog the teacher meets opens whole and above the panel and the history panel, in the language in
// force: checked on the screen's pixels, button by button.
#include "app/line_style_dlg.h"
#include "app/tool_tip_dlg.h"
#include "app/whiteboard_app.h"
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"
#include "controls/colour_button.h"

#include "assist/bmp_dialog.h"
#include "assist/tab_dlg.h"
#include "controls/button_ex.h"
#include "platform/window_stack.h"
#include "platform/message_box.h"
#include "platform/x11_desktop.h"
#include "support/language.h"
#include "support_main/test_util.h"
#include "surface/screen_pen_wnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using DIALOG::CWhiteBoardDlg;

namespace {

// The share of the button's pixels that the screen shows as the button draws them.
double shownShare(QAbstractButton* button)
{
    const QImage drawn = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect global(button->mapToGlobal(QPoint(0, 0)), button->size());
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, global.x(), global.y(), global.width(), global.height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    if (screen.size() != drawn.size())
        return 0;
    int same = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb a = drawn.pixel(x, y), b = screen.pixel(x, y);
            same += qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8
                && qAbs(qBlue(a) - qBlue(b)) <= 8;
        }
    return double(same) / (drawn.width() * drawn.height());
}

struct DialogSeen {
    QString title;
    QStringList buttons;
    QList<double> shown;
    bool insideScreen = false;
};

// Runs open (which shows a modal dialog), looks at the dialog once it has settled and closes it.
DialogSeen openAndLook(const std::function<void()>& open)
{
    DialogSeen seen;
    QTimer poll;
    poll.setInterval(50);
    int settled = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible() || ++settled < 40)
            return;
        poll.stop();
        seen.title = dialog->windowTitle();
        seen.insideScreen = dialog->screen()->availableGeometry().contains(dialog->frameGeometry());
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
            if (!b->isVisible() || b->width() < 30 || b->text().isEmpty())
                continue;
            seen.buttons << b->text();
            seen.shown << shownShare(b);
        }
        if (auto* d = qobject_cast<QDialog*>(dialog))
            d->reject();
        else
            dialog->close();
    });
    poll.start();
    open();
    return seen;
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<qmtest::ScopedCurrentDir>(dir.path());
        QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"),
            dir.filePath(QStringLiteral("Language.ini")));
        platform::StartWindowStack();
    }
    void TearDown() override
    {
        SetLanguage(QStringLiteral("Chinese"));
        cwd.reset();
    }

    // The panel and the history panel in the middle of the screen, where the dialogs open.
    void showPanels(CWhiteBoardDlg& panel)
    {
        panel.OnInitDialog();
        panel.show();
        panel.move(920, 300);
        panel.TabDlg()->window()->show();
        panel.TabDlg()->window()->move(780, 320);
        qmtest::waitFor([&] { return panel.isVisible(); }, 2000);
        pause(300);
    }

    static void pause(int ms)
    {
        qmtest::waitFor([] { return false; }, ms);
    }

    // The panel's command, then the page it opens in sight.
    static void openPage(CWhiteBoardDlg& panel, int command)
    {
        panel.OnCommand(command);
        ASSERT_TRUE(qmtest::waitFor([&] { return panel.Surface() && panel.Surface()->isVisible(); }, 5000));
        pause(500);
    }

    static void expectWhole(const DialogSeen& seen, int buttons)
    {
        EXPECT_TRUE(seen.insideScreen) << seen.title.toStdString();
        ASSERT_GE(seen.buttons.size(), buttons) << seen.title.toStdString();
        for (int i = 0; i < seen.buttons.size(); ++i)
            EXPECT_GT(seen.shown[i], 0.9)
                << seen.title.toStdString() << ": " << seen.buttons[i].toStdString();
    }

    QTemporaryDir dir;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd;
};

} // namespace

TEST_F(Dialogs, TheCloseQuestionAndTheDeleteQuestionAreWholeAboveThePanelsInChinese)
{
    ASSERT_TRUE(CWhiteBoardApp::LoadQtTranslations(*qobject_cast<QApplication*>(qApp)));
    CWhiteBoardDlg panel(nullptr);
    showPanels(panel);

    const DialogSeen close = openAndLook([&] { panel.OnClose(); });
    EXPECT_EQ(close.title, QStringLiteral("提示"));
    expectWhole(close, 2);
    EXPECT_TRUE(close.buttons.join(QString()).contains(QStringLiteral("是")))
        << close.buttons.join(u' ').toStdString();

    const DialogSeen remove = openAndLook([&] { panel.TabDlg()->OnBnClickedHistoryDeleteall(); });
    EXPECT_EQ(remove.title, QStringLiteral("删除提示"));
    expectWhole(remove, 2);
    panel.OnDestroy();
}

TEST_F(Dialogs, TheColourAndFileDialogsAreWholeAboveThePanels)
{
    CWhiteBoardDlg panel(nullptr);
    showPanels(panel);

    // The colour dialog is the panel's while a surface is up; without one it opens all the same.
    expectWhole(openAndLook([&] { panel.OnCommand(DIALOG::kCmdColour); }), 2);
    expectWhole(openAndLook([&] { panel.OnCommand(DIALOG::kCmdOffice); }), 2);
    expectWhole(openAndLook([&] { panel.TabDlg()->OnBnClickedHistoryAddpic(); }), 2);
    panel.OnDestroy();
}

TEST_F(Dialogs, TheLineStyleColourDialogIsWholeAndCentredOnThePanelsScreen)
{
    CWhiteBoardDlg panel(nullptr);
    showPanels(panel);
    panel.LineStyleDlg()->show();
    QRect seenAt;
    QTimer where;
    where.setInterval(50);
    QObject::connect(&where, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            seenAt = dialog->geometry();
    });
    where.start();
    expectWhole(openAndLook([&] { panel.LineStyleDlg()->ColourButton()->ChooseCustom(); }), 2);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_TRUE(seenAt.isValid());
    EXPECT_LE(qAbs(seenAt.center().x() - screen.center().x()), 2);
    EXPECT_LE(qAbs(seenAt.center().y() - screen.center().y()), 2);
    EXPECT_GE(seenAt.width(), 220);
    EXPECT_GE(seenAt.height(), 300);
    panel.OnDestroy();
}

TEST_F(Dialogs, AMessageBoxOfTheHistoryPanelIsWholeInEnglish)
{
    SetLanguage(QStringLiteral("English"));
    CWhiteBoardDlg panel(nullptr);
    showPanels(panel);
    const DialogSeen remove = openAndLook([&] { panel.TabDlg()->OnBnClickedHistoryDeleteall(); });
    EXPECT_EQ(remove.title, QStringLiteral("Confirm Delete"));
    expectWhole(remove, 2);
    panel.OnDestroy();
}

namespace {

// A left-button stroke through the points, with time for the program to see each move.
void stroke(const QList<QPoint>& points)
{
    platform::desktop::moveMouse(points.first().x(), points.first().y());
    qmtest::waitFor([] { return false; }, 60);
    platform::desktop::mouseButton(1, true);
    for (const QPoint& p : points) {
        qmtest::waitFor([] { return false; }, 15);
        platform::desktop::moveMouse(p.x(), p.y());
    }
    qmtest::waitFor([] { return false; }, 60);
    platform::desktop::mouseButton(1, false);
    platform::desktop::flush();
    qmtest::waitFor([] { return false; }, 300);
}

QImage screenImage()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// How many pixels of this colour a vertical line through x crosses between the two heights.
int thickness(const QImage& image, int x, int top, int bottom, QRgb colour)
{
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

} // namespace

TEST_F(Dialogs, WidthAndColourChosenOnThePanelDrawTheNextStroke)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    panel.show();
    openPage(panel, DIALOG::kCmdWriting);

    // "粗线" alone, then a stroke: it is 15 pixels wide, not the thin red of before.
    panel.OnCommand(DIALOG::kCmdThickLine);
    stroke({QPoint(200, 300), QPoint(400, 300), QPoint(600, 300)});
    QImage shown = screenImage();
    EXPECT_GE(thickness(shown, 400, 280, 320, qRgb(255, 0, 0)), 13);

    // A colour from the colour dialog, then a stroke in it.
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            dialog->setCurrentColor(QColor(0, 0, 255));
            dialog->accept();
        }
    });
    poll.start();
    panel.OnCommand(DIALOG::kCmdColour);
    pause(300);
    stroke({QPoint(200, 500), QPoint(400, 500), QPoint(600, 500)});
    shown = screenImage();
    EXPECT_GE(thickness(shown, 400, 480, 520, qRgb(0, 0, 255)), 13);
    EXPECT_EQ(thickness(shown, 400, 480, 520, qRgb(255, 0, 0)), 0);
    panel.OnDestroy();
}

TEST_F(Dialogs, ThePenThePanelGivesIsThickEnoughToReadFromTheBackOfTheRoom)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    panel.show();
    // Over the desktop from the writing button, then on a board page from the whiteboard button.
    openPage(panel, DIALOG::kCmdWriting);
    stroke({QPoint(200, 300), QPoint(400, 300), QPoint(600, 300)});
    EXPECT_GE(thickness(screenImage(), 400, 280, 320, qRgb(255, 0, 0)), 3) << "a one-pixel line is lost";
    openPage(panel, DIALOG::kCmdWhiteboard);
    stroke({QPoint(200, 500), QPoint(400, 500), QPoint(600, 500)});
    EXPECT_GE(thickness(screenImage(), 400, 480, 520, qRgb(255, 0, 0)), 3);
    panel.OnDestroy();
}

TEST_F(Dialogs, WhatAPageLeavesOutIsToldInTheTipWindow)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    panel.show();
    panel.OnCommand(DIALOG::kCmdWhiteboard);
    ASSERT_TRUE(qmtest::waitFor([&] { return panel.Surface() != nullptr; }, 5000));
    emit panel.Surface()->pageNotice(QStringLiteral("页面中的图片太多太大，部分图片未能显示"));
    ASSERT_TRUE(qmtest::waitFor([&] { return panel.ToolTipDlg() && panel.ToolTipDlg()->isVisible(); }, 3000));
    EXPECT_EQ(panel.ToolTipDlg()->Text(), QStringLiteral("页面中的图片太多太大，部分图片未能显示"));
    panel.OnDestroy();
}

TEST_F(Dialogs, OverAnOpenPageTheQuestionIsWholeAndThePanelStaysInSight)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    panel.show();
    openPage(panel, DIALOG::kCmdWriting);

    // The window manager keeps the page right under a dialog it owns: the panel must not end up under both.
    double panelShown = 0;
    QTimer look;
    look.setSingleShot(true);
    QObject::connect(
        &look, &QTimer::timeout, [&] { panelShown = shownShare(panel.Button(DIALOG::kCmdWriting)); });
    look.start(1500);
    const DialogSeen close = openAndLook([&] { panel.OnClose(); });
    expectWhole(close, 2);
    EXPECT_GT(panelShown, 0.9);
    panel.OnDestroy();
}

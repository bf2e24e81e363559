// The panel's menus: the main menu with what remains of the original's and what was added, and the eraser,
// line-type and line-width menus, in the language in force.
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"
#include "platform/image_file.h"
#include "support/language.h"

#include <QIcon>
#include <QMenu>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

QAction* addCommand(QMenu* menu, const QString& text, int id)
{
    QAction* action = menu->addAction(text);
    action->setData(id);
    return action;
}

void removeCommand(QMenu* menu, int id)
{
    for (QAction* action : menu->actions()) {
        if (action->menu())
            removeCommand(action->menu(), id);
        else if (action->data().toInt() == id)
            menu->removeAction(action);
    }
}

// What this program offers in the main menu besides what remains of the original's.
void addItemsOfThisProgram(QMenu* first, bool english)
{
    // The 3D board of numbered pages, which nothing else in the program opens.
    addCommand(first, english ? u"3D Board"_s : u"3D 白板"_s, kCmd3DBoard);
    // The quick-launch list has a way in besides the tools page.
    addCommand(first, english ? u"Launch"_s : u"常用"_s, kCmdShowUserPanel);
    // The tools page's capture, printing, magnifier and keyboard, for a teacher who looks in the menu.
    addCommand(first, english ? u"Capture"_s : u"截图"_s, kCmdCapture);
    addCommand(first, english ? u"Print the capture"_s : u"打印截图"_s, kCmdPrintCapture);
    addCommand(first, english ? u"Magnifier"_s : u"放大镜"_s, kCmdMagnifier);
    addCommand(first, english ? u"Screen keyboard"_s : u"屏幕键盘"_s, kCmdScreenKeyboard);
    // The lesson in and out as PDF.
    addCommand(first, english ? u"Open PDF or slides"_s : u"打开PDF或幻灯片"_s, kCmdOpenPdf);
    addCommand(first, english ? u"Export PDF"_s : u"导出PDF"_s, kCmdExportPdf);
    // The panel has no close button of its own: the main menu ends with the way out.
    first->addSeparator();
    addCommand(first, english ? u"Exit"_s : u"退出"_s, kCmdExit);
}

} // namespace

void CWhiteBoardDlg::LoadMenus()
{
    const bool english = IsEnglish();
    // The main menu as the program has always carried it; only what remains after the removals is offered.
    mainMenu_ = new QMenu(this);
    QMenu* first = mainMenu_->addMenu(english ? u"Menu"_s : u"菜单"_s);
    QMenu* calibration = first->addMenu(english ? u"Calibration"_s : u"定位"_s);
    addCommand(calibration, english ? u"4-point calibration"_s : u"4点定位"_s, kCmdCalibration);
    addCommand(calibration, english ? u"9-point calibration"_s : u"9点定位"_s, 32833);
    addCommand(calibration, english ? u"Light check"_s : u"光线检测"_s, 32858);
    QMenu* pip = first->addMenu(english ? u"Picture in picture"_s : u"画中画"_s);
    addCommand(pip, english ? u"Open"_s : u"打开"_s, kCmdPictureInPictureOpen);
    addCommand(pip, english ? u"Close"_s : u"关闭"_s, kCmdPictureInPictureClose);
    addCommand(first, english ? u"Share"_s : u"分享"_s, kCmdShare);
    first->addSeparator();
    addCommand(first,
        english ? u"Install the standard bluetooth adapter driver"_s : u"安装标准蓝牙适配器驱动"_s,
        kCmdInstallBluetooth);
    addCommand(first, english ? u"Logo wall"_s : u"Logo墙"_s, kCmdLogoWall);
    addCommand(first, english ? u"3D wall"_s : u"3D墙"_s, kCmd3DWall);
    addCommand(first, english ? u"Bluetooth reconnect"_s : u"蓝牙重连"_s, 32809);
    addCommand(first, english ? u"Settings"_s : u"设置"_s, kCmdSettings);
    addCommand(first, english ? u"Show panel"_s : u"显示面板"_s, 32775);
    for (int position : {9, 2, 3, 3, 3, 3}) {
        const QList<QAction*> items = first->actions();
        if (position < items.size())
            first->removeAction(items[position]);
    }
    removeCommand(mainMenu_, 32833);
    removeCommand(mainMenu_, 32858);
    // The program has no picture in picture: an item that could only say so is not offered.
    for (QAction* action : first->actions())
        if (action->menu() && action->menu()->actions().size() > 0
            && action->menu()->actions().first()->data().toInt() == kCmdPictureInPictureOpen)
            first->removeAction(action);
    addItemsOfThisProgram(first, english);

    // The 17 x 17 pictures of the line-type, line-width and eraser menus.
    const auto menuIcon
        = [](int resource) { return QIcon(platform::ownPixmap(u":/skin/menu/%1.png"_s.arg(resource))); };
    eraserMenu_ = new QMenu(this);
    addCommand(eraserMenu_, english ? u"Point eraser"_s : u"点擦"_s, kCmdPointEraser)->setIcon(menuIcon(476));
    addCommand(eraserMenu_, english ? u"Large point eraser"_s : u"大点擦"_s, kCmdBigPointEraser)
        ->setIcon(menuIcon(476));
    addCommand(eraserMenu_, english ? u"Eraser size..."_s : u"橡皮大小..."_s, kCmdEraserSize)
        ->setIcon(menuIcon(476));
    addCommand(eraserMenu_, english ? u"Lasso eraser"_s : u"圈擦"_s, kCmdLassoEraser)->setIcon(menuIcon(476));
    addCommand(eraserMenu_, english ? u"Clear screen"_s : u"清屏"_s, kCmdClearScreen)->setIcon(menuIcon(471));

    lineTypeMenu_ = new QMenu(this);
    addCommand(lineTypeMenu_, english ? u"Solid line"_s : u"实线"_s, kCmdSolidLine)->setIcon(menuIcon(190));
    addCommand(lineTypeMenu_, english ? u"Dashed line"_s : u"虚线"_s, kCmdDashLine)->setIcon(menuIcon(323));

    lineWidthMenu_ = new QMenu(this);
    for (const auto& [text, id] : {std::pair {english ? u"Thin"_s : u"细线"_s, kCmdThinLine},
             std::pair {english ? u"Thicker"_s : u"较粗"_s, kCmdThickerLine},
             std::pair {english ? u"Medium"_s : u"中粗"_s, kCmdMediumLine},
             std::pair {english ? u"Thick"_s : u"粗线"_s, kCmdThickLine}})
        addCommand(lineWidthMenu_, text, id)->setIcon(menuIcon(465));

    // The main menu shows its first pop-up on its own; what is chosen there, or in its sub-menus, reaches it.
    for (QMenu* menu : {first, eraserMenu_, lineTypeMenu_, lineWidthMenu_}) {
        connect(
            menu, &QMenu::triggered, this, [this](QAction* action) { OnCommand(action->data().toInt()); });
        menu->setStyleSheet(
            u"QMenu { background: #1B4C8C; color: white; font-size: 15px; padding: 4px; }"
            "QMenu::item { padding: 6px 22px 6px 30px; } QMenu::item:selected { background: #12A39A; }"
            "QMenu::icon { padding-left: 8px; }"_s);
    }
}

} // namespace DIALOG

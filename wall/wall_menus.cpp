#include "wall/wall_menus.h"

#include "platform/window_flags.h"
#include "support/language.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace lumo::show {

WallMenuBase::WallMenuBase(QWidget* owner, const QString& title, Command command)
    : QWidget(owner, platform::kFloatingToolFlags)
    , command_(std::move(command))
    , rows_(new QVBoxLayout(this))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(title);
    rows_->setContentsMargins(8, 8, 8, 8);
    rows_->setSpacing(6);
    setStyleSheet(QStringLiteral(
        "QWidget { background: #10233f; }"
        "QPushButton { color: white; background: #1d4e89; border: 1px solid #4fa3e0; border-radius: 6px;"
        "  font-family: 'WenQuanYi Micro Hei'; font-size: 16px; min-width: 72px; min-height: 36px; padding: "
        "2px 8px; }"
        "QPushButton:pressed { background: #f6b73c; color: #10233f; }"));
}

void WallMenuBase::AddRow(std::initializer_list<Item> items)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    const bool english = IsEnglish();
    for (const Item& item : items) {
        auto* button = new QPushButton(
            english ? QString::fromUtf8(item.english) : QString::fromUtf8(item.chinese), this);
        button->setObjectName(QStringLiteral("command%1").arg(item.id));
        button->setFocusPolicy(Qt::NoFocus);
        const int id = item.id;
        connect(button, &QPushButton::clicked, this, [this, id] { command_(id); });
        row->addWidget(button);
    }
    rows_->addLayout(row);
    adjustSize();
}

QWidget* WallMenuBase::Button(int id) const
{
    return findChild<QWidget*>(QStringLiteral("command%1").arg(id));
}

void WallMenuBase::PlaceAtBottomRight(int bottomMargin)
{
    adjustSize();
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    move(area.right() + 1 - width() - 20, area.bottom() + 1 - height() - bottomMargin);
}

CPrivateMenu::CPrivateMenu(QWidget* owner, Command command)
    : WallMenuBase(owner, QStringLiteral("PenMenu"), std::move(command))
{
    AddRow({{6, "画笔", "Pen"}, {7, "橡皮", "Eraser"}, {8, "颜色", "Colour"}, {5, "放大", "Larger"},
        {4, "缩小", "Smaller"}, {3, "返回", "Stop"}});
    AddRow({{2003, "上一页", "Previous"}, {2004, "下一页", "Next"}, {2002, "返回", "Wall"},
        {2001, "打开", "Open"}, {2016, "全屏", "Full screen"}, {2015, "退出", "Exit"}});
}

WallMenu::WallMenu(QWidget* owner, Command command)
    : WallMenuBase(owner, QStringLiteral("WallMenu"), std::move(command))
{
    AddRow({{2006, "软件园简介", "Our Park"}, {2007, "入驻企业概况", "Companies Here"},
        {2008, "公司Logo", "Company Logos"}, {2001, "退出", "Exit"}});
}

} // namespace lumo::show

#include "controls/colour_button.h"

#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QWidgetAction>

using namespace Qt::Literals::StringLiterals;

namespace UICONTROL {

namespace {

QColor toQColor(COLORREF c)
{
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// A palette a teacher can tell apart on a projector: red, orange, yellow, green, blue, purple, black, greys.
constexpr COLORREF kPalette[]
    = {RGB(255, 0, 0), RGB(255, 128, 0), RGB(255, 255, 0), RGB(0, 176, 80), RGB(0, 112, 192), RGB(0, 0, 255),
        RGB(112, 48, 160), RGB(255, 0, 255), RGB(0, 0, 0), RGB(89, 89, 89), RGB(166, 166, 166),
        RGB(255, 255, 255), RGB(153, 51, 0), RGB(0, 128, 128), RGB(102, 255, 255), RGB(255, 192, 203)};

QPixmap swatch(COLORREF colour, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(toQColor(colour));
    QPainter p(&pixmap);
    p.setPen(QColor(0x10, 0x23, 0x3F));
    p.drawRect(0, 0, side - 1, side - 1);
    return pixmap;
}

} // namespace

CColourButton::CColourButton(int id, QWidget* parent)
    : QToolButton(parent)
    , id_(id)
{
    setFocusPolicy(Qt::NoFocus);
    setPopupMode(QToolButton::InstantPopup);
    menu_ = new QMenu(this);
    setMenu(menu_);
    automaticText_ = u"自动"_s;
    customText_ = u"自定义"_s;
    buildMenu();
}

void CColourButton::SetColor(COLORREF colour)
{
    colour_ = colour;
    update();
}

void CColourButton::SetAutomaticColor(COLORREF colour)
{
    automatic_ = colour;
    buildMenu();
}

void CColourButton::SetTexts(const QString& automaticText, const QString& customText)
{
    automaticText_ = automaticText;
    customText_ = customText;
    buildMenu();
}

void CColourButton::SetCustomChooser(std::function<bool(COLORREF, COLORREF*)> chooser)
{
    chooser_ = std::move(chooser);
}

void CColourButton::buildMenu()
{
    menu_->clear();
    menu_->setStyleSheet(
        u"QMenu { background: #1B4C8C; color: white; font-size: 15px; padding: 4px; }"
        "QMenu::item { padding: 6px 22px; } QMenu::item:selected { background: #12A39A; }"_s);
    QAction* automatic = menu_->addAction(QIcon(swatch(automatic_, 16)), automaticText_);
    automatic->setObjectName(u"automatic"_s);
    connect(automatic, &QAction::triggered, this, &CColourButton::ChooseAutomatic);

    auto* grid = new QWidget(menu_);
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(4);
    int i = 0;
    for (COLORREF colour : kPalette) {
        auto* cell = new QPushButton(grid);
        cell->setFixedSize(22, 22);
        cell->setFocusPolicy(Qt::NoFocus);
        cell->setIcon(QIcon(swatch(colour, 18)));
        cell->setIconSize(QSize(18, 18));
        cell->setFlat(true);
        connect(cell, &QPushButton::clicked, this, [this, colour] {
            menu_->close();
            ChooseColor(colour);
        });
        layout->addWidget(cell, i / 4, i % 4);
        ++i;
    }
    auto* palette = new QWidgetAction(menu_);
    palette->setDefaultWidget(grid);
    menu_->addAction(palette);

    QAction* custom = menu_->addAction(customText_);
    custom->setObjectName(u"custom"_s);
    connect(custom, &QAction::triggered, this, &CColourButton::ChooseCustom);
}

void CColourButton::ChooseAutomatic()
{
    ChooseColor(automatic_);
}

void CColourButton::ChooseColor(COLORREF colour)
{
    SetColor(colour);
    emit colourChosen(colour);
}

void CColourButton::ChooseCustom()
{
    COLORREF chosen = colour_;
    if (chooser_ && chooser_(colour_, &chosen))
        ChooseColor(chosen);
}

void CColourButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool down = isDown();
    p.fillRect(rect(), QColor(0x1B, 0x4C, 0x8C));
    p.setPen(Qt::NoPen);
    p.setBrush(down ? QColor(0x12, 0xA3, 0x9A) : QColor(0x27, 0x61, 0xA9));
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    const QRect well(5, 5 + (down ? 1 : 0), width() - 22, height() - 10);
    p.setBrush(toQColor(colour_));
    p.setPen(QPen(Qt::white, 1.5));
    p.drawRoundedRect(well, 3, 3);
    // The drop-down mark.
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    const QPointF c(width() - 9, height() / 2.0 + (down ? 1 : 0));
    const QPointF tri[] = {c + QPointF(-4, -2), c + QPointF(4, -2), c + QPointF(0, 3)};
    p.drawPolygon(tri, 3);
}

} // namespace UICONTROL

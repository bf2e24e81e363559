#include "assist/button_rows.h"

#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace DIALOG {

QList<QRect> buttonRowRects(const QList<int>& needed, int width, int height, int spacing)
{
    QList<QRect> rects;
    int first = 0;
    int top = 0;
    while (first < needed.size()) {
        // Take buttons while their labels fit in the row, at least one.
        int last = first;
        int used = needed[first];
        while (last + 1 < needed.size() && used + spacing + needed[last + 1] <= width)
            used += spacing + needed[++last];
        // What the row has to spare goes to its buttons in equal parts; the last one ends at the right edge.
        const int count = last - first + 1;
        const int extra = qMax(0, width - used) / count;
        int x = 0;
        for (int i = first; i <= last; ++i) {
            const int w = i == last ? width - x : needed[i] + extra;
            rects << QRect(x, top, w, height);
            x += w + spacing;
        }
        top += height + spacing;
        first = last + 1;
    }
    return rects;
}

int labelWidthNeeded(const QWidget* widget)
{
    const auto* button = qobject_cast<const QPushButton*>(widget);
    if (!button)
        return widget->sizeHint().width();
    // The style's contents rectangle of a button is what its label is drawn into: what the button keeps
    // around it is the difference to the button's own width.
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = QRect(0, 0, 200, 40);
    option.text = button->text();
    if (button->menu())
        option.features |= QStyleOptionButton::HasMenu;
    const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    int around = option.rect.width() - contents.width();
    if (button->menu())
        around += button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, button);
    int icon = 0;
    if (!button->icon().isNull())
        icon = button->iconSize().width() + 4;
    // A few pixels more on either side, so that the label does not touch the frame.
    return button->fontMetrics().horizontalAdvance(button->text()) + icon + around + 10;
}

CButtonRowLayout::CButtonRowLayout(QWidget* parent, int rowHeight)
    : QLayout(parent)
    , rowHeight_(rowHeight)
{
}

CButtonRowLayout::~CButtonRowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void CButtonRowLayout::addItem(QLayoutItem* item)
{
    items_.append(item);
    invalidate();
}

int CButtonRowLayout::count() const
{
    return int(items_.size());
}

QLayoutItem* CButtonRowLayout::itemAt(int index) const
{
    return items_.value(index);
}

QLayoutItem* CButtonRowLayout::takeAt(int index)
{
    if (index < 0 || index >= items_.size())
        return nullptr;
    invalidate();
    return items_.takeAt(index);
}

QList<QLayoutItem*> CButtonRowLayout::shownItems() const
{
    QList<QLayoutItem*> shown;
    for (QLayoutItem* item : items_)
        if (!item->isEmpty())
            shown << item;
    return shown;
}

int CButtonRowLayout::needed(const QLayoutItem* item)
{
    return item->widget() ? labelWidthNeeded(item->widget()) : item->sizeHint().width();
}

QList<QRect> CButtonRowLayout::rects(int width) const
{
    QList<int> widths;
    for (const QLayoutItem* item : shownItems())
        widths << needed(item);
    const QMargins margins = contentsMargins();
    return buttonRowRects(widths, width - margins.left() - margins.right(), rowHeight_, qMax(0, spacing()));
}

QSize CButtonRowLayout::sizeHint() const
{
    int width = 0;
    for (const QLayoutItem* item : shownItems())
        width += needed(item) + qMax(0, spacing());
    return {width, heightForWidth(width)};
}

QSize CButtonRowLayout::minimumSize() const
{
    int widest = 0;
    for (const QLayoutItem* item : shownItems())
        widest = qMax(widest, needed(item));
    return {widest, rowHeight_};
}

int CButtonRowLayout::heightForWidth(int width) const
{
    const QList<QRect> placed = rects(width);
    const QMargins margins = contentsMargins();
    return (placed.isEmpty() ? rowHeight_ : placed.last().bottom() + 1) + margins.top() + margins.bottom();
}

void CButtonRowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QList<QLayoutItem*> shown = shownItems();
    const QList<QRect> placed = rects(rect.width());
    const QPoint origin = rect.topLeft() + QPoint(contentsMargins().left(), contentsMargins().top());
    for (int i = 0; i < shown.size(); ++i)
        shown[i]->setGeometry(placed[i].translated(origin));
}

} // namespace DIALOG

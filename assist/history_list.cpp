#include "assist/history_list.h"

#include "assist/tab_dlg_messages.h"
#include "platform/desktop_probe.h"
#include "support/language.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace DIALOG {

void ClickList::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && onClick)
        onClick(event->position().toPoint());
}

HistoryList::~HistoryList()
{
    holdDeleteKey(false);
}

void HistoryList::contextMenuEvent(QContextMenuEvent* event)
{
    QListWidgetItem* item = itemAt(event->pos());
    if (!item || !onDelete)
        return;
    // The menu is the thumbnail's: one outside the selection becomes the selection.
    if (!item->isSelected()) {
        clearSelection();
        setCurrentItem(item);
        item->setSelected(true);
    }
    QMenu menu(this);
    QAction* remove = menu.addAction(GetConfigString(u"删除"_s));
    remove->setObjectName(u"historyDeletePage"_s);
    if (menu.exec(event->globalPos()) == remove)
        onDelete();
}

void HistoryList::enterEvent(QEnterEvent* event)
{
    ClickList::enterEvent(event);
    holdDeleteKey(true);
}

void HistoryList::leaveEvent(QEvent* event)
{
    ClickList::leaveEvent(event);
    holdDeleteKey(false);
}

void HistoryList::hideEvent(QHideEvent* event)
{
    ClickList::hideEvent(event);
    holdDeleteKey(false);
}

void HistoryList::holdDeleteKey(bool hold)
{
    if (hold == holdingDeleteKey_)
        return;
    if (!hold) {
        platform::hotkey::UnregisterHotKey(tab::kIdHistoryList);
        holdingDeleteKey_ = false;
        return;
    }
    // Another program holding the key leaves the context menu as the way to delete.
    holdingDeleteKey_
        = platform::hotkey::RegisterHotKey(tab::kIdHistoryList, Qt::NoModifier, u"Delete"_s, [this] {
              if (onDelete && isVisible())
                  onDelete();
          });
}

} // namespace DIALOG

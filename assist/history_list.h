#pragma once
// The lists of the resource and history panel: a list that reports a click once its own handling (the
// selection) is done, and the history's list of pages, which also offers to delete the selected pages.
#include <QListWidget>

#include <functional>

namespace DIALOG {

class ClickList : public QListWidget {
public:
    std::function<void(const QPoint&)> onClick;

    using QListWidget::QListWidget;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The pages are deleted from a thumbnail's context menu, or with the Delete key while the pointer rests on
// the list: the panel never takes the keyboard focus, so the key is held for the list only meanwhile.
class HistoryList : public ClickList {
public:
    // Asks, then deletes the selected pages.
    std::function<void()> onDelete;

    using ClickList::ClickList;
    ~HistoryList() override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void holdDeleteKey(bool hold);

    bool holdingDeleteKey_ = false;
};

} // namespace DIALOG

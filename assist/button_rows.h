#pragma once
// Command buttons in as many rows as their labels need: a row takes buttons while their labels fit, and
// shares its width out among them, so that no label is cut off or runs into the next one, in any language.
#include "assist/qmhelp_export.h"

#include <QLayout>
#include <QList>
#include <QRect>

namespace DIALOG {

// The places of buttons whose labels need the given widths, in rows of the given width and height, rows and
// buttons spacing apart. A button that needs more than a row has a row to itself.
QMHELP_EXPORT QList<QRect> buttonRowRects(const QList<int>& needed, int width, int height, int spacing);

// The width a push button needs to show its whole label, with the room its style keeps around the text.
int labelWidthNeeded(const QWidget* button);

class CButtonRowLayout : public QLayout {
public:
    // Each row is rowHeight high.
    CButtonRowLayout(QWidget* parent, int rowHeight);
    ~CButtonRowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QLayoutItem*> shownItems() const;
    static int needed(const QLayoutItem* item);
    QList<QRect> rects(int width) const;

    QList<QLayoutItem*> items_;
    int rowHeight_;
};

} // namespace DIALOG

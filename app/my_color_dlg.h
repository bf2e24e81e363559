#pragma once
// The colour dialog of the line-style popup's "Customize" entry: the standard colour dialog, opened in the
// middle of the main panel's screen.
#include "platform/win_types.h"

#include <QColorDialog>
#include <QPointer>

namespace DIALOG {

class CMyColorDlg : public QColorDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 220;
    static constexpr int kHeight = 300;

    // panel is the main panel, whose screen the dialog opens on.
    CMyColorDlg(COLORREF initial, QWidget* panel);

    COLORREF GetColor() const;

    // The dialog's rectangle centred on screen: 220 x 300, grown to what the dialog needs to show all of
    // itself, and never larger than the screen.
    static QRect CentredRect(const QRect& screen, const QSize& needed);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> panel_;
};

} // namespace DIALOG

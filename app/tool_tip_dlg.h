#pragma once
// One line of status text over the bottom of the screen.
#include <QString>
#include <QWidget>

namespace DIALOG {

class CToolTipDlg : public QWidget {
    Q_OBJECT
public:
    explicit CToolTipDlg(QWidget* owner);

    // At most 99 characters are kept. Invokable: the deck converter's progress is told here when it is open.
    Q_INVOKABLE void SetText(const QString& text);
    const QString& Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

} // namespace DIALOG

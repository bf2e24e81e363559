#pragma once
// A push button drawn from a normal and a pressed picture. It never takes the keyboard focus, so clicking it
// leaves the focus with the presentation underneath.
#include <QAbstractButton>
#include <QPixmap>

namespace UICONTROL {

class CButtonEx : public QAbstractButton {
    Q_OBJECT
public:
    CButtonEx(int id, QWidget* parent);

    int id() const { return id_; }
    // Loads the pictures; a missing picture leaves the button drawn as a plain tile with its caption.
    void SetPictures(const QPixmap& normal, const QPixmap& pressed);
    void SetPictures(const QString& normalPath, const QString& pressedPath);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int id_;
    QPixmap normal_;
    QPixmap pressed_;
    bool hover_ = false;
};

} // namespace UICONTROL

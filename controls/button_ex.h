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
    // Sets the pictures; a missing picture leaves the button drawn as a plain tile with its caption.
    void SetPictures(const QPixmap& normal, const QPixmap& pressed);
    // The same by the pictures' paths, each read when the button first needs it: many buttons start in
    // windows that are hidden, and reading their pictures would delay the panel.
    void SetPictures(const QString& normalPath, const QString& pressedPath);

    QSize sizeHint() const override;
    // The picture the button draws now, pressed or not.
    const QPixmap& Picture(bool down) const { return picture(down); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const QPixmap& picture(bool down) const;

    int id_;
    mutable QPixmap normal_;
    mutable QPixmap pressed_;
    mutable QString normalPath_; // still to be read; empty once read
    mutable QString pressedPath_;
    bool hover_ = false;
};

} // namespace UICONTROL

#pragma once
// A known picture shown on the desktop, and what the screen shows: the aids' tests compare the two.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace qmtest {

// A frameless window that paints one picture at its top-left corner.
class PictureWidget : public QWidget {
public:
    explicit PictureWidget(const QImage& picture)
        : QWidget(nullptr, Qt::FramelessWindowHint)
        , picture_(picture)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture_); }

private:
    QImage picture_;
};

inline QImage screenShot()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace qmtest

#include "assist/my_wboard.h"
#include "platform/window_flags.h"
#include "platform/window_stack.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace DIALOG {

namespace {

QString programPicture(const char* name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Bin/") + QLatin1String(name);
}

QRect placed(const UICONTROL::CBitmapEx& picture, int x, int y)
{
    return picture.IsNull() ? QRect() : QRect(x, y, picture.Width(), picture.Height());
}

} // namespace

CMyWboard::CMyWboard(const QImage& snapshot, const QRect& screen, int factor)
    : QWidget(nullptr, platform::kAidFlags)
    , view_(screen.size(), factor)
    , viewCursor_(QPixmap(QStringLiteral(":/qmhelp/3044.png")), 15, 15)
    , dragCursor_(QPixmap(QStringLiteral(":/qmhelp/3045.png")), 15, 15)
    , buttonCursor_(QPixmap(QStringLiteral(":/qmhelp/3068.png")), 11, 2)
{
    setWindowTitle(QStringLiteral("图片处理"));
    platform::SetStackLayer(this, platform::StackLayer::Aid);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // A missing picture is simply not drawn and cannot be pressed.
    close_.LoadFile(programPicture("ZoomClose.png"));
    enlarge_.LoadFile(programPicture("ZoomOut.png"));
    reduce_.LoadFile(programPicture("ZoomIn.png"));
    snapshot_ = QImage(screen.size(), QImage::Format_RGB32);
    snapshot_.fill(Qt::black);
    if (!snapshot.isNull())
        QPainter(&snapshot_).drawImage(0, 0, snapshot);
    setGeometry(screen);
    setCursor(viewCursor_);
}

QRect CMyWboard::closeRect() const
{
    return placed(close_, width() - 60 - close_.Width(), height() - 31 - close_.Height());
}

QRect CMyWboard::reduceRect() const
{
    return placed(reduce_, width() - 70 - close_.Width() - reduce_.Width(), height() - 31 - close_.Height());
}

QRect CMyWboard::enlargeRect() const
{
    return placed(enlarge_, width() - 80 - close_.Width() - reduce_.Width() - enlarge_.Width(),
        height() - 31 - close_.Height());
}

void CMyWboard::enlarge()
{
    view_.enlarge();
    update();
}

bool CMyWboard::reduce()
{
    const bool stillZoomed = view_.reduce();
    update();
    return stillZoomed;
}

void CMyWboard::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRect(event->rect());
    // Whole snapshot pixels become blocks of factor x factor, as a stretched copy on the screen always was.
    painter.drawImage(QRectF(rect()), snapshot_, view_.sourceRect());
    if (!close_.IsNull())
        painter.drawImage(closeRect().topLeft(), close_.image());
    if (!reduce_.IsNull())
        painter.drawImage(reduceRect().topLeft(), reduce_.image());
    if (!enlarge_.IsNull())
        painter.drawImage(enlargeRect().topLeft(), enlarge_.image());
}

void CMyWboard::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    const auto request = [this](Request r) {
        if (onRequest_)
            onRequest_(r);
    };
    if (closeRect().contains(p)) {
        request(Request::Close);
        return;
    }
    if (enlargeRect().contains(p)) {
        request(Request::Enlarge);
        return;
    }
    if (reduceRect().contains(p)) {
        request(Request::Reduce);
        return;
    }
    dragging_ = true;
    last_ = p;
    setCursor(dragCursor_);
}

void CMyWboard::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (!dragging_) {
        updateCursor(p);
        return;
    }
    const QPointF before = view_.centre();
    view_.pan(last_, p);
    last_ = p;
    if (view_.centre() != before)
        update();
}

void CMyWboard::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    updateCursor(event->position().toPoint());
}

void CMyWboard::updateCursor(const QPoint& point)
{
    const bool onButton
        = closeRect().contains(point) || enlargeRect().contains(point) || reduceRect().contains(point);
    setCursor(dragging_ ? dragCursor_ : onButton ? buttonCursor_ : viewCursor_);
}

} // namespace DIALOG

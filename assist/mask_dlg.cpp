#include "assist/mask_dlg.h"

#include "assist/presentation_aids_model.h"
#include "platform/messages.h"
#include "platform/window_flags.h"
#include "platform/window_ops.h"
#include "platform/window_stack.h"
#include "support/language.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace DIALOG {

namespace {

// Picture ids of the edge arrows, in drag-mode order (left, right, top, bottom).
constexpr int kArrowPictures[4] = {3019, 3020, 3021, 3018};
constexpr QRgb kMaskBackground = 0xFFF0F0F0;

} // namespace

void raiseProgramWindows()
{
    if (const platform::WindowRef panel = FindPanel())
        platform::SetForegroundWindow(panel);
    for (const QString& title : {QStringLiteral("HideDlg"), QStringLiteral("_KWPPTTOOLBAR")})
        if (const platform::WindowRef window = platform::FindWindow(QString(), title))
            platform::SetForegroundWindow(window);
}

CMaskDlg::CMaskDlg(int* flag, const QRect& screen)
    : QWidget(nullptr, platform::kAidFlags)
    , close_(QStringLiteral(":/qmhelp/3002.png"))
    , flag_(flag)
{
    setWindowTitle(QStringLiteral("MaskWnd"));
    platform::SetStackLayer(this, platform::StackLayer::Aid);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    for (int i = 0; i < 4; ++i)
        arrows_[i] = QImage(QStringLiteral(":/qmhelp/%1.png").arg(kArrowPictures[i]));
    if (close_.isNull())
        close_ = QImage(QStringLiteral(":/qmhelp/3001.png"));
    reset(screen);
}

void CMaskDlg::reset(const QRect& screen)
{
    screen_ = screen;
    place(QRect(screen.left(), screen.top() + screen.height() / 2, screen.width(),
        screen.height() - screen.height() / 2));
}

void CMaskDlg::place(const QRect& rect)
{
    rect_ = rect;
    setGeometry(rect);
}

QRect CMaskDlg::closeRect() const
{
    return QRect(QPoint(width() - 60 - close_.width(), height() - 31 - close_.height()), close_.size());
}

void CMaskDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(kMaskBackground));
    painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor::fromRgb(aids::kMaskBodyColour));
    painter.drawImage(closeRect().topLeft(), close_);
    const int midY = height() / 2;
    const int midX = width() / 2;
    painter.drawImage(QPoint(1, midY - 32), arrows_[0]);
    painter.drawImage(QPoint(width() - 33, midY - 32), arrows_[1]);
    painter.drawImage(QPoint(midX - 32, 1), arrows_[2]);
    painter.drawImage(QPoint(midX - 32, height() - 33), arrows_[3]);
}

void CMaskDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (closeRect().contains(p)) {
        if (flag_)
            *flag_ = 0;
        hide();
        return;
    }
    dragMode_ = aids::maskBandAt(size(), p);
    dragging_ = true;
    last_ = event->globalPosition().toPoint();
}

void CMaskDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) {
        switch (aids::maskBandAt(size(), event->position().toPoint())) {
        case aids::kDragLeft:
        case aids::kDragRight:
            setCursor(Qt::SizeHorCursor);
            break;
        case aids::kDragTop:
        case aids::kDragBottom:
            setCursor(Qt::SizeVerCursor);
            break;
        default:
            setCursor(Qt::ArrowCursor);
        }
        return;
    }
    const QPoint pointer = event->globalPosition().toPoint();
    if (dragMode_ == aids::kDragNone)
        place(rect_.translated(pointer - last_));
    else
        place(aids::dragMaskEdge(rect_, dragMode_, pointer, screen_));
    last_ = pointer;
}

void CMaskDlg::mouseReleaseEvent(QMouseEvent*)
{
    if (!dragging_)
        return;
    dragging_ = false;
    dragMode_ = aids::kDragNone;
    raiseProgramWindows();
    // The slide show under the mask gets the keyboard back, so the teacher's page keys keep working.
    QTimer::singleShot(100, this, [] {
        if (const platform::WindowRef show = platform::FindSlideShow()) {
            platform::SetForegroundWindow(show);
            raiseProgramWindows();
        }
    });
}

} // namespace DIALOG

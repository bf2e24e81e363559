#include "surface/flash_frame.h"

#include "platform/messages.h"
#include "platform/shell.h"
#include "player/flash/flash_exports.h"
#include "surface/surface_messages.h"

#include <QChildEvent>
#include <QFileInfo>
#include <QLibrary>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace DIALOG {

namespace {

const QColor kCaptionColour(0x1B, 0x4C, 0x8C);

QString ruffleFolder()
{
    return platform::programFolder() + u'/' + kRuffleFolder;
}

// The player library's entry, loaded once; null when it cannot be loaded.
QMFlashCreateViewFunction createView()
{
    static const QMFlashCreateViewFunction function = [] {
        QLibrary library(platform::programFolder() + QStringLiteral("/libQMFlash.so"));
        return reinterpret_cast<QMFlashCreateViewFunction>(library.resolve("QMFlashCreateView"));
    }();
    return function;
}

} // namespace

bool FlashPlayerPresent()
{
    return QFileInfo::exists(ruffleFolder() + QStringLiteral("/ruffle.js"))
        && QFileInfo::exists(platform::programFolder() + QStringLiteral("/libQMFlash.so"));
}

CFlashFrame::CFlashFrame(QWidget* surface, const QString& path)
    : QWidget(surface)
    , path_(path)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CFlashFrame::Open()
{
    if (view_)
        return true;
    const QMFlashCreateViewFunction create = FlashPlayerPresent() ? createView() : nullptr;
    const QString ruffle = ruffleFolder();
    view_ = create ? create(this, &path_, &ruffle) : nullptr;
    if (!view_)
        return false;
    view_->setGeometry(0, kCaptionHeight, width(), std::max(1, height() - kCaptionHeight));
    watch(view_);
    view_->show();
    return true;
}

void CFlashFrame::watch(QObject* object)
{
    object->installEventFilter(this);
    for (QObject* child : object->children())
        if (child->isWidgetType())
            watch(child);
}

bool CFlashFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The web view draws through children it makes as it goes: each is watched for the click on the movie.
    if (event->type() == QEvent::ChildAdded) {
        if (QObject* child = static_cast<QChildEvent*>(event)->child(); child && child->isWidgetType())
            watch(child);
    } else if (event->type() == QEvent::MouseButtonPress) {
        if (QWidget* surface = parentWidget())
            platform::SendMessage(platform::WindowRef(surface), ScreenPenMsg::kFlashClicked, 0, 0);
    }
    return QWidget::eventFilter(watched, event);
}

void CFlashFrame::Place(QPoint centre, QSize size)
{
    setGeometry(QRect(QPoint(centre.x() - size.width() / 2, centre.y() - size.height() / 2), size));
}

QRect CFlashFrame::closeButton() const
{
    return QRect(width() - kCaptionHeight, 0, kCaptionHeight, kCaptionHeight);
}

QRect CFlashFrame::moveButton() const
{
    return QRect(width() - 2 * kCaptionHeight, 0, kCaptionHeight, kCaptionHeight);
}

void CFlashFrame::resizeEvent(QResizeEvent*)
{
    if (view_)
        view_->setGeometry(0, kCaptionHeight, width(), std::max(1, height() - kCaptionHeight));
}

void CFlashFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(rect(), Qt::black);
    p.fillRect(QRect(0, 0, width(), kCaptionHeight), kCaptionColour);
    p.setPen(QPen(Qt::white, 2.0));
    const QRect close = closeButton().adjusted(8, 8, -8, -8);
    p.drawLine(close.topLeft(), close.bottomRight());
    p.drawLine(close.topRight(), close.bottomLeft());
    // The move button: a four-way arrow.
    const QPoint c = moveButton().center();
    p.drawLine(c - QPoint(7, 0), c + QPoint(7, 0));
    p.drawLine(c - QPoint(0, 7), c + QPoint(0, 7));
    for (const QPoint tip : {QPoint(7, 0), QPoint(-7, 0), QPoint(0, 7), QPoint(0, -7)}) {
        const QPoint side(tip.y() / 2, tip.x() / 2);
        p.drawLine(c + tip, c + tip / 2 + side);
        p.drawLine(c + tip, c + tip / 2 - side);
    }
    const QRect title(8, 0, width() - 2 * kCaptionHeight - 12, kCaptionHeight);
    p.drawText(title, Qt::AlignVCenter | Qt::AlignLeft,
        p.fontMetrics().elidedText(QFileInfo(path_).fileName(), Qt::ElideMiddle, title.width()));
}

void CFlashFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (closeButton().contains(p)) {
        hide();
        if (closed)
            closed();
        return;
    }
    if (p.y() < kCaptionHeight) {
        moving_ = true;
        grab_ = p;
    }
}

void CFlashFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (moving_ && parentWidget())
        move(parentWidget()->mapFromGlobal(event->globalPosition().toPoint()) - grab_);
}

void CFlashFrame::mouseReleaseEvent(QMouseEvent*)
{
    if (std::exchange(moving_, false) && moved)
        moved(geometry());
}

} // namespace DIALOG

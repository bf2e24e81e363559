#include "surface/board_buttons.h"

#include "platform/image_file.h"
#include "platform/shell.h"
#include "surface/lesson.h"
#include "surface/page_store.h"
#include "surface/surface_state.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace DIALOG {

namespace {
constexpr int kNavSize = 48;
constexpr int kNavGap = 8;
constexpr int kPageNumberWidth = 104;
const QColor kButtonColour(0x27, 0x61, 0xA9);
} // namespace

BoardButtons::BoardButtons(GestureHost& host, std::function<void(NavButton)> clicked)
    : Gesture(host)
    , clicked_(std::move(clicked))
{
}

void BoardButtons::Place(const QRect& device)
{
    scale_ = host_.deviceScale();
    const QRect primary = scale_.toLogicalGeometry(device);
    const QString bin = platform::programFolder() + QStringLiteral("/Bin/");
    const QString names[kNavButtonCount] = {QStringLiteral("exit.png"), QStringLiteral("left.png"),
        QStringLiteral("right.png"), QStringLiteral("color.png")};
    // A row left of the removal square, in the order previous, next, colour, exit.
    const int order[kNavButtonCount] = {3, 0, 1, 2};
    const int y = primary.bottom() + 1 - kNavSize - kNavGap;
    const int rowRight = primary.right() + 1 - RemovalSquare::kSize - 2 * kNavGap;
    for (int b = 0; b < kNavButtonCount; ++b) {
        // On a high-density screen the picture of twice the size is drawn pixel for pixel.
        const QString plain = bin + names[b];
        const QString twice = platform::twicePicturePath(plain);
        buttons_[b].picture
            = platform::readImageFile(scale_.ratio > 1 && QFile::exists(twice) ? twice : plain);
        const int x = rowRight - (kNavButtonCount - order[b]) * (kNavSize + kNavGap) + kNavGap;
        buttons_[b].rect = QRect(x, y, kNavSize, kNavSize);
    }
    pageNumber_ = QRect(
        buttons_[NavPrevious].rect.left() - kNavGap - kPageNumberWidth, y, kPageNumberWidth, kNavSize);
}

const BoardButtons::PictureButton* BoardButtons::hit(QPoint point) const
{
    if (!host_.lesson().OnBoard())
        return nullptr;
    for (const PictureButton& b : buttons_) {
        if (b.rect.contains(scale_.toLogical(point)))
            return &b;
    }
    return nullptr;
}

Gesture::Press BoardButtons::press(QPoint point)
{
    const PictureButton* button = hit(point);
    if (!button)
        return host_.lesson().OnBoard() && pageNumberRect().contains(point) ? Press::Clicked
                                                                            : Press::Declined;
    clicked_(NavButton(button - buttons_.data()));
    return Press::Clicked;
}

std::optional<QCursor> BoardButtons::cursor(QPoint point) const
{
    if (hit(point) || (host_.lesson().OnBoard() && pageNumberRect().contains(point)))
        return QCursor(Qt::ArrowCursor);
    return std::nullopt;
}

void BoardButtons::paintOverlay(QPainter& p) const
{
    if (!host_.lesson().OnBoard())
        return;
    p.save();
    p.scale(scale_.ratio, scale_.ratio);
    // Pictures drawn larger than they are stay smooth rather than blocky.
    p.setRenderHint(QPainter::SmoothPixmapTransform, scale_.ratio != 1.0);
    for (const PictureButton& b : buttons_) {
        if (!b.picture.isNull()) {
            p.drawImage(b.rect, b.picture);
        } else {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            p.setBrush(kButtonColour);
            p.drawRoundedRect(QRectF(b.rect).adjusted(2, 2, -2, -2), 8, 8);
            p.restore();
        }
    }
    paintPageNumber(p);
    p.restore();
}

void BoardButtons::paintPageNumber(QPainter& p) const
{
    const PagePosition at = BoardPagePosition(host_.lesson().BoardPages());
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kButtonColour);
    p.drawRoundedRect(QRectF(pageNumber_).adjusted(2, 2, -2, -2), 8, 8);
    const QString text = QStringLiteral("%1 / %2").arg(at.number).arg(at.count);
    QFont font = p.font();
    font.setBold(true);
    // A count of thousands of pages still fits the box: the figures get smaller rather than cut off.
    for (int size = 22; size >= 9; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(text) <= pageNumber_.width() - 16)
            break;
    }
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(pageNumber_, Qt::AlignCenter, text);
    p.restore();
}

void RemovalSquare::paintOverlay(QPainter& p) const
{
    if (rect_.width() < kSize)
        return;
    p.save();
    p.scale(scale_.ratio, scale_.ratio);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF tile = QRectF(rect_).adjusted(3, 3, -3, -3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1B, 0x4C, 0x8C, 200));
    p.drawRoundedRect(tile, 8, 8);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c = tile.center();
    p.drawLine(QPointF(c.x() - 12, c.y() - 9), QPointF(c.x() + 12, c.y() - 9));
    p.drawLine(QPointF(c.x() - 4, c.y() - 13), QPointF(c.x() + 4, c.y() - 13));
    p.drawPolyline(QPolygonF({QPointF(c.x() - 9, c.y() - 6), QPointF(c.x() - 7, c.y() + 13),
        QPointF(c.x() + 7, c.y() + 13), QPointF(c.x() + 9, c.y() - 6)}));
    p.drawLine(QPointF(c.x() - 3, c.y() - 2), QPointF(c.x() - 3, c.y() + 9));
    p.drawLine(QPointF(c.x() + 3, c.y() - 2), QPointF(c.x() + 3, c.y() + 9));
    p.restore();
}

} // namespace DIALOG

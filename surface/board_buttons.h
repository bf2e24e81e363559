#pragma once
// What the surface itself shows over the page: the board's navigation buttons (exit, previous page, next
// page, background colour) in the bottom-right corner of the primary screen with the page's number and the
// count left of them, and the removal square beside them, onto which an instrument or a picture is dragged
// to take it off the page.
#include "surface/gesture.h"

#include <QImage>

#include <array>
#include <functional>

namespace DIALOG {

enum NavButton { NavExit, NavPrevious, NavNext, NavColour, kNavButtonCount };

// In board mode a press on a button is the button's click, and nothing else happens with it; a press on the
// page number does nothing (ink under it would not show).
class BoardButtons : public Gesture {
public:
    BoardButtons(GestureHost& host, std::function<void(NavButton)> clicked);

    // Loads the pictures from the program's "Bin" folder and lays the buttons out in primary (device pixels
    // of the page). The buttons keep their physical size: they are laid out in logical pixels and drawn
    // scaled; what they answer is in device pixels.
    void Place(const QRect& primary);
    QRect rect(NavButton button) const { return scale_.toDevice(buttons_[button].rect); }
    QRect pageNumberRect() const { return scale_.toDevice(pageNumber_); }

    Press press(QPoint point) override;
    std::optional<QCursor> cursor(QPoint point) const override;
    void paintOverlay(QPainter& painter) const override;

private:
    struct PictureButton {
        QImage picture;
        QRect rect;
    };
    const PictureButton* hit(QPoint point) const;
    void paintPageNumber(QPainter& painter) const;

    std::function<void(NavButton)> clicked_;
    std::array<PictureButton, kNavButtonCount> buttons_;
    QRect pageNumber_;
    DeviceScale scale_;
};

// The removal square of the tool strip; drawn only once the strip has its full size.
class RemovalSquare : public Overlay {
public:
    static constexpr int kSize = 48;

    // In device pixels of the page.
    QRect rect() const { return scale_.toDevice(rect_); }
    // The bottom-right corner of primary (device pixels of the page); the square keeps its physical size.
    void PlaceIn(const QRect& primary, const DeviceScale& scale = DeviceScale())
    {
        scale_ = scale;
        const QRect logical = scale.toLogicalGeometry(primary);
        rect_ = QRect(logical.right() + 1 - kSize, logical.bottom() + 1 - kSize, kSize, kSize);
    }
    void paintOverlay(QPainter& painter) const override;

private:
    QRect rect_ {0, 0, 1, 1};
    DeviceScale scale_;
};

} // namespace DIALOG

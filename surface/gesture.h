#pragma once
// One tool family of the pen surface: it is offered the left presses that no gesture before it in the
// surface's chain took, follows the moves and the release of a press it took, chooses the cursor over its
// tool, paints its previews as an overlay of the canvas and finishes what it has under way when the tool
// changes. Gestures know the surface only through GestureHost, and never each other.
#include "platform/win_types.h"
#include "surface/canvas.h"
#include "surface/device_scale.h"

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

class QPainter;
class QWidget;

namespace DIALOG {

class CPenNode;
class Lesson;

// The surface's erase modes: drawing, and the point eraser.
constexpr int kEraseModeNone = 0;
constexpr int kEraseModePoint = 2;

// What a gesture may ask of the surface that hosts it.
class GestureHost {
public:
    virtual Canvas& canvas() = 0;
    // The open lesson: the page's objects and log, the pen state, the board's pages.
    virtual Lesson& lesson() = 0;
    // What EraseTrail and EraseLasso objects restore from: a copy of the page's background, taken whenever
    // the current object is reset to a new pen state.
    virtual const QImage& eraserSource() const = 0;
    // The object being drawn (the surface's currentObject), built from the current pen state: one for the
    // whole surface.
    virtual CPenNode& object() = 0;
    // Commits node to the page list, draws it on the page and repaints where it lies together with extra.
    virtual void commitObject(const CPenNode& node, const QRect& extra) = 0;
    // Commits the current object when it has points, and empties it.
    virtual void commitCurrentObject(const QRect& extra) = 0;
    // Draws the whole page again from its objects and shows it.
    virtual void redrawPage() = 0;
    // One line for the teacher in the tip window, in the language in force.
    virtual void tell(const QString& text) = 0;
    // Sends one of the surface's notifications to its owner.
    virtual void notifyOwner(UINT message, WPARAM wParam) = 0;
    // The surface's window: parent of the gestures' child windows and the frame of their coordinates.
    virtual QWidget* surfaceWindow() = 0;
    virtual bool windowExists() const = 0;
    // The instruments take the mouse ("TOOL").
    virtual bool instrumentMode() const = 0;
    virtual int eraseMode() const = 0;
    // The tool strip: an instrument dragged onto it is put away.
    virtual QRect toolStrip() const = 0;
    // Milliseconds of a steady clock.
    virtual qint64 clock() const = 0;
    // The canvas, the page's objects and the points gestures get are in device pixels; the surface's child
    // windows and the sizes the teacher chose are in logical ones.
    virtual DeviceScale deviceScale() const { return DeviceScale(); }
    // The rubber band of a shape being dragged: the canvas's one band for the mouse; a finger among several
    // shows a band of its own.
    virtual void moveBand(const Band& band) { canvas().MoveBand(band); }
    virtual void removeBand() { canvas().RemoveBand(); }
    virtual QRect bandBounds() { return canvas().BandBounds(); }

protected:
    ~GestureHost() = default;
};

class Gesture : public Overlay {
public:
    enum class Press {
        Declined, // the next gesture of the chain is asked
        Clicked, // taken and done: no moves or release follow
        Captured, // taken: the moves and the release of this press come to this gesture
    };

    explicit Gesture(GestureHost& host)
        : host_(host)
    {
    }

    virtual Press press(QPoint point) = 0;
    virtual void move(QPoint) { }
    virtual void release(QPoint) { }
    // The cursor over point while no button is held; none lets the next gesture choose.
    virtual std::optional<QCursor> cursor(QPoint) const { return std::nullopt; }
    void paintOverlay(QPainter&) const override { }
    // Commits what the gesture has under way (a pending polyline, an open text box).
    virtual void finish() { }
    // The current object was reset to a new pen state under a held button: the press under way draws no
    // more.
    virtual void cancel() { }
    // Drops what it has under way without committing it: another page replaces the open one.
    virtual void drop() { cancel(); }

protected:
    GestureHost& host_;
};

// The cursor picture of a program resource number, with its hot spot; a cross when it cannot be loaded.
// On a scaled desktop it is enlarged by the desktop's ratio.
QCursor ResourceCursor(int resource);
// A cursor of picture for a desktop of ratio: X shows a cursor's picture pixel for pixel, so a scaled
// desktop gets it enlarged, hot spot included, as the desktop's own cursors are.
QCursor CursorAtScale(QPixmap picture, QPoint hotSpot, double ratio);

} // namespace DIALOG

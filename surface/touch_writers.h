#pragma once
// The hands and pens on the surface besides the mouse: the fingers on a touch screen, a palm, and a stylus
// with its pressure and its eraser end. The first finger is the mouse: its press goes wherever a press of
// the mouse goes. Every further finger writes at the same time with a gesture and an object of its own (the
// pens, the shapes and the erasers), up to ten at once, and commits its object when it lifts, through the
// same page log as the mouse. A palm, and a stylus turned round, erase under them until they lift, whatever
// tool is chosen, and leave that tool as it was. Two fingers on an instrument carry and turn it.
#include "surface/gesture.h"
#include "surface/stroke_rules.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class QMouseEvent;
class QTabletEvent;
class QTouchEvent;

namespace DIALOG {

class InstrumentGesture;

// What the surface lends the hands: the press, moves and release of the mouse, for the first finger and
// the stylus's tip, and what a further writer copies from the tools.
class PointerTarget {
public:
    // No press of the mouse, a finger or the stylus is held.
    virtual bool primaryIdle() const = 0;
    virtual void primaryPress(QPoint point) = 0;
    virtual void primaryMove(QPoint point) = 0;
    virtual void primaryRelease(QPoint point) = 0;
    // Ends the press under way without keeping what it drew.
    virtual void primaryDrop() = 0;
    // The stylus's pressure (0 to 1) for the mouse's freehand pens; negative for none.
    virtual void setPressure(double pressure) = 0;
    virtual int pointEraserSize() const = 0;
    virtual const SpeedPenWidth& speedPen() const = 0;
    virtual InstrumentGesture& heldInstruments() = 0;

protected:
    ~PointerTarget() = default;
};

// When a contact is a palm rather than a finger: either diameter of its ellipse reaches diameterMm, or,
// where the frame reports pressure but no size, its pressure reaches pressure.
struct PalmRule {
    static constexpr double kDiameterMm = 30.0;
    static constexpr double kPressure = 0.9;

    double diameterMm = kDiameterMm;
    double pressure = kPressure;
    // Pixels of the touch screen per millimetre.
    double pixelsPerMm = 96.0 / 25.4;

    // diameters is empty where the frame reports no size; pressure is negative where it reports none.
    bool IsPalm(QSizeF diameters, double pressure) const;
    // The rule a school set in file's [Touch] section (PalmSize in millimetres, PalmPressure from 0 to 1),
    // the defaults where it set none or nonsense.
    static PalmRule FromSettings(const QString& file, double pixelsPerMm);
};

class TouchWriters : public Overlay {
public:
    // The fingers the surface follows at once; a further one is ignored until one lifts.
    static constexpr std::size_t kMostContacts = 10;
    // The big eraser's half side, which a palm erases with at least.
    static constexpr int kPalmEraserSize = 32;
    // A finger that has gone no farther than this from its press still holds an instrument with a second
    // finger, and what it drew is dropped; past it, it writes on.
    static constexpr double kHoldSlop = 24.0;

    TouchWriters(GestureHost& surface, PointerTarget& target);
    ~TouchWriters() override;
    TouchWriters(const TouchWriters&) = delete;
    TouchWriters& operator=(const TouchWriters&) = delete;

    // False when the event is left to Qt, which then makes mouse events of it: a first touch on one of
    // the surface's child windows.
    bool touchEvent(QTouchEvent& event);
    // False for a stylus hovering, whose mouse moves Qt makes for the cursor.
    bool tabletEvent(QTabletEvent& event);
    // A mouse event made from a finger or a stylus while they are followed here: the surface ignores it,
    // so that nothing is drawn twice.
    bool follows(const QMouseEvent& event) const;
    // A finger or the stylus is on the surface.
    bool busy() const { return !contacts_.empty(); }
    // What the writers have under way is committed (finishAll: the surface is hidden) or dropped (another
    // page replaces the open one); the fingers are forgotten until they lift.
    void finishAll();
    void dropAll();
    // The rule is read from the program folder's SetInfo.ini at every first touch, unless set here.
    void SetPalmRule(const PalmRule& rule)
    {
        palm_ = rule;
        palmSet_ = true;
    }

    // The strokes, erasers and bands the writers have under way.
    void paintOverlay(QPainter& painter) const override;

private:
    class Writer;
    struct Contact;

    Contact* find(int id);
    // An event's position as a point of the page (device pixels).
    QPointF pagePoint(QPointF position) const;
    void press(int id, QPointF at, bool palm, double pressure);
    void move(Contact& contact, QPointF at, bool palm, double pressure);
    void release(Contact& contact, QPointF at);
    bool startHold(Contact& contact, int instrument);
    void startWriter(Contact& contact, bool palm, double pressure);
    std::unique_ptr<Writer> makeWriter(bool eraser, int eraserSize) const;
    void forget(const Contact& contact);

    GestureHost& surface_;
    PointerTarget& target_;
    PalmRule palm_;
    bool palmSet_ = false;
    std::vector<std::unique_ptr<Contact>> contacts_;
};

} // namespace DIALOG

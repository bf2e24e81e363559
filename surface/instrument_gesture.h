#pragma once
// The geometry instruments on the surface: the five instrument places, and in instrument mode ("TOOL") the
// mouse. Placing, moving, turning and removing an instrument, its hover cursors and its painting (the
// visible instruments in table order, the active one last, over the page in every mode) go here; the
// instruments themselves are reached only through the instrument table. A compass drag draws an arc into
// the surface's current object, and the release commits it to the page like any other object.
#include "instruments/hand_hold.h"
#include "instruments/instrument_table.h"
#include "surface/gesture.h"

#include <QString>

namespace DIALOG {

class InstrumentGesture : public Gesture {
public:
    // Whether the screen recorder is recording now; while it is, a changed instrument repaints only where
    // it was and is, so that the recorded frames stay small.
    using RecordingProbe = bool (*)();

    explicit InstrumentGesture(GestureHost& host);

    // In instrument mode every press belongs to the instruments, whether or not one is hit.
    Press press(QPoint point) override;
    void move(QPoint point) override;
    void release(QPoint point) override;
    std::optional<QCursor> cursor(QPoint point) const override;
    void paintOverlay(QPainter& painter) const override;
    void cancel() override;

    // A kind name ("Compass", "Ruler", "ISOTriangular", "Triangular", "Protractor") waits to be placed by the
    // next press and drag; any other name only starts placing.
    void SelectInstrument(const QString& name) { table_.SelectInstrument(name); }
    void RemoveInstrument(int index);
    // Empties the five places, as a new surface starts.
    void ClearInstruments() { table_.Clear(); }

    // Points come in the page's device pixels; the instruments are laid out in logical ones, so that they
    // keep their physical size on a scaled desktop. Two fingers on an instrument: HoldableAt finds one under
    // a finger (-1 for none), BeginHold takes it with the fingers at first and second, MoveHold carries and
    // turns it with them, EndHold lets go.
    int HoldableAt(QPoint point) const;
    void BeginHold(int index, QPointF first, QPointF second);
    void MoveHold(QPointF first, QPointF second);
    void EndHold();
    bool holding() const { return holdIndex_ >= 0; }

    const InstrumentTable& table() const { return table_; }

    // The recorder's IsPlaying unless a test or benchmark says otherwise.
    static void SetRecordingProbe(RecordingProbe probe);

private:
    void repaint(const InstrumentStep& step);
    DeviceScale scale() const { return host_.deviceScale(); }

    // Hover and painting read and rebuild the instruments' regions: the table changes under const calls.
    mutable InstrumentTable table_;
    HandHold hold_;
    int holdIndex_ = -1;
};

} // namespace DIALOG

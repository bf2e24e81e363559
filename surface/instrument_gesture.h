#pragma once
// The geometry instruments on the surface: the five instrument places, and in instrument mode ("TOOL") the
// mouse. Placing, moving, turning and removing an instrument, its hover cursors and its painting (the
// visible instruments in table order, the active one last, over the page in every mode) go here, talking to
// the instruments only through MyShape.
#include "surface/gesture.h"

#include <QString>

#include <array>

namespace DIALOG {

class MyShape;

// One of the five instrument places of the surface (compass, ruler, two set squares, protractor).
struct InstrumentEntry {
    MyShape* shape = nullptr;
    QString tag;
    BOOL active = 0;
};

class InstrumentGesture : public Gesture {
public:
    using Gesture::Gesture;

    // In instrument mode every press belongs to the instruments, whether or not one is hit.
    Press press(QPoint point) override;
    std::optional<QCursor> cursor(QPoint point) const override;

    // Empties the five places, as a new surface starts.
    void ClearInstruments();

private:
    std::array<InstrumentEntry, 5> instruments_;
};

} // namespace DIALOG

#pragma once
// The five instrument places of the pen surface and what the mouse does with them in instrument mode
// ("TOOL"), without a window, so that a gesture of the surface drives it and tests run it on a QImage.
//
// How a gesture drives it. Points are the surface's client pixels, which are the page's.
//   SelectInstrument(kind)  the tool panel chose a kind (KindOfNumber maps the main panel's 1..5); the next
//                           press places a fresh one. Choosing a kind again replaces the old one.
//   Press(p)                a left press that no gesture before the instruments took. In instrument mode
//                           every press belongs here: one that grabs nothing lets the active compass draw.
//   Move(p, toolStrip)      each move of the held button; an instrument dragged onto toolStrip is removed.
//   Release(p)              the release; step.arc, when set, is a compass arc to commit to the page.
//   Hover(p), CursorNumber  while no button is held: the cursor resource to show (682 the open hand, or
//                           the system's arrow and hand under their Windows numbers).
//   Paint(painter, page)    on every paint, after the page content and in every mode: the visible
//                           instruments in table order, the active one last. page is the picture under the
//                           instruments; their scales take the inverse of its pixels.
// Each call answers an InstrumentStep: what to repaint (Changed: step.dirty holds where the instrument
// was and is, enough while the recorder records; Whole: everything), whether the compass was taken hold of
// (the surface's drawing mode becomes 12), and the pencil point of a compass drag step.
#include "instruments/my_shape.h"

#include <QRect>
#include <QRegion>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QImage;
class QPainter;

namespace DIALOG {

// Table indices of the five kinds.
constexpr int kCompassEntry = 0;
constexpr int kRulerEntry = 1;
constexpr int kISOTriangularEntry = 2;
constexpr int kTriangularEntry = 3;
constexpr int kProtractorEntry = 4;
constexpr int kInstrumentEntries = 5;

// Cursors the instruments ask for: the system arrow and hand (IDC_ARROW, IDC_HAND) and our open hand.
constexpr int kCursorArrow = 32512;
constexpr int kCursorHand = 32649;
constexpr int kCursorOpenHand = 682;

// A compass arc drawn by one drag: the page keeps it as a CompassArc object.
struct CompassStroke {
    QPoint centre;
    int radius = 0;
    std::vector<QPoint> points;
};

struct InstrumentStep {
    enum class Repaint {
        None,
        Changed, // the area in dirty changed
        Whole, // the whole surface
    };
    Repaint repaint = Repaint::None;
    QRegion dirty;
    // The compass was taken hold of: the surface's drawing mode becomes 12.
    bool compassGrabbed = false;
    // The pencil point this drag step of the compass added to its arc.
    std::optional<QPoint> pencilPoint;
    // Release only: the arc just drawn, to commit to the page (two points at least).
    std::optional<CompassStroke> arc;
    // The instrument was dragged onto the tool strip and removed.
    bool removed = false;
};

class InstrumentTable {
public:
    struct Entry {
        std::unique_ptr<MyShape> shape;
        QString tag;
        BOOL active = 0;
    };

    explicit InstrumentTable(ScreenWidthSource screenWidth = PrimaryScreenWidth);

    // The table index of a kind name, -1 for any other string.
    static int IndexOfKind(const QString& name);
    // The kind the main panel means by 1..5 (1 "Compass", 2 "Protractor", 3 "Ruler", 4 "ISOTriangular",
    // 5 "Triangular"); empty for any other number.
    static QString KindOfNumber(int n);

    // Makes entry i the only active one.
    void ActivateEntry(int i);
    // The shape of the first active entry, or null.
    MyShape* GetActiveInstrument() const;
    // Starts placing; for one of the five kinds, a fresh unplaced instrument replaces that kind's and
    // becomes the active one.
    void SelectInstrument(const QString& name);
    void RemoveInstrument(int index);
    // Empties the five places and forgets the mouse, as a new surface starts.
    void Clear();
    // Drops the compass arc being drawn.
    void ResetArc();

    const Entry& entry(int index) const { return entries_[std::size_t(index)]; }
    MyShape* shape(int index) const { return entries_[std::size_t(index)].shape.get(); }

    // The instrument under p that two fingers may hold (any but the compass, whose legs are handles of
    // their own); -1 when none. Of two overlapping ones the later is taken, as a press takes it.
    int HoldableAt(QPoint p) const;
    // Two fingers took hold of entry index: it becomes the active one, and a drag under way ends.
    void BeginHold(int index);
    // The held entry index lies at origin and handle now.
    InstrumentStep PlaceHeld(int index, QPoint origin, QPoint handle);

    InstrumentStep Press(QPoint p);
    InstrumentStep Move(QPoint p, const QRect& toolStrip);
    InstrumentStep Release(QPoint p);
    void Hover(QPoint p);
    int CursorNumber() const;
    void Paint(QPainter& painter, const QImage& page);

    // The compass arc of the drag under way.
    const CompassStroke& CurrentArc() const { return stroke_; }

    bool placing() const { return placing_; }
    bool moving() const { return moving_; }
    bool handleDrag() const { return handleDrag_; }
    bool protractorTurn() const { return protractorTurn_; }
    bool hoverHandle() const { return hoverHandle_; }
    bool hoverBody() const { return hoverBody_; }

private:
    std::unique_ptr<MyShape> make(int index) const;
    int activeIndex() const;
    // Takes hold of entry i at p by its handle or body; false when p is on neither.
    bool grab(int i, QPoint p, InstrumentStep& step);

    ScreenWidthSource screenWidth_;
    std::array<Entry, kInstrumentEntries> entries_;
    bool placing_ = false;
    bool moving_ = false;
    bool handleDrag_ = false;
    bool protractorTurn_ = false;
    QPoint lastPoint_;
    bool hoverHandle_ = false;
    bool hoverBody_ = false;
    CompassStroke stroke_;
};

} // namespace DIALOG

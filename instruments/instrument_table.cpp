#include "instruments/instrument_table.h"

#include "instruments/compass.h"
#include "instruments/iso_triangular.h"
#include "instruments/protractor.h"
#include "instruments/ruler_entity.h"
#include "instruments/triangular.h"
#include "platform/gdi.h"

#include <QPainter>

#include <cmath>
#include <utility>

namespace DIALOG {

namespace {

const QString kKinds[kInstrumentEntries] = {QStringLiteral("Compass"), QStringLiteral("Ruler"),
    QStringLiteral("ISOTriangular"), QStringLiteral("Triangular"), QStringLiteral("Protractor")};

// A turned protractor's handle stays where the surface can still reach it.
constexpr int kTurnLeftmost = -1440;
constexpr int kTurnTopmost = -900;

// A compass opened by placing is never narrower than this.
constexpr int kCompassSmallestOpening = 50;

Compass* asCompass(MyShape* shape)
{
    return shape && shape->GetName() == kKinds[kCompassEntry] ? static_cast<Compass*>(shape) : nullptr;
}

Protractor* asProtractor(MyShape* shape)
{
    return shape && shape->GetName() == kKinds[kProtractorEntry] ? static_cast<Protractor*>(shape) : nullptr;
}

} // namespace

InstrumentTable::InstrumentTable(ScreenWidthSource screenWidth)
    : screenWidth_(screenWidth ? std::move(screenWidth) : ScreenWidthSource(PrimaryScreenWidth))
{
}

int InstrumentTable::IndexOfKind(const QString& name)
{
    for (int i = 0; i < kInstrumentEntries; ++i)
        if (name == kKinds[i])
            return i;
    return -1;
}

QString InstrumentTable::KindOfNumber(int n)
{
    switch (n) {
    case 1:
        return kKinds[kCompassEntry];
    case 2:
        return kKinds[kProtractorEntry];
    case 3:
        return kKinds[kRulerEntry];
    case 4:
        return kKinds[kISOTriangularEntry];
    case 5:
        return kKinds[kTriangularEntry];
    default:
        return QString();
    }
}

std::unique_ptr<MyShape> InstrumentTable::make(int index) const
{
    switch (index) {
    case kCompassEntry:
        return std::make_unique<Compass>(screenWidth_);
    case kRulerEntry:
        return std::make_unique<RulerEntity>(screenWidth_);
    case kISOTriangularEntry:
        return std::make_unique<ISOTriangular>(screenWidth_);
    case kTriangularEntry:
        return std::make_unique<Triangular>(screenWidth_);
    case kProtractorEntry:
        return std::make_unique<Protractor>(screenWidth_);
    default:
        return nullptr;
    }
}

void InstrumentTable::ActivateEntry(int i)
{
    if (i < 0 || i >= kInstrumentEntries)
        return;
    for (int k = 0; k < kInstrumentEntries; ++k)
        entries_[std::size_t(k)].active = k == i;
}

int InstrumentTable::activeIndex() const
{
    for (int i = 0; i < kInstrumentEntries; ++i)
        if (entries_[std::size_t(i)].active)
            return i;
    return -1;
}

MyShape* InstrumentTable::GetActiveInstrument() const
{
    const int i = activeIndex();
    return i < 0 ? nullptr : entries_[std::size_t(i)].shape.get();
}

void InstrumentTable::SelectInstrument(const QString& name)
{
    placing_ = true;
    // A drag under way belongs to the instrument that is replaced.
    moving_ = handleDrag_ = protractorTurn_ = false;
    const int i = IndexOfKind(name);
    if (i < 0)
        return;
    Entry& entry = entries_[std::size_t(i)];
    entry.shape = make(i);
    entry.shape->SetName(name);
    entry.tag.clear();
    ActivateEntry(i);
}

void InstrumentTable::RemoveInstrument(int index)
{
    if (index < 0 || index >= kInstrumentEntries)
        return;
    entries_[std::size_t(index)] = Entry();
}

void InstrumentTable::Clear()
{
    for (Entry& entry : entries_)
        entry = Entry();
    placing_ = moving_ = handleDrag_ = protractorTurn_ = false;
    hoverHandle_ = hoverBody_ = false;
    lastPoint_ = QPoint();
    ResetArc();
}

void InstrumentTable::ResetArc()
{
    stroke_ = CompassStroke();
}

bool InstrumentTable::grab(int i, QPoint p, InstrumentStep& step)
{
    MyShape* shape = entries_[std::size_t(i)].shape.get();
    const bool handle = shape->HitHandle(p.x(), p.y());
    if (!handle && !shape->HitBody(p.x(), p.y()))
        return false;
    if (asCompass(shape))
        step.compassGrabbed = true;
    lastPoint_ = p;
    // Only the instrument that ends up active is dragged: a hit on one below it leaves no flag behind.
    handleDrag_ = handle;
    moving_ = !handle;
    protractorTurn_ = false;
    return true;
}

int InstrumentTable::HoldableAt(QPoint p) const
{
    const int active = activeIndex();
    const auto holds = [&](int i) {
        const MyShape* shape = entries_[std::size_t(i)].shape.get();
        return i != kCompassEntry && shape && shape->visible && shape->HitBody(p.x(), p.y());
    };
    if (active >= 0 && holds(active))
        return active;
    int taken = -1;
    for (int i = 0; i < kInstrumentEntries; ++i)
        if (holds(i))
            taken = i;
    return taken;
}

void InstrumentTable::BeginHold(int index)
{
    ActivateEntry(index);
    placing_ = moving_ = handleDrag_ = protractorTurn_ = false;
}

InstrumentStep InstrumentTable::PlaceHeld(int index, QPoint origin, QPoint handle)
{
    InstrumentStep step;
    MyShape* shape
        = index >= 0 && index < kInstrumentEntries ? entries_[std::size_t(index)].shape.get() : nullptr;
    if (!shape || !shape->visible)
        return step;
    const QRegion before = shape->dirtyRgn;
    shape->ptOrigin = origin;
    shape->ptHandle = handle;
    shape->UpdateRegions();
    step.repaint = InstrumentStep::Repaint::Changed;
    step.dirty = before + shape->dirtyRgn;
    return step;
}

InstrumentStep InstrumentTable::Press(QPoint p)
{
    InstrumentStep step;
    stroke_.points.clear();
    MyShape* active = GetActiveInstrument();
    if (placing_) {
        if (!active)
            return step;
        const QRegion before = active->visible ? active->dirtyRgn : QRegion();
        active->ptOrigin = p;
        active->visible = 1;
        if (Protractor* protractor = asProtractor(active)) {
            protractor->PlaceAt(p);
            placing_ = false;
            moving_ = true;
            lastPoint_ = p;
            step.repaint = InstrumentStep::Repaint::Whole;
            return step;
        }
        // Until the drag sets its handle, the instrument lies on its origin, where nothing is drawn: not
        // stretched to where an unplaced handle happens to be.
        active->ptHandle = p;
        active->UpdateRegions();
        step.repaint = InstrumentStep::Repaint::Changed;
        step.dirty = before + active->dirtyRgn;
        return step;
    }
    if (active && active->visible) {
        if (grab(activeIndex(), p, step))
            return step;
    }
    // The scan goes on past a hit, so that of two overlapping instruments the later one is taken.
    int taken = -1;
    for (int i = 0; i < kInstrumentEntries; ++i) {
        MyShape* shape = entries_[std::size_t(i)].shape.get();
        if (!shape || !shape->visible)
            continue;
        if (Compass* compass = asCompass(shape); compass && compass->OnPencilLeg(p.x(), p.y())) {
            step.compassGrabbed = true;
            lastPoint_ = p;
            taken = i;
        }
        if (grab(i, p, step))
            taken = i;
    }
    if (taken >= 0) {
        ActivateEntry(taken);
        step.repaint = InstrumentStep::Repaint::Whole;
    }
    return step;
}

InstrumentStep InstrumentTable::Move(QPoint p, const QRect& toolStrip)
{
    InstrumentStep step;
    MyShape* shape = GetActiveInstrument();
    if (!shape)
        return step;
    const QRegion before = shape->dirtyRgn;
    Compass* compass = asCompass(shape);
    Protractor* protractor = asProtractor(shape);
    if (compass && !moving_ && !handleDrag_ && !placing_) {
        if (const auto q = compass->DrawTowards(p)) {
            stroke_.centre = compass->ptOrigin;
            stroke_.radius = compass->radius;
            stroke_.points.push_back(*q);
            step.pencilPoint = q;
            lastPoint_ = *q;
        }
    }
    if (compass && (moving_ || handleDrag_))
        compass->FileArc();
    if (placing_) {
        if (shape->CanReach(p.x(), p.y()))
            shape->ptHandle = p;
        if (compass && Distance(shape->ptOrigin, p) < kCompassSmallestOpening)
            shape->ptHandle = p + QPoint(kCompassSmallestOpening, 0);
    } else if (handleDrag_) {
        const QPoint d = p - lastPoint_;
        lastPoint_ = p;
        const QPoint q = shape->ptHandle + d;
        if (shape->CanReach(q.x(), q.y())) {
            shape->ptHandle = q;
            if (protractor)
                protractor->span = Distance(shape->ptOrigin, q);
        } else if (protractor) {
            protractorTurn_ = true;
            handleDrag_ = false;
        }
    } else if (moving_) {
        const QPoint d = p - lastPoint_;
        lastPoint_ = p;
        shape->ptOrigin += d;
        shape->ptHandle += d;
        shape->UpdateRegions();
        if (toolStrip.isValid()
            && shape->HitRect(toolStrip.left(), toolStrip.top(), toolStrip.right(), toolStrip.bottom())) {
            step.dirty = before + shape->dirtyRgn;
            step.repaint = InstrumentStep::Repaint::Changed;
            step.removed = true;
            RemoveInstrument(IndexOfKind(shape->GetName()));
            moving_ = false;
            return step;
        }
    }
    if (protractorTurn_ && protractor) {
        const QPoint t = protractor->TurnPoint(p.x(), p.y());
        if (t.x() >= kTurnLeftmost && t.y() >= kTurnTopmost)
            protractor->ptHandle = t;
    }
    shape->UpdateRegions();
    step.repaint = InstrumentStep::Repaint::Changed;
    step.dirty = before + shape->dirtyRgn;
    return step;
}

InstrumentStep InstrumentTable::Release(QPoint p)
{
    InstrumentStep step;
    CompassStroke stroke = std::exchange(stroke_, CompassStroke());
    MyShape* shape = GetActiveInstrument();
    if (!shape) {
        moving_ = handleDrag_ = protractorTurn_ = false;
        return step;
    }
    Compass* compass = asCompass(shape);
    Protractor* protractor = asProtractor(shape);
    if (placing_) {
        if (shape->CanReach(p.x(), p.y()))
            shape->ptHandle = p;
        // A compass let go on or near its needle opens as far as a drag that ends there does.
        if (compass && Distance(shape->ptOrigin, p) < kCompassSmallestOpening) {
            shape->ptHandle = p + QPoint(kCompassSmallestOpening, 0);
            placing_ = false;
        }
        if (p != shape->ptOrigin && shape->CanReach(shape->ptHandle.x(), shape->ptHandle.y()))
            placing_ = false;
    }
    if (compass) {
        if ((compass->radius == 0 || handleDrag_)
            && compass->CanReach(compass->ptHandle.x(), compass->ptHandle.y()))
            compass->radius = int(std::trunc(Distance(compass->ptOrigin, compass->ptHandle)));
        else if (!placing_ && !moving_ && stroke.points.size() >= 2)
            step.arc = std::move(stroke);
    }
    if (protractor && handleDrag_ && protractor->CanReach(p.x(), p.y()))
        protractor->span = std::trunc(Distance(protractor->ptOrigin, protractor->ptHandle));
    moving_ = handleDrag_ = protractorTurn_ = false;
    shape->UpdateRegions();
    step.repaint = InstrumentStep::Repaint::Whole;
    return step;
}

void InstrumentTable::Hover(QPoint p)
{
    const MyShape* shape = GetActiveInstrument();
    if (!shape || !shape->visible) {
        hoverHandle_ = hoverBody_ = false;
        return;
    }
    hoverHandle_ = shape->HitHandle(p.x(), p.y());
    hoverBody_ = !hoverHandle_ && shape->HitBody(p.x(), p.y());
}

int InstrumentTable::CursorNumber() const
{
    if (hoverHandle_)
        return kCursorHand;
    if (hoverBody_)
        return kCursorOpenHand;
    return kCursorArrow;
}

void InstrumentTable::Paint(QPainter& painter, const QImage& page)
{
    const int active = activeIndex();
    const auto draw = [&](MyShape* shape) {
        if (!shape || !shape->visible)
            return;
        // Each instrument starts from what a fresh device context holds: a black pen and a white brush.
        painter.setPen(platform::gdiPen(RGB(0, 0, 0), 1));
        painter.setBrush(Qt::white);
        shape->Draw(painter, page);
    };
    painter.save();
    for (int i = 0; i < kInstrumentEntries; ++i)
        if (i != active)
            draw(entries_[std::size_t(i)].shape.get());
    if (active >= 0)
        draw(entries_[std::size_t(active)].shape.get());
    painter.restore();
}

} // namespace DIALOG

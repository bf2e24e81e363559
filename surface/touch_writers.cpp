#include "surface/touch_writers.h"

#include "platform/profile.h"
#include "surface/eraser_gesture.h"
#include "surface/freehand_gesture.h"
#include "surface/instrument_gesture.h"
#include "surface/lesson.h"
#include "surface/shape_gesture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTabletEvent>
#include <QTouchEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace DIALOG {

namespace {

// The stylus is followed under an id no finger has.
constexpr int kStylusId = -1;

bool followedDevice(const QInputDevice* device)
{
    if (!device)
        return false;
    switch (device->type()) {
    case QInputDevice::DeviceType::TouchScreen:
    case QInputDevice::DeviceType::Stylus:
    case QInputDevice::DeviceType::Airbrush:
        return true;
    default:
        return false;
    }
}

// The kinds a further finger writes with: the freehand pens, the shapes spanned by a drag and the erasers.
// A polyline, a text, an instrument or a picture belongs to the one pointer the surface had before.
bool writerKind(NodeKind kind, int eraseMode)
{
    switch (kind) {
    case Pen:
    case DashPen:
    case SpeedPen:
    case BrushPen:
    case EraseLasso:
        return true;
    case EraseTrail:
        return eraseMode == kEraseModePoint;
    default:
        return IsShapeKind(kind);
    }
}

} // namespace

bool PalmRule::IsPalm(QSizeF diameters, double force) const
{
    if (diameters.isValid() && !diameters.isEmpty())
        return std::max(diameters.width(), diameters.height()) >= diameterMm * pixelsPerMm;
    return force >= 0.0 && force >= pressure;
}

PalmRule PalmRule::FromSettings(const QString& file, double pixelsPerMm)
{
    PalmRule rule;
    if (pixelsPerMm > 0.0)
        rule.pixelsPerMm = pixelsPerMm;
    const QString section = QStringLiteral("Touch");
    bool ok = false;
    const double size
        = platform::GetPrivateProfileString(section, QStringLiteral("PalmSize"), QString(), 32, file)
              .toDouble(&ok);
    if (ok && size > 0.0)
        rule.diameterMm = size;
    const double force
        = platform::GetPrivateProfileString(section, QStringLiteral("PalmPressure"), QString(), 32, file)
              .toDouble(&ok);
    if (ok && force > 0.0 && force <= 1.0)
        rule.pressure = force;
    return rule;
}

// One further finger: the pens, shapes and erasers with an object of its own, on the surface's canvas
// and page log. Its rubber band is its own too, drawn in the shape's colour, since the canvas has one.
class TouchWriters::Writer : private GestureHost {
public:
    Writer(GestureHost& surface, const CPenNode& object, int eraseMode, int eraserSize,
        const SpeedPenWidth& speed)
        : surface_(surface)
        , object_(object)
        , eraseMode_(eraseMode)
        , freehand_(*this)
        , eraser_(*this)
        , shapes_(*this)
    {
        eraser_.SetEraserSize(eraserSize);
        freehand_.SetSpeed(speed);
    }

    bool press(QPoint p, double pressure)
    {
        freehand_.SetPressure(pressure);
        for (Gesture* gesture : std::initializer_list<Gesture*> {&shapes_, &eraser_, &freehand_}) {
            const Gesture::Press taken = gesture->press(p);
            if (taken == Gesture::Press::Declined)
                continue;
            active_ = taken == Gesture::Press::Captured ? gesture : nullptr;
            return active_ != nullptr;
        }
        return false;
    }
    void move(QPoint p, double pressure)
    {
        freehand_.SetPressure(pressure);
        if (active_)
            active_->move(p);
    }
    // The stroke ends with the pressure of its last move: a stylus lifting reports none.
    void release(QPoint p)
    {
        if (Gesture* gesture = std::exchange(active_, nullptr))
            gesture->release(p);
    }
    void drop()
    {
        if (Gesture* gesture = std::exchange(active_, nullptr))
            gesture->cancel();
        object_.points.clear();
        bandShown_ = false;
        // The live ink of the dropped press is only in the window image: the page shows again.
        canvas().Compose(canvas().rect());
    }
    void paint(QPainter& painter) const
    {
        if (active_)
            active_->paintOverlay(painter);
        if (bandShown_) {
            painter.save();
            bandNode().Draw(painter, nullptr);
            painter.restore();
        }
    }

private:
    Canvas& canvas() override { return surface_.canvas(); }
    Lesson& lesson() override { return surface_.lesson(); }
    const QImage& eraserSource() const override { return surface_.eraserSource(); }
    CPenNode& object() override { return object_; }
    void commitObject(const CPenNode& node, const QRect& extra) override
    {
        surface_.commitObject(node, extra);
    }
    void commitCurrentObject(const QRect& extra) override
    {
        if (object_.points.empty())
            return;
        const CPenNode committed = object_;
        object_.points.clear();
        surface_.commitObject(committed, extra);
    }
    void redrawPage() override { surface_.redrawPage(); }
    void tell(const QString& text) override { surface_.tell(text); }
    void notifyOwner(UINT message, WPARAM wParam) override { surface_.notifyOwner(message, wParam); }
    QWidget* surfaceWindow() override { return surface_.surfaceWindow(); }
    bool windowExists() const override { return surface_.windowExists(); }
    bool instrumentMode() const override { return false; }
    int eraseMode() const override { return eraseMode_; }
    QRect toolStrip() const override { return surface_.toolStrip(); }
    qint64 clock() const override { return surface_.clock(); }
    DeviceScale deviceScale() const override { return surface_.deviceScale(); }
    void moveBand(const Band& band) override
    {
        const QRect before = bandBounds();
        band_ = band;
        bandShown_ = true;
        canvas().Compose(before | bandBounds());
    }
    void removeBand() override
    {
        if (!bandShown_)
            return;
        bandShown_ = false;
        canvas().Compose(ObjectBounds(bandNode()));
    }
    QRect bandBounds() override { return bandShown_ ? ObjectBounds(bandNode()) : QRect(); }

    CPenNode bandNode() const
    {
        CPenNode node(object_.colour, band_.width, object_.highlight, band_.kind);
        node.AddPoint(band_.from.x(), band_.from.y());
        node.AddPoint(band_.to.x(), band_.to.y());
        return node;
    }

    GestureHost& surface_;
    CPenNode object_;
    int eraseMode_;
    FreehandGesture freehand_;
    EraserGesture eraser_;
    ShapeGesture shapes_;
    Gesture* active_ = nullptr;
    Band band_;
    bool bandShown_ = false;
};

struct TouchWriters::Contact {
    enum class Role {
        Primary, // goes where the mouse goes
        Writer, // writes with an object of its own
        Held, // holds an instrument with another finger
        Idle, // followed until it lifts, doing nothing
    };
    int id = 0;
    Role role = Role::Idle;
    QPointF pressedAt;
    QPointF at;
    // The farthest it has gone from its press.
    double travel = 0.0;
    // The instrument it was pressed on, -1 for none.
    int instrument = -1;
    // Which of the two fingers holding an instrument it is.
    bool firstHand = false;
    bool palm = false;
    std::unique_ptr<Writer> writer;
};

QPointF TouchWriters::pagePoint(QPointF position) const
{
    return QPointF(surface_.deviceScale().toDevice(position));
}

TouchWriters::TouchWriters(GestureHost& surface, PointerTarget& target)
    : surface_(surface)
    , target_(target)
{
}

TouchWriters::~TouchWriters() = default;

TouchWriters::Contact* TouchWriters::find(int id)
{
    for (const std::unique_ptr<Contact>& contact : contacts_)
        if (contact->id == id)
            return contact.get();
    return nullptr;
}

bool TouchWriters::touchEvent(QTouchEvent& event)
{
    if (event.type() == QEvent::TouchCancel) {
        dropAll();
        return true;
    }
    if (event.type() == QEvent::TouchBegin) {
        if (!palmSet_) {
            const QScreen* screen = surface_.surfaceWindow()->screen();
            palm_ = PalmRule::FromSettings(
                QStringLiteral("./SetInfo.ini"), screen ? screen->physicalDotsPerInch() / 25.4 : 0.0);
        }
        // A child window (a text box, a media frame) takes a finger as it takes the mouse.
        for (const QEventPoint& point : event.points())
            if (surface_.surfaceWindow()->childAt(point.position().toPoint()))
                return false;
    }
    const QPointingDevice* device = event.pointingDevice();
    const bool sized = device && device->capabilities().testFlag(QInputDevice::Capability::Area);
    const bool pressed = device && device->capabilities().testFlag(QInputDevice::Capability::Pressure);
    for (const QEventPoint& point : event.points()) {
        const bool palm
            = palm_.IsPalm(sized ? point.ellipseDiameters() : QSizeF(), pressed ? point.pressure() : -1.0);
        Contact* contact = find(point.id());
        switch (point.state()) {
        case QEventPoint::State::Pressed:
            if (!contact)
                press(point.id(), pagePoint(point.position()), palm, -1.0);
            break;
        case QEventPoint::State::Updated:
            if (contact)
                move(*contact, pagePoint(point.position()), palm, -1.0);
            break;
        case QEventPoint::State::Released:
            if (contact)
                release(*contact, pagePoint(point.position()));
            break;
        default:
            break;
        }
    }
    return true;
}

bool TouchWriters::tabletEvent(QTabletEvent& event)
{
    const bool eraserEnd = event.pointerType() == QPointingDevice::PointerType::Eraser;
    Contact* stylus = find(kStylusId);
    switch (event.type()) {
    case QEvent::TabletPress:
        if (event.button() != Qt::LeftButton)
            return false;
        if (!stylus)
            press(kStylusId, pagePoint(event.position()), eraserEnd, event.pressure());
        return true;
    case QEvent::TabletMove:
        if (!stylus)
            return false;
        move(*stylus, pagePoint(event.position()), stylus->palm, event.pressure());
        return true;
    case QEvent::TabletRelease:
        if (!stylus)
            return false;
        release(*stylus, pagePoint(event.position()));
        return true;
    default:
        return false;
    }
}

bool TouchWriters::follows(const QMouseEvent& event) const
{
    return busy() && followedDevice(event.device());
}

void TouchWriters::press(int id, QPointF at, bool palm, double pressure)
{
    if (contacts_.size() >= kMostContacts)
        return;
    auto contact = std::make_unique<Contact>();
    contact->id = id;
    contact->pressedAt = contact->at = at;
    // The stylus writes over an instrument; only fingers take hold of one.
    contact->instrument = id == kStylusId ? -1 : target_.heldInstruments().HoldableAt(at.toPoint());
    Contact& c = *contact;
    contacts_.push_back(std::move(contact));
    if (palm) {
        startWriter(c, true, pressure);
    } else if (c.instrument >= 0 && startHold(c, c.instrument)) {
        return;
    } else if (target_.primaryIdle()
        && std::none_of(contacts_.begin(), contacts_.end(),
            [](const auto& other) { return other->role == Contact::Role::Primary; })) {
        c.role = Contact::Role::Primary;
        target_.setPressure(pressure);
        target_.primaryPress(at.toPoint());
    } else {
        startWriter(c, false, pressure);
    }
}

bool TouchWriters::startHold(Contact& contact, int instrument)
{
    InstrumentGesture& instruments = target_.heldInstruments();
    if (instruments.holding())
        return false;
    const bool instrumentMode = surface_.instrumentMode();
    for (const std::unique_ptr<Contact>& other : contacts_) {
        if (other.get() == &contact || other->instrument != instrument || other->palm
            || (other->role != Contact::Role::Primary && other->role != Contact::Role::Writer)
            || (!instrumentMode && other->travel > kHoldSlop * surface_.deviceScale().ratio))
            continue;
        // What the first finger began becomes the hold: a drag of the instrument ends where it is, a
        // stroke just begun is let go of.
        if (other->role == Contact::Role::Primary && instrumentMode)
            target_.primaryRelease(other->at.toPoint());
        else if (other->role == Contact::Role::Primary)
            target_.primaryDrop();
        else if (other->writer)
            other->writer->drop();
        other->writer.reset();
        other->role = contact.role = Contact::Role::Held;
        other->firstHand = true;
        contact.firstHand = false;
        instruments.BeginHold(instrument, other->at, contact.at);
        return true;
    }
    return false;
}

std::unique_ptr<TouchWriters::Writer> TouchWriters::makeWriter(bool eraser, int eraserSize) const
{
    if (eraser) {
        const CPenNode object(EraserGesture::kPointEraserColour, eraserSize, 0, EraseTrail);
        return std::make_unique<Writer>(surface_, object, kEraseModePoint, eraserSize, target_.speedPen());
    }
    const PenState& s = surface_.lesson().Pen();
    if (surface_.instrumentMode() || !writerKind(s.kind, surface_.eraseMode()))
        return nullptr;
    const CPenNode object(s.colour, s.width, s.highlight, s.kind);
    return std::make_unique<Writer>(
        surface_, object, surface_.eraseMode(), target_.pointEraserSize(), target_.speedPen());
}

void TouchWriters::startWriter(Contact& contact, bool palm, double pressure)
{
    contact.palm = palm;
    contact.role = Contact::Role::Idle;
    // A palm wipes like the big eraser; the stylus's eraser end as the eraser the teacher chose.
    const int size = contact.id == kStylusId ? target_.pointEraserSize()
                                             : surface_.deviceScale().length(kPalmEraserSize);
    contact.writer = makeWriter(palm, size);
    if (contact.writer && contact.writer->press(contact.at.toPoint(), pressure))
        contact.role = Contact::Role::Writer;
    else
        contact.writer.reset();
}

void TouchWriters::move(Contact& contact, QPointF at, bool palm, double pressure)
{
    contact.at = at;
    contact.travel = std::max(
        contact.travel, std::hypot(at.x() - contact.pressedAt.x(), at.y() - contact.pressedAt.y()));
    const QPoint p = at.toPoint();
    // A hand laid down after its fingertip touched: what the finger drew goes, and the hand erases.
    if (palm && !contact.palm && contact.role != Contact::Role::Held) {
        if (contact.role == Contact::Role::Primary)
            target_.primaryDrop();
        else if (contact.writer)
            contact.writer->drop();
        startWriter(contact, true, pressure);
        return;
    }
    switch (contact.role) {
    case Contact::Role::Primary:
        target_.setPressure(pressure);
        target_.primaryMove(p);
        break;
    case Contact::Role::Writer:
        contact.writer->move(p, pressure);
        break;
    case Contact::Role::Held: {
        const auto other = std::find_if(contacts_.begin(), contacts_.end(),
            [&](const auto& c) { return c.get() != &contact && c->role == Contact::Role::Held; });
        if (other != contacts_.end() && contact.firstHand)
            target_.heldInstruments().MoveHold(at, (*other)->at);
        else if (other != contacts_.end())
            target_.heldInstruments().MoveHold((*other)->at, at);
        break;
    }
    case Contact::Role::Idle:
        break;
    }
}

void TouchWriters::release(Contact& contact, QPointF at)
{
    const QPoint p = at.toPoint();
    switch (contact.role) {
    case Contact::Role::Primary:
        target_.primaryRelease(p);
        target_.setPressure(-1.0);
        break;
    case Contact::Role::Writer:
        contact.writer->release(p);
        // The end of a stroke: what it committed goes to the journal, as the mouse's release sends it.
        surface_.lesson().JournalChanges();
        break;
    case Contact::Role::Held:
        // The finger left holding goes on doing nothing until it lifts too.
        target_.heldInstruments().EndHold();
        for (const std::unique_ptr<Contact>& other : contacts_)
            if (other->role == Contact::Role::Held)
                other->role = Contact::Role::Idle;
        break;
    case Contact::Role::Idle:
        break;
    }
    forget(contact);
}

void TouchWriters::forget(const Contact& contact)
{
    std::erase_if(contacts_, [&](const std::unique_ptr<Contact>& c) { return c.get() == &contact; });
}

void TouchWriters::finishAll()
{
    for (const std::unique_ptr<Contact>& contact : contacts_)
        if (contact->role == Contact::Role::Writer)
            contact->writer->release(contact->at.toPoint());
    contacts_.clear();
    target_.heldInstruments().EndHold();
    surface_.lesson().JournalChanges();
}

void TouchWriters::dropAll()
{
    for (const std::unique_ptr<Contact>& contact : contacts_) {
        if (contact->role == Contact::Role::Writer)
            contact->writer->drop();
        else if (contact->role == Contact::Role::Primary)
            target_.primaryDrop();
    }
    contacts_.clear();
    target_.heldInstruments().EndHold();
}

void TouchWriters::paintOverlay(QPainter& painter) const
{
    for (const std::unique_ptr<Contact>& contact : contacts_)
        if (contact->writer)
            contact->writer->paint(painter);
}

} // namespace DIALOG

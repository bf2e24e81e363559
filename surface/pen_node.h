#pragma once
// The drawing objects of a page: what each kind holds, how it is drawn onto the page bitmap and the
// text form in which it is stored in a page file.
#include "platform/win_types.h"

#include <QImage>
#include <QPoint>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class QPainter;

namespace DIALOG {

struct PenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    // 1 when joined to the previous point while drawing, 0 in a gap of the live dash pattern.
    std::int32_t linked = 0;
    // The pen width of the segment ending here, for SpeedPen; 0 for other kinds.
    std::int32_t segWidth = 0;

    friend bool operator==(const PenPoint&, const PenPoint&) = default;
};
static_assert(sizeof(PenPoint) == 16);

enum NodeKind : std::int32_t {
    Pen = 0,
    DashPen = 1,
    GuideLine = 2,
    Rectangle = 3,
    Ellipse = 4,
    EraseTrail = 5,
    Polyline = 6,
    SpeedPen = 7,
    Text = 8,
    Cube = 9,
    Cylinder = 10,
    EraseLasso = 11,
    CompassArc = 12,
    Picture = 13,
    Flash = 14,
    Line = 15,
    Arrow = 16,
    BrushPen = 17,
    Video = 18,
};
constexpr int kNodeKindCount = 19;

constexpr int kPathSize = 260;
constexpr int kTextSize = 4096;
// A stored record holds at most this many points; the rest of a longer one is skipped.
constexpr std::size_t kMaxPointsPerObject = 1000000;
// The most points of an EraseLasso that make up its polygon.
constexpr int kMaxLassoPoints = 500;
// The end mark of a stored record, followed directly by ";".
constexpr int kEndMark = -9999;

// A character field of a drawing object: NUL-terminated text of at most Size - 1 bytes, as the fixed arrays
// of the stored form hold, taking only the room its text needs. Most objects leave all three fields empty,
// and a page of ten thousand strokes would otherwise carry 46 MB of zeros.
template<std::size_t Size>
class FieldString {
public:
    static constexpr std::size_t kCapacity = Size - 1;

    operator const char*() const { return text_.c_str(); }
    const char* c_str() const { return text_.c_str(); }
    std::size_t size() const { return text_.size(); }
    bool empty() const { return text_.empty(); }
    void clear() { text_.clear(); }
    // Keeps the first kCapacity bytes of s.
    void assign(const char* s, std::size_t n) { text_.assign(s, std::min(n, kCapacity)); }
    void assign(const char* s) { assign(s, std::strlen(s)); }

    friend bool operator==(const FieldString&, const FieldString&) = default;

private:
    std::string text_;
};

class CPenNode {
public:
    CPenNode(COLORREF colour = 0, int width = 0, BOOL highlight = 0, NodeKind kind = Pen);
    CPenNode(const CPenNode&) = default;
    CPenNode& operator=(const CPenNode&) = default;
    CPenNode(CPenNode&&) = default;
    CPenNode& operator=(CPenNode&&) = default;
    virtual ~CPenNode() = default;

    // Draws the object onto a page. background is the page background bitmap that EraseTrail and
    // EraseLasso restore from (they draw nothing without it). The painter's state is kept.
    void Draw(QPainter& painter, const QImage* background) const;

    // Writes the stored form. Character arrays the kind does not use are written as "0".
    void Write(std::ostream& os) const;
    // Reads one stored record into this object, appending its points. Returns false when no record
    // starts (end of stream, or the stream has failed); a record cut short still returns true with
    // what could be read, and leaves the stream failed. A field is only assigned when its token was
    // read, so a flag set before the call survives a record that ends early.
    BOOL Read(std::istream& is);

    void Reset();
    void AddPoint(int x, int y, int linked = 1, int segWidth = 0);

    // The picture path as a file name (bars back to spaces), and setting it from one.
    QString PicturePathForLoad() const;
    void SetPicturePath(const QString& path);
    void SetMediaPath(const QString& path);
    // The text as the user typed it, and setting it (stored form, cut to the array at a whole character).
    QString EditText() const;
    void SetEditText(const QString& editText);

    std::int32_t arcCentreX = 0;
    std::int32_t arcCentreY = 0;
    double arcRadius = 0.0;
    std::vector<PenPoint> points;
    std::int32_t boxWidth = 0;
    std::int32_t boxHeight = 0;
    std::int32_t boxCentreX = 0;
    std::int32_t boxCentreY = 0;
    double boxAngle = 0.0;
    FieldString<kPathSize> picturePath;
    // The decoded picture, shared by every object of the page that names the same file (the page loader
    // decodes it once, at no more than the size it is drawn at); never stored.
    std::shared_ptr<QImage> image;
    std::int32_t mediaWidth = 0;
    std::int32_t mediaHeight = 0;
    std::int32_t mediaCentreX = 0;
    std::int32_t mediaCentreY = 0;
    bool mediaShown = false;
    FieldString<kPathSize> mediaPath;
    NodeKind kind = Pen;
    BOOL highlight = 0;
    COLORREF colour = 0;
    std::int32_t width = 0;
    BOOL erased = 0;
    BOOL cleared = 0;
    FieldString<kTextSize> text;
};

// The stored form of an edit text: lines joined by backslash-n, spaces as backslash-t, a backslash as
// "\x5C;" and any other white space or control character as "\xH;" (its code point in hex).
QByteArray EncodeStoredText(const QString& editText);
QString DecodeStoredText(const QByteArray& stored);

// A path as stored: spaces as "|", and back.
QByteArray EncodeStoredPath(const QString& path);
QString DecodeStoredPath(const QByteArray& stored);

// The two wing points of an arrow head from p0 to p1; false when the points coincide (no head).
bool ArrowHead(QPoint p0, QPoint p1, QPoint* wing1, QPoint* wing2);

// The brush dot of a BrushPen of width w: w × w, premultiplied ARGB; a null image for w < 1.
QImage BrushDot(int w, COLORREF colour);

// Kinds whose objects are spanned by their first two points (AddObject keeps only first and last).
bool IsTwoPointKind(NodeKind kind);

} // namespace DIALOG

#include "surface/pen_node.h"

#include "platform/ansi.h"


#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <optional>

namespace DIALOG {

namespace {

// The end mark cannot be stored as a point's x; such a point lies far off every surface.
constexpr int kEndMarkStandIn = kEndMark + 1;

// Drops a UTF-8 sequence that a cut split at the end of the first n bytes.
std::size_t trimPartialUtf8(const char* s, std::size_t n)
{
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char c = static_cast<unsigned char>(s[n - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return need > back ? n - back : n;
    }
    return n;
}

// Reads a white-space-delimited token as operator>> into a char array would, but keeps at most the
// field's capacity and consumes the rest of a longer token.
template<std::size_t Size>
bool readToken(std::istream& is, FieldString<Size>& field)
{
    char dst[Size];
    const std::size_t size = Size;
    std::istream::sentry sentry(is);
    if (!sentry)
        return false;
    const auto& ctype = std::use_facet<std::ctype<char>>(is.getloc());
    std::streambuf* buf = is.rdbuf();
    std::size_t n = 0;
    bool cut = false;
    for (;;) {
        const int c = buf->sgetc();
        if (c == std::char_traits<char>::eof()) {
            is.setstate(std::ios::eofbit);
            break;
        }
        const char ch = char(c);
        if (ctype.is(std::ctype_base::space, ch))
            break;
        if (n + 1 < size)
            dst[n++] = ch;
        else
            cut = true;
        buf->sbumpc();
    }
    if (cut)
        n = trimPartialUtf8(dst, n);
    field.assign(dst, n);
    return true;
}

template<typename T>
void readValue(std::istream& is, T& field)
{
    T value {};
    if (is >> value)
        field = value;
}

// Writes a stored token: never empty, never containing white space that would split it.
void writeToken(std::ostream& os, const char* token, std::size_t size, bool isText)
{
    const std::size_t n = strnlen(token, size);
    if (n == 0) {
        os << (isText ? "\\x;" : "0") << ' ';
        return;
    }
    const auto& ctype = std::use_facet<std::ctype<char>>(os.getloc());
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!ctype.is(std::ctype_base::space, token[i]))
            continue;
        os.write(token + start, std::streamsize(i - start));
        if (isText) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%X;", unsigned(static_cast<unsigned char>(token[i])));
            os << escape;
        } else {
            os << '|';
        }
        start = i + 1;
    }
    os.write(token + start, std::streamsize(n - start));
    os << ' ';
}

// The stored form is written and read in the classic locale whatever the stream was given.
class ClassicFormat {
public:
    explicit ClassicFormat(std::ios& stream)
        : stream_(stream)
        , flags_(stream.flags())
        , precision_(stream.precision())
        , width_(stream.width())
    {
        stream.flags(std::ios::dec | std::ios::skipws);
        stream.precision(6);
        stream.width(0);
        if (stream.getloc() != std::locale::classic())
            previous_ = stream.imbue(std::locale::classic());
    }
    ~ClassicFormat()
    {
        stream_.flags(flags_);
        stream_.precision(precision_);
        stream_.width(width_);
        if (previous_)
            stream_.imbue(*previous_);
    }
    ClassicFormat(const ClassicFormat&) = delete;
    ClassicFormat& operator=(const ClassicFormat&) = delete;

private:
    std::ios& stream_;
    std::ios::fmtflags flags_;
    std::streamsize precision_;
    std::streamsize width_;
    std::optional<std::locale> previous_;
};

void appendUnit(QByteArray& out, const QByteArray& unit, qsizetype limit, bool* full)
{
    if (*full || (limit >= 0 && out.size() + unit.size() > limit)) {
        *full = true;
        return;
    }
    out += unit;
}

QByteArray encodeStoredText(const QString& editText, qsizetype limit)
{
    QByteArray out;
    bool full = false;
    const qsizetype n = editText.size();
    for (qsizetype i = 0; i < n && !full; ++i) {
        const QChar c = editText.at(i);
        char32_t code = c.unicode();
        qsizetype units = 1;
        if (c.isHighSurrogate() && i + 1 < n && editText.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, editText.at(i + 1));
            units = 2;
        }
        if (code == '\r' && i + 1 < n && editText.at(i + 1) == QLatin1Char('\n')) {
            // A Windows line break is one break, as the edit box gave it line by line.
            appendUnit(out, QByteArrayLiteral("\\n"), limit, &full);
            ++i;
            continue;
        }
        if (code == '\n') {
            appendUnit(out, QByteArrayLiteral("\\n"), limit, &full);
        } else if (code == ' ') {
            appendUnit(out, QByteArrayLiteral("\\t"), limit, &full);
        } else if (code == '\\') {
            // A backslash stays itself unless it would start one of the escapes.
            const QChar next = i + 1 < n ? editText.at(i + 1) : QChar();
            const bool ambiguous
                = next == QLatin1Char('n') || next == QLatin1Char('t') || next == QLatin1Char('x');
            appendUnit(out, ambiguous ? QByteArrayLiteral("\\x5C;") : QByteArrayLiteral("\\"), limit, &full);
        } else if (code < 0x20 || code == 0x7F || QChar::isSpace(code)) {
            appendUnit(out, "\\x" + QByteArray::number(uint(code), 16).toUpper() + ';', limit, &full);
        } else {
            appendUnit(out, platform::toAnsi(editText.mid(i, units)), limit, &full);
        }
        i += units - 1;
    }
    return out;
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

QByteArray EncodeStoredText(const QString& editText)
{
    return encodeStoredText(editText, -1);
}

QString DecodeStoredText(const QByteArray& stored)
{
    const QString in = platform::fromAnsi(stored);
    QString out;
    out.reserve(in.size());
    const qsizetype n = in.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = in.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= n) {
            out += c;
            continue;
        }
        const QChar next = in.at(i + 1);
        if (next == QLatin1Char('n')) {
            out += QLatin1Char('\n');
            ++i;
            continue;
        }
        if (next == QLatin1Char('t')) {
            out += QLatin1Char(' ');
            ++i;
            continue;
        }
        if (next == QLatin1Char('x')) {
            // "\x" hex digits ";" is a code point; anything else after "\x" is literal text.
            qsizetype j = i + 2;
            char32_t code = 0;
            while (j < n && j - (i + 2) < 6 && hexValue(in.at(j)) >= 0)
                code = code * 16 + char32_t(hexValue(in.at(j++)));
            if (j < n && in.at(j) == QLatin1Char(';') && code <= 0x10FFFF) {
                if (j > i + 2)
                    out += QString::fromUcs4(&code, 1);
                i = j;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QByteArray EncodeStoredPath(const QString& path)
{
    QByteArray bytes = platform::toAnsi(path);
    bytes.replace(' ', '|');
    return bytes;
}

QString DecodeStoredPath(const QByteArray& stored)
{
    QByteArray bytes = stored;
    bytes.replace('|', ' ');
    return platform::fromAnsi(bytes);
}

bool IsTwoPointKind(NodeKind kind)
{
    switch (kind) {
    case GuideLine:
    case Rectangle:
    case Ellipse:
    case Cube:
    case Cylinder:
    case Line:
        return true;
    default:
        return false;
    }
}

CPenNode::CPenNode(COLORREF colour, int width, BOOL highlight, NodeKind kind)
    : kind(kind)
    , highlight(highlight)
    , colour(colour)
    , width(width)
{
}

void CPenNode::Reset()
{
    points.clear();
    boxWidth = boxHeight = boxCentreX = boxCentreY = 0;
    mediaWidth = mediaHeight = mediaCentreX = mediaCentreY = 0;
    mediaShown = false;
    boxAngle = 0.0;
    image.reset();
    picturePath.clear();
    mediaPath.clear();
    text.clear();
}

void CPenNode::AddPoint(int x, int y, int linked, int segWidth)
{
    points.push_back(PenPoint {x, y, linked, segWidth});
}

QString CPenNode::PicturePathForLoad() const
{
    return DecodeStoredPath(QByteArray(picturePath.c_str(), qsizetype(picturePath.size())));
}

void CPenNode::SetPicturePath(const QString& path)
{
    const QByteArray stored = EncodeStoredPath(path);
    picturePath.assign(stored.constData(), std::size_t(stored.size()));
}

void CPenNode::SetMediaPath(const QString& path)
{
    const QByteArray stored = EncodeStoredPath(path);
    mediaPath.assign(stored.constData(), std::size_t(stored.size()));
}

QString CPenNode::EditText() const
{
    return DecodeStoredText(QByteArray(text.c_str(), qsizetype(text.size())));
}

void CPenNode::SetEditText(const QString& editText)
{
    const QByteArray stored = encodeStoredText(editText, kTextSize - 1);
    text.assign(stored.constData(), std::size_t(stored.size()));
}

void CPenNode::Write(std::ostream& os) const
{
    ClassicFormat format(os);
    os << std::int32_t(kind) << ' ' << highlight << ' ' << unsigned(colour) << ' ' << width << ' ' << erased
       << ' ' << cleared << ' ';
    if (kind == Text)
        writeToken(os, text, kTextSize, true);
    else
        os << "0 ";
    os << boxWidth << ' ' << boxHeight << ' ' << boxAngle << ' ' << mediaWidth << ' ' << mediaHeight << ' ';
    if (kind == CompassArc)
        os << arcCentreX << ' ' << arcCentreY << ' ' << arcRadius << ' ';
    if (kind == Picture) {
        os << boxCentreX << ' ' << boxCentreY << ' ';
        writeToken(os, picturePath, kPathSize, false);
    }
    if (kind == Flash || kind == Video) {
        os << mediaCentreX << ' ' << mediaCentreY << ' ' << (mediaShown ? 1 : 0) << ' ';
        writeToken(os, mediaPath, kPathSize, false);
    }
    for (const PenPoint& p : points)
        os << (p.x == kEndMark ? kEndMarkStandIn : p.x) << ' ' << p.y << ' ' << p.linked << ' ' << p.segWidth
           << ' ';
    os << kEndMark << ';';
}

BOOL CPenNode::Read(std::istream& is)
{
    if (is.fail())
        return 0;
    ClassicFormat format(is);
    is >> std::ws;
    if (is.eof())
        return 0;
    std::int32_t storedKind = 0;
    if (!(is >> storedKind))
        return 0;
    kind = storedKind >= 0 && storedKind < kNodeKindCount ? NodeKind(storedKind) : Pen;

    readValue(is, highlight);
    readValue(is, colour);
    readValue(is, width);
    readValue(is, erased);
    readValue(is, cleared);
    readToken(is, text);
    readValue(is, boxWidth);
    readValue(is, boxHeight);
    readValue(is, boxAngle);
    readValue(is, mediaWidth);
    readValue(is, mediaHeight);
    if (kind == CompassArc) {
        readValue(is, arcCentreX);
        readValue(is, arcCentreY);
        readValue(is, arcRadius);
    }
    if (kind == Picture) {
        readValue(is, boxCentreX);
        readValue(is, boxCentreY);
        readToken(is, picturePath);
    }
    if (kind == Flash || kind == Video) {
        readValue(is, mediaCentreX);
        readValue(is, mediaCentreY);
        std::int32_t shown = 0;
        if (is >> shown)
            mediaShown = shown != 0;
        readToken(is, mediaPath);
    }
    // The point list ends at the end mark, or wherever the stream gives out; points past the cap are
    // read and dropped so that the next record still starts in the right place.
    while (is) {
        std::int32_t x = 0;
        if (!(is >> x))
            break;
        if (x == kEndMark) {
            is.get();
            break;
        }
        std::int32_t y = 0;
        std::int32_t linked = 0;
        std::int32_t segWidth = 0;
        if (!(is >> y >> linked >> segWidth))
            break;
        if (points.size() < kMaxPointsPerObject)
            points.push_back(PenPoint {x, y, linked, segWidth});
    }
    return 1;
}

} // namespace DIALOG

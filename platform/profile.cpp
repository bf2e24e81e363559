#include "platform/profile.h"

#include "platform/ansi.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace platform {
namespace {

// How a file was stored, byte-order mark included, so that a write stores it the same way.
enum class Encoding { Utf8, Utf8Bom, Utf16LeBom, Gb18030, Gb18030Bom };

struct ProfileText {
    bool readable = false;
    Encoding encoding = Encoding::Utf8;
    QString text;
};

enum class LineKind { Other, Section, Key };

struct Line {
    qsizetype begin = 0; // first character of the line
    qsizetype end = 0; // end of its text, before the line break
    qsizetype next = 0; // first character of the next line
    LineKind kind = LineKind::Other;
    QStringView name; // of the section or key
    QStringView value; // of the key, trimmed and without its quotes
};

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);
constexpr QByteArrayView kUtf16LeBom("\xFF\xFE", 2);
constexpr QByteArrayView kGb18030Bom("\x84\x31\x95\x33", 4); // U+FEFF in GB18030

// Ctrl-Z counts as a blank: old editors ended text files with it.
bool isBlank(QChar c)
{
    return c.isSpace() || c == QChar(0x1a);
}

QStringView trimBlanks(QStringView s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && isBlank(s[first]))
        ++first;
    while (last > first && isBlank(s[last - 1]))
        --last;
    return s.sliced(first, last - first);
}

QStringView unquote(QStringView s)
{
    if (s.size() >= 2 && s.front() == s.back() && (s.front() == u'"' || s.front() == u'\''))
        return s.sliced(1, s.size() - 2);
    return s;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(QStringView s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

Line classify(QStringView text, qsizetype begin, qsizetype end, qsizetype next)
{
    Line line {begin, end, next, LineKind::Other, {}, {}};
    const QStringView content = trimBlanks(text.sliced(begin, end - begin));
    if (content.isEmpty() || content.front() == u';')
        return line;
    if (content.front() == u'[') {
        const qsizetype close = content.lastIndexOf(u']');
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = trimBlanks(content.sliced(1, close - 1));
            return line;
        }
    }
    const qsizetype equals = content.indexOf(u'=');
    if (equals < 0)
        return line;
    line.name = trimBlanks(content.first(equals));
    if (line.name.isEmpty())
        return line;
    line.kind = LineKind::Key;
    line.value = unquote(trimBlanks(content.sliced(equals + 1)));
    return line;
}

// Walks the lines of a profile's text; a line ends at "\r\n", "\n" or "\r".
class LineReader {
public:
    explicit LineReader(QStringView text)
        : text_(text)
    {
    }

    bool next(Line& line)
    {
        if (pos_ >= text_.size())
            return false;
        const qsizetype begin = pos_;
        qsizetype end = begin;
        while (end < text_.size() && text_[end] != u'\n' && text_[end] != u'\r')
            ++end;
        qsizetype next = end;
        if (next < text_.size())
            next += (text_[next] == u'\r' && next + 1 < text_.size() && text_[next + 1] == u'\n') ? 2 : 1;
        pos_ = next;
        line = classify(text_, begin, end, next);
        return true;
    }

private:
    QStringView text_;
    qsizetype pos_ = 0;
};

std::vector<Line> splitLines(QStringView text)
{
    std::vector<Line> lines;
    LineReader reader(text);
    Line line;
    while (reader.next(line))
        lines.push_back(line);
    return lines;
}

ProfileText readProfile(const QString& path)
{
    ProfileText profile;
    if (path.isEmpty())
        return profile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return profile;
    const QByteArray bytes = file.readAll();
    profile.readable = true;
    if (bytes.startsWith(kUtf16LeBom)) {
        profile.encoding = Encoding::Utf16LeBom;
        QStringDecoder decoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::ConvertInitialBom);
        profile.text = decoder.decode(QByteArrayView(bytes).sliced(kUtf16LeBom.size()));
    } else if (bytes.startsWith(kUtf8Bom)) {
        profile.encoding = Encoding::Utf8Bom;
        profile.text = QString::fromUtf8(QByteArrayView(bytes).sliced(kUtf8Bom.size()));
    } else if (isValidUtf8(bytes)) {
        profile.text = QString::fromUtf8(bytes);
    } else {
        profile.text = fromGb18030(bytes);
        profile.encoding = bytes.startsWith(kGb18030Bom) ? Encoding::Gb18030Bom : Encoding::Gb18030;
    }
    // U+FEFF at the start is a byte-order mark in every encoding, never part of the first line.
    while (profile.text.startsWith(QChar(0xFEFF)))
        profile.text.remove(0, 1);
    return profile;
}

QByteArray encodeProfile(Encoding encoding, const QString& text)
{
    switch (encoding) {
    case Encoding::Utf16LeBom: {
        QStringEncoder encoder(QStringEncoder::Utf16LE);
        return kUtf16LeBom.toByteArray() + QByteArray(encoder.encode(text));
    }
    case Encoding::Utf8Bom:
        return kUtf8Bom.toByteArray() + text.toUtf8();
    case Encoding::Gb18030Bom:
        return kGb18030Bom.toByteArray() + toGb18030(text);
    case Encoding::Gb18030: {
        // Without a mark, a file is read as GB18030 only when it is not valid UTF-8. If the write took away
        // the last bytes that made it so, the rest would read back as other text: the mark keeps it GB18030.
        const QByteArray bytes = toGb18030(text);
        if (isValidUtf8(bytes) && QString::fromUtf8(bytes) != text)
            return kGb18030Bom.toByteArray() + bytes;
        return bytes;
    }
    case Encoding::Utf8:
        break;
    }
    return text.toUtf8();
}

bool saveProfile(const QString& path, Encoding encoding, const QString& text)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = encodeProfile(encoding, text);
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

// Index of the first section header named section, or -1.
qsizetype findSection(const std::vector<Line>& lines, QStringView section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && sameName(lines[i].name, section))
            return qsizetype(i);
    }
    return -1;
}

// One past the last line of the section whose header is at index header.
qsizetype sectionEnd(const std::vector<Line>& lines, qsizetype header)
{
    qsizetype i = header + 1;
    while (i < qsizetype(lines.size()) && lines[size_t(i)].kind != LineKind::Section)
        ++i;
    return i;
}

std::optional<QStringView> findValue(QStringView text, QStringView section, QStringView key)
{
    LineReader reader(text);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        if (line.kind == LineKind::Section) {
            if (inSection)
                return std::nullopt;
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == LineKind::Key && sameName(line.name, key)) {
            return line.value;
        }
    }
    return std::nullopt;
}

// The keys of the first section of that name, in file order.
std::vector<Line> sectionKeys(QStringView text, QStringView section)
{
    std::vector<Line> keys;
    LineReader reader(text);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        if (line.kind == LineKind::Section) {
            if (inSection)
                break;
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == LineKind::Key) {
            keys.push_back(line);
        }
    }
    return keys;
}

QStringList keyNames(QStringView text, QStringView section)
{
    QStringList names;
    for (const Line& line : sectionKeys(text, section))
        names.append(line.name.toString());
    return names;
}

QStringList sectionNames(QStringView text)
{
    QStringList names;
    LineReader reader(text);
    Line line;
    while (reader.next(line)) {
        if (line.kind == LineKind::Section)
            names.append(line.name.toString());
    }
    return names;
}

// Names each followed by '\0', cut the way Windows fills a buffer that is too small for the list: the last
// name is truncated so that two terminating zeros still fit.
QString nameList(const QStringList& names, int bufferSize)
{
    QString list;
    for (const QString& name : names) {
        list += name;
        list += QChar(u'\0');
    }
    if (list.size() + 1 <= bufferSize)
        return list;
    return list.left(qMax(0, bufferSize - 2));
}

QString lineBreakOf(const QString& text)
{
    return text.contains(u"\r\n") ? u"\r\n"_s : u"\n"_s;
}

bool endsWithLineBreak(const QString& text)
{
    return text.isEmpty() || text.endsWith(u'\n') || text.endsWith(u'\r');
}

// The text with the change made, or nothing when the file already says what is asked.
std::optional<QString> editProfile(
    const QString& text, QStringView section, const QString& key, const QString& value)
{
    const std::vector<Line> lines = splitLines(text);
    const qsizetype header = findSection(lines, section);
    QString edited = text;

    if (key.isNull()) {
        if (header < 0)
            return std::nullopt;
        // Later sections of the same name would come to light one by one: remove them all.
        for (qsizetype i = qsizetype(lines.size()) - 1; i >= header; --i) {
            const Line& line = lines[size_t(i)];
            if (line.kind != LineKind::Section || !sameName(line.name, section))
                continue;
            const qsizetype end = sectionEnd(lines, i);
            const qsizetype to = end < qsizetype(lines.size()) ? lines[size_t(end)].begin : text.size();
            edited.remove(line.begin, to - line.begin);
        }
        return edited;
    }

    const QString eol = lineBreakOf(text);
    if (header < 0) {
        if (value.isNull())
            return std::nullopt;
        if (!endsWithLineBreak(edited))
            edited += eol;
        edited += u'[' + section.toString() + u']' + eol + key + u'=' + value + eol;
        return edited;
    }

    const qsizetype end = sectionEnd(lines, header);
    if (value.isNull()) {
        bool removed = false;
        for (qsizetype i = end - 1; i > header; --i) {
            const Line& line = lines[size_t(i)];
            if (line.kind == LineKind::Key && sameName(line.name, key)) {
                edited.remove(line.begin, line.next - line.begin);
                removed = true;
            }
        }
        return removed ? std::optional<QString>(edited) : std::nullopt;
    }

    qsizetype lastKey = header;
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = lines[size_t(i)];
        if (line.kind != LineKind::Key)
            continue;
        if (sameName(line.name, key)) {
            const QString replacement = line.name.toString() + u'=' + value;
            if (QStringView(text).sliced(line.begin, line.end - line.begin) == replacement)
                return std::nullopt;
            edited.replace(line.begin, line.end - line.begin, replacement);
            return edited;
        }
        lastKey = i;
    }
    const Line& after = lines[size_t(lastKey)];
    QString insertion = key + u'=' + value + eol;
    if (after.next == after.end)
        insertion.prepend(eol);
    edited.insert(after.next, insertion);
    return edited;
}

bool storableSection(QStringView name)
{
    return !name.isEmpty() && !name.contains(u']') && !hasLineBreak(name);
}

bool storableKey(QStringView name)
{
    return !name.isEmpty() && !name.contains(u'=') && !hasLineBreak(name) && name.front() != u'['
        && name.front() != u';';
}

} // namespace

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
    int bufferSize, const QString& file)
{
    if (bufferSize <= 0)
        return QString();
    // Windows drops trailing blanks of the default as well.
    QStringView fallback(defaultValue);
    while (!fallback.isEmpty() && isBlank(fallback.back()))
        fallback.chop(1);
    const auto cut = [bufferSize](QStringView s) { return s.left(bufferSize - 1).toString(); };

    const ProfileText profile = readProfile(file);
    if (!profile.readable)
        return cut(fallback);
    if (section.isNull())
        return nameList(sectionNames(profile.text), bufferSize);
    const QStringView sectionName = trimBlanks(section);
    if (sectionName.isEmpty())
        return cut(fallback);
    if (key.isNull()) {
        const QStringList names = keyNames(profile.text, sectionName);
        return names.isEmpty() ? cut(fallback) : nameList(names, bufferSize);
    }
    const std::optional<QStringView> value = findValue(profile.text, sectionName, trimBlanks(key));
    return cut(value ? *value : fallback);
}

QStringList GetPrivateProfileKeyNames(const QString& section, const QString& file)
{
    const QStringView sectionName = trimBlanks(section);
    if (sectionName.isEmpty())
        return {};
    const ProfileText profile = readProfile(file);
    return profile.readable ? keyNames(profile.text, sectionName) : QStringList();
}

QList<std::pair<QString, QString>> GetPrivateProfileSection(const QString& section, const QString& file)
{
    QList<std::pair<QString, QString>> entries;
    const QStringView sectionName = trimBlanks(section);
    if (sectionName.isEmpty())
        return entries;
    const ProfileText profile = readProfile(file);
    for (const Line& line : sectionKeys(profile.text, sectionName))
        entries.append({line.name.toString(), line.value.toString()});
    return entries;
}

QStringList GetPrivateProfileSectionNames(const QString& file)
{
    const ProfileText profile = readProfile(file);
    return profile.readable ? sectionNames(profile.text) : QStringList();
}

int GetPrivateProfileInt(const QString& section, const QString& key, int defaultValue, const QString& file)
{
    const QString text = GetPrivateProfileString(section, key, u""_s, 30, file);
    if (text.isEmpty())
        return defaultValue;
    QStringView digits = trimBlanks(text);
    bool negative = false;
    if (!digits.isEmpty() && (digits.front() == u'-' || digits.front() == u'+')) {
        negative = digits.front() == u'-';
        digits = digits.sliced(1);
    }
    unsigned base = 10;
    if (digits.size() >= 2 && digits[0] == u'0' && (digits[1] == u'x' || digits[1] == u'X')) {
        base = 16;
        digits = digits.sliced(2);
    }
    // Like Windows, the value wraps around in 32 bits rather than saturating.
    quint32 result = 0;
    for (QChar c : digits) {
        const char16_t lower = c.toLower().unicode();
        unsigned digit = base;
        if (lower >= u'0' && lower <= u'9')
            digit = lower - u'0';
        else if (lower >= u'a' && lower <= u'f')
            digit = lower - u'a' + 10;
        if (digit >= base)
            break;
        result = result * base + quint32(digit);
    }
    return int(negative ? 0u - result : result);
}

bool WritePrivateProfileString(
    const QString& section, const QString& key, const QString& value, const QString& file)
{
    if (section.isNull() || file.isEmpty())
        return false;
    const QStringView sectionName = trimBlanks(section);
    if (!storableSection(sectionName))
        return false;
    QString keyName;
    if (!key.isNull()) {
        keyName = trimBlanks(key).toString();
        if (!storableKey(keyName))
            return false;
    }
    QString storedValue = value;
    if (!value.isNull()) {
        const auto lineBreak
            = std::find_if(value.cbegin(), value.cend(), [](QChar c) { return c == u'\n' || c == u'\r'; });
        storedValue.truncate(lineBreak - value.cbegin());
        // A read trims blanks and takes away one pair of enclosing quotes: quoted, the value comes back whole
        // ("notes.pdf " stays the document and never names the program "notes.pdf").
        if (trimBlanks(storedValue) != storedValue || unquote(storedValue) != storedValue)
            storedValue = u'"' + storedValue + u'"';
    }

    const QFileInfo info(file);
    ProfileText profile;
    if (info.exists()) {
        // A file without any write permission counts as marked read-only, for root as well.
        const auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        if (!info.isFile() || !info.isWritable() || !(info.permissions() & anyWrite))
            return false;
        profile = readProfile(file);
        if (!profile.readable)
            return false;
    }
    const std::optional<QString> edited = editProfile(profile.text, sectionName, keyName, storedValue);
    if (!edited)
        return true;
    return saveProfile(file, profile.encoding, *edited);
}

} // namespace platform

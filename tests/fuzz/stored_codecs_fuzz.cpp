// The stored forms of an object's text and paths: any text comes back as it was typed and its stored form
// holds no white space (the page file separates its fields with it); a path comes back through its record
// with only its white space made spaces; any bytes decode without harm.
#include "surface/pen_node.h"

#include <QByteArray>
#include <QString>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace {

bool hasWhiteSpace(const QByteArray& bytes)
{
    for (char c : bytes)
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f')
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    // Whatever a file holds decodes to something.
    (void)DIALOG::DecodeStoredText(bytes);
    (void)DIALOG::DecodeStoredPath(bytes);

    const QString text = QString::fromUtf8(bytes);
    // A Windows line break is one line break, as the edit box gives it.
    const QString typed = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray storedText = DIALOG::EncodeStoredText(text);
    if (hasWhiteSpace(storedText) || DIALOG::DecodeStoredText(storedText) != typed)
        std::abort();

    // Through a whole record: a text object gives back its text, a picture its path. White space in a path
    // (and "|", its stand-in for a space) comes back as a space; nothing else changes.
    if (bytes.size() < 200) {
        DIALOG::CPenNode note(0, 12, 0, DIALOG::Text);
        note.AddPoint(10, 10);
        note.SetEditText(text);
        DIALOG::CPenNode picture(0, 0, 0, DIALOG::Picture);
        picture.AddPoint(10, 10);
        picture.AddPoint(50, 50);
        picture.SetPicturePath(text);
        std::ostringstream out;
        note.Write(out);
        picture.Write(out);
        std::istringstream in(out.str());
        DIALOG::CPenNode noteBack, pictureBack;
        if (!noteBack.Read(in) || !pictureBack.Read(in))
            std::abort();
        if (noteBack.EditText() != typed)
            std::abort();
        QString expected = text;
        for (QChar& c : expected)
            if (c == QLatin1Char('|') || (c.unicode() < 0x80 && std::isspace(c.unicode())))
                c = QLatin1Char(' ');
        // No path at all is stored as "0", as it always has been.
        // No file name holds a zero character.
        // The record holds a path of up to 259 bytes; an undecodable input byte takes three as U+FFFD.
        const bool fits = DIALOG::EncodeStoredPath(text).size() < DIALOG::kPathSize;
        if (fits && !text.isEmpty() && !text.contains(QChar(0))
            && pictureBack.PicturePathForLoad() != expected)
            std::abort();
    }
    return 0;
}

#include "platform/ansi.h"

#include <QStringDecoder>

#include <cerrno>

#include <iconv.h>

namespace platform {

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoder only runs when its result is turned into a string.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString fromGb18030(const QByteArray& bytes)
{
    iconv_t cd = iconv_open("UTF-16LE", "GB18030");
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QByteArray in = bytes;
    QByteArray out;
    out.resize(bytes.size() * 4 + 4);
    char* inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            // An undecodable byte becomes U+FFFD, and reading goes on after it.
            if (outLeft < 2)
                break;
            *outPtr++ = char(0xFD);
            *outPtr++ = char(0xFF);
            outLeft -= 2;
            ++inPtr;
            --inLeft;
        } else {
            break;
        }
    }
    iconv_close(cd);
    const qsizetype written = out.size() - qsizetype(outLeft);
    return QString(reinterpret_cast<const QChar*>(out.constData()), written / 2);
}

QByteArray toGb18030(const QString& text)
{
    iconv_t cd = iconv_open("GB18030", "UTF-16LE");
    if (cd == iconv_t(-1))
        return text.toUtf8();
    QByteArray in(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QByteArray out;
    // GB18030 takes at most four bytes for each UTF-16 unit.
    out.resize(text.size() * 4 + 4);
    char* inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if ((errno != EILSEQ && errno != EINVAL) || outLeft < 1 || inLeft < 2)
            break;
        *outPtr++ = '?';
        --outLeft;
        inPtr += 2;
        inLeft -= 2;
    }
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

QString fromAnsi(const QByteArray& bytes)
{
    return isValidUtf8(bytes) ? QString::fromUtf8(bytes) : fromGb18030(bytes);
}

QByteArray toAnsi(const QString& text)
{
    return text.toUtf8();
}

} // namespace platform

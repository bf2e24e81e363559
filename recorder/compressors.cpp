#include "recorder/compressors.h"

#include "recorder/ffmpeg_util.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace recorder {

namespace {

const char kMpeg4Encoder[] = "mpeg4";
const char kVideo1Encoder[] = "msvideo1";

QString lettersOf(uint32_t tag)
{
    QString letters;
    for (int i = 0; i < 4; ++i)
        letters += QChar(char((tag >> (8 * i)) & 0xff));
    return letters;
}

} // namespace

uint32_t fourCC(const QString& letters)
{
    const QByteArray bytes = letters.toLatin1().leftJustified(4, ' ', true);
    return uint32_t(uint8_t(bytes[0])) | uint32_t(uint8_t(bytes[1])) << 8 | uint32_t(uint8_t(bytes[2])) << 16
        | uint32_t(uint8_t(bytes[3])) << 24;
}

Compressor defaultCompressor()
{
    return {QString::fromLatin1(kVideo1Encoder), QString::fromLatin1(kDefaultHandler),
        QStringLiteral("Default Compressor")};
}

bool encoderAcceptsFrame(const Compressor& compressor, FrameSize size)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(compressor.encoder.toLatin1().constData());
    if (!codec || size.width <= 0 || size.height <= 0)
        return false;
    const AVPixelFormat format = encoderPixelFormat(codec);
    if (format == AV_PIX_FMT_NONE)
        return false;
    CodecContext context(avcodec_alloc_context3(codec));
    if (!context)
        return false;
    context->width = size.width;
    context->height = size.height;
    context->pix_fmt = format;
    context->time_base = AVRational {1, 20};
    context->framerate = AVRational {20, 1};
    context->thread_count = 1;
    // Encoders log why they refuse a size; the refusal is the answer, not a fault.
    const int level = av_log_get_level();
    av_log_set_level(AV_LOG_QUIET);
    const bool accepted = avcodec_open2(context.get(), codec, nullptr) >= 0;
    av_log_set_level(level);
    return accepted;
}

std::vector<Compressor> listCompressors(FrameSize size, const AcceptsFrame& accepts)
{
    std::vector<Compressor> list;
    const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
    if (!avi)
        return list;
    void* state = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&state)) {
        if (int(list.size()) >= kMaxCompressors)
            break;
        if (!av_codec_is_encoder(codec) || codec->type != AVMEDIA_TYPE_VIDEO)
            continue;
        if (codec->capabilities & (AV_CODEC_CAP_EXPERIMENTAL | AV_CODEC_CAP_HARDWARE))
            continue;
        unsigned int tag = 0;
        if (!av_codec_get_tag2(avi->codec_tag, codec->id, &tag) || tag == 0)
            continue;
        Compressor compressor;
        compressor.encoder = QString::fromLatin1(codec->name);
        if (compressor.encoder == QLatin1String(kMpeg4Encoder)) {
            compressor.handler = QStringLiteral("XVID");
            compressor.description = QStringLiteral("MPEG-4 Part 2");
        } else if (compressor.encoder == QLatin1String(kVideo1Encoder)) {
            compressor.handler = QString::fromLatin1(kDefaultHandler);
            compressor.description = QStringLiteral("Microsoft Video 1");
        } else {
            compressor.handler = lettersOf(tag);
            compressor.description = QString::fromUtf8(codec->long_name ? codec->long_name : codec->name);
        }
        bool listed = false;
        for (const Compressor& other : list)
            listed = listed || other.encoder == compressor.encoder;
        if (!listed && accepts(compressor, size))
            list.push_back(compressor);
    }
    return list;
}

int preferredCompressor(const std::vector<Compressor>& list)
{
    for (const char* encoder : {kMpeg4Encoder, kVideo1Encoder}) {
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i].encoder == QLatin1String(encoder))
                return int(i);
        }
    }
    return list.empty() ? -1 : 0;
}

int roundToCompressorSize(int side, int multiple, int screenSide)
{
    const int up = (side + multiple - 1) / multiple * multiple;
    if (up <= screenSide)
        return up;
    return side / multiple * multiple;
}

FrameFit fitCompressor(
    const Compressor& wanted, FrameSize capture, FrameSize screen, const AcceptsFrame& accepts)
{
    auto tryAll = [&](const Compressor& compressor, FrameSize& fitted) {
        if (accepts(compressor, capture)) {
            fitted = capture;
            return true;
        }
        for (int multiple : {2, 4, 8}) {
            fitted = {roundToCompressorSize(capture.width, multiple, screen.width),
                roundToCompressorSize(capture.height, multiple, screen.height)};
            if (accepts(compressor, fitted))
                return true;
        }
        return false;
    };
    FrameFit fit {wanted, capture};
    const bool replaced = wanted.handler == QLatin1String("DIVX") || wanted.handler == QLatin1String("IV50");
    if (!replaced && !wanted.encoder.isEmpty() && tryAll(wanted, fit.size))
        return fit;
    fit.compressor = defaultCompressor();
    tryAll(fit.compressor, fit.size);
    return fit;
}

} // namespace recorder

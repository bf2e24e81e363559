#include "recorder/avi_writer.h"

#include "recorder/ffmpeg_util.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
}

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace recorder {

namespace {

constexpr int kVideoStream = 0;
constexpr int kSoundStream = 1;
constexpr int kSealEverySeconds = 2;
// The size at which FFmpeg's AVI writer closes the first RIFF part (its AVI_MAX_RIFF_SIZE), less a margin.
constexpr int64_t kFirstRiffLimit = (int64_t(1) << 30) - (int64_t(16) << 20);

uint32_t readLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool chunkIs(const uint8_t* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

QString ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace

int quantiserForQuality(int quality)
{
    // Quality 3000, what a recording asks for, gives quantiser 6: text on the screen stays readable.
    if (quality <= 0)
        return 31;
    return std::clamp((18000 + quality / 2) / quality, 2, 31);
}

// Where the counts and sizes sit in the header that the muxer wrote, so that sealing can bring them up to
// date.
struct HeaderPlaces {
    int64_t riffSize = -1;
    int64_t moviSize = -1;
    int64_t totalFrames = -1; // in the main header
    int64_t odmlFrames = -1; // in the OpenDML header, when there is one
    int64_t streamLength[2] = {-1, -1};
    uint32_t streamScale[2] = {1, 1};
    uint32_t streamRate[2] = {1, 1};
};

struct AviWriter::Impl {
    AVFormatContext* format = nullptr;
    CodecContext video;
    Frame picture;
    Packet packet;
    Scale scale;
    AVStream* videoStream = nullptr;
    AVStream* soundStream = nullptr;
    AviSettings settings;
    int patchFile = -1;
    HeaderPlaces places;
    int64_t lastNumber = -1;
    int64_t samples = 0;
    int64_t sealedAtSecond = 0;
    bool failed = false;

    bool fail(QString* error, const QString& why)
    {
        if (error)
            *error = why;
        close(false);
        return false;
    }

    // Sends everything the encoder has ready to the file.
    bool drainEncoder()
    {
        for (;;) {
            const int got = avcodec_receive_packet(video.get(), packet.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return true;
            if (got < 0)
                return false;
            av_packet_rescale_ts(packet.get(), video->time_base, videoStream->time_base);
            packet->stream_index = kVideoStream;
            const int written = av_write_frame(format, packet.get());
            av_packet_unref(packet.get());
            if (written < 0)
                return false;
        }
    }

    bool findHeaderPlaces()
    {
        const int64_t headerEnd = avio_tell(format->pb);
        if (headerEnd <= 12 || headerEnd > (1 << 20))
            return false;
        std::vector<uint8_t> header(static_cast<size_t>(headerEnd));
        if (pread(patchFile, header.data(), header.size(), 0) != ssize_t(header.size()))
            return false;
        const uint8_t* bytes = header.data();
        if (!chunkIs(bytes, "RIFF") || !chunkIs(bytes + 8, "AVI "))
            return false;
        places.riffSize = 4;
        int stream = -1;
        int64_t pos = 12;
        while (pos + 8 <= headerEnd) {
            const uint8_t* chunk = bytes + pos;
            const uint32_t size = readLE32(chunk + 4);
            if (chunkIs(chunk, "LIST") && pos + 12 <= headerEnd) {
                if (chunkIs(chunk + 8, "movi")) {
                    places.moviSize = pos + 4;
                    break;
                }
                pos += 12; // enter the list
                continue;
            }
            const int64_t data = pos + 8;
            if (chunkIs(chunk, "avih") && size >= 20) {
                places.totalFrames = data + 16;
            } else if (chunkIs(chunk, "dmlh") && size >= 4) {
                places.odmlFrames = data;
            } else if (chunkIs(chunk, "strh") && size >= 36 && stream < 1 && data + 36 <= headerEnd) {
                ++stream;
                places.streamScale[stream] = std::max<uint32_t>(1, readLE32(bytes + data + 20));
                places.streamRate[stream] = std::max<uint32_t>(1, readLE32(bytes + data + 24));
                places.streamLength[stream] = data + 32;
            }
            pos = data + size + (size & 1);
        }
        return places.moviSize > 0 && places.totalFrames > 0 && places.streamLength[0] > 0;
    }

    bool patch(int64_t offset, int64_t value)
    {
        if (offset < 0)
            return true;
        const uint32_t v = uint32_t(std::min<int64_t>(value, 0xffffffffLL));
        const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return pwrite(patchFile, bytes, 4, offset) == 4;
    }

    bool seal()
    {
        if (!format || failed)
            return false;
        avio_flush(format->pb);
        if (format->pb->error < 0)
            return false;
        const int64_t end = avio_tell(format->pb);
        const int64_t frames = lastNumber + 1;
        // Past 1 GiB the muxer has closed the first RIFF with its real sizes and goes on in AVIX parts: from
        // then on only the counts are brought up to date.
        const bool firstRiffOpen = end < kFirstRiffLimit;
        bool ok
            = (!firstRiffOpen
                  || (patch(places.riffSize, end - 8) && patch(places.moviSize, end - places.moviSize - 4)))
            && patch(places.totalFrames, frames) && patch(places.odmlFrames, frames)
            && patch(places.streamLength[0], frames);
        if (soundStream) {
            // The sound's length counts units of rate/scale per second.
            const int64_t units
                = samples * places.streamRate[1] / (int64_t(places.streamScale[1]) * settings.sampleRate);
            ok = ok && patch(places.streamLength[1], units);
        }
        return ok;
    }

    bool close(bool writeIndex)
    {
        bool ok = !failed;
        if (format && writeIndex && format->pb) {
            if (video && avcodec_send_frame(video.get(), nullptr) >= 0)
                ok = drainEncoder() && ok;
            ok = av_write_trailer(format) >= 0 && ok;
        }
        if (format) {
            if (format->pb) {
                avio_flush(format->pb);
                ok = format->pb->error >= 0 && ok;
                ok = avio_closep(&format->pb) >= 0 && ok;
            }
            avformat_free_context(format);
            format = nullptr;
        }
        if (patchFile >= 0)
            ::close(patchFile);
        patchFile = -1;
        video.reset();
        picture.reset();
        packet.reset();
        scale.reset();
        videoStream = soundStream = nullptr;
        return ok;
    }
};

AviWriter::AviWriter()
    : d(std::make_unique<Impl>())
{
}

AviWriter::~AviWriter()
{
    if (isOpen())
        finish();
}

bool AviWriter::isOpen() const
{
    return d->format != nullptr;
}

bool AviWriter::open(const QString& path, const AviSettings& settings, QString* error)
{
    if (isOpen())
        finish();
    *d = Impl();
    d->settings = settings;
    const QByteArray file = path.toUtf8();
    const AVCodec* codec = avcodec_find_encoder_by_name(settings.compressor.encoder.toLatin1().constData());
    if (!codec)
        return d->fail(error, QStringLiteral("no encoder %1").arg(settings.compressor.encoder));
    if (avformat_alloc_output_context2(&d->format, nullptr, "avi", file.constData()) < 0 || !d->format)
        return d->fail(error, QStringLiteral("no AVI writer"));

    d->video.reset(avcodec_alloc_context3(codec));
    AVCodecContext* video = d->video.get();
    video->width = settings.size.width;
    video->height = settings.size.height;
    video->pix_fmt = encoderPixelFormat(codec);
    if (video->pix_fmt == AV_PIX_FMT_NONE)
        return d->fail(error, QStringLiteral("%1 names no picture format").arg(settings.compressor.encoder));
    video->time_base = AVRational {1, settings.rate};
    video->framerate = AVRational {settings.rate, 1};
    video->gop_size = settings.keyFrameEvery;
    video->max_b_frames = 0;
    video->thread_count = 1;
    video->flags |= AV_CODEC_FLAG_QSCALE;
    video->global_quality = FF_QP2LAMBDA * quantiserForQuality(settings.quality);
    video->codec_tag = fourCC(settings.compressor.handler);
    int result = avcodec_open2(video, codec, nullptr);
    if (result < 0)
        return d->fail(error,
            QStringLiteral("%1 refuses %2x%3: %4")
                .arg(settings.compressor.encoder)
                .arg(settings.size.width)
                .arg(settings.size.height)
                .arg(ffmpegError(result)));

    d->videoStream = avformat_new_stream(d->format, nullptr);
    avcodec_parameters_from_context(d->videoStream->codecpar, video);
    d->videoStream->codecpar->codec_tag = fourCC(settings.compressor.handler);
    d->videoStream->time_base = video->time_base;
    d->videoStream->avg_frame_rate = video->framerate;
    if (settings.sound) {
        d->soundStream = avformat_new_stream(d->format, nullptr);
        AVCodecParameters* sound = d->soundStream->codecpar;
        sound->codec_type = AVMEDIA_TYPE_AUDIO;
        sound->codec_id = AV_CODEC_ID_PCM_S16LE;
        sound->format = AV_SAMPLE_FMT_S16;
        sound->sample_rate = settings.sampleRate;
        av_channel_layout_default(&sound->ch_layout, 1);
        sound->bits_per_coded_sample = 16;
        sound->block_align = 2;
        sound->bit_rate = int64_t(settings.sampleRate) * 16;
        d->soundStream->time_base = AVRational {1, settings.sampleRate};
    }

    result = avio_open(&d->format->pb, file.constData(), AVIO_FLAG_WRITE);
    if (result < 0)
        return d->fail(error, ffmpegError(result));
    // Every packet goes through to the file at once: a killed recording loses nothing it has written.
    d->format->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    result = avformat_write_header(d->format, nullptr);
    if (result < 0)
        return d->fail(error, ffmpegError(result));
    avio_flush(d->format->pb);
    d->patchFile = ::open(file.constData(), O_RDWR | O_CLOEXEC);
    if (d->patchFile < 0 || !d->findHeaderPlaces())
        return d->fail(error, QStringLiteral("cannot read back the AVI header"));

    d->picture.reset(av_frame_alloc());
    d->picture->format = video->pix_fmt;
    d->picture->width = video->width;
    d->picture->height = video->height;
    if (av_frame_get_buffer(d->picture.get(), 0) < 0)
        return d->fail(error, QStringLiteral("out of memory"));
    d->packet.reset(av_packet_alloc());
    d->scale.reset(sws_getContext(video->width, video->height, AV_PIX_FMT_BGR0, video->width, video->height,
        video->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr));
    if (!d->scale)
        return d->fail(error, QStringLiteral("no conversion to the encoder's pixels"));
    if (!d->seal())
        return d->fail(error, QStringLiteral("cannot write the AVI header"));
    return true;
}

bool AviWriter::writeFrame(const uint8_t* pixels, int stride, int width, int height, int64_t number)
{
    if (!isOpen() || d->failed || number <= d->lastNumber)
        return false;
    if (width < d->settings.size.width || height < d->settings.size.height)
        return false;
    if (av_frame_make_writable(d->picture.get()) < 0)
        return false;
    const uint8_t* source[4] = {pixels, nullptr, nullptr, nullptr};
    const int sourceStride[4] = {stride, 0, 0, 0};
    sws_scale(d->scale.get(), source, sourceStride, 0, d->settings.size.height, d->picture->data,
        d->picture->linesize);
    d->picture->pts = number;
    // With a fixed quantiser the encoder takes each picture's own quality, not the context's: left at 0 it
    // would code every picture at the finest quantiser.
    d->picture->quality = d->video->global_quality;
    if (avcodec_send_frame(d->video.get(), d->picture.get()) < 0 || !d->drainEncoder()) {
        d->failed = true;
        return false;
    }
    d->lastNumber = number;
    const int64_t second = number / d->settings.rate;
    if (second >= d->sealedAtSecond + kSealEverySeconds) {
        d->sealedAtSecond = second;
        if (!d->seal()) {
            d->failed = true;
            return false;
        }
    }
    return true;
}

bool AviWriter::writeSound(const int16_t* samples, int count)
{
    if (!isOpen() || d->failed || !d->soundStream)
        return false;
    if (count <= 0)
        return true;
    if (av_new_packet(d->packet.get(), count * 2) < 0)
        return false;
    std::memcpy(d->packet->data, samples, size_t(count) * 2);
    d->packet->pts = d->packet->dts = d->samples;
    d->packet->duration = count;
    d->packet->stream_index = kSoundStream;
    av_packet_rescale_ts(d->packet.get(), AVRational {1, d->settings.sampleRate}, d->soundStream->time_base);
    const int written = av_write_frame(d->format, d->packet.get());
    av_packet_unref(d->packet.get());
    if (written < 0) {
        d->failed = true;
        return false;
    }
    d->samples += count;
    return true;
}

bool AviWriter::seal()
{
    return d->seal();
}

bool AviWriter::finish()
{
    if (!isOpen())
        return false;
    return d->close(true);
}

int64_t AviWriter::framesWritten() const
{
    return d->lastNumber + 1;
}

int64_t AviWriter::samplesWritten() const
{
    return d->samples;
}

FrameSize AviWriter::frameSize() const
{
    return d->settings.size;
}

} // namespace recorder

#include "avi_probe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace recordertest {

namespace {

struct Decoder {
    AVCodecContext* context = nullptr;
    ~Decoder() { avcodec_free_context(&context); }
    bool open(const AVStream* stream)
    {
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec)
            return false;
        context = avcodec_alloc_context3(codec);
        return avcodec_parameters_to_context(context, stream->codecpar) >= 0
            && avcodec_open2(context, codec, nullptr) >= 0;
    }
};

uint32_t colourAt(const AVFrame* frame, int x, int y)
{
    SwsContext* scale = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format),
        frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
    std::vector<uint8_t> rgb(size_t(frame->width) * frame->height * 3);
    uint8_t* planes[4] = {rgb.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {frame->width * 3, 0, 0, 0};
    sws_scale(scale, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(scale);
    const uint8_t* p = rgb.data() + (size_t(y) * frame->width + x) * 3;
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

} // namespace

AviProbe probeAvi(const QString& path, int x, int y)
{
    AviProbe probe;
    AVFormatContext* format = nullptr;
    const QByteArray file = path.toUtf8();
    if (avformat_open_input(&format, file.constData(), nullptr, nullptr) < 0)
        return probe;
    if (avformat_find_stream_info(format, nullptr) < 0) {
        avformat_close_input(&format);
        return probe;
    }
    probe.opened = true;
    probe.container = QString::fromLatin1(format->iformat->name);
    const int videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int soundIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    Decoder video;
    Decoder sound;
    if (videoIndex >= 0) {
        const AVStream* stream = format->streams[videoIndex];
        probe.videoTag = stream->codecpar->codec_tag;
        probe.width = stream->codecpar->width;
        probe.height = stream->codecpar->height;
        probe.rateNum = stream->avg_frame_rate.num;
        probe.rateDen = stream->avg_frame_rate.den;
        video.open(stream);
    }
    if (soundIndex >= 0) {
        const AVStream* stream = format->streams[soundIndex];
        probe.sampleRate = stream->codecpar->sample_rate;
        probe.channels = stream->codecpar->ch_layout.nb_channels;
        sound.open(stream);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto takeFrames = [&](Decoder& decoder, bool isVideo) {
        while (avcodec_receive_frame(decoder.context, frame) >= 0) {
            if (isVideo) {
                ++probe.videoFrames;
                const AVStream* stream = format->streams[videoIndex];
                const int64_t pts = frame->best_effort_timestamp;
                if (pts != AV_NOPTS_VALUE)
                    probe.lastFrameNumber
                        = av_rescale_q(pts, stream->time_base, av_inv_q(stream->avg_frame_rate));
                probe.colours.push_back(colourAt(frame, x, y));
            } else {
                const int16_t* data = reinterpret_cast<const int16_t*>(frame->data[0]);
                probe.samples.insert(probe.samples.end(), data, data + frame->nb_samples);
            }
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == videoIndex && video.context) {
            probe.videoPositions.push_back(packet->pos);
            if (packet->size > 0 && avcodec_send_packet(video.context, packet) >= 0)
                takeFrames(video, true);
        } else if (packet->stream_index == soundIndex && sound.context) {
            if (probe.firstSoundPosition < 0)
                probe.firstSoundPosition = packet->pos;
            if (avcodec_send_packet(sound.context, packet) >= 0)
                takeFrames(sound, false);
        }
        av_packet_unref(packet);
    }
    if (video.context && avcodec_send_packet(video.context, nullptr) >= 0)
        takeFrames(video, true);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return probe;
}

} // namespace recordertest

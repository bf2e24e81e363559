#include "recorder/cast_frames.h"

#include "platform/screencast_portal.h"

#include <QDBusConnection>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace recorder {

using platform::CaptureFailure;

struct CastFrames::Impl {
    CastSettings settings;
    std::unique_ptr<platform::ScreenCastPortal> portal;
    int fd = -1;
    GstElement* pipeline = nullptr;
    CaptureFailure failure = CaptureFailure::None;
    FrameSize size;

    std::mutex lock;
    std::condition_variable came;
    std::vector<uint8_t> picture; // BGRx rows, width × 4 bytes each
    FrameSize pictureSize;
    uint64_t serial = 0; // pictures that came
    uint64_t taken = 0; // the serial last given to grab

    void fail(CaptureFailure why, const QString& detail)
    {
        failure = why;
        std::fprintf(stderr, "Screen recording through the portal: %s\n", detail.toLocal8Bit().constData());
    }

    // On GStreamer's streaming thread: keeps the picture as the newest.
    static GstFlowReturn onSample(GstAppSink* sink, gpointer self)
    {
        auto* impl = static_cast<Impl*>(self);
        GstSample* sample = gst_app_sink_pull_sample(sink);
        if (!sample)
            return GST_FLOW_OK;
        GstVideoInfo info;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstMapInfo map;
        if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) && buffer
            && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const int width = GST_VIDEO_INFO_WIDTH(&info);
            const int height = GST_VIDEO_INFO_HEIGHT(&info);
            const size_t stride = size_t(GST_VIDEO_INFO_PLANE_STRIDE(&info, 0));
            {
                std::lock_guard guard(impl->lock);
                impl->picture.resize(size_t(width) * 4 * height);
                for (int y = 0; y < height && stride * (y + 1) <= map.size; ++y)
                    std::memcpy(impl->picture.data() + size_t(width) * 4 * y, map.data + stride * y,
                        size_t(width) * 4);
                impl->pictureSize = {width, height};
                ++impl->serial;
            }
            impl->came.notify_all();
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
        return GST_FLOW_OK;
    }

    bool startPipeline(uint node)
    {
        GError* error = nullptr;
        if (!gst_init_check(nullptr, nullptr, &error)) {
            fail(CaptureFailure::NoFrames, QString::fromUtf8(error ? error->message : "no GStreamer"));
            g_clear_error(&error);
            return false;
        }
        const QByteArray description
            = QStringLiteral("pipewiresrc fd=%1 path=%2 always-copy=true ! videoconvert ! "
                             "video/x-raw,format=BGRx ! appsink name=sink max-buffers=1 drop=true sync=false")
                  .arg(fd)
                  .arg(node)
                  .toUtf8();
        pipeline = gst_parse_launch(description.constData(), &error);
        if (!pipeline || error) {
            fail(CaptureFailure::NoFrames,
                QStringLiteral("no pipewiresrc (gstreamer1.0-pipewire): ")
                    + QString::fromUtf8(error ? error->message : ""));
            g_clear_error(&error);
            return false;
        }
        GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
        GstAppSinkCallbacks callbacks {};
        callbacks.new_sample = &Impl::onSample;
        gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
        gst_object_unref(sink);
        if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            fail(CaptureFailure::NoFrames, QStringLiteral("the PipeWire stream did not start"));
            return false;
        }
        return true;
    }

    // The stream's end or error, if the pipeline posted one.
    bool streamEnded()
    {
        if (!pipeline)
            return true;
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* message = gst_bus_pop_filtered(bus, GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
        gst_object_unref(bus);
        if (!message)
            return false;
        gst_message_unref(message);
        return true;
    }

    void stop()
    {
        if (pipeline) {
            gst_element_set_state(pipeline, GST_STATE_NULL);
            gst_object_unref(pipeline);
            pipeline = nullptr;
        }
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        portal.reset();
    }
};

CastFrames::CastFrames(CastSettings settings)
    : d(std::make_unique<Impl>())
{
    d->settings = std::move(settings);
}

CastFrames::~CastFrames()
{
    d->stop();
}

bool CastFrames::open()
{
    d->stop();
    const QDBusConnection bus = d->settings.busName.isEmpty() ? QDBusConnection::sessionBus()
                                                              : QDBusConnection(d->settings.busName);
    d->portal = std::make_unique<platform::ScreenCastPortal>(bus, d->settings.answerMs);
    const platform::ScreenCastStream stream
        = d->portal->start(d->settings.restoreToken, d->settings.cancelled);
    if (stream.failure != CaptureFailure::None) {
        d->fail(stream.failure, stream.detail);
        return false;
    }
    d->fd = stream.fd;
    if (!stream.restoreToken.isEmpty() && stream.restoreToken != d->settings.restoreToken
        && d->settings.tokenKept)
        d->settings.tokenKept(stream.restoreToken);
    if (!d->startPipeline(stream.node))
        return false;
    // The first picture gives the size; a stream that sends none is told, never recorded black.
    std::unique_lock guard(d->lock);
    if (!d->came.wait_for(
            guard, std::chrono::milliseconds(d->settings.firstPictureMs), [this] { return d->serial > 0; })) {
        guard.unlock();
        d->fail(CaptureFailure::NoFrames,
            QStringLiteral("no picture in %1 ms from PipeWire node %2")
                .arg(d->settings.firstPictureMs)
                .arg(stream.node));
        return false;
    }
    d->size = d->pictureSize;
    return true;
}

FrameSize CastFrames::screenSize() const
{
    return d->size;
}

bool CastFrames::grab(std::vector<uint8_t>& bgrx)
{
    {
        std::lock_guard guard(d->lock);
        if (d->serial == d->taken)
            return false;
    }
    return newest(bgrx);
}

bool CastFrames::newest(std::vector<uint8_t>& bgrx)
{
    std::lock_guard guard(d->lock);
    if (d->serial == 0)
        return false;
    d->taken = d->serial;
    const FrameSize want = d->size;
    bgrx.assign(size_t(want.width) * 4 * want.height, 0);
    // A desktop that changed its size mid-way: the top-left part that fits.
    const int rows = std::min(want.height, d->pictureSize.height);
    const size_t bytes = size_t(std::min(want.width, d->pictureSize.width)) * 4;
    for (int y = 0; y < rows; ++y)
        std::memcpy(bgrx.data() + size_t(want.width) * 4 * y,
            d->picture.data() + size_t(d->pictureSize.width) * 4 * y, bytes);
    return true;
}

bool CastFrames::lost()
{
    if (d->failure != CaptureFailure::None)
        return true;
    if (d->portal && d->portal->closedByDesktop()) {
        d->fail(CaptureFailure::SessionClosed, QStringLiteral("the desktop closed the session"));
        return true;
    }
    if (d->streamEnded()) {
        d->fail(CaptureFailure::SessionClosed, QStringLiteral("the PipeWire stream ended"));
        return true;
    }
    return false;
}

CaptureFailure CastFrames::failure() const
{
    return d->failure;
}

} // namespace recorder

#include "recorder/cast_frames.h"

#include "recorder/picture_stream.h"

#include "platform/screencast_portal.h"

#include <QDBusConnection>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace recorder {

using platform::CaptureFailure;

namespace {

void forgetInbox(gpointer inbox)
{
    delete static_cast<std::shared_ptr<StreamInbox>*>(inbox);
}

// On GStreamer's streaming thread: hands the picture to the inbox.
GstFlowReturn onSample(GstAppSink* sink, gpointer inbox)
{
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_OK;
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) && buffer
        && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        (*static_cast<std::shared_ptr<StreamInbox>*>(inbox))
            ->picture(map.data, size_t(GST_VIDEO_INFO_PLANE_STRIDE(&info, 0)), map.size,
                {GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)});
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

// On the thread that posted it: the stream's end or error. Nothing else reads the bus.
GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer inbox)
{
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR || GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS)
        (*static_cast<std::shared_ptr<StreamInbox>*>(inbox))->ended();
    return GST_BUS_DROP;
}

// pipewiresrc ! videoconvert ! appsink, started and ended on the stream's own thread; the PipeWire connection
// is closed with the pipeline.
StreamHooks pipewirePipeline(int fd, uint node)
{
    auto pipeline = std::make_shared<GstElement*>(nullptr);
    StreamHooks hooks;
    hooks.start = [pipeline, fd, node](const std::shared_ptr<StreamInbox>& inbox, QString& why) {
        const QByteArray description
            = QStringLiteral("pipewiresrc fd=%1 path=%2 always-copy=true ! videoconvert ! "
                             "video/x-raw,format=BGRx ! appsink name=sink max-buffers=1 drop=true sync=false")
                  .arg(fd)
                  .arg(node)
                  .toUtf8();
        GError* error = nullptr;
        *pipeline = gst_parse_launch(description.constData(), &error);
        if (!*pipeline || error) {
            why = QStringLiteral("no pipewiresrc (gstreamer1.0-pipewire): ")
                + QString::fromUtf8(error ? error->message : "");
            g_clear_error(&error);
            return false;
        }
        GstElement* sink = gst_bin_get_by_name(GST_BIN(*pipeline), "sink");
        GstAppSinkCallbacks callbacks {};
        callbacks.new_sample = &onSample;
        gst_app_sink_set_callbacks(
            GST_APP_SINK(sink), &callbacks, new std::shared_ptr<StreamInbox>(inbox), &forgetInbox);
        gst_object_unref(sink);
        GstBus* bus = gst_element_get_bus(*pipeline);
        gst_bus_set_sync_handler(bus, &onBusMessage, new std::shared_ptr<StreamInbox>(inbox), &forgetInbox);
        gst_object_unref(bus);
        if (gst_element_set_state(*pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            why = QStringLiteral("the PipeWire stream did not start");
            return false;
        }
        return true;
    };
    hooks.end = [pipeline, fd] {
        if (*pipeline) {
            gst_element_set_state(*pipeline, GST_STATE_NULL);
            gst_object_unref(*pipeline);
        }
        ::close(fd);
    };
    return hooks;
}

} // namespace

struct CastFrames::Impl {
    CastSettings settings;
    std::unique_ptr<platform::ScreenCastPortal> portal;
    std::unique_ptr<PictureStream> stream;
    CaptureFailure failure = CaptureFailure::None;
    FrameSize size;

    void fail(CaptureFailure why, const QString& detail)
    {
        failure = why;
        std::fprintf(stderr, "Screen recording through the portal: %s\n", detail.toLocal8Bit().constData());
    }

    void stop()
    {
        // Never waits for the stream: one stuck in its start is left to its own thread.
        stream.reset();
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
    const platform::ScreenCastStream cast = d->portal->start(d->settings.restoreToken, d->settings.cancelled);
    if (cast.failure != CaptureFailure::None) {
        d->fail(cast.failure, cast.detail);
        return false;
    }
    if (!cast.restoreToken.isEmpty() && cast.restoreToken != d->settings.restoreToken
        && d->settings.tokenKept)
        d->settings.tokenKept(cast.restoreToken);
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        ::close(cast.fd);
        d->fail(CaptureFailure::NoFrames, QString::fromUtf8(error ? error->message : "no GStreamer"));
        g_clear_error(&error);
        return false;
    }
    d->stream = std::make_unique<PictureStream>(pipewirePipeline(cast.fd, cast.node));
    // The first picture gives the size; a stream that sends none is told, never recorded black.
    switch (d->stream->waitForFirst(d->settings.firstPictureMs, d->settings.cancelled)) {
    case PictureStream::FirstPicture::Came:
        d->size = d->stream->size();
        return true;
    case PictureStream::FirstPicture::Failed:
        d->fail(CaptureFailure::NoFrames,
            d->stream->failure().isEmpty()
                ? QStringLiteral("the PipeWire stream ended before its first picture")
                : d->stream->failure());
        return false;
    case PictureStream::FirstPicture::TimedOut:
        d->fail(CaptureFailure::NoFrames,
            QStringLiteral("no picture in %1 ms from PipeWire node %2")
                .arg(d->settings.firstPictureMs)
                .arg(cast.node));
        return false;
    case PictureStream::FirstPicture::Cancelled:
        break;
    }
    d->fail(CaptureFailure::NoFrames, QStringLiteral("stopped before the first picture"));
    return false;
}

FrameSize CastFrames::screenSize() const
{
    return d->size;
}

bool CastFrames::grab(std::vector<uint8_t>& bgrx)
{
    return d->stream && d->stream->takeNew(bgrx, d->size);
}

bool CastFrames::newest(std::vector<uint8_t>& bgrx)
{
    return d->stream && d->stream->newest(bgrx, d->size);
}

bool CastFrames::lost()
{
    if (d->failure != CaptureFailure::None)
        return true;
    if (d->portal && d->portal->closedByDesktop()) {
        d->fail(CaptureFailure::SessionClosed, QStringLiteral("the desktop closed the session"));
        return true;
    }
    if (d->stream && d->stream->ended()) {
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

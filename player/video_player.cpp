#include "player/video_player.h"

#include "platform/messages.h"
#include "platform/window_stack.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <gst/video/videooverlay.h>

#include <memory>
#include <utility>

namespace player {

namespace {

// Long enough for a large file on a loaded machine to show its first frame; a file that cannot be read
// fails long before.
constexpr GstClockTime kPrerollWait = 20 * GST_SECOND;
constexpr GstClockTime kSettleWait = 5 * GST_SECOND;
constexpr UINT kShowWindow = 0x0018;
// A video shown without an attached window gets a window of its own of this size.
constexpr QSize kOwnWindowSize(640, 360);

} // namespace

bool EnsureGStreamer()
{
    static const bool started = [] {
        GError* error = nullptr;
        const bool ok = gst_init_check(nullptr, nullptr, &error);
        g_clear_error(&error);
        return ok;
    }();
    return started;
}

VideoPlayer::VideoPlayer(QWidget* attached)
    : attached_(attached)
{
}

VideoPlayer::~VideoPlayer()
{
    Release();
    for (VideoWindow* window : {full_.data(), window_.data()}) {
        if (window) {
            window->onGone = nullptr;
            delete window;
        }
    }
}

bool VideoPlayer::Load(const QString& path)
{
    Release();
    if (!EnsureGStreamer() || path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    GError* error = nullptr;
    gchar* uri
        = gst_filename_to_uri(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), &error);
    g_clear_error(&error);
    if (!uri)
        return false;
    GstElement* pipeline = gst_element_factory_make("playbin", nullptr);
    // ximagesink does not scale: videoscale fits the picture to the window, keeping its aspect.
    GstElement* sink = gst_parse_bin_from_description("videoconvert ! videoscale ! ximagesink", TRUE, &error);
    g_clear_error(&error);
    if (!pipeline || !sink) {
        g_free(uri);
        if (pipeline)
            gst_object_unref(pipeline);
        if (sink)
            gst_object_unref(sink);
        return false;
    }
    overlay_ = gst_bin_get_by_interface(GST_BIN(sink), GST_TYPE_VIDEO_OVERLAY);
    g_object_set(pipeline, "uri", uri, "video-sink", sink, "volume", VolumeGain(volume_), nullptr);
    g_free(uri);
    pipeline_ = pipeline;

    if (!window_) {
        window_ = new VideoWindow(attached_);
        if (!attached_) {
            window_->setWindowTitle(QStringLiteral("ActiveMovie Window"));
            window_->resize(kOwnWindowSize);
        }
    }
    AdjustToWindow();
    drawInto(window_);

    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, &VideoPlayer::onSyncMessage, this, nullptr);
    gst_object_unref(bus);

    // Paused, the first frame is shown and the length is known; the state stays stopped.
    GstStateChangeReturn change = gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_ASYNC)
        change = gst_element_get_state(pipeline_, nullptr, nullptr, kPrerollWait);
    if (change == GST_STATE_CHANGE_FAILURE) {
        Release();
        return false;
    }
    state_ = kStateStopped;
    return true;
}

void VideoPlayer::Release()
{
    if (!pipeline_)
        return;
    GstElement* pipeline = std::exchange(pipeline_, nullptr);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    // Messages already on their way to the UI thread hold references into the pipeline: they are delivered
    // (and dropped, the pipeline being gone) before it is freed.
    QCoreApplication::sendPostedEvents(this);
    if (overlay_)
        gst_object_unref(overlay_);
    overlay_ = nullptr;
    gst_object_unref(pipeline);
    events_.clear();
    dropped_ = 0;
    qosMessages_ = 0;
    state_ = kStateStopped;
}

GstBusSyncReply VideoPlayer::onSyncMessage(GstBus*, GstMessage* message, gpointer data)
{
    auto* self = static_cast<VideoPlayer*>(data);
    if (gst_is_video_overlay_prepare_window_handle_message(message)) {
        auto* overlay = GST_VIDEO_OVERLAY(GST_MESSAGE_SRC(message));
        // Qt takes the window's input; the sink only draws.
        gst_video_overlay_handle_events(overlay, FALSE);
        gst_video_overlay_set_window_handle(overlay, self->handle_.load());
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
    std::shared_ptr<GstMessage> held(message, gst_message_unref);
    QMetaObject::invokeMethod(
        self, [self, held] { self->onMessage(held.get()); }, Qt::QueuedConnection);
    return GST_BUS_DROP;
}

void VideoPlayer::onMessage(GstMessage* message)
{
    if (!pipeline_)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        queueEvent(kEventComplete);
        break;
    case GST_MESSAGE_QOS: {
        GstFormat format = GST_FORMAT_UNDEFINED;
        guint64 processed = 0;
        guint64 dropped = 0;
        gst_message_parse_qos_stats(message, &format, &processed, &dropped);
        ++qosMessages_;
        if (format == GST_FORMAT_BUFFERS)
            dropped_ = std::max<std::uint64_t>(dropped_, dropped);
        break;
    }
    case GST_MESSAGE_ERROR:
        if (GST_MESSAGE_SRC(message)
            && gst_object_has_as_ancestor(GST_MESSAGE_SRC(message), GST_OBJECT(pipeline_)))
            queueEvent(kEventErrorAbort);
        break;
    default:
        break;
    }
}

void VideoPlayer::queueEvent(long code)
{
    events_.push_back(code);
    if (QWidget* target = notifyTarget())
        platform::PostMessage(platform::WindowRef(target), kMsgGraphNotify, 0, 0);
}

QWidget* VideoPlayer::notifyTarget() const
{
    if (!attached_)
        return nullptr;
    // A top-level attached window is its own parent for the notifications.
    return attached_->parentWidget() ? attached_->parentWidget() : attached_.data();
}

long VideoPlayer::HandleEvents()
{
    while (!events_.empty()) {
        const long code = events_.front();
        events_.pop_front();
        if (code == kEventComplete) {
            if (QWidget* target = notifyTarget())
                platform::PostMessage(platform::WindowRef(target), kMsgPlaybackComplete, 0, 0);
        }
    }
    return kEventQueueEmpty;
}

void VideoPlayer::Play()
{
    if (!pipeline_ || state_ == kStatePlaying)
        return;
    gst_element_set_state(pipeline_, GST_STATE_PLAYING);
    state_ = kStatePlaying;
}

void VideoPlayer::Pause()
{
    if (!pipeline_ || state_ == kStatePaused)
        return;
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    state_ = kStatePaused;
}

void VideoPlayer::Stop()
{
    if (!pipeline_ || state_ == kStateStopped)
        return;
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    settle();
    SeekTo(0);
    state_ = kStateStopped;
}

void VideoPlayer::settle() const
{
    gst_element_get_state(pipeline_, nullptr, nullptr, kSettleWait);
}

void VideoPlayer::SeekTo(gint64 position)
{
    if (!pipeline_)
        return;
    // A seek is answered by the position it lands on: wait for the one under way to end first.
    settle();
    gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
        GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT), std::max<gint64>(position, 0));
    settle();
}

gint64 VideoPlayer::Duration() const
{
    gint64 duration = 0;
    if (!pipeline_ || !gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration))
        return 0;
    return duration;
}

gint64 VideoPlayer::Position() const
{
    gint64 position = 0;
    if (!pipeline_ || !gst_element_query_position(pipeline_, GST_FORMAT_TIME, &position))
        return 0;
    return position;
}

bool VideoPlayer::HasAudio() const
{
    gint streams = 0;
    if (pipeline_)
        g_object_get(pipeline_, "n-audio", &streams, nullptr);
    return streams > 0;
}

int VideoPlayer::Volume() const
{
    return pipeline_ && HasAudio() ? volume_ : 0;
}

void VideoPlayer::SetVolume(int volume)
{
    if (!pipeline_)
        return;
    volume_ = ClampVolume(volume);
    g_object_set(pipeline_, "volume", VolumeGain(volume_), nullptr);
}

PlaybackStats VideoPlayer::Stats() const
{
    PlaybackStats stats;
    stats.dropped = dropped_;
    stats.qosMessages = qosMessages_;
    if (!overlay_)
        return stats;
    GstStructure* counts = nullptr;
    g_object_get(overlay_, "stats", &counts, nullptr);
    if (counts) {
        guint64 rendered = 0;
        if (gst_structure_get_uint64(counts, "rendered", &rendered))
            stats.rendered = rendered;
        gst_structure_free(counts);
    }
    return stats;
}

QWidget* VideoPlayer::videoWindow() const
{
    return full_ ? static_cast<QWidget*>(full_.data()) : window_.data();
}

void VideoPlayer::drawInto(VideoWindow* window)
{
    if (!window)
        return;
    window->onExpose = [this] { expose(); };
    window->onGone = [this, window] { windowGone(window); };
    handle_ = guintptr(window->winId());
    if (overlay_)
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(overlay_), handle_.load());
}

void VideoPlayer::expose()
{
    if (overlay_ && pipeline_)
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay_));
}

void VideoPlayer::windowGone(VideoWindow* window)
{
    // The sink must not draw into an X window that no longer exists.
    if (window == full_.data()) {
        full_.clear();
        if (window_) {
            drawInto(window_);
            return;
        }
    }
    if (pipeline_ && handle_.load() == guintptr(window->winId()))
        Release();
}

void VideoPlayer::PutFullMode(bool on)
{
    if (on == fullMode() || !pipeline_)
        return;
    if (on) {
        // The sink moves to a window of its own over the whole monitor; the attached window keeps its own.
        QScreen* screen
            = attached_ && attached_->screen() ? attached_->screen() : QGuiApplication::primaryScreen();
        full_ = new VideoWindow(nullptr);
        full_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        full_->setWindowTitle(QStringLiteral("ActiveMovie Window"));
        platform::SetStackLayer(full_, platform::StackLayer::Aid);
        full_->onLeave = [this] {
            QMetaObject::invokeMethod(
                this, [this] { PutFullMode(false); }, Qt::QueuedConnection);
        };
        if (screen)
            full_->setGeometry(screen->geometry());
        full_->show();
        full_->raise();
        full_->activateWindow();
        drawInto(full_);
        expose();
        return;
    }
    VideoWindow* full = full_.data();
    full_.clear();
    if (window_)
        drawInto(window_);
    full->onGone = nullptr;
    full->hide();
    full->deleteLater();
    expose();
}

void VideoPlayer::AdjustToWindow()
{
    if (!window_)
        return;
    if (attached_)
        window_->setGeometry(attached_->rect());
    window_->show();
    window_->raise();
    expose();
}

long VideoPlayer::NotifyOwnerMessage(QWidget* window, UINT message, long wParam, long)
{
    if (!videoWindow())
        return 1;
    if (message == kShowWindow && window)
        window->setVisible(wParam != 0);
    return 0;
}

} // namespace player

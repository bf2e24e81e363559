#include "player/video_thumbnail.h"

#include "player/video_player.h"

#include <QFile>
#include <QFileInfo>

#include <gst/video/video.h>

namespace player {

namespace {

constexpr GstClockTime kWait = 10 * GST_SECOND;
constexpr gint64 kLatestFrame = GST_SECOND;

} // namespace

QImage VideoThumbnail(const QString& path, QSize size)
{
    if (!QFileInfo(path).isFile() || !EnsureGStreamer() || size.isEmpty())
        return QImage();
    GError* error = nullptr;
    gchar* uri
        = gst_filename_to_uri(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), &error);
    g_clear_error(&error);
    GstElement* pipeline = uri ? gst_element_factory_make("playbin", nullptr) : nullptr;
    if (!pipeline) {
        g_free(uri);
        return QImage();
    }
    g_object_set(pipeline, "uri", uri, "video-sink", gst_element_factory_make("fakesink", nullptr),
        "audio-sink", gst_element_factory_make("fakesink", nullptr), nullptr);
    g_free(uri);

    QImage still;
    if (gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE
        && gst_element_get_state(pipeline, nullptr, nullptr, kWait) == GST_STATE_CHANGE_SUCCESS) {
        gint64 duration = 0;
        if (gst_element_query_duration(pipeline, GST_FORMAT_TIME, &duration) && duration > 0) {
            gst_element_seek_simple(pipeline, GST_FORMAT_TIME,
                GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                std::min(duration / 10, kLatestFrame));
            gst_element_get_state(pipeline, nullptr, nullptr, kWait);
        }
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
        GstSample* sample = nullptr;
        g_signal_emit_by_name(pipeline, "convert-sample", caps, &sample);
        gst_caps_unref(caps);
        if (sample) {
            GstVideoInfo info;
            GstMapInfo map;
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            if (buffer && gst_video_info_from_caps(&info, gst_sample_get_caps(sample))
                && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                const QImage frame(map.data, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                    int(GST_VIDEO_INFO_PLANE_STRIDE(&info, 0)), QImage::Format_RGB32);
                still = frame.copy().scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
                gst_buffer_unmap(buffer, &map);
            }
            gst_sample_unref(sample);
        }
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return still;
}

} // namespace player

QImage vpVideoThumbnail(const QString& path, QSize size)
{
    return player::VideoThumbnail(path, size);
}

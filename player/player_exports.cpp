#include "player/player_exports.h"

#include "player/player_window.h"
#include "player/video_player.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

#include <gst/pbutils/pbutils.h>

namespace {

QPointer<QWidget> g_attached;
// The one player; never destroyed by the library's unloading, when the windows it uses are long gone.
player::VideoPlayer* g_player = nullptr;

constexpr gint64 kNsPerSecond = GST_SECOND;
// A seek lands on the sound frame that holds the key frame, up to a few hundredths of a second before it: a
// seek to 2 s must read back as 2 s.
constexpr gint64 kPositionSlack = 40 * GST_MSECOND;
// The discoverer's limit for one file.
constexpr GstClockTime kDiscoverWait = 5 * GST_SECOND;

void destroyPlayer()
{
    delete std::exchange(g_player, nullptr);
}

// The player, when one is loaded and usable.
player::VideoPlayer* loaded()
{
    return g_player && g_player->usable() ? g_player : nullptr;
}

} // namespace

void vpInitialize()
{
    player::EnsureGStreamer();
}

void vpUninitialize()
{
    if (g_player)
        g_player->Release();
}

void vpAttach(QWidget* owner)
{
    g_attached = owner;
}

void vpLoad(const QString& path)
{
    if (path.isNull())
        return;
    destroyPlayer();
    static const bool cleanup = [] {
        // Before the application goes: its windows go with it, and the sink must stop drawing first.
        qAddPostRoutine(destroyPlayer);
        return true;
    }();
    (void)cleanup;
    g_player = new player::VideoPlayer(g_attached);
    if (!g_player->Load(path))
        destroyPlayer();
}

void vpPlay()
{
    if (auto* p = loaded())
        p->Play();
}

void vpPause()
{
    if (auto* p = loaded())
        p->Pause();
}

void vpStop()
{
    if (auto* p = loaded())
        p->Stop();
}

void vpSeekToBegin()
{
    if (auto* p = loaded())
        p->SeekTo(0);
}

void vpSeekToEnd()
{
    if (auto* p = loaded())
        p->SeekTo(p->Duration());
}

int vpGetTotalTime()
{
    auto* p = loaded();
    return p ? int(p->Duration() / kNsPerSecond) : 0;
}

int vpGetCurrentPosition()
{
    auto* p = loaded();
    return p ? int((p->Position() + kPositionSlack) / kNsPerSecond) : 0;
}

void vpSetCurrentPosition(int seconds)
{
    if (auto* p = loaded())
        p->SeekTo(gint64(seconds) * kNsPerSecond);
}

int vpGetVolume()
{
    auto* p = loaded();
    return p ? p->Volume() : 0;
}

void vpSetVolume(int volume)
{
    if (auto* p = loaded())
        p->SetVolume(volume);
}

void vpPutFullMode(bool on)
{
    if (auto* p = loaded())
        p->PutFullMode(on);
}

void vpAdjustToWindow()
{
    if (auto* p = loaded())
        p->AdjustToWindow();
}

int vpGetPlayState()
{
    if (!g_player)
        return VPS_NOPLAYER;
    return g_player->state() == kStatePlaying ? VPS_PLAYING : VPS_NOTPLAYING;
}

bool vpIsFileCanBeDecoded(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile() || !player::EnsureGStreamer())
        return false;
    GError* error = nullptr;
    gchar* uri
        = gst_filename_to_uri(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), &error);
    g_clear_error(&error);
    GstDiscoverer* discoverer = uri ? gst_discoverer_new(kDiscoverWait, &error) : nullptr;
    g_clear_error(&error);
    bool decodable = false;
    if (discoverer) {
        if (GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri, &error)) {
            if (gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
                GList* videos = gst_discoverer_info_get_video_streams(info);
                // The first video stream decides, as a picture file is a video stream of one still frame.
                if (videos)
                    decodable = !gst_discoverer_video_info_is_image(GST_DISCOVERER_VIDEO_INFO(videos->data));
                gst_discoverer_stream_info_list_free(videos);
            }
            gst_discoverer_info_unref(info);
        }
        g_clear_error(&error);
        g_object_unref(discoverer);
    }
    g_free(uri);
    return decodable;
}

long vpHandleGraphEvent()
{
    auto* p = loaded();
    return p ? p->HandleEvents() : 0;
}

long vpNotifyOwnerMessage(QWidget* window, UINT message, long wParam, long lParam)
{
    auto* p = loaded();
    return p ? p->NotifyOwnerMessage(window, message, wParam, lParam) : 1;
}

QString vpSecondToLoalTime(int seconds)
{
    return player::SecondsAsClock(seconds);
}

player::PlaybackStats player::CurrentPlaybackStats()
{
    auto* p = loaded();
    return p ? p->Stats() : PlaybackStats();
}

void vpQuit()
{
    destroyPlayer();
}

QWidget* vpPlayInOwnWindow(const QString& path, QWidget* owner)
{
    auto* window = new player::PlayerWindow(owner);
    if (window->Play(path))
        return window;
    delete window;
    return nullptr;
}

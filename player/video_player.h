#pragma once
// One video: a playbin that draws into a video window over the attached window, with the play state the
// exports answer and the queue of events that vpHandleGraphEvent drains.
#include "platform/win_types.h"
#include "player/playback_stats.h"
#include "player/player_rules.h"
#include "player/video_window.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <gst/gst.h>

#include <atomic>
#include <deque>

namespace player {

// Starts GStreamer once; false when it cannot start (then nothing plays).
bool EnsureGStreamer();

class VideoPlayer : public QObject {
public:
    // The video is shown in attached; without one, in a window of its own.
    explicit VideoPlayer(QWidget* attached);
    ~VideoPlayer() override;

    // Builds the pipeline and shows its first frame, stopped. False when the file cannot be played: the
    // pipeline is released, and the player is not usable.
    bool Load(const QString& path);
    // Stops and releases the pipeline; the player stays, answering as stopped.
    void Release();
    bool usable() const { return pipeline_ != nullptr; }

    int state() const { return state_; }
    void Play();
    void Pause();
    void Stop();
    void SeekTo(gint64 position);
    gint64 Duration() const;
    gint64 Position() const;
    int Volume() const;
    void SetVolume(int volume);
    bool HasAudio() const;

    void PutFullMode(bool on);
    bool fullMode() const { return full_ != nullptr; }
    void AdjustToWindow();
    // Drains the event queue; kEventQueueEmpty once it is empty.
    long HandleEvents();
    long NotifyOwnerMessage(QWidget* window, UINT message, long wParam, long lParam);

    PlaybackStats Stats() const;

    // The window the picture is drawn in now (the full-screen one in full mode).
    QWidget* videoWindow() const;

private:
    static GstBusSyncReply onSyncMessage(GstBus* bus, GstMessage* message, gpointer self);
    void onMessage(GstMessage* message);
    void queueEvent(long code);
    QWidget* notifyTarget() const;
    void drawInto(VideoWindow* window);
    void expose();
    void windowGone(VideoWindow* window);
    // Waits for a state change under way to end (a seek or a pause of a few frames).
    void settle() const;

    QPointer<QWidget> attached_;
    QPointer<VideoWindow> window_;
    QPointer<VideoWindow> full_;
    GstElement* pipeline_ = nullptr;
    GstElement* overlay_ = nullptr;
    // The X window the sink draws into, read by the streaming thread that asks for it.
    std::atomic<guintptr> handle_ {0};
    int state_ = kStateStopped;
    int volume_ = kVolumeFull;
    std::deque<long> events_;
    std::uint64_t dropped_ = 0;
    int qosMessages_ = 0;
};

} // namespace player

#pragma once
// The rules of the record control window, apart from the window: the start/pause button, pause, stop, the
// one-second timer with its 45-minute cap, and the save dialog. The window and the recording session reach it
// through hooks, so the rules run without a display and with a clock that a test moves.
#include "recorder/qmvidio_export.h"
#include "recorder/recording_clock.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace recorder {

// Pictures of the start/pause button.
constexpr int kPictureIdleNormal = 2015;
constexpr int kPictureIdleDown = 2014;
constexpr int kPictureRecordingNormal = 2011;
constexpr int kPictureRecordingDown = 2016;
// Pictures of the play button.
constexpr int kPicturePlayNormal = 2008;
constexpr int kPicturePlayDown = 2007;

// A recording pauses itself and asks for its name after this much recording.
constexpr int kMaxRecordSeconds = 2700;
// A begin this soon after a stop, and a stop this soon after a begin, are taken for a double click and
// ignored.
constexpr int64_t kBeginAfterStopMs = 500;
constexpr int64_t kStopAfterBeginMs = 800;

inline const char kSaveFilter[] = "avi file(*.avi)|*.avi||";
inline const char kSaveExtension[] = "*.avi";

// "<day>-<hour>-<minute>-<second>.avi", the temporary recording's name.
QMVIDIO_EXPORT QString temporaryRecordingName(const QDateTime& local);
// "UnTitleYYYYMMDDhhmmss.avi", the name the save dialog offers.
QMVIDIO_EXPORT QString defaultSaveName(const QDateTime& local);
// Elapsed seconds as hours:minutes:seconds, two digits at least each.
QMVIDIO_EXPORT QString elapsedText(int seconds);
// The rates a recording actually reached over the last `ms`: pictures and sound samples written a second, as
// the record window shows them ("19.8 fps · 22050 Hz"); empty when no time has passed.
QMVIDIO_EXPORT QString actualRatesText(int64_t frames, int64_t samples, int64_t ms, bool english);

struct RecordControlHooks {
    MillisecondClock now = steadyMilliseconds();
    std::function<QDateTime()> localTime = [] { return QDateTime::currentDateTime(); };
    std::function<bool()> english;
    std::function<QString()> scratchFolder;
    std::function<bool()> hasSoundInput;
    std::function<void(const QString& text, const QString& caption)> message;
    // The save dialog: the chosen path, or empty when cancelled.
    std::function<QString(const QString& defaultName, const QString& extension, const QString& filter)>
        saveAs;
    // The recording session: begin returns false when it could not start.
    std::function<bool(const QString& path)> beginRecording;
    std::function<void()> pauseRecording;
    std::function<void()> resumeRecording;
    std::function<void()> endRecording;
    // The floating elapsed-time display.
    std::function<void(bool shown)> showTimer;
    // Opens a recording in the desktop's own player: false when none is registered for it or none started.
    std::function<bool(const QString& path)> openWithDesktop;
    // Plays a recording in the program's own player: false when that cannot play it.
    std::function<bool(const QString& path)> openInOwnPlayer;
};

class QMVIDIO_EXPORT RecordControl {
public:
    explicit RecordControl(RecordControlHooks hooks);

    void startButton(); // the start/pause button and StartRecordScreen
    void pause(); // PauseRecordScreen
    void stop(); // StopRecordScreen
    void tick(); // the window's one-second timer
    void closeRequested(); // the window is closed
    // The session closed its file: a recording waiting for its name is copied there now.
    void recordingEnded(bool complete);
    // The file ended before the user stopped it (a full disk, a failed write): the recording stops, the user
    // is told why, and what was written is offered for saving, since the scratch folder goes when the program
    // quits.
    void recordingCutOff(const QString& why);
    // The play button: the last recording in the desktop's player, else in the program's own. The user is
    // told when nothing has been recorded yet, when the file has gone, or when nothing can play it.
    void playLast();

    bool recording() const { return recording_; }
    bool paused() const { return paused_; }
    bool saving() const { return saving_; }
    bool timerRunning() const { return timerRunning_; }
    int elapsedSeconds() const { return elapsed_; }
    // The window caption's key (looked up through the language), or the English "Stop".
    QString caption() const { return caption_; }
    int pictureNormal() const
    {
        return recording_ && !paused_ ? kPictureRecordingNormal : kPictureIdleNormal;
    }
    int pictureDown() const { return recording_ && !paused_ ? kPictureRecordingDown : kPictureIdleDown; }
    QString temporaryPath() const { return temporaryPath_; }
    QString lastRecording() const { return lastRecording_; }
    QString savedTo() const { return savedTo_; }

private:
    bool begin();
    void pauseAndSave();
    QString askSaveName(); // the save dialog with the default name; empty when cancelled
    bool english() const;
    // Tells the user in the language in force, under the system's title.
    void say(const QString& english, const QString& chinese);
    QString messageTitle() const;

    RecordControlHooks hooks_;
    bool recording_ = false;
    bool paused_ = false;
    bool saving_ = false;
    bool timerRunning_ = false;
    int elapsed_ = 0;
    QString caption_;
    QString temporaryPath_;
    QString lastRecording_;
    QString pendingSave_;
    QString savedTo_;
    int64_t lastBegin_ = -1000000;
    int64_t lastStop_ = -1000000;
};

} // namespace recorder

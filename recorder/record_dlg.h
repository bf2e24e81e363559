#pragma once
// The record control window (dialog 2000): the start/pause button, the play button and the elapsed time. It
// joins the recording rules of RecordControl to a RecordingSession, the floating display and the dialogs.
#include "recorder/qmvidio_export.h"
#include "recorder/record_control.h"
#include "recorder/recording_session.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

class CTimerDlg;

// The line the teacher reads when the screen cannot be recorded, or stopped being.
QMVIDIO_EXPORT QString castFailureText(platform::CaptureFailure failure);
class QLabel;
class QToolButton;

// Control ids of the window.
constexpr int kIdStartPause = 2001; // start/pause button
constexpr int kIdPlay = 2002; // plays the last recording
constexpr int kIdPause = 2003; // pause, hidden
constexpr int kIdElapsed = 2005; // elapsed-time label

class QMVIDIO_EXPORT CRecordDlg : public QDialog {
public:
    explicit CRecordDlg(QWidget* parent = nullptr);
    ~CRecordDlg() override;

    // The save dialog, replaceable by tests: the chosen path or empty.
    using SaveDialog = std::function<QString(QWidget*, const QString& defaultName, const QString& filter)>;
    static void setSaveDialog(SaveDialog dialog);

    recorder::RecordControl& control() { return *control_; }
    // What the running recording holds so far; empty when none runs.
    recorder::SessionStats sessionStats() const
    {
        return session_ ? session_->stats() : recorder::SessionStats {};
    }
    void startButton();
    void pauseRecording();
    void stopRecording();
    void playLastRecording();
    QString elapsedLabel() const;
    QString ratesLabel() const;
    // The session closed its file (called on the window's thread); screen says why there was no picture.
    void sessionEnded(
        recorder::SessionEnd how, platform::CaptureFailure screen = platform::CaptureFailure::None);
    // The microphone went away: the recording goes on without sound, and the user is told.
    void soundLost();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The start and play buttons and the elapsed time with the rates under it.
    void createControls();
    // What the recording control asks of the window: messages, the save dialog, the session, the players.
    recorder::RecordControlHooks controlHooks();
    void refresh();
    void showRates();
    // A recording counts from its first picture: until then the desktop may still be asking to share.
    bool awaitingFirstPicture() const;
    bool beginSession(const QString& path, const recorder::Compressor& compressor);
    // In a Wayland session the pictures come from the desktop's screen cast.
    void castIfWayland(recorder::SessionSettings& settings);

    std::unique_ptr<recorder::RecordControl> control_;
    std::unique_ptr<recorder::RecordingSession> session_;
    std::unique_ptr<CTimerDlg> timerDlg_;
    QToolButton* startButton_ = nullptr;
    QToolButton* playButton_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QLabel* rates_ = nullptr; // what the recording actually reaches, every half second
    QTimer secondTimer_;
    QTimer rateTimer_;
    recorder::SessionStats ratesFrom_;
    int64_t ratesFromMs_ = 0;
    QString sessionPath_;
    recorder::Compressor compressor_;
};

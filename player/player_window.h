#pragma once
// A window of its own that plays one video file: the picture, a play/pause button, a position bar and the
// time. It has its own player, so a video playing elsewhere in the program (on a page, on the wall) goes on.
// It carries no words: pictures and times read the same in every language.
#include <QWidget>

#include <memory>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace platform {
class MessageTable;
}

namespace player {

class VideoPlayer;

class PlayerWindow : public QWidget {
public:
    // The window title, by which tests and the desktop find it: the file's name.
    explicit PlayerWindow(QWidget* owner);
    ~PlayerWindow() override;

    // Loads path and plays it; false when it cannot be played (the window is then not shown).
    bool Play(const QString& path);
    bool playing() const;
    int positionSeconds() const;

private:
    void toggle();
    void refresh();
    void ended();

    std::unique_ptr<VideoPlayer> player_;
    std::unique_ptr<platform::MessageTable> messages_;
    QWidget* screen_ = nullptr;
    QToolButton* playPause_ = nullptr;
    QSlider* position_ = nullptr;
    QLabel* time_ = nullptr;
    QTimer* tick_ = nullptr;
};

} // namespace player

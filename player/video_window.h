#pragma once
// The window a video is drawn into: a native X window that the video sink paints on directly, so Qt
// neither paints it nor clears it. A repaint asks the sink to draw its last frame again.
#include <QWidget>

#include <functional>

namespace player {

class VideoWindow : public QWidget {
public:
    // A child of parent; without a parent, a window of its own.
    explicit VideoWindow(QWidget* parent);
    ~VideoWindow() override;

    QPaintEngine* paintEngine() const override { return nullptr; }

    // Called on a repaint: the sink draws its last frame again.
    std::function<void()> onExpose;
    // Called once, before the X window goes: the sink must stop drawing into it.
    std::function<void()> onGone;
    // The teacher asked to leave the full screen (Escape or a double click).
    std::function<void()> onLeave;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace player

#pragma once
// The frame a video plays in over the page: a caption strip with the file's name, a play or pause button
// and a close button, above the window the video player draws into. A click on the picture plays or
// pauses; dragging the caption moves the frame. Closing it tells the surface with 0x113D, wParam 2.
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace platform {
class MessageTable;
}

namespace DIALOG {

class CMediaFrame : public QWidget {
public:
    static constexpr int kCaptionHeight = 26;

    // A frame of surface, for the video at path; nothing plays until Play.
    CMediaFrame(QWidget* surface, const QString& path);
    ~CMediaFrame() override;

    // Loads the video into the frame's picture area; false when the player refuses it.
    bool Load();
    void Play();
    void PauseOrPlay();
    // The frame is closed: the video ends, the frame hides and the surface is told.
    void Close();
    // The picture area the video is drawn into.
    QWidget* pictureArea() const { return picture_; }
    const QString& path() const { return path_; }
    // The frame whose outside is size, centred on centre.
    void Place(QPoint centre, QSize size);

    // The teacher moved the frame by its caption to this place.
    std::function<void(const QRect&)> moved;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Hidden with the page (the board left, the surface hidden), the video pauses: its sound must not go on
    // behind the teacher's back.
    void hideEvent(QHideEvent* event) override;

private:
    QRect closeButton() const;
    QRect playButton() const;

    QWidget* picture_ = nullptr;
    QString path_;
    std::unique_ptr<platform::MessageTable> messages_;
    bool moving_ = false;
    QPoint grab_;
};

} // namespace DIALOG

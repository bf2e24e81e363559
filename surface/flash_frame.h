#pragma once
// The frame a Flash movie plays in over the page: a caption strip with a move button and a close button
// above the Flash player's view. The player is a library of its own, loaded the first time a movie opens.
// A click on the movie tells the surface (0x0709), which shows the tracker around the frame.
#include <QString>
#include <QWidget>

#include <functional>

namespace DIALOG {

// Whether Flash movies can be played here: Ruffle's files and the player library are in the program
// folder.
bool FlashPlayerPresent();

class CFlashFrame : public QWidget {
public:
    static constexpr int kCaptionHeight = 26;

    CFlashFrame(QWidget* surface, const QString& path);

    // Opens the player on the movie; false when the player is missing.
    bool Open();
    const QString& path() const { return path_; }
    QWidget* view() const { return view_; }
    void Place(QPoint centre, QSize size);

    // The close button was clicked: the frame has hidden itself.
    std::function<void()> closed;
    // The teacher moved the frame by its move button to this place.
    std::function<void(const QRect&)> moved;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect closeButton() const;
    QRect moveButton() const;
    void watch(QObject* object);

    QString path_;
    QWidget* view_ = nullptr;
    bool moving_ = false;
    QPoint grab_;
};

} // namespace DIALOG

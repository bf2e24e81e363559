#pragma once
// The small always-on-top tab that stands in for the collapsed main panel: a click brings the panel back.
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>

namespace platform {
class MessageTable;
}

namespace DIALOG {

class CDlgShow : public QWidget {
    Q_OBJECT
public:
    // restore is what the panel does to come back (hide the tab, move the panel onto it, show it).
    CDlgShow(QWidget* owner, std::function<void()> restore);
    ~CDlgShow() override;

    void Restore();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void reloadPicture();

    std::function<void()> restore_;
    std::unique_ptr<platform::MessageTable> messages_;
    QPixmap picture_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace DIALOG

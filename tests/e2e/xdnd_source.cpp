// A small window that drags one file with XDND, as a file manager would: the test presses the mouse in it
// and moves the pointer to the drop target. Usage: qm_xdnd_source FILE X Y
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class Source : public QWidget {
public:
    explicit Source(QString file)
        : file_(std::move(file))
    {
        setWindowTitle(QStringLiteral("XdndSource"));
        setWindowFlags(
            Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        setFixedSize(80, 80);
        setStyleSheet(QStringLiteral("background: #F6B73C;"));
    }

protected:
    void mousePressEvent(QMouseEvent*) override { pressed_ = true; }
    void mouseMoveEvent(QMouseEvent*) override
    {
        if (!pressed_)
            return;
        pressed_ = false;
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(file_)});
        QDrag drag(this);
        drag.setMimeData(data);
        const Qt::DropAction done = drag.exec(Qt::CopyAction | Qt::LinkAction);
        // One line for the test: whether the target took the file.
        fprintf(stdout, "%s\n", done == Qt::IgnoreAction ? "ignored" : "dropped");
        fflush(stdout);
    }

private:
    QString file_;
    bool pressed_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4)
        return 2;
    Source source(QString::fromLocal8Bit(argv[1]));
    source.move(atoi(argv[2]), atoi(argv[3]));
    source.show();
    return app.exec();
}

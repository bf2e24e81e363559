#include "platform/notice.h"

#include "platform/window_flags.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace platform {

namespace {

QPointer<QLabel> g_notice;
QPointer<QTimer> g_timer;

QLabel* noticeWindow()
{
    if (g_notice)
        return g_notice;
    auto* label = new QLabel(nullptr, kFloatingToolFlags | Qt::WindowTransparentForInput);
    label->setAttribute(Qt::WA_ShowWithoutActivating);
    label->setAttribute(Qt::WA_DeleteOnClose);
    label->setWindowTitle(kNoticeTitle);
    label->setStyleSheet(QStringLiteral("QLabel { background: #1B4C8C; color: white; font-size: 18px;"
                                        " padding: 12px 24px; border: 2px solid #12A39A; }"));
    g_notice = label;
    g_timer = new QTimer(label);
    g_timer->setSingleShot(true);
    QObject::connect(g_timer, &QTimer::timeout, label, &QLabel::hide);
    return label;
}

} // namespace

void ShowNotice(const QString& text, int milliseconds)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return;
    }
    QLabel* label = noticeWindow();
    label->setText(text);
    label->adjustSize();
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    label->move(area.center().x() - label->width() / 2, area.bottom() - label->height() - area.height() / 8);
    label->show();
    label->raise();
    g_timer->start(milliseconds);
}

QString CurrentNotice()
{
    return g_notice && g_notice->isVisible() ? g_notice->text() : QString();
}

} // namespace platform

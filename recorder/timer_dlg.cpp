#include "recorder/timer_dlg.h"

#include "platform/window_flags.h"
#include "recorder/record_control.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

// "Courier New" at height 30 and the heaviest weight; Courier New resolves to Liberation Mono here.
QFont digitsFont()
{
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(30);
    font.setWeight(QFont::Black);
    return font;
}

} // namespace

CTimerDlg::CTimerDlg(QWidget* parent)
    // Outside the window manager's reach, so that it stays where it is put: at the top centre of the screen.
    : QWidget(parent, platform::kFloatingToolFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("CTimerDlg"));
    const QFontMetrics metrics(digitsFont());
    resize(metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 4, metrics.height() + 4);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().width() / 2, 0);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [this] { setSeconds(seconds_ + 1); });
    refresh();
}

void CTimerDlg::setSeconds(int seconds)
{
    seconds_ = seconds;
    refresh();
}

void CTimerDlg::startCounting()
{
    timer_.start();
}

void CTimerDlg::stopCounting()
{
    timer_.stop();
}

QPainterPath CTimerDlg::digitsPath() const
{
    QPainterPath path;
    const QFontMetrics metrics(digitsFont());
    path.addText(2, 2 + metrics.ascent(), digitsFont(), recorder::elapsedText(seconds_));
    return path;
}

QRegion CTimerDlg::digitsRegion() const
{
    // Drawn without antialiasing into a bitmap: the region holds exactly the pixels the digits paint.
    QBitmap bits(size());
    bits.fill(Qt::color0);
    QPainter painter(&bits);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawPath(digitsPath());
    painter.end();
    return QRegion(bits);
}

void CTimerDlg::refresh()
{
    setMask(digitsRegion());
    update();
}

void CTimerDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 0, 0));
}

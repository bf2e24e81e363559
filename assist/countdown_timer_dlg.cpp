#include "assist/countdown_timer_dlg.h"

#include "assist/alarm_sound.h"
#include "assist/assist_exports.h"
#include "platform/window_stack.h"
#include "support/language.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

namespace DIALOG {

namespace {

bool g_manualClock = false;
std::function<void()> g_alarmHook;

QIcon picture(int id)
{
    return QIcon(QStringLiteral(":/qmhelp/%1.png").arg(id));
}

// Where each control sits in the small window; a larger window moves every control by the full change of
// its width and height, so the column keeps its distance to the right and bottom edges.
struct Place {
    int id;
    QRect rect;
};
constexpr int kColumn = 194;
const Place kPlaces[] = {
    {kIdTimerMaximize, {226, 4, 24, 24}},
    {kIdTimerClose, {256, 4, 24, 24}},
    {kIdTimerMinutes, {kColumn, 34, 56, 24}},
    {kIdTimerSpin, {252, 34, 28, 24}},
    {kIdTimerUnit, {kColumn, 60, 88, 18}},
    {kIdTimerCountUp, {kColumn, 80, 88, 20}},
    {kIdTimerCountDown, {kColumn, 100, 88, 20}},
    {kIdTimerStart, {kColumn, 124, 88, 30}},
    {kIdTimerStop, {kColumn, 158, 88, 30}},
};

} // namespace

void CTimerDlg::setManualClock(bool manual)
{
    g_manualClock = manual;
}

void CTimerDlg::setAlarmHook(std::function<void()> hook)
{
    g_alarmHook = std::move(hook);
}

CTimerDlg::CTimerDlg(int* flag)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , flag_(flag)
{
    platform::SetStackLayer(this, platform::StackLayer::Aid);
    setWindowIcon(picture(3027));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);

    minutes_ = new QLineEdit(model_.minutesText(), this);
    minutes_->setMaxLength(8);
    minutes_->setAlignment(Qt::AlignRight);
    spin_ = new QWidget(this);
    spinUp_ = new QToolButton(spin_);
    spinDown_ = new QToolButton(spin_);
    spinUp_->setGeometry(0, 0, 28, 12);
    spinDown_->setGeometry(0, 12, 28, 12);
    spinUp_->setIcon(picture(3011));
    spinDown_->setIcon(picture(3012));
    spinUp_->setIconSize({12, 10});
    spinDown_->setIconSize({12, 10});
    spinUp_->setAutoRepeat(true);
    spinDown_->setAutoRepeat(true);
    unit_ = new QLabel(this);
    countUp_ = new QRadioButton(this);
    countDown_ = new QRadioButton(this);
    countUp_->setIcon(picture(3009));
    countDown_->setIcon(picture(3010));
    countDown_->setChecked(true);
    start_ = new QToolButton(this);
    stop_ = new QToolButton(this);
    close_ = new QToolButton(this);
    maximize_ = new QToolButton(this);
    for (QToolButton* button : {start_, stop_}) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIconSize({22, 22});
    }
    stop_->setIcon(picture(3005));
    close_->setIcon(picture(3006));
    close_->setIconSize({24, 24});
    maximize_->setIconSize({24, 24});
    close_->setAutoRaise(true);
    maximize_->setAutoRaise(true);
    stop_->setEnabled(false);

    connect(minutes_, &QLineEdit::textChanged, this, [this] { OnEnChangeMinutes(); });
    connect(spinUp_, &QToolButton::clicked, this, [this] { stepSpin(1); });
    connect(spinDown_, &QToolButton::clicked, this, [this] { stepSpin(-1); });
    connect(start_, &QToolButton::clicked, this, [this] { OnBnClickedStart(); });
    connect(stop_, &QToolButton::clicked, this, [this] { OnBnClickedStop(); });
    connect(close_, &QToolButton::clicked, this, [this] { OnBnClickedClose(); });
    connect(maximize_, &QToolButton::clicked, this, [this] { OnBnClickedMaximize(); });
    connect(countUp_, &QRadioButton::clicked, this, [this] { OnBnClickedCountUp(); });
    connect(countDown_, &QRadioButton::clicked, this, [this] { OnBnClickedCountDown(); });
    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, [this] { OnTimer(); });

    retranslate();
    setStartTexts(false);
    setMinimumSize(kSmallSize);
    resize(kSmallSize);
    layoutControls();
}

CTimerDlg::~CTimerDlg() = default;

QWidget* CTimerDlg::control(int id) const
{
    switch (id) {
    case kIdTimerCountUp:
        return countUp_;
    case kIdTimerCountDown:
        return countDown_;
    case kIdTimerMinutes:
        return minutes_;
    case kIdTimerSpin:
        return spin_;
    case kIdTimerStop:
        return stop_;
    case kIdTimerStart:
        return start_;
    case kIdTimerUnit:
        return unit_;
    case kIdTimerMaximize:
        return maximize_;
    case kIdTimerClose:
        return close_;
    default:
        return nullptr;
    }
}

void CTimerDlg::retranslate()
{
    const bool english = IsEnglish();
    setWindowTitle(english ? QStringLiteral("Timer") : QStringLiteral("计时器"));
    stop_->setText(english ? QStringLiteral("Stop") : QStringLiteral("停止"));
    stop_->setToolTip(english ? QStringLiteral("Stop timer") : QStringLiteral("停止计时"));
    // Short words: the arrows beside them say which way the time runs.
    countUp_->setText(english ? QStringLiteral("Up") : QStringLiteral("正计时"));
    countDown_->setText(english ? QStringLiteral("Down") : QStringLiteral("倒计时"));
    countUp_->setToolTip(english ? QStringLiteral("Count up") : QStringLiteral("正计时"));
    countDown_->setToolTip(english ? QStringLiteral("Count down") : QStringLiteral("倒计时"));
    unit_->setText(english ? QStringLiteral("Minutes") : QStringLiteral("单位(分钟)"));
    close_->setToolTip(english ? QStringLiteral("Close") : QStringLiteral("关闭"));
    maximize_->setIcon(picture(small_ ? 3007 : 3008));
    if (small_)
        maximize_->setToolTip(english ? QStringLiteral("Maximize") : QStringLiteral("最大化"));
    else
        maximize_->setToolTip(english ? QStringLiteral("Minimize") : QStringLiteral("最小化"));
}

void CTimerDlg::setStartTexts(bool running)
{
    const bool english = IsEnglish();
    start_->setIcon(picture(running ? 3004 : 3003));
    if (running) {
        start_->setText(english ? QStringLiteral("Pause") : QStringLiteral("暂停"));
        start_->setToolTip(english ? QStringLiteral("Pause timer") : QStringLiteral("暂停计时"));
    } else {
        start_->setText(english ? QStringLiteral("Start") : QStringLiteral("开始"));
        start_->setToolTip(english ? QStringLiteral("Start timer") : QStringLiteral("开始计时"));
    }
}

void CTimerDlg::setControlsForState()
{
    const bool stopped = model_.state() == timer::RunState::Stopped;
    countUp_->setEnabled(stopped);
    countDown_->setEnabled(stopped);
    spin_->setEnabled(stopped);
    minutes_->setEnabled(stopped && model_.mode() == timer::kModeCountDown);
    stop_->setEnabled(!stopped);
    setStartTexts(model_.state() == timer::RunState::Running);
}

void CTimerDlg::centreOnScreenRect()
{
    const qmhelp::ScreenRect r = qmhelp::screenRect();
    QRect area(r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (area.width() <= 0 || area.height() <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        area = screen ? screen->geometry() : QRect(QPoint(), size());
    }
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void CTimerDlg::OnEnChangeMinutes()
{
    model_.setMinutesText(minutes_->text());
    update();
}

void CTimerDlg::stepSpin(int delta)
{
    const auto seconds = timer::secondsForMinutesText(minutes_->text());
    const int minutes = seconds ? int(*seconds / 60) : 1;
    const int next = std::clamp(minutes + (seconds ? delta : 0), 1, timer::kMaxMinutes);
    minutes_->setText(QString::number(next));
    OnEnChangeMinutes();
}

void CTimerDlg::OnBnClickedStart()
{
    if (!model_.startOrPause())
        return;
    if (model_.state() == timer::RunState::Running) {
        if (!g_manualClock)
            timer1_.start();
    } else {
        timer1_.stop();
    }
    setControlsForState();
    update();
}

void CTimerDlg::OnBnClickedStop()
{
    timer1_.stop();
    model_.stop();
    setControlsForState();
    update();
}

void CTimerDlg::OnBnClickedCountUp()
{
    model_.setCountUp();
    countUp_->setChecked(model_.mode() == timer::kModeCountUp);
    setControlsForState();
    update();
}

void CTimerDlg::OnBnClickedCountDown()
{
    model_.setCountDown();
    countDown_->setChecked(model_.mode() == timer::kModeCountDown);
    setControlsForState();
    update();
}

void CTimerDlg::OnBnClickedClose()
{
    model_.requireReRead();
    if (flag_)
        *flag_ = 0;
    hide();
}

void CTimerDlg::OnBnClickedMaximize()
{
    small_ = !small_;
    if (small_) {
        resize(kSmallSize);
    } else {
        resize(kLargeSize);
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->geometry();
            move(area.left() + (area.width() - kLargeSize.width()) / 2,
                area.top() + (area.height() - kLargeSize.height()) / 2);
        }
    }
    retranslate();
    update();
}

void CTimerDlg::OnTimer()
{
    const timer::CountdownTimer::Step step = model_.tick();
    if (step == timer::CountdownTimer::Step::Idle)
        return;
    if (step == timer::CountdownTimer::Step::Finished) {
        timer1_.stop();
        setControlsForState();
        if (g_alarmHook)
            g_alarmHook();
        else
            timer::playAlarm();
    }
    update();
}

void CTimerDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int h = height();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(1, h));
    font.setWeight(QFont::ExtraBold);
    painter.setFont(font);
    const QString text = model_.text();
    // The digits are as tall as the window and narrow: each character h / 8.2 wide on average.
    const qreal natural = painter.fontMetrics().horizontalAdvance(text);
    const qreal wanted = text.size() * h / 8.2;
    if (natural > 0)
        painter.scale(wanted / natural, 1.0);
    painter.setPen(QColor::fromRgb(model_.lastSecond() ? kLastSecondColour : kDigitsColour));
    painter.drawText(QPointF(0, painter.fontMetrics().ascent()), text);
}

void CTimerDlg::resizeEvent(QResizeEvent*)
{
    layoutControls();
}

void CTimerDlg::layoutControls()
{
    const QPoint shift(width() - kSmallSize.width(), height() - kSmallSize.height());
    for (const Place& place : kPlaces)
        if (QWidget* w = control(place.id))
            w->setGeometry(place.rect.translated(shift));
}

void CTimerDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragOffset_ = event->position().toPoint();
}

void CTimerDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - dragOffset_);
}

} // namespace DIALOG

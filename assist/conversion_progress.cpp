#include "assist/conversion_progress.h"

#include "platform/window_flags.h"
#include "support/language.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace DIALOG {

const QString CConversionProgress::kTitle = QStringLiteral("QMProgress");

CConversionProgress::CConversionProgress(const QString& task, const QString& name, QWidget* near)
    : QWidget(nullptr, platform::kFloatingToolFlags)
    , near_(near)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(kTitle);
    setObjectName(QStringLiteral("conversionProgress"));
    setStyleSheet(QStringLiteral(
        "#conversionProgress { background: #1B4C8C; border: 2px solid #12A39A; }"
        "QLabel { color: white; font-family: 'WenQuanYi Micro Hei'; font-size: 16px; }"
        "QLabel#title { font-size: 18px; font-weight: bold; }"
        "QProgressBar { background: #10233F; border: 1px solid #3C78C2; border-radius: 4px; height: 18px; }"
        "QProgressBar::chunk { background: #F6B73C; border-radius: 3px; }"
        "QPushButton { color: white; background: #2761A9; border: 1px solid #3C78C2; border-radius: 6px;"
        "  font-family: 'WenQuanYi Micro Hei'; font-size: 16px; min-width: 96px; min-height: 34px; }"
        "QPushButton:pressed { background: #12A39A; }"
        "QPushButton:disabled { color: #9FB6D6; }"));
    setAttribute(Qt::WA_StyledBackground);

    title_ = new QLabel(task + (IsEnglish() ? QStringLiteral(": ") : QStringLiteral("：")) + name, this);
    title_->setObjectName(QStringLiteral("title"));
    text_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(IsEnglish() ? QStringLiteral("Cancel") : QStringLiteral("取消"), this);
    cancel_->setFocusPolicy(Qt::NoFocus);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    layout->addWidget(title_);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    setFixedWidth(480);
    SetStage(qmhelp::ConversionStage::Office);

    showTimer_.setSingleShot(true);
    connect(&showTimer_, &QTimer::timeout, this, [this] {
        place();
        show();
    });
    showTimer_.start(kShowAfterMs);
}

void CConversionProgress::SetStage(qmhelp::ConversionStage stage, int k, int n)
{
    const qmhelp::ProgressView view = qmhelp::progressView(stage, k, n, IsEnglish());
    if (!cancelled_)
        text_->setText(view.text);
    bar_->setRange(0, view.maximum);
    bar_->setValue(view.value);
}

QString CConversionProgress::Text() const
{
    return text_->text();
}

int CConversionProgress::Maximum() const
{
    return bar_->maximum();
}

int CConversionProgress::Value() const
{
    return bar_->value();
}

void CConversionProgress::cancel()
{
    if (cancelled_)
        return;
    cancelled_ = true;
    cancel_->setEnabled(false);
    text_->setText(IsEnglish() ? QStringLiteral("Stopping…") : QStringLiteral("正在取消…"));
    if (onCancel)
        onCancel();
}

void CConversionProgress::place()
{
    adjustSize();
    QScreen* screen = near_ ? near_->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // In the middle across, a third of the way down: clear of the panel's own popups and of the notice line.
    move(area.center().x() - width() / 2, area.top() + area.height() / 3 - height() / 2);
}

void CConversionProgress::Finish()
{
    showTimer_.stop();
    hide();
    deleteLater();
}

} // namespace DIALOG

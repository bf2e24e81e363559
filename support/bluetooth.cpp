#include "support/bluetooth.h"

#include "platform/profile.h"
#include "support/driver_setup.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

CDlgBruthDriverSetup::CDlgBruthDriverSetup()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , text_(new QLabel(this))
    , timer_(new QTimer(this))
{
    // The window reads the language itself, as the rest of the library may not be set up yet.
    const QString language = platform::GetPrivateProfileString(QStringLiteral("Setting"),
        QStringLiteral("Language"), QStringLiteral("中文"), 50, QStringLiteral("./Language.ini"));
    const bool english = language.compare(QLatin1String("English"), Qt::CaseInsensitive) == 0;
    base_ = english ? QStringLiteral("Installing the Bluetooth driver, please wait")
                    : QStringLiteral("正在安装蓝牙驱动，请稍后");
    setWindowTitle(english ? QStringLiteral("Tips") : QStringLiteral("提示"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 22, 18, 22);
    layout->addWidget(text_);
    // Room for the text with its longest row of dots.
    text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(WaitText(base_, 3)) + 8);
    text_->setText(base_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    connect(timer_, &QTimer::timeout, this, &CDlgBruthDriverSetup::OnTimer);
    timer_->start(500);
}

QString CDlgBruthDriverSetup::statusText() const
{
    return text_->text();
}

void CDlgBruthDriverSetup::OnTimer()
{
    text_->setText(WaitText(base_, ++ticks_));
}

int qmexpand::InstallBruthDriveUnder(const QString& infPath, const QString& sysRoot)
{
    CDlgBruthDriverSetup wait;
    wait.show();
    QCoreApplication::processEvents();
    return CDriverSetupHelper(sysRoot, &wait).Run(infPath);
}

int InstallBruthDrive(const QString& infPath)
{
    return qmexpand::InstallBruthDriveUnder(infPath, QStringLiteral("/sys"));
}

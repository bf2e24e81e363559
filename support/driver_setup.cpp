#include "support/driver_setup.h"

#include "platform/message_box.h"
#include "support/language.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace {

bool english()
{
    return GetLanguage().compare(QLatin1String("English"), Qt::CaseInsensitive) == 0;
}

// The wait cursor for as long as the installation works.
class WaitCursor {
public:
    WaitCursor()
        : shown_(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (shown_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (shown_)
            QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool shown_;
};

} // namespace

QString WaitText(const QString& base, int ticks)
{
    return base + QStringLiteral(" .").repeated(ticks % 4);
}

CDriverSetupHelper::CDriverSetupHelper(QString sysRoot, QWidget* owner)
    : sysRoot_(std::move(sysRoot))
    , owner_(owner)
{
}

void CDriverSetupHelper::tell(const QString& englishText, const QString& chineseText)
{
    const bool inEnglish = english();
    platform::MessageBox(owner_, inEnglish ? englishText : chineseText,
        inEnglish ? QStringLiteral("Tips") : QStringLiteral("提示"), platform::MB_OK);
}

int CDriverSetupHelper::Run(const QString& infPath)
{
    if (!QFileInfo(infPath).isFile()) {
        tell(QStringLiteral("The Bluetooth driver package was not found. Please check the installation."),
            QStringLiteral("没有找到蓝牙安装驱动程序，请检查您的安装包!"));
        return 0;
    }
    if (!scan(infPath) || !install())
        return 0;
    // The kernel probes a device as soon as its driver takes it: there is no tree to enumerate again.
    return 1;
}

bool CDriverSetupHelper::scan(const QString& infPath)
{
    infPath_.clear();
    targetHardwareId_.clear();
    targetDevice_.reset();
    if (!inf_.Open(infPath) || inf_.SetupClass().isEmpty()) {
        tell(QStringLiteral("The file %1 cannot be opened.").arg(infPath),
            QStringLiteral("打开文件%1失败！").arg(infPath));
        return false;
    }
    infPath_ = infPath;
    const QStringList wanted = inf_.AllHardwareIds();
    // The last present device that the INF lists is the one set up.
    for (const UsbDevice& device : PresentUsbDevices(sysRoot_).devices) {
        for (const QString& id : device.hardwareIds) {
            const auto listed = std::find_if(wanted.begin(), wanted.end(),
                [&](const QString& infId) { return CInfFileHelper::HardwareIdMatches(id, infId); });
            if (listed != wanted.end()) {
                targetHardwareId_ = id;
                targetDevice_ = device;
                break;
            }
        }
    }
    return true;
}

std::optional<UsbDevice> CDriverSetupHelper::findPresent(const QString& id)
{
    const UsbDeviceList present = PresentUsbDevices(sysRoot_);
    if (!present.readable) {
        tell(QStringLiteral("The driver information is not valid."), QStringLiteral("驱动文件信息无效！"));
        return std::nullopt;
    }
    for (const UsbDevice& device : present.devices)
        for (const QString& carried : device.hardwareIds)
            if (carried.compare(id, Qt::CaseInsensitive) == 0)
                return device;
    return std::nullopt;
}

bool CDriverSetupHelper::install()
{
    const QString failed = QStringLiteral("安装新驱动失败!");
    if (targetHardwareId_.isEmpty())
        targetHardwareId_ = inf_.FirstHardwareId();
    if (targetHardwareId_.isEmpty()) {
        // A package that lists no device: nothing can be set up, and the teacher is told so.
        tell(QStringLiteral("The new driver could not be installed."), failed);
        return false;
    }
    bool done = false;
    {
        const WaitCursor wait;
        if (!QFileInfo(infPath_).isFile()) {
            tell(QStringLiteral("The file was not found: ") + infPath_,
                QStringLiteral("找不到文件：") + infPath_);
        } else if (const std::optional<UsbDevice> device = findPresent(targetHardwareId_)) {
            switch (BindToBluetoothDriver(sysRoot_, *device)) {
            case BindResult::Bound:
                done = true;
                break;
            case BindResult::NotPermitted:
                tell(QStringLiteral(
                         "The new driver could not be installed.\nAdministrator rights are needed to "
                         "set up the Bluetooth receiver."),
                    failed + QStringLiteral("\n安装蓝牙驱动需要管理员权限。"));
                return false;
            case BindResult::Failed:
                break;
            }
        }
        // Without the device present there is nothing to hand to the driver: a device cannot be made up.
        if (!done) {
            tell(QStringLiteral("The new driver could not be installed."), failed);
            return false;
        }
    }
    // Read again, so that what is kept tells the device as it is set up now.
    const QString path = infPath_;
    return scan(path);
}

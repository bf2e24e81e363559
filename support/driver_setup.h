#pragma once
// Setting up the bluetooth receiver of an interactive board from a driver package's INF: find the present
// USB device that the INF lists (the last one that matches), or else take the INF's first hardware ID, and
// hand the device to the kernel's Bluetooth USB driver. Every failure is told in a message box of the
// language in force.
#include "support/inf_file.h"
#include "support/qmexpand_export.h"
#include "support/usb_devices.h"

#include <QString>

#include <optional>

class QWidget;

class QMEXPAND_EXPORT CDriverSetupHelper {
public:
    // sysRoot is where sysfs is mounted (/sys); owner owns the message boxes.
    CDriverSetupHelper(QString sysRoot, QWidget* owner);

    // The whole installation: 1 when the device was handed to the driver, 0 otherwise.
    int Run(const QString& infPath);

    // What the last scan found.
    const QString& targetHardwareId() const { return targetHardwareId_; }
    const std::optional<UsbDevice>& targetDevice() const { return targetDevice_; }

private:
    bool scan(const QString& infPath);
    bool install();
    // The present device that carries id (any letter case); none when there is none or the devices cannot
    // be read (each told).
    std::optional<UsbDevice> findPresent(const QString& id);
    void tell(const QString& english, const QString& chinese);

    QString sysRoot_;
    QWidget* owner_;
    QString infPath_;
    CInfFileHelper inf_;
    QString targetHardwareId_;
    std::optional<UsbDevice> targetDevice_;
};

// The wait window's text after ticks ticks of its timer: the base text with " ." added on three ticks of
// four, back to the base text on every fourth.
QMEXPAND_EXPORT QString WaitText(const QString& base, int ticks);

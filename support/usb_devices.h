#pragma once
// The USB devices the kernel sees, read from sysfs under a root folder (/sys, or a tree a test makes), and
// the binding of one of them to the kernel's Bluetooth USB driver.
#include "support/qmexpand_export.h"

#include <QString>
#include <QStringList>

#include <vector>

struct QMEXPAND_EXPORT UsbDevice {
    // The kernel's name of the device ("1-1") and of its interfaces ("1-1:1.0").
    QString name;
    QStringList interfaces;
    // Four upper-case hex digits each.
    QString vendor;
    QString product;
    QString revision;
    // As a Windows INF names the device: "USB\VID_0A12&PID_0001&REV_8891", "USB\VID_0A12&PID_0001", then
    // its class "USB\Class_E0&SubClass_01&Prot_01".
    QStringList hardwareIds;
};

struct QMEXPAND_EXPORT UsbDeviceList {
    // False when the device folder cannot be read at all.
    bool readable = false;
    std::vector<UsbDevice> devices;
};

QMEXPAND_EXPORT UsbDeviceList PresentUsbDevices(const QString& sysRoot);

enum class BindResult {
    Bound,
    // The process may not write to the driver's files: administrator rights are needed.
    NotPermitted,
    Failed,
};

// Tells the Bluetooth USB driver (btusb) to take devices of this vendor and product, and binds the
// device's interfaces that no driver holds yet.
QMEXPAND_EXPORT BindResult BindToBluetoothDriver(const QString& sysRoot, const UsbDevice& device);

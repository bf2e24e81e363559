#include "support/usb_devices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString attribute(const QString& folder, const char* name)
{
    QFile file(folder + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.read(64)).trimmed();
}

QString hex4(const QString& value)
{
    bool ok = false;
    const uint n = value.toUInt(&ok, 16);
    return ok ? QStringLiteral("%1").arg(n, 4, 16, QLatin1Char('0')).toUpper() : QString();
}

QString hex2(const QString& value)
{
    bool ok = false;
    const uint n = value.toUInt(&ok, 16);
    return ok ? QStringLiteral("%1").arg(n, 2, 16, QLatin1Char('0')).toUpper() : QString();
}

QString driverFolder(const QString& sysRoot)
{
    return sysRoot + QStringLiteral("/bus/usb/drivers/btusb");
}

// Writes text to a sysfs attribute; errno of the failure, 0 on success.
int writeAttribute(const QString& path, const QByteArray& text)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const ssize_t written = ::write(fd, text.constData(), size_t(text.size()));
    const int error = written == ssize_t(text.size()) ? 0 : (written < 0 ? errno : EIO);
    ::close(fd);
    return error;
}

bool notPermitted(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

UsbDeviceList PresentUsbDevices(const QString& sysRoot)
{
    UsbDeviceList list;
    const QDir folder(sysRoot + QStringLiteral("/bus/usb/devices"));
    if (!folder.exists() || !folder.isReadable())
        return list;
    list.readable = true;
    const QStringList names = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (name.contains(QLatin1Char(':')))
            continue;
        const QString path = folder.filePath(name);
        UsbDevice device;
        device.name = name;
        device.vendor = hex4(attribute(path, "idVendor"));
        device.product = hex4(attribute(path, "idProduct"));
        if (device.vendor.isEmpty() || device.product.isEmpty())
            continue;
        device.revision = hex4(attribute(path, "bcdDevice"));
        const QString vidPid = QStringLiteral("USB\\VID_%1&PID_%2").arg(device.vendor, device.product);
        if (!device.revision.isEmpty())
            device.hardwareIds.append(vidPid + QStringLiteral("&REV_") + device.revision);
        device.hardwareIds.append(vidPid);
        for (const QString& interface : names)
            if (interface.startsWith(name + QLatin1Char(':')))
                device.interfaces.append(interface);
        // The class of the device, or of its first interface when the device leaves it to them.
        QString cls = hex2(attribute(path, "bDeviceClass"));
        QString sub = hex2(attribute(path, "bDeviceSubClass"));
        QString prot = hex2(attribute(path, "bDeviceProtocol"));
        if ((cls == QLatin1String("00") || cls == QLatin1String("EF")) && !device.interfaces.isEmpty()) {
            const QString first = folder.filePath(device.interfaces.first());
            cls = hex2(attribute(first, "bInterfaceClass"));
            sub = hex2(attribute(first, "bInterfaceSubClass"));
            prot = hex2(attribute(first, "bInterfaceProtocol"));
        }
        if (!cls.isEmpty() && !sub.isEmpty() && !prot.isEmpty())
            device.hardwareIds.append(QStringLiteral("USB\\Class_%1&SubClass_%2&Prot_%3").arg(cls, sub, prot));
        list.devices.push_back(device);
    }
    return list;
}

BindResult BindToBluetoothDriver(const QString& sysRoot, const UsbDevice& device)
{
    const QString driver = driverFolder(sysRoot);
    if (!QFileInfo(driver).isDir())
        return BindResult::Failed;
    // new_id takes "vendor product" in hex; a device of that pair is probed by the driver at once. An ID the
    // driver knows already is refused with EEXIST, which is no failure.
    const QByteArray id = (device.vendor + QLatin1Char(' ') + device.product).toLower().toLatin1();
    const int error = writeAttribute(driver + QStringLiteral("/new_id"), id);
    if (notPermitted(error))
        return BindResult::NotPermitted;
    if (error != 0 && error != EEXIST)
        return BindResult::Failed;
    const QString devices = sysRoot + QStringLiteral("/bus/usb/devices/");
    for (const QString& interface : device.interfaces) {
        if (QFileInfo::exists(devices + interface + QStringLiteral("/driver")))
            continue;
        const int bindError = writeAttribute(driver + QStringLiteral("/bind"), interface.toLatin1());
        if (notPermitted(bindError))
            return BindResult::NotPermitted;
        // An interface that is not the radio's (its audio side, say) is refused by the driver: that is no failure.
        if (bindError != 0 && bindError != ENODEV && bindError != EBUSY)
            return BindResult::Failed;
    }
    return BindResult::Bound;
}

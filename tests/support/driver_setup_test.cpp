// Setting up the board's bluetooth receiver from a driver package: the INF as the setup reads it, the
// matching of hardware IDs, and the installation on device trees made like sysfs, with every message the
// teacher would see.
#include "support/bluetooth.h"
#include "support/driver_setup.h"
#include "support/inf_file.h"
#include "support/language.h"
#include "support/usb_devices.h"

#include "platform/message_box.h"
#include "support_main/read_only_folder.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kFixture = QStringLiteral(QM_TEST_DATA "/drivers/bth.inf");

// A USB device in a made sysfs tree: bus/usb/devices/<name> with its descriptor attributes, and an
// interface <name>:1.0 of the given class.
void addDevice(const QString& root, const QString& name, const char* vendor, const char* product,
    const char* deviceClass = "e0", bool interfaceBound = false, const char* interfaceClass = "e0")
{
    const QString device = root + QStringLiteral("/bus/usb/devices/") + name;
    QDir().mkpath(device);
    qmtest::writeFile(device + QStringLiteral("/idVendor"), QByteArray(vendor) + "\n");
    qmtest::writeFile(device + QStringLiteral("/idProduct"), QByteArray(product) + "\n");
    qmtest::writeFile(device + QStringLiteral("/bcdDevice"), "8891\n");
    qmtest::writeFile(device + QStringLiteral("/bDeviceClass"), QByteArray(deviceClass) + "\n");
    qmtest::writeFile(device + QStringLiteral("/bDeviceSubClass"), "01\n");
    qmtest::writeFile(device + QStringLiteral("/bDeviceProtocol"), "01\n");
    const QString interface = device + QStringLiteral(":1.0");
    QDir().mkpath(interface);
    qmtest::writeFile(interface + QStringLiteral("/bInterfaceClass"), QByteArray(interfaceClass) + "\n");
    qmtest::writeFile(interface + QStringLiteral("/bInterfaceSubClass"), "01\n");
    qmtest::writeFile(interface + QStringLiteral("/bInterfaceProtocol"), "01\n");
    if (interfaceBound)
        QDir().mkpath(interface + QStringLiteral("/driver"));
}

// The Bluetooth USB driver's folder with its two control files.
QString addDriver(const QString& root)
{
    const QString driver = root + QStringLiteral("/bus/usb/drivers/btusb");
    QDir().mkpath(driver);
    qmtest::writeFile(driver + QStringLiteral("/new_id"), "");
    qmtest::writeFile(driver + QStringLiteral("/bind"), "");
    return driver;
}

class DriverSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path() + QStringLiteral("/sys");
        QDir().mkpath(root_ + QStringLiteral("/bus/usb/devices"));
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            told_.append(r.caption + QLatin1Char('|') + r.text);
            return platform::IDOK;
        });
        SetLanguage(QStringLiteral("English"));
    }
    void TearDown() override
    {
        platform::setMessageBoxHook({});
        SetLanguage(QStringLiteral("Chinese"));
    }

    int install(const QString& inf) { return qmexpand::InstallBruthDriveUnder(inf, root_); }

    QTemporaryDir dir_;
    QString root_;
    QStringList told_;
};

} // namespace

TEST(InfFile, ModelsHardwareIdsAndClassAsTheSetupReadsThem)
{
    CInfFileHelper inf;
    ASSERT_TRUE(inf.Open(kFixture));
    EXPECT_EQ(inf.ModelEntries(), (QStringList {QStringLiteral("Generic, NTamd64"), QStringLiteral("Vendor,NTamd64")}));
    // ", " names the decorated section; a comma alone stays a comma.
    EXPECT_EQ(CInfFileHelper::ModelSection(QStringLiteral("Generic, NTamd64")), QStringLiteral("[Generic.NTamd64]"));
    EXPECT_EQ(inf.HardwareIds(QStringLiteral("[Generic.NTamd64]")),
        (QStringList {QStringLiteral("USB\\Class_E0&SubClass_01&Prot_01"), QStringLiteral("USB\\VID_0A12&PID_0001"),
            QStringLiteral("USB\\VID_8087&PID_0A2B")}))
        << "a comment line holding a bracket does not end the section";
    EXPECT_EQ(inf.AllHardwareIds().size(), 4);
    EXPECT_EQ(inf.AllHardwareIds().last(), QStringLiteral("USB\\VID_0B05&PID_17CB"));
    EXPECT_EQ(inf.FirstHardwareId(), QStringLiteral("USB\\Class_E0&SubClass_01&Prot_01"));
    EXPECT_EQ(inf.SetupClass(), QStringLiteral("Bluetooth"));

    // The same package saved as UTF-16, as Windows tools often write it.
    QTemporaryDir dir;
    const QString wide = dir.filePath(QStringLiteral("bth.inf"));
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    qmtest::writeFile(wide, utf16.encode(QString::fromUtf8(qmtest::readFile(kFixture))));
    CInfFileHelper wideInf;
    ASSERT_TRUE(wideInf.Open(wide));
    EXPECT_EQ(wideInf.AllHardwareIds(), inf.AllHardwareIds());

    EXPECT_FALSE(CInfFileHelper().Open(dir.filePath(QStringLiteral("missing.inf"))));
}

TEST(InfFile, HardwareIdsMatchWhenTheDeviceGoesOnWithASeparatorOnly)
{
    const QString inf = QStringLiteral("usb\\vid_0a12&pid_0001");
    EXPECT_TRUE(CInfFileHelper::HardwareIdMatches(QStringLiteral("USB\\VID_0A12&PID_0001&REV_8891"), inf));
    EXPECT_TRUE(CInfFileHelper::HardwareIdMatches(QStringLiteral("USB\\VID_0A12&PID_0001"), inf));
    EXPECT_TRUE(CInfFileHelper::HardwareIdMatches(QStringLiteral("USB\\VID_0A12&PID_0001_X"), inf));
    EXPECT_FALSE(CInfFileHelper::HardwareIdMatches(QStringLiteral("USB\\VID_0A12&PID_00012"), inf));
    EXPECT_FALSE(CInfFileHelper::HardwareIdMatches(QStringLiteral("USB\\VID_0A12&PID_0002"), inf));
    EXPECT_FALSE(CInfFileHelper::HardwareIdMatches(QStringLiteral("USB\\VID_0A12"), QString()));
}

TEST(DriverSetupWait, DotsGrowOnThreeTicksAndStartAgainOnTheFourth)
{
    const QString base = QStringLiteral("正在安装蓝牙驱动，请稍后");
    EXPECT_EQ(WaitText(base, 0), base);
    EXPECT_EQ(WaitText(base, 1), base + QStringLiteral(" ."));
    EXPECT_EQ(WaitText(base, 3), base + QStringLiteral(" . . ."));
    EXPECT_EQ(WaitText(base, 4), base);
    EXPECT_EQ(WaitText(base, 6), base + QStringLiteral(" . ."));

    CDlgBruthDriverSetup wait;
    wait.OnTimer();
    EXPECT_TRUE(wait.statusText().endsWith(QStringLiteral(" .")));
}

TEST_F(DriverSetup, TheMatchingReceiverIsHandedToTheBluetoothDriver)
{
    addDevice(root_, QStringLiteral("1-1"), "046d", "c52b", "00", false, "03");
    addDevice(root_, QStringLiteral("1-2"), "0a12", "0001");
    const QString driver = addDriver(root_);
    EXPECT_EQ(install(kFixture), 1);
    EXPECT_TRUE(told_.isEmpty()) << told_.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(qmtest::readFile(driver + QStringLiteral("/new_id")), QByteArray("0a12 0001"));
    EXPECT_EQ(qmtest::readFile(driver + QStringLiteral("/bind")), QByteArray("1-2:1.0"));

    // An interface some driver holds already is left to it.
    const QString boundRoot = dir_.path() + QStringLiteral("/bound");
    addDevice(boundRoot, QStringLiteral("3-1"), "8087", "0a2b", "e0", true);
    const QString boundDriver = addDriver(boundRoot);
    EXPECT_EQ(qmexpand::InstallBruthDriveUnder(kFixture, boundRoot), 1);
    EXPECT_EQ(qmtest::readFile(boundDriver + QStringLiteral("/new_id")), QByteArray("8087 0a2b"));
    EXPECT_EQ(qmtest::readFile(boundDriver + QStringLiteral("/bind")), QByteArray());
}

TEST_F(DriverSetup, TheLastMatchingDeviceWinsAndAClassMatchCounts)
{
    addDevice(root_, QStringLiteral("1-1"), "0a12", "0001");
    addDevice(root_, QStringLiteral("2-4"), "1234", "5678");
    addDriver(root_);
    CDriverSetupHelper helper(root_, nullptr);
    EXPECT_EQ(helper.Run(kFixture), 1);
    ASSERT_TRUE(helper.targetDevice());
    // Both are Bluetooth class radios; the later one is set up.
    EXPECT_EQ(helper.targetDevice()->name, QStringLiteral("2-4"));
    EXPECT_EQ(helper.targetHardwareId(), QStringLiteral("USB\\Class_E0&SubClass_01&Prot_01"));
}

TEST_F(DriverSetup, EachFailureIsToldInTheLanguageInForce)
{
    // No package.
    EXPECT_EQ(install(dir_.filePath(QStringLiteral("none/bth.inf"))), 0);
    EXPECT_EQ(told_,
        QStringList {QStringLiteral(
            "Tips|The Bluetooth driver package was not found. Please check the installation.")});

    // A file that names no setup class.
    told_.clear();
    const QString bad = dir_.filePath(QStringLiteral("bad.inf"));
    qmtest::writeFile(bad, "[Manufacturer]\r\n%A%=A\r\n[A]\r\n%D%=I, USB\\VID_0A12&PID_0001\r\n");
    EXPECT_EQ(install(bad), 0);
    EXPECT_EQ(told_, QStringList {QStringLiteral("Tips|The file %1 cannot be opened.").arg(bad)});

    // No receiver plugged in: nothing to hand to the driver.
    told_.clear();
    addDevice(root_, QStringLiteral("1-1"), "046d", "c52b", "00", false, "03");
    addDriver(root_);
    SetLanguage(QStringLiteral("Chinese"));
    EXPECT_EQ(install(kFixture), 0);
    EXPECT_EQ(told_, QStringList {QStringLiteral("提示|安装新驱动失败!")});

    // A package that lists no device at all is told too, not passed over in silence.
    told_.clear();
    const QString empty = dir_.filePath(QStringLiteral("empty.inf"));
    qmtest::writeFile(empty, "[Version]\r\nClass=Bluetooth\r\n[Manufacturer]\r\n");
    EXPECT_EQ(install(empty), 0);
    EXPECT_EQ(told_, QStringList {QStringLiteral("提示|安装新驱动失败!")});
}

TEST_F(DriverSetup, WithoutTheRightToWriteTheDriversFilesTheTeacherIsToldRightsAreNeeded)
{
    addDevice(root_, QStringLiteral("1-2"), "0a12", "0001");
    const QString driver = addDriver(root_);
    QFile::setPermissions(driver + QStringLiteral("/new_id"), QFile::ReadOwner);
    QFile::setPermissions(driver + QStringLiteral("/bind"), QFile::ReadOwner);
    qmtest::ReadOnlyFolder readOnly(driver);
    if (!readOnly.holds())
        GTEST_SKIP() << "the files cannot be made unwritable here";
    EXPECT_EQ(install(kFixture), 0);
    ASSERT_EQ(told_.size(), 1);
    EXPECT_TRUE(told_[0].startsWith(QStringLiteral("Tips|The new driver could not be installed.\n")))
        << told_[0].toStdString();
    EXPECT_TRUE(told_[0].contains(QStringLiteral("Administrator rights")));
    EXPECT_EQ(qmtest::readFile(driver + QStringLiteral("/new_id")), QByteArray());
}

TEST(UsbDevices, DevicesAreNamedAsAnInfNamesThem)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    addDevice(root, QStringLiteral("1-2"), "0a12", "0001");
    addDevice(root, QStringLiteral("1-3"), "046d", "c52b", "00");
    addDevice(root, QStringLiteral("1-4"), "046d", "c077", "00", false, "03");
    const UsbDeviceList list = PresentUsbDevices(root);
    ASSERT_TRUE(list.readable);
    ASSERT_EQ(list.devices.size(), 3u);
    EXPECT_EQ(list.devices[0].hardwareIds,
        (QStringList {QStringLiteral("USB\\VID_0A12&PID_0001&REV_8891"), QStringLiteral("USB\\VID_0A12&PID_0001"),
            QStringLiteral("USB\\Class_E0&SubClass_01&Prot_01")}));
    EXPECT_EQ(list.devices[0].interfaces, QStringList {QStringLiteral("1-2:1.0")});
    // A device that leaves its class to its interfaces takes its first interface's.
    EXPECT_EQ(list.devices[1].hardwareIds.last(), QStringLiteral("USB\\Class_E0&SubClass_01&Prot_01"));
    EXPECT_EQ(list.devices[2].hardwareIds.last(), QStringLiteral("USB\\Class_03&SubClass_01&Prot_01"));
    EXPECT_FALSE(PresentUsbDevices(dir.filePath(QStringLiteral("nothing"))).readable);
}

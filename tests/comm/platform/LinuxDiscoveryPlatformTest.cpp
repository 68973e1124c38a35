#include "comm/CommTestSupport.h"
#include "comm/platform/GaugeList.h"
#include "comm/platform/LinuxDiscoveryPlatform.h"
#include "comm/platform/UdevDevices.h"
#include "comm/platform/ZYKComm2Manager.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

TEST(SerialPortNumbers, StablePerNameWithinOneByte)
{
    const QList<std::pair<const char *, int>> cases = {
        {"ttyS0", 1},    {"ttyS63", 64},   {"ttyS64", 0},    {"ttyUSB0", 65}, {"ttyUSB3", 68},
        {"ttyACM0", 129}, {"ttyACM63", 192}, {"ttyAMA0", 193}, {"ttyXR62", 255}, {"ttyXR63", 0},
        {"console", 0},  {"ptmx", 0},      {"tty", 0},       {"pts3", 0},     {"rfcomm0", 0},
    };
    for (const auto &[name, number] : cases)
        EXPECT_EQ(SerialPortNumber(QString::fromLatin1(name)), number) << name;
}

// A pseudo-terminal pair that lives as long as the object.
struct TPty
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    QString slave;
    TPty()
    {
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = QString::fromLatin1(ptsname(master));
    }
    ~TPty()
    {
        if (master >= 0)
            close(master);
    }
};

TEST(LinuxDiscoveryPlatform, OffersRealPortsOnlyAndNoIrda)
{
    EnsureQtApp();
    TPty pty;
    ASSERT_FALSE(pty.slave.isEmpty());

    TLinuxDiscoveryPlatform platform;
    ASSERT_EQ(platform.Load(), 0);
    EXPECT_TRUE(platform.AvailablePorts().Contains(portCOM));
    EXPECT_FALSE(platform.AvailablePorts().Contains(portIrDA));
    EXPECT_EQ(platform.CreateIrdaDiscovery(), nullptr);

    auto serial = platform.CreateSerialDiscovery();
    QList<TSerialPortInfo> ports;
    ASSERT_EQ(serial->Enumerate(ports), 0);
    for (const TSerialPortInfo &port : ports) {
        EXPECT_NE(port.Node, pty.slave);
        EXPECT_GT(port.PortNumber, 0) << port.Name.toStdString();
        EXPECT_TRUE(port.Name.startsWith(QLatin1String("tty"))) << port.Name.toStdString();
    }
    platform.Unload();
}

TEST(LinuxDiscoveryPlatform, ThisMachineListsNoGaugeInEitherEdition)
{
    EnsureQtApp();
    TPty pty;
    TZYKComm2Manager manager(std::make_unique<TLinuxDiscoveryPlatform>());
    TGaugeList coating(edCoatingThickness, 0);
    TGaugeList ultrasonic(edUltrasonic, 0);
    int found = 0;
    manager.OnDeviceFound = [&](QObject *, TPort port, const TDevice &device) {
        ++found;
        coating.DeviceFound(port, device);
        ultrasonic.DeviceFound(port, device);
    };
    manager.SetSerialMode(smAutoDiscovery);
    manager.SetUSBMode(umAutoDiscovery);
    EXPECT_EQ(manager.SerialMode(), smAutoDiscovery);
    EXPECT_EQ(found, manager.SerialDevices().size() + manager.UsbGaugeDevices().size());
    EXPECT_TRUE(coating.Entries().isEmpty());
    EXPECT_TRUE(ultrasonic.Entries().isEmpty());
}

} // namespace

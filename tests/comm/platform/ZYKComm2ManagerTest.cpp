#include "FakeDiscoveryPlatform.h"

#include "comm/CommTestSupport.h"
#include "comm/platform/ZYKComm2Manager.h"
#include "support/ScriptedUserDialog.h"

#include <gtest/gtest.h>

namespace {

TSerialPortInfo Serial(const QString &name, int number)
{
    return {name, QStringLiteral("/dev/") + name, number, {}};
}

TUsbDeviceInfo Usb(const QString &vidPid, const QString &serial, const QString &where, const QString &product = {})
{
    TUsbDeviceInfo usb;
    usb.Path = QStringLiteral("usb\\%1\\%2\\%3").arg(vidPid, serial, where);
    usb.Description = product.isEmpty() ? QStringLiteral("USB device") : product;
    usb.BusDescription = product;
    usb.Manufacturer = QStringLiteral("Maker");
    return usb;
}

TUsbDeviceInfo FtdiUsb(const QString &serial, const QString &where)
{
    return Usb(QStringLiteral("VID_0403&PID_6001"), serial, where, QStringLiteral("FT232R USB UART"));
}

TFtdiDeviceInfo Ftdi(const QString &description, const QString &serial, quint32 id = 0x04036001)
{
    TFtdiDeviceInfo ftdi;
    ftdi.Id = id;
    ftdi.Description = description;
    ftdi.SerialNumber = serial;
    return ftdi;
}

// A manager on the fake machine, with every event it raises written down.
class ManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { EnsureQtApp(); }
    // The items say goodbye to the lists below while the manager goes.
    void TearDown() override { manager.reset(); }

    TZYKComm2Manager &Make()
    {
        manager = std::make_unique<TZYKComm2Manager>(std::make_unique<TFakeDiscoveryPlatform>(machine));
        manager->SetUserDialog(&dialog);
        manager->OnDeviceFound = [this](QObject *, TPort port, const TDevice &d) {
            events << QStringLiteral("found %1 %2").arg(port).arg(Key(port, d));
        };
        manager->OnDeviceLost = [this](QObject *, TPort port, const TDevice &d) {
            events << QStringLiteral("lost %1 %2").arg(port).arg(Key(port, d));
        };
        manager->OnDiscoveryStarted = [this](QObject *, TPort port) { events << QStringLiteral("started %1").arg(port); };
        manager->OnDiscoveryStopped = [this](QObject *, TPort port) { events << QStringLiteral("stopped %1").arg(port); };
        manager->OnDiscoveryComplete = [this](QObject *, TPort port, const TDevices &list) {
            events << QStringLiteral("complete %1 (%2)").arg(port).arg(list.size());
        };
        manager->OnError = [this](QObject *, TErrMsg, const QString &text) { errors << text; };
        return *manager;
    }

    static QString Key(TPort port, const TDevice &d)
    {
        switch (port) {
        case portCOM:
            return QString::number(d.PortNumber);
        case portUSB:
            return d.SerialNumber.isEmpty() ? d.Name : d.SerialNumber;
        default:
            return d.Address;
        }
    }

    // An item on a port whose transport opens at once.
    TZYKComm2Item *OpenItemOn(TPort port, int index)
    {
        TZYKComm2Item *item = manager->Connections().Add();
        item->SetPort(port);
        item->SetPortFactory([](TPort, const TDevice &) { return std::make_unique<TScriptedPort>(); });
        item->OnNotification = [this](QObject *, TNotificationEvent event, const TDevice &, int) { notes << event; };
        EXPECT_EQ(item->SelectDeviceIndex(index), emNone);
        EXPECT_EQ(item->Open(false), emNone);
        EXPECT_EQ(item->State(), isOpen);
        return item;
    }

    TFakeMachine machine;
    ScriptedUserDialog dialog;
    std::unique_ptr<TZYKComm2Manager> manager;
    QStringList events;
    QStringList errors;
    QList<TNotificationEvent> notes;
};

TEST_F(ManagerTest, LoadsThePlatformAndFollowsItsTransports)
{
    machine.ports = {portCOM, portUSB};
    TZYKComm2Manager &m = Make();
    EXPECT_EQ(m.wclVersion(), QStringLiteral("fake 1.0"));
    EXPECT_TRUE(m.Ports() == TPorts({portCOM, portUSB}));
    EXPECT_EQ(m.SerialMode(), smDisabled);
    EXPECT_EQ(m.USBMode(), umDisabled);

    m.Connections().Add()->OnNotification = [this](QObject *, TNotificationEvent e, const TDevice &, int) { notes << e; };
    TPorts seenOld, seenNew;
    m.OnHardwareChanged = [&](QObject *, TPorts oldPorts, TPorts newPorts) {
        seenOld = oldPorts;
        seenNew = newPorts;
    };
    machine.ports = {portCOM, portBT};
    machine.platform->OnChanged();
    EXPECT_TRUE(seenOld == TPorts({portCOM, portUSB}));
    EXPECT_TRUE(seenNew == TPorts({portCOM, portBT}));
    EXPECT_TRUE(m.Ports() == seenNew);
    EXPECT_EQ(notes, QList<TNotificationEvent>({neHardwareChanged}));
}

TEST(ManagerLoad, LoadErrorGivesErrorVersionAndNoTransports)
{
    EnsureQtApp();
    TFakeMachine machine;
    machine.loadResult = 7;
    TZYKComm2Manager manager(std::make_unique<TFakeDiscoveryPlatform>(machine));
    EXPECT_EQ(manager.wclVersion(), QStringLiteral("Error 7"));
    EXPECT_TRUE(manager.Ports().IsEmpty());
    manager.SetSerialMode(smAutoDiscovery);
    EXPECT_EQ(manager.SerialMode(), smDisabled);
}

TEST_F(ManagerTest, ModeOfAMissingTransportStaysDisabledAndLeavesTheOthers)
{
    machine.ports = {portCOM, portIrDA, portBT};
    machine.serialPorts = {Serial(QStringLiteral("ttyS0"), 1)};
    machine.usbDevices = {FtdiUsb(QStringLiteral("A1"), QStringLiteral("1-1"))};
    machine.ftdiPasses = {{Ftdi(QStringLiteral("Gauge_ZT7"), QStringLiteral("A1"))}};
    TZYKComm2Manager &m = Make();
    m.SetSerialMode(smAutoDiscovery);
    m.SetIrDAMode(imManualDiscovery);
    m.SetBluetoothMode(bmAutoDiscovery);

    m.SetUSBMode(umAutoDiscovery);

    EXPECT_EQ(m.USBMode(), umDisabled);
    EXPECT_TRUE(m.UsbGaugeDevices().isEmpty());
    EXPECT_TRUE(m.UsbAllDevices().isEmpty());
    EXPECT_EQ(machine.usb, nullptr);
    EXPECT_EQ(m.SerialMode(), smAutoDiscovery);
    EXPECT_EQ(m.IrDAMode(), imManualDiscovery);
    EXPECT_EQ(m.BluetoothMode(), bmAutoDiscovery);
    EXPECT_EQ(m.SerialDevices().size(), 1);
}

TEST_F(ManagerTest, AutomaticSerialReportsPresentPortsOnceThenHotPlug)
{
    machine.serialPorts = {Serial(QStringLiteral("ttyUSB0"), 65), Serial(QStringLiteral("ttyS0"), 1)};
    TZYKComm2Manager &m = Make();

    m.SetSerialMode(smAutoDiscovery);
    // The monitoring start repeats both present ports; they are listed already.
    EXPECT_EQ(events, QStringList({"found 1 1", "found 1 65", "complete 1 (2)"}));

    events.clear();
    machine.PlugSerial(Serial(QStringLiteral("ttyS1"), 2));
    machine.PlugSerial(Serial(QStringLiteral("ttyS1"), 2));   // the same port once more
    machine.UnplugSerial(65);
    EXPECT_EQ(events, QStringList({"found 1 2", "lost 1 65"}));
    ASSERT_EQ(m.SerialDevices().size(), 2);
    EXPECT_EQ(m.SerialDevices()[0].PortNumber, 1);
    EXPECT_EQ(m.SerialDevices()[1].PortNumber, 2);
    EXPECT_EQ(m.SerialDevices()[1].DevicePath, QStringLiteral("/dev/ttyS1"));

    events.clear();
    m.SetSerialMode(smManualDiscovery);
    EXPECT_EQ(events, QStringList({"stopped 1"}));
    EXPECT_TRUE(m.SerialDevices().isEmpty());
    m.DiscoverAll();
    EXPECT_EQ(m.SerialDevices().size(), 2);
}

TEST_F(ManagerTest, SerialPortsTakeTheBusDescriptionOfTheirUsbDevice)
{
    TUsbDeviceInfo adapter = FtdiUsb(QStringLiteral("A1"), QStringLiteral("1-1"));
    adapter.PortName = QStringLiteral("ttyUSB0");
    adapter.PortNumber = 65;
    machine.usbDevices = {adapter};
    machine.serialPorts = {Serial(QStringLiteral("ttyUSB0"), 65), Serial(QStringLiteral("ttyS0"), 1)};
    TZYKComm2Manager &m = Make();
    m.SetUSBMode(umManualDiscovery);
    m.SetSerialMode(smManualDiscovery);
    m.Discover({portUSB, portCOM});

    ASSERT_EQ(m.UsbAllDevices().size(), 1);
    const TDevice &usb = m.UsbAllDevices()[0];
    EXPECT_EQ(usb.Address, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(usb.PortNumber, 65);
    EXPECT_EQ(usb.DevicePath, adapter.Path.toUpper());
    EXPECT_EQ(usb.Connected, 0);
    ASSERT_EQ(m.SerialDevices().size(), 2);
    EXPECT_EQ(m.SerialDevices()[0].BusDescription, QString());
    EXPECT_EQ(m.SerialDevices()[1].BusDescription, QStringLiteral("FT232R USB UART"));
    EXPECT_EQ(m.SerialDevices()[1].PortName, QStringLiteral("ttyUSB0"));
}

TEST_F(ManagerTest, AutomaticUsbReportsPresentGaugesOnceThenHotPlug)
{
    const TUsbDeviceInfo mouse = Usb(QStringLiteral("VID_046D&PID_C077"), {}, QStringLiteral("1-2"));
    machine.usbDevices = {mouse, FtdiUsb(QStringLiteral("B2"), QStringLiteral("1-1"))};
    machine.ftdiPasses = {{Ftdi(QStringLiteral("Gauge_ZT7"), QStringLiteral("B2"))}};
    TZYKComm2Manager &m = Make();
    TZYKComm2Item *item = m.Connections().Add();
    item->SetPort(portUSB);
    item->OnNotification = [this](QObject *, TNotificationEvent e, const TDevice &, int) { notes << e; };

    m.SetUSBMode(umAutoDiscovery);
    EXPECT_EQ(events, QStringList({"started 2", "found 2 B2", "complete 2 (1)"}));
    EXPECT_EQ(notes, QList<TNotificationEvent>({neMonitoringStarted, neDeviceFound, neDiscoveryCompleted}));
    ASSERT_EQ(m.UsbGaugeDevices().size(), 1);
    const TDevice &gauge = m.UsbGaugeDevices()[0];
    EXPECT_EQ(gauge.DevicePath, machine.usbDevices[1].Path.toUpper());
    EXPECT_EQ(gauge.PortName, QStringLiteral("Gauge_ZT7"));
    EXPECT_EQ(gauge.TypeCode, 0x04036001);
    EXPECT_EQ(item->Devices().size(), 1);

    // A second gauge lands at its place in the enumeration order.
    events.clear();
    notes.clear();
    const TUsbDeviceInfo second = FtdiUsb(QStringLiteral("A1"), QStringLiteral("1-3"));
    machine.PlugUsb(second, {Ftdi(QStringLiteral("Gauge_ZT7"), QStringLiteral("A1")),
                             Ftdi(QStringLiteral("Gauge_ZT7"), QStringLiteral("B2"))});
    EXPECT_EQ(events, QStringList({"found 2 A1"}));
    ASSERT_EQ(m.UsbGaugeDevices().size(), 2);
    EXPECT_EQ(m.UsbGaugeDevices()[0].SerialNumber, QStringLiteral("A1"));
    EXPECT_EQ(m.UsbGaugeDevices()[0].DevicePath, second.Path.toUpper());

    // Other USB devices are reported, but no item hears of them.
    events.clear();
    const TUsbDeviceInfo stick = Usb(QStringLiteral("VID_0781&PID_5567"), QStringLiteral("S1"), QStringLiteral("2-1"));
    machine.PlugUsb(stick);
    machine.UnplugUsb(stick.Path);
    machine.UnplugUsb(second.Path);
    EXPECT_EQ(events, QStringList({"found 2 USB device", "lost 2 USB device", "lost 2 A1"}));
    EXPECT_EQ(notes, QList<TNotificationEvent>({neDeviceFound}));
    EXPECT_EQ(m.UsbAllDevices().size(), 2);
    EXPECT_EQ(m.UsbGaugeDevices().size(), 1);
}

TEST_F(ManagerTest, LostDeviceClosesTheOpenItemWhichThenSaysPortNotActive)
{
    machine.serialPorts = {Serial(QStringLiteral("ttyS0"), 1), Serial(QStringLiteral("ttyUSB0"), 65)};
    TZYKComm2Manager &m = Make();
    m.SetSerialMode(smAutoDiscovery);
    TZYKComm2Item *item = OpenItemOn(portCOM, 1);
    TZYKComm2Item *bystander = OpenItemOn(portCOM, 0);
    notes.clear();

    machine.UnplugSerial(65);

    EXPECT_EQ(item->State(), isDeviceRemoved);
    EXPECT_EQ(bystander->State(), isOpen);
    EXPECT_TRUE(notes.contains(neDeviceRemoved));
    EXPECT_EQ(item->Devices().size(), 1);
    EXPECT_EQ(bystander->Devices().size(), 1);
    EXPECT_EQ(item->SendCommand(TBuffer::FromContent({'V'})), emPortNotActive);
    EXPECT_EQ(errors, QStringList({"Port not active !"}));
}

TEST_F(ManagerTest, FtdiEnumerationRetriesAndOrders)
{
    machine.usbDevices = {FtdiUsb(QStringLiteral("A1"), QStringLiteral("1-1")), FtdiUsb(QStringLiteral("B2"), QStringLiteral("1-2")),
                          FtdiUsb(QStringLiteral("C3"), QStringLiteral("1-3"))};
    TZYKComm2Manager &m = Make();
    m.SetUSBMode(umManualDiscovery);

    struct TCase
    {
        const char *what;
        QList<QList<TFtdiDeviceInfo>> passes;
        int calls;
        QStringList order;   // name/serial
    };
    const TFtdiDeviceInfo unknown = Ftdi({}, {}, 0);
    const QList<TCase> cases = {
        {"same description: by serial number",
         {{Ftdi("Gauge_ZT7", "C3"), Ftdi("Gauge_ZT7", "A1"), Ftdi("Adapter", "B2")}},
         1, {"Adapter/B2", "Gauge_ZT7/A1", "Gauge_ZT7/C3"}},
        {"a device without information is asked again",
         {{Ftdi("Gauge_ZT7", "A1"), unknown}, {Ftdi("Gauge_ZT7", "A1"), Ftdi("Gauge_ZT8", "B2")}},
         2, {"Gauge_ZT7/A1", "Gauge_ZT8/B2"}},
        {"ten attempts at most",
         {{unknown}},
         10, {"No device information/------"}},
        {"no device: one attempt", {{}}, 1, {}},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.what);
        machine.ftdiPasses = c.passes;
        machine.ftdiCalls = 0;
        machine.waits.clear();
        QStringList order;
        for (const TDevice &d : m.EnumerateFtdi())
            order << d.Name + u'/' + d.SerialNumber;
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(machine.ftdiCalls, c.calls);
        EXPECT_EQ(machine.waits.size(), c.calls - 1);
        EXPECT_EQ(machine.waits.count(500), c.calls - 1);
    }
}

TEST_F(ManagerTest, DiscoverMatchesFtdiEntriesToTheirUsbDevices)
{
    machine.usbDevices = {Usb(QStringLiteral("VID_046D&PID_C077"), {}, QStringLiteral("1-2")),
                          FtdiUsb(QStringLiteral("A1"), QStringLiteral("1-1")),
                          FtdiUsb(QStringLiteral("ZZ"), QStringLiteral("1-4"))};
    machine.ftdiPasses = {{Ftdi("Gauge_ZT7", "A1"), Ftdi("Gauge_ZT7", "Q9"), Ftdi({}, {}, 0)}};
    TZYKComm2Manager &m = Make();
    m.SetUSBMode(umManualDiscovery);
    m.DiscoverAll();

    // Q9 has no USB device; the device in use is the FTDI device nobody claimed.
    ASSERT_EQ(m.UsbGaugeDevices().size(), 2);
    EXPECT_EQ(m.UsbGaugeDevices()[0].SerialNumber, QStringLiteral("A1"));
    EXPECT_EQ(m.UsbGaugeDevices()[0].DevicePath, machine.usbDevices[1].Path.toUpper());
    EXPECT_EQ(m.UsbGaugeDevices()[1].PortName, QStringLiteral("IN USE"));
    EXPECT_EQ(m.UsbGaugeDevices()[1].DevicePath, machine.usbDevices[2].Path.toUpper());
    EXPECT_TRUE(TZYKComm2Manager::IsFtdiGauge(QStringLiteral("usb\\vid_0403&pid_6001\\x")));
    EXPECT_FALSE(TZYKComm2Manager::IsFtdiGauge(QStringLiteral("USB\\VID_0403&PID_6010\\X")));
}

TEST_F(ManagerTest, IrdaTimerWaitsWhileAnItemIsOpenAndPassesReportChanges)
{
    machine.irdaDevices = {{QStringLiteral("Solvanta 7"), QStringLiteral("1234")},
                           {QStringLiteral("Printer"), QStringLiteral("99")}};
    TZYKComm2Manager &m = Make();
    m.SetIrDAMode(imAutoDiscovery);
    EXPECT_TRUE(m.IrDATimer().isActive());
    EXPECT_EQ(m.IrDATimer().interval(), 5000);

    m.IrDATimerElapsed();
    machine.CompleteIrda();
    EXPECT_EQ(machine.irdaDiscoveries, 1);
    EXPECT_EQ(events, QStringList({"started 3", "found 3 1234", "found 3 99", "complete 3 (2)"}));
    EXPECT_EQ(m.IrDADevices()[0].SerialNumber, QStringLiteral("1234"));
    EXPECT_EQ(m.IrDATimer().interval(), 10000);

    TZYKComm2Item *item = OpenItemOn(portIrDA, 0);
    m.IrDATimerElapsed();
    EXPECT_EQ(machine.irdaDiscoveries, 1);
    EXPECT_TRUE(m.IrDATimer().isActive());

    // Closed again, the next tick discovers; a device no longer seen is lost.
    item->Close();
    m.IrDATimerElapsed();
    EXPECT_EQ(machine.irdaDiscoveries, 2);
    events.clear();
    machine.irdaDevices.removeFirst();
    machine.CompleteIrda();
    EXPECT_EQ(events, QStringList({"lost 3 1234", "complete 3 (1)"}));

    // A failed pass says so and keeps the list.
    machine.irdaFails = true;
    m.IrDATimerElapsed();
    machine.CompleteIrda();
    EXPECT_EQ(dialog.messages, QStringList({"Error discovering IrDA devices"}));
    EXPECT_EQ(m.IrDADevices().size(), 1);

    m.SetIrDAMode(imManualDiscovery);
    EXPECT_FALSE(m.IrDATimer().isActive());
}

TEST_F(ManagerTest, IrdaLossOfTheOpenDeviceEndsTheItem)
{
    machine.irdaDevices = {{QStringLiteral("Solvanta 7"), QStringLiteral("1234")}};
    TZYKComm2Manager &m = Make();
    m.SetIrDAMode(imManualDiscovery);
    m.DiscoverAll();
    TZYKComm2Item *item = OpenItemOn(portIrDA, 0);
    machine.irdaDevices.clear();
    m.DiscoverAll();
    EXPECT_EQ(item->State(), isDeviceRemoved);
    EXPECT_TRUE(m.IrDADevices().isEmpty());
}

TEST_F(ManagerTest, BluetoothKeepsItsListSortedByName)
{
    TZYKComm2Manager &m = Make();
    m.SetBluetoothMode(bmAutoDiscovery);
    ASSERT_NE(m.Radio(), nullptr);
    EXPECT_TRUE(machine.bluetooth->monitoring);
    EXPECT_EQ(machine.bluetooth->monitorInterval, 5);

    const auto bt = [](const char *name, const char *address) {
        TBluetoothDeviceInfo info;
        info.Name = QString::fromLatin1(name);
        info.Address = QString::fromLatin1(address);
        return info;
    };
    machine.BluetoothFound(bt("Gauge_ZT7 B", "00:00:00:00:00:0b"));
    machine.BluetoothFound(bt("Gauge_ZT7 A", "00:00:00:00:00:0a"));
    machine.BluetoothFound(bt("Gauge_ZT7 A", "00:00:00:00:00:0A"));
    machine.BluetoothFound(bt("Headset", "00:00:00:00:00:0c"));
    TBluetoothDeviceInfo unnamed = bt("", "00:00:00:00:00:0d");
    unnamed.NameError = 5;
    machine.BluetoothFound(unnamed);
    QStringList names;
    for (const TDevice &d : m.BluetoothDevices())
        names << d.Name;
    EXPECT_EQ(names, QStringList({"Gauge_ZT7 A", "Gauge_ZT7 B", "Headset", "Unknown (5)"}));
    EXPECT_EQ(m.BluetoothDevices()[0].Address, QStringLiteral("00:00:00:00:00:0A"));

    machine.BluetoothLost(bt("Gauge_ZT7 A", "00:00:00:00:00:0a"));
    EXPECT_EQ(m.BluetoothDevices().size(), 3);
    EXPECT_EQ(events.last(), QStringLiteral("lost 4 00:00:00:00:00:0A"));

    // Manual: a discovery pass rebuilds the list; a pass without a list warns.
    m.SetBluetoothMode(bmManualDiscovery);
    EXPECT_FALSE(machine.bluetooth->monitoring);
    m.DiscoverAll();
    EXPECT_TRUE(machine.bluetooth->discovering);
    QList<TBluetoothDeviceInfo> pass = {bt("Zeta", "02"), bt("Alpha", "01")};
    machine.bluetooth->OnComplete(&pass);
    ASSERT_EQ(m.BluetoothDevices().size(), 2);
    EXPECT_EQ(m.BluetoothDevices()[0].Name, QStringLiteral("Alpha"));
    machine.bluetooth->OnComplete(nullptr);
    EXPECT_EQ(dialog.messages, QStringList({"Discovering complete with error"}));
}

TEST_F(ManagerTest, ErrorsReachOnErrorAndTheDialogOnlyWhenAsked)
{
    TZYKComm2Manager &m = Make();
    m.CommError(emTimeout, QStringLiteral("Timeout !"));
    EXPECT_EQ(errors, QStringList({"Timeout !"}));
    EXPECT_TRUE(dialog.messages.isEmpty());
    m.SetShowErrorMsg(true);
    m.CommError(emTimeout, QStringLiteral("Timeout !"));
    EXPECT_EQ(dialog.messages, QStringList({"Timeout !"}));
    EXPECT_EQ(dialog.beeps, 1);
}

} // namespace

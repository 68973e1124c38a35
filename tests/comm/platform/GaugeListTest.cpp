#include "comm/platform/GaugeList.h"

#include <gtest/gtest.h>

namespace {

TDevice Named(const QString &name, const QString &serial = {}, const QString &address = {})
{
    TDevice d;
    d.Name = name;
    d.SerialNumber = serial;
    d.Address = address;
    return d;
}

TDevice SerialPort(const QString &name, int number)
{
    TDevice d;
    d.Name = name;
    d.PortName = name;
    d.PortNumber = number;
    return d;
}

TEST(GaugeListRules, UsableGaugesAndCaptionsPerTransportAndEdition)
{
    TDevice pairedBt = Named(QStringLiteral("Gauge_ZT8"), {}, QStringLiteral("00:11:22:33:44:55"));
    pairedBt.Paired = 1;
    struct TCase
    {
        const char *what;
        TPort port;
        TDevice device;
        const char *coating;      // caption in the coating-thickness edition, nullptr: not listed
        const char *ultrasonic;   // caption in the ultrasonic edition
        int image;
    };
    const QList<TCase> cases = {
        {"USB gauge", portUSB, Named("Gauge_ZT7", "FT1"), "Gauge_ZT7 (FT1)", nullptr, giUsb},
        {"USB gauge ZT6", portUSB, Named("xGauge_ZT6", "FT1"), "xGauge_ZT6 (FT1)", nullptr, giUsb},
        {"USB gauge name is case-sensitive", portUSB, Named("gauge_zt7", "FT1"), nullptr, nullptr, 0},
        {"USB adapter, blanks and case ignored", portUSB, Named("Solvanta 7 usb Adapter", "A9"),
         "Solvanta 7 usb Adapter (A9)", "Solvanta 7 usb Adapter (A9)", giUsb},
        {"USB multibox", portUSB, Named("SOLVANTA7 USB MULTIBOX", "M1"), "SOLVANTA7 USB MULTIBOX (M1)",
         "SOLVANTA7 USB MULTIBOX (M1)", giUsb},
        {"name with a bracket keeps its caption", portUSB, Named("Gauge_ZT7 (old)", "FT1"), "Gauge_ZT7 (old)", nullptr,
         giUsb},
        {"other FTDI device", portUSB, Named("FT232R USB UART", "FT2"), nullptr, nullptr, 0},
        {"IrDA gauge", portIrDA, Named("Solvanta 7 IR", "1234", "1234"), "Solvanta 7 IR (1234)", "Solvanta 7 IR (1234)",
         giIrda},
        {"IrDA other", portIrDA, Named("Printer", "1", "1"), nullptr, nullptr, 0},
        {"Bluetooth gauge, paired", portBT, pairedBt, "Gauge_ZT8 00:11:22:33:44:55", nullptr, giBluetoothKnown},
        {"Bluetooth gauge, unknown", portBT, Named("Gauge_ZT6", {}, "AA"), "Gauge_ZT6 AA", nullptr, giBluetoothUnknown},
        {"Bluetooth adapter name is no gauge", portBT, Named("Solvanta 7 USB Adapter", {}, "AA"), nullptr, nullptr, 0},
        {"serial port chosen", portCOM, SerialPort("ttyS0", 1), "ttyS0", "ttyS0", giSerial},
        {"serial port not chosen", portCOM, SerialPort("ttyS1", 2), nullptr, nullptr, 0},
        {"serial port without name", portCOM, SerialPort("", 1), nullptr, nullptr, 0},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto &[edition, expected] : {std::pair{edCoatingThickness, c.coating}, std::pair{edUltrasonic, c.ultrasonic}}) {
            const std::optional<TGaugeListEntry> entry = GaugeListEntry(c.port, c.device, edition, 1);
            ASSERT_EQ(entry.has_value(), expected != nullptr) << "edition " << edition;
            if (entry) {
                EXPECT_EQ(entry->Caption, QString::fromLatin1(expected));
                EXPECT_EQ(entry->Image, c.image);
                EXPECT_EQ(entry->Port, c.port);
            }
        }
    }
    // No serial port is chosen: nothing serial is a gauge, not even a port numbered 0.
    EXPECT_FALSE(GaugeListEntry(portCOM, SerialPort("pts0", 0), edCoatingThickness, 0));
}

TEST(GaugeListUpkeep, FollowsFoundAndLostDevices)
{
    TGaugeList list(edCoatingThickness, 1);
    QStringList log;
    list.OnAdded = [&](const TGaugeListEntry &e) { log << "+" + e.Caption; };
    list.OnRemoved = [&](const TGaugeListEntry &e) { log << "-" + e.Caption; };

    list.DeviceFound(portUSB, Named("Gauge_ZT7", "A1"));
    list.DeviceFound(portUSB, Named("Gauge_ZT7", "A1"));   // a second pass reports it again
    list.DeviceFound(portUSB, Named("FT232R", "B1"));
    list.DeviceFound(portCOM, SerialPort("ttyS0", 1));
    list.DeviceFound(portCOM, SerialPort("ttyS0", 1));
    list.DeviceFound(portCOM, SerialPort("ttyS1", 2));     // not the chosen port: ignored
    list.DeviceFound(portBT, Named("Gauge_ZT8", {}, "AA"));
    EXPECT_EQ(log, QStringList({"+Gauge_ZT7 (A1)", "+ttyS0", "+Gauge_ZT8 AA"}));

    // Choosing another port: the device of the new port replaces the old one.
    log.clear();
    list.SetRs232(2);
    list.DeviceFound(portCOM, SerialPort("ttyS1", 2));
    EXPECT_EQ(log, QStringList({"-ttyS0", "+ttyS1"}));

    // "None": the all-zero device clears every serial item.
    log.clear();
    list.SetRs232(0);
    list.DeviceFound(portCOM, TDevice{});
    EXPECT_EQ(log, QStringList({"-ttyS1"}));

    // Lost: USB by name and serial number, Bluetooth by name and address.
    log.clear();
    list.DeviceLost(portUSB, Named("Gauge_ZT7", "XX"));
    list.DeviceLost(portBT, Named("Gauge_ZT8", {}, "AA"));
    list.DeviceLost(portUSB, Named("Gauge_ZT7", "A1"));
    EXPECT_EQ(log, QStringList({"-Gauge_ZT8 AA", "-Gauge_ZT7 (A1)"}));
    EXPECT_TRUE(list.Entries().isEmpty());
    EXPECT_EQ(TGaugeList::Placeholder(), QStringLiteral("Search for devices..."));
}

} // namespace

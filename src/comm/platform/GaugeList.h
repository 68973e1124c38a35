#pragma once

#include "comm/Device.h"
#include "comm/Port.h"

#include "app/ProgramInfo.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Images of the gauge list, by transport.
enum TGaugeImage : int {
    giSerial = 49,
    giUsb = 50,
    giIrda = 51,
    giBluetoothKnown = 52,
    giBluetoothUnknown = 88,
    giPlaceholder = 12,
};

// One usable gauge as the gauge list shows it.
struct TGaugeListEntry
{
    TPort Port = portNone;
    TDevice Device;
    QString Caption;
    int Image = 0;
};

// Whether a found device is a usable gauge for this edition, and how it is
// listed. rs232 is the COM port number chosen for serial gauges (0: none).
std::optional<TGaugeListEntry> GaugeListEntry(TPort port, const TDevice &device, TEdition edition, int rs232);

// The list of usable gauges, kept as the manager reports devices found and
// lost. Shared by the explorer panel and the command line.
class TGaugeList
{
public:
    using TEntryEvent = std::function<void(const TGaugeListEntry &entry)>;

    TGaugeList(TEdition edition, int rs232) : m_edition(edition), m_rs232(rs232) {}

    void SetRs232(int rs232) { m_rs232 = rs232; }
    void DeviceFound(TPort port, const TDevice &device);
    void DeviceLost(TPort port, const TDevice &device);

    const QList<TGaugeListEntry> &Entries() const { return m_entries; }
    // The text of the one item an empty list shows.
    static QString Placeholder() { return QStringLiteral("Search for devices..."); }

    TEntryEvent OnAdded;
    TEntryEvent OnRemoved;

private:
    void Remove(int index);

    TEdition m_edition;
    int m_rs232;
    QList<TGaugeListEntry> m_entries;
};

#include "GaugeList.h"

namespace {

bool NamesCoatingGauge(const QString &name)
{
    return name.contains(QLatin1String("Gauge_ZT6")) || name.contains(QLatin1String("Gauge_ZT7"))
        || name.contains(QLatin1String("Gauge_ZT8"));
}

bool NamesUsbAdapter(const QString &name)
{
    const QString packed = QString(name).remove(u' ').toUpper();
    return packed.contains(QLatin1String("SOLVANTA7USBADAPTER"))
        || packed.contains(QLatin1String("SOLVANTA7USBMULTIBOX"));
}

QString Caption(const QString &name, const QString &suffix)
{
    if (suffix.isEmpty() || name.contains(u'('))
        return name;
    return name + u' ' + suffix;
}

// The same gauge as far as the list is concerned.
bool SameGauge(TPort port, const TDevice &a, const TDevice &b)
{
    switch (port) {
    case portCOM:
        return a.PortNumber == b.PortNumber;
    case portUSB:
        return a.Name == b.Name && a.SerialNumber == b.SerialNumber;
    case portIrDA:
    case portBT:
        return a.Name == b.Name && a.Address == b.Address;
    case portNone:
        break;
    }
    return false;
}

} // namespace

std::optional<TGaugeListEntry> GaugeListEntry(TPort port, const TDevice &device, TEdition edition, int rs232)
{
    TGaugeListEntry entry;
    entry.Port = port;
    entry.Device = device;
    const bool coating = edition == edCoatingThickness;
    switch (port) {
    case portCOM:
        if (device.PortNumber == 0 || device.PortNumber != rs232 || device.PortName.isEmpty())
            return std::nullopt;
        entry.Caption = Caption(device.Name, {});
        entry.Image = giSerial;
        return entry;
    case portUSB:
        if (!(coating && NamesCoatingGauge(device.Name)) && !NamesUsbAdapter(device.Name))
            return std::nullopt;
        entry.Caption = Caption(device.Name, u'(' + device.SerialNumber + u')');
        entry.Image = giUsb;
        return entry;
    case portIrDA:
        if (!device.Name.contains(QLatin1String("Solvanta 7")))
            return std::nullopt;
        entry.Caption = Caption(device.Name, u'(' + device.SerialNumber + u')');
        entry.Image = giIrda;
        return entry;
    case portBT:
        if (!coating || !NamesCoatingGauge(device.Name))
            return std::nullopt;
        entry.Caption = Caption(device.Name, device.Address);
        entry.Image = device.Paired ? giBluetoothKnown : giBluetoothUnknown;
        return entry;
    case portNone:
        break;
    }
    return std::nullopt;
}

void TGaugeList::Remove(int index)
{
    const TGaugeListEntry entry = m_entries.takeAt(index);
    if (OnRemoved)
        OnRemoved(entry);
}

void TGaugeList::DeviceFound(TPort port, const TDevice &device)
{
    if (port == portCOM) {
        // One serial gauge at most: the port chosen in the settings. A record
        // without a name (the choice "None") clears it.
        if (device.PortNumber != m_rs232)
            return;
        bool samePortListed = false;
        for (int i = m_entries.size() - 1; i >= 0; --i) {
            if (m_entries[i].Port != portCOM)
                continue;
            if (device.Name.isEmpty() || m_entries[i].Device.PortNumber != device.PortNumber)
                Remove(i);
            else
                samePortListed = true;
        }
        if (samePortListed)
            return;
    }
    const std::optional<TGaugeListEntry> entry = GaugeListEntry(port, device, m_edition, m_rs232);
    if (!entry)
        return;
    // A device reported again (a second discovery pass) keeps its one item.
    for (const TGaugeListEntry &listed : std::as_const(m_entries))
        if (listed.Port == port && SameGauge(port, listed.Device, device))
            return;
    m_entries.append(*entry);
    if (OnAdded)
        OnAdded(*entry);
}

void TGaugeList::DeviceLost(TPort port, const TDevice &device)
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].Port == port && SameGauge(port, m_entries[i].Device, device)) {
            Remove(i);
            return;
        }
    }
}

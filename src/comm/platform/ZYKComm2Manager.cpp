#include "ZYKComm2Manager.h"

#include "DeviceRecords.h"

#include "app/UserDialog.h"

#include <algorithm>

namespace {

int IndexOf(const TDevices &list, const std::function<bool(const TDevice &)> &match)
{
    for (int i = 0; i < list.size(); ++i)
        if (match(list[i]))
            return i;
    return -1;
}

QString Hex4(quint32 value)
{
    return QStringLiteral("%1").arg(value & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
}

// The USB device path belongs to this FTDI device: it names its vendor id,
// product id and serial number.
bool PathMatchesFtdi(const QString &path, const TDevice &ftdi)
{
    const QString upper = path.toUpper();
    const quint32 id = static_cast<quint32>(ftdi.TypeCode);
    return upper.contains(Hex4(id)) && upper.contains(Hex4(id >> 16))
        && upper.contains(ftdi.SerialNumber.toUpper());
}

} // namespace

TZYKComm2Manager::TZYKComm2Manager(std::unique_ptr<IDiscoveryPlatform> platform, QObject *parent)
    : QObject(parent), m_platform(std::move(platform))
{
    m_irdaTimer.setInterval(5000);
    connect(&m_irdaTimer, &QTimer::timeout, this, [this] { IrDATimerElapsed(); });
    m_platform->OnChanged = [this] { HardwareChanged(); };
    const int result = m_platform->Load();
    if (result != 0) {
        ShowPlatformError(result);
        m_wclVersion = QStringLiteral("Error %1").arg(result);
        return;
    }
    m_wclVersion = m_platform->Version();
    HardwareChanged();
}

TZYKComm2Manager::~TZYKComm2Manager()
{
    // Whoever listens may already be half gone: the tear-down stays quiet.
    OnDiscoveryStarted = nullptr;
    OnDiscoveryStopped = nullptr;
    OnDiscoveryComplete = nullptr;
    OnDeviceFound = nullptr;
    OnDeviceLost = nullptr;
    OnHardwareChanged = nullptr;
    OnError = nullptr;
    m_dialog = nullptr;
    m_connections.Clear();
    m_serialMode = smDisabled;
    m_irdaMode = imDisabled;
    m_usbMode = umDisabled;
    m_btMode = bmDisabled;
    DestroyBluetoothDiscovery();
    DestroySerialDiscovery();
    DestroyUsbMonitor();
    DestroyIrdaDiscovery();
    m_platform->OnChanged = nullptr;
    m_platform->Unload();
}

void TZYKComm2Manager::SetShowErrorMsg(bool show)
{
    m_showErrorMsg = show;
}

// ---- hardware and messages

void TZYKComm2Manager::HardwareChanged()
{
    const TPorts oldPorts = m_ports;
    m_ports = m_platform->AvailablePorts();
    if (OnHardwareChanged)
        OnHardwareChanged(this, oldPorts, m_ports);
    for (const auto &item : m_connections)
        item->Notify(this, neHardwareChanged, 0, TDevice{});
}

void TZYKComm2Manager::ShowPlatformError(int code)
{
    ShowError(m_platform->ErrorText(code));
}

void TZYKComm2Manager::ShowError(const QString &text)
{
    if (m_dialog)
        m_dialog->ShowMessage(text);
}

void TZYKComm2Manager::ShowWarning(const QString &text)
{
    if (m_dialog)
        m_dialog->ShowMessage(text);
}

void TZYKComm2Manager::CommError(TErrMsg code, const QString &text)
{
    if (OnError)
        OnError(this, code, text);
    if (m_showErrorMsg && m_dialog) {
        m_dialog->Beep();
        m_dialog->ShowMessage(text);
    }
}

void TZYKComm2Manager::PortMessage(const QString &text)
{
    ShowError(text);
}

TDevices TZYKComm2Manager::DeviceList(TPort port) const
{
    switch (port) {
    case portCOM:
        return m_serialDevices;
    case portUSB:
        return m_usbGaugeDevices;
    case portIrDA:
        return m_irdaDevices;
    case portBT:
        return m_btDevices;
    case portNone:
        break;
    }
    return {};
}

void TZYKComm2Manager::NotifyItems(TPort port, TNotificationEvent event, const TDevice &device)
{
    for (const auto &item : m_connections)
        if (item->Port() == port)
            item->Notify(this, event, 0, device);
}

void TZYKComm2Manager::NotifyItemsInPorts(TNotificationEvent event)
{
    for (const auto &item : m_connections)
        if (item->Port() != portNone && m_ports.Contains(item->Port()))
            item->Notify(this, event, 0, TDevice{});
}

bool TZYKComm2Manager::AnyItemOpen() const
{
    return std::any_of(m_connections.begin(), m_connections.end(), [](const auto &item) {
        return item->State() == isOpen || item->State() == isOpening;
    });
}

// ---- found and lost

void TZYKComm2Manager::FoundDevice(TPort port, TDevices &list, int index)
{
    if (index < 0 || index >= list.size())
        return;
    const TDevice entry = list[index];
    if (OnDeviceFound)
        OnDeviceFound(this, port, entry);
    for (const auto &item : m_connections) {
        if (item->Port() != port)
            continue;
        item->RefreshDeviceList();
        item->Notify(this, neDeviceFound, 0, entry);
    }
}

void TZYKComm2Manager::LostDevice(TPort port, TDevices &list, int index)
{
    if (index < 0 || index >= list.size())
        return;
    const TDevice entry = list.takeAt(index);
    for (const auto &item : m_connections) {
        if (item->Port() != port)
            continue;
        const TDeviceObject *selected = item->SelectedDevice();
        if (selected && IsSameDevice(selected->Device, entry))
            item->Notify(this, neDeviceRemoved, 0, entry);
        item->RefreshDeviceList();
    }
    if (OnDeviceLost)
        OnDeviceLost(this, port, entry);
}

bool TZYKComm2Manager::IsFtdiGauge(const QString &path)
{
    const QString upper = path.toUpper();
    return upper.contains(QLatin1String("0403")) && upper.contains(QLatin1String("6001"));
}

TDevices TZYKComm2Manager::EnumerateFtdi()
{
    TDevices result;
    if (!m_ftdiLoaded)
        return result;
    m_platform->SetFtdiMessages(false);
    QList<TFtdiDeviceInfo> list;
    constexpr int attempts = 10;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        list.clear();
        if (m_platform->FtdiDeviceList(list) != 0 || list.isEmpty())
            break;
        const bool someUnknown =
            std::any_of(list.begin(), list.end(), [](const TFtdiDeviceInfo &d) { return d.Id == 0; });
        // A device that gives no information yet is often still being set up.
        if (!someUnknown || attempt == attempts - 1)
            break;
        m_platform->Wait(500);
    }
    m_platform->SetFtdiMessages(true);
    for (const TFtdiDeviceInfo &info : std::as_const(list))
        result.append(FtdiDevice(info));
    std::stable_sort(result.begin(), result.end(), [](const TDevice &a, const TDevice &b) {
        const int byName = QString::compare(a.Name, b.Name);
        return byName != 0 ? byName < 0 : QString::compare(a.SerialNumber, b.SerialNumber) < 0;
    });
    return result;
}

// ---- mode setters

void TZYKComm2Manager::SetSerialMode(TSerialMode mode)
{
    m_serialDevices.clear();
    if (!m_ports.Contains(portCOM) || mode == smDisabled) {
        m_serialMode = smDisabled;
        DestroySerialDiscovery();
        return;
    }
    m_serialMode = mode;
    if (!m_serial) {
        m_serial = m_platform->CreateSerialDiscovery();
        if (!m_serial) {
            m_serialMode = smDisabled;
            return;
        }
        m_serial->OnStarted = [this] { SerialStarted(); };
        m_serial->OnStopped = [this] { SerialStopped(); };
        m_serial->OnFound = [this](const TSerialPortInfo &port) { SerialFound(port); };
        m_serial->OnLost = [this](const TSerialPortInfo &port) { SerialLost(port); };
    }
    if (mode == smManualDiscovery) {
        if (m_serial->Monitoring())
            m_serial->StopMonitoring();
    } else if (!m_serial->Monitoring()) {
        m_serialMode = smManualDiscovery;
        Discover({portCOM});
        const int result = m_serial->StartMonitoring();
        if (result != 0)
            ShowPlatformError(result);
        m_serialMode = smAutoDiscovery;
    }
}

void TZYKComm2Manager::SetUSBMode(TUSBMode mode)
{
    m_usbGaugeDevices.clear();
    m_usbAllDevices.clear();
    if (!m_ports.Contains(portUSB) || mode == umDisabled) {
        m_usbMode = umDisabled;
        DestroyUsbMonitor();
        return;
    }
    m_usbMode = mode;
    if (!m_usb) {
        m_ftdiLoaded = m_platform->LoadFtdi();
        m_usb = m_platform->CreateUsbMonitor();
        if (!m_usb) {
            m_usbMode = umDisabled;
            DestroyUsbMonitor();
            return;
        }
        m_usb->OnStarted = [this] { UsbStarted(); };
        m_usb->OnStopped = [this] { UsbStopped(); };
        m_usb->OnInserted = [this](const TUsbDeviceInfo &usb) { UsbInserted(usb); };
        m_usb->OnRemoved = [this](const TUsbDeviceInfo &usb) { UsbRemoved(usb); };
    }
    if (mode == umManualDiscovery) {
        if (m_usb->Running())
            m_usb->Stop();
    } else if (!m_usb->Running()) {
        const int result = m_usb->Start();
        if (result != 0)
            ShowPlatformError(result);
        m_usbMode = umManualDiscovery;
        Discover({portUSB});
        m_usbMode = umAutoDiscovery;
    }
}

void TZYKComm2Manager::SetIrDAMode(TIrDAMode mode)
{
    m_irdaDevices.clear();
    if (!m_ports.Contains(portIrDA) || mode == imDisabled) {
        m_irdaMode = imDisabled;
        DestroyIrdaDiscovery();
        return;
    }
    m_irdaMode = mode;
    if (!m_irda) {
        m_irda = m_platform->CreateIrdaDiscovery();
        if (!m_irda) {
            m_irdaMode = imDisabled;
            return;
        }
        m_irda->OnStarted = [this] { IrdaStarted(); };
        m_irda->OnComplete = [this](const QList<TIrdaDeviceInfo> *devices) { IrdaComplete(devices); };
        m_irdaTimer.setInterval(5000);
    }
    if (mode == imAutoDiscovery) {
        if (!m_irdaTimer.isActive())
            m_irdaTimer.start();
    } else {
        m_irdaTimer.stop();
    }
}

void TZYKComm2Manager::SetBluetoothMode(TBTMode mode)
{
    m_btDevices.clear();
    if (!m_ports.Contains(portBT) || mode == bmDisabled) {
        m_btMode = bmDisabled;
        DestroyBluetoothDiscovery();
        return;
    }
    m_btMode = mode;
    if (!m_bt) {
        m_bt = m_platform->CreateBluetoothDiscovery();
        if (!m_bt) {
            m_btMode = bmDisabled;
            return;
        }
        m_bt->OnStarted = [this] { BluetoothStarted(); };
        m_bt->OnComplete = [this](const QList<TBluetoothDeviceInfo> *devices) { BluetoothComplete(devices); };
        m_bt->OnFound = [this](const TBluetoothDeviceInfo &info) { BluetoothFound(info); };
        m_bt->OnLost = [this](const TBluetoothDeviceInfo &info) { BluetoothLost(info); };
        QList<TBluetoothRadio> radios;
        const int result = m_bt->EnumRadios(radios);
        if (result != 0)
            ShowPlatformError(result);
        else if (!radios.isEmpty())
            m_radio = radios.first();
    }
    if (mode == bmManualDiscovery) {
        if (m_bt->Discovering())
            m_bt->StopDiscovery();
        if (m_bt->Monitoring())
            m_bt->StopMonitoring();
    } else if (!m_bt->Monitoring() && m_radio) {
        const int result = m_bt->StartMonitoring(*m_radio, 5);
        if (result != 0)
            ShowPlatformError(result);
    }
}

void TZYKComm2Manager::DestroySerialDiscovery()
{
    if (!m_serial)
        return;
    if (m_serial->Monitoring())
        m_serial->StopMonitoring();
    m_serial.reset();
}

void TZYKComm2Manager::DestroyUsbMonitor()
{
    if (m_usb) {
        if (m_usb->Running())
            m_usb->Stop();
        m_usb.reset();
    }
    if (m_ftdiLoaded)
        m_platform->UnloadFtdi();
    m_ftdiLoaded = false;
}

void TZYKComm2Manager::DestroyIrdaDiscovery()
{
    m_irdaTimer.stop();
    m_irda.reset();
}

void TZYKComm2Manager::DestroyBluetoothDiscovery()
{
    if (m_bt) {
        if (m_bt->Discovering())
            m_bt->StopDiscovery();
        if (m_bt->Monitoring())
            m_bt->StopMonitoring();
    }
    m_radio.reset();
    m_bt.reset();
}

// ---- immediate discovery

void TZYKComm2Manager::Discover(TPorts ports)
{
    bool ran = false;
    if (ports.Contains(portIrDA) && m_irdaMode == imManualDiscovery && m_irda) {
        ran = true;
        DiscoverIrda();
    }
    if (ports.Contains(portUSB) && m_usbMode == umManualDiscovery && m_usb) {
        ran = true;
        DiscoverUsb();
    }
    if (ports.Contains(portCOM) && m_serialMode == smManualDiscovery && m_serial) {
        ran = true;
        DiscoverSerial();
    }
    if (ports.Contains(portBT) && m_btMode == bmManualDiscovery && m_bt) {
        ran = true;
        DiscoverBluetooth();
    }
    if (ran)
        NotifyItemsInPorts(neDiscoveryCompleted);
}

void TZYKComm2Manager::DiscoverIrda()
{
    const int result = m_irda->Discover();
    if (result != 0) {
        ShowPlatformError(result);
        return;
    }
    while (m_irda && m_irda->Discovering())
        m_platform->WaitStep();
}

void TZYKComm2Manager::DiscoverUsb()
{
    m_usbGaugeDevices.clear();
    m_usbAllDevices.clear();
    QList<TUsbDeviceInfo> present;
    const int result = m_usb->Enumerate(present);
    if (result != 0) {
        ShowPlatformError(result);
        return;
    }
    for (const TUsbDeviceInfo &usb : std::as_const(present))
        m_usbAllDevices.append(UsbDevice(usb));

    const TDevices ftdiDevices = EnumerateFtdi();
    for (const TDevice &ftdi : ftdiDevices) {
        int usb;
        if (ftdi.PortName == FtdiInUse()) {
            // Without information the device is the first FTDI gauge not
            // claimed yet, so that its removal is noticed.
            usb = IndexOf(m_usbAllDevices, [this](const TDevice &d) {
                return IsFtdiGauge(d.DevicePath)
                    && IndexOf(m_usbGaugeDevices, [&d](const TDevice &g) { return g.DevicePath == d.DevicePath; }) < 0;
            });
            if (usb < 0 && !m_usbAllDevices.isEmpty())
                usb = 0;
        } else {
            usb = IndexOf(m_usbAllDevices, [&ftdi](const TDevice &d) { return PathMatchesFtdi(d.DevicePath, ftdi); });
        }
        if (usb < 0)
            continue;
        TDevice entry = ftdi;
        entry.DevicePath = m_usbAllDevices[usb].DevicePath;
        m_usbGaugeDevices.append(entry);
        FoundDevice(portUSB, m_usbGaugeDevices, m_usbGaugeDevices.size() - 1);
    }
    if (OnDiscoveryComplete)
        OnDiscoveryComplete(this, portUSB, m_usbGaugeDevices);
}

TDevice TZYKComm2Manager::SerialEntry(const TSerialPortInfo &port) const
{
    TDevice entry = SerialPortDevice(port);
    if (entry.BusDescription.isEmpty() && entry.PortNumber != 0) {
        const int usb = IndexOf(m_usbAllDevices, [&entry](const TDevice &d) { return d.PortNumber == entry.PortNumber; });
        if (usb >= 0)
            entry.BusDescription = m_usbAllDevices[usb].BusDescription;
    }
    return entry;
}

void TZYKComm2Manager::DiscoverSerial()
{
    QList<TSerialPortInfo> ports;
    if (m_serial->Enumerate(ports) != 0)
        return;
    m_serialDevices.clear();
    for (const TSerialPortInfo &port : std::as_const(ports)) {
        if (IndexOf(m_serialDevices, [&port](const TDevice &d) { return d.PortNumber == port.PortNumber; }) < 0)
            m_serialDevices.append(SerialEntry(port));
    }
    std::stable_sort(m_serialDevices.begin(), m_serialDevices.end(),
                     [](const TDevice &a, const TDevice &b) { return a.PortNumber < b.PortNumber; });
    for (int i = 0; i < m_serialDevices.size(); ++i)
        FoundDevice(portCOM, m_serialDevices, i);
    if (OnDiscoveryComplete)
        OnDiscoveryComplete(this, portCOM, m_serialDevices);
}

void TZYKComm2Manager::DiscoverBluetooth()
{
    if (!m_radio)
        return;
    const int result = m_bt->Discover(*m_radio, 10, 1);
    if (result != 0)
        ShowPlatformError(result);
}

// ---- serial events

void TZYKComm2Manager::SerialStarted()
{
    if (m_serialMode == smManualDiscovery)
        return;
    m_serialDevices.clear();
    if (OnDiscoveryStarted)
        OnDiscoveryStarted(this, portCOM);
    NotifyItems(portCOM, neDiscoveryStarted);
}

void TZYKComm2Manager::SerialStopped()
{
    m_serialDevices.clear();
    if (OnDiscoveryStopped)
        OnDiscoveryStopped(this, portCOM);
    NotifyItems(portCOM, neDiscoveryCompleted);
}

void TZYKComm2Manager::SerialFound(const TSerialPortInfo &port)
{
    if (IndexOf(m_serialDevices, [&port](const TDevice &d) { return d.PortNumber == port.PortNumber; }) >= 0)
        return;
    int at = 0;
    for (int i = 0; i < m_serialDevices.size(); ++i)
        if (m_serialDevices[i].PortNumber < port.PortNumber)
            at = i + 1;
    m_serialDevices.insert(at, SerialEntry(port));
    FoundDevice(portCOM, m_serialDevices, at);
}

void TZYKComm2Manager::SerialLost(const TSerialPortInfo &port)
{
    LostDevice(portCOM, m_serialDevices,
               IndexOf(m_serialDevices, [&port](const TDevice &d) { return d.PortNumber == port.PortNumber; }));
}

// ---- USB events

void TZYKComm2Manager::UsbStarted()
{
    m_usbGaugeDevices.clear();
    m_usbAllDevices.clear();
    if (OnDiscoveryStarted)
        OnDiscoveryStarted(this, portUSB);
    NotifyItems(portUSB, neMonitoringStarted);
}

void TZYKComm2Manager::UsbStopped()
{
    m_usbGaugeDevices.clear();
    m_usbAllDevices.clear();
    if (OnDiscoveryStopped)
        OnDiscoveryStopped(this, portUSB);
    NotifyItems(portUSB, neMonitoringStopped);
}

void TZYKComm2Manager::UsbInserted(const TUsbDeviceInfo &usb)
{
    const TDevice device = UsbDevice(usb);
    const QString path = device.DevicePath;
    int listed = IndexOf(m_usbAllDevices, [&path](const TDevice &d) { return d.DevicePath == path; });
    if (listed < 0) {
        m_usbAllDevices.append(device);
        listed = m_usbAllDevices.size() - 1;
    }
    if (!(IsFtdiGauge(path) && m_ftdiLoaded)) {
        if (OnDeviceFound)
            OnDeviceFound(this, portUSB, m_usbAllDevices[listed]);
        return;
    }
    if (IndexOf(m_usbGaugeDevices, [&path](const TDevice &d) { return d.DevicePath == path; }) >= 0)
        return;
    const TDevices ftdiDevices = EnumerateFtdi();
    const auto unclaimed = [this](const TDevice &ftdi) {
        return IndexOf(m_usbGaugeDevices, [&ftdi](const TDevice &g) { return g.SerialNumber == ftdi.SerialNumber; }) < 0;
    };
    // The entry whose serial number the path names, else the first one not listed yet.
    int pick = IndexOf(ftdiDevices, [&](const TDevice &f) { return unclaimed(f) && PathMatchesFtdi(path, f); });
    if (pick < 0)
        pick = IndexOf(ftdiDevices, unclaimed);
    if (pick < 0)
        return;
    TDevice entry = ftdiDevices[pick];
    entry.DevicePath = path;
    const int at = std::min<int>(pick, m_usbGaugeDevices.size());
    m_usbGaugeDevices.insert(at, entry);
    FoundDevice(portUSB, m_usbGaugeDevices, at);
}

void TZYKComm2Manager::UsbRemoved(const TUsbDeviceInfo &usb)
{
    const QString path = usb.Path.toUpper();
    const auto samePath = [&path](const TDevice &d) { return d.DevicePath == path; };
    const int listed = IndexOf(m_usbAllDevices, samePath);
    const TDevice removed = listed >= 0 ? m_usbAllDevices.takeAt(listed) : UsbDevice(usb);
    if (IsFtdiGauge(path) && m_ftdiLoaded) {
        LostDevice(portUSB, m_usbGaugeDevices, IndexOf(m_usbGaugeDevices, samePath));
        return;
    }
    if (OnDeviceLost)
        OnDeviceLost(this, portUSB, removed);
}

// ---- IrDA

void TZYKComm2Manager::IrDATimerElapsed()
{
    m_irdaTimer.stop();
    m_irdaTimer.setInterval(10000);
    if (AnyItemOpen()) {
        m_irdaTimer.start();
        return;
    }
    if (m_irda && m_irda->Discover() == 0)
        m_irdaTimer.start();
}

void TZYKComm2Manager::IrdaStarted()
{
    if (OnDiscoveryStarted)
        OnDiscoveryStarted(this, portIrDA);
    NotifyItems(portIrDA, neDiscoveryStarted);
}

void TZYKComm2Manager::IrdaComplete(const QList<TIrdaDeviceInfo> *devices)
{
    if (!devices) {
        // A failed pass says nothing about the devices listed: they stay.
        ShowError(QStringLiteral("Error discovering IrDA devices"));
    } else {
        for (const TIrdaDeviceInfo &info : *devices) {
            if (IndexOf(m_irdaDevices, [&info](const TDevice &d) { return d.Address == info.Address; }) >= 0)
                continue;
            m_irdaDevices.append(IrdaDevice(info));
            FoundDevice(portIrDA, m_irdaDevices, m_irdaDevices.size() - 1);
        }
        const auto gone = [devices](const TDevice &d) {
            return std::none_of(devices->begin(), devices->end(),
                                [&d](const TIrdaDeviceInfo &info) { return info.Address == d.Address; });
        };
        for (int i = IndexOf(m_irdaDevices, gone); i >= 0; i = IndexOf(m_irdaDevices, gone))
            LostDevice(portIrDA, m_irdaDevices, i);
    }
    if (OnDiscoveryComplete)
        OnDiscoveryComplete(this, portIrDA, m_irdaDevices);
    NotifyItems(portIrDA, neDiscoveryCompleted);
}

// ---- Bluetooth

void TZYKComm2Manager::BluetoothStarted()
{
    m_btDevices.clear();
    if (OnDiscoveryStarted)
        OnDiscoveryStarted(this, portBT);
    NotifyItems(portBT, neDiscoveryStarted);
}

void TZYKComm2Manager::BluetoothComplete(const QList<TBluetoothDeviceInfo> *devices)
{
    if (devices) {
        m_btDevices.clear();
        for (const TBluetoothDeviceInfo &info : *devices)
            m_btDevices.append(BluetoothDevice(info));
        std::stable_sort(m_btDevices.begin(), m_btDevices.end(),
                         [](const TDevice &a, const TDevice &b) { return QString::compare(a.Name, b.Name) < 0; });
    } else {
        ShowWarning(QStringLiteral("Discovering complete with error"));
    }
    if (OnDiscoveryComplete)
        OnDiscoveryComplete(this, portBT, m_btDevices);
    NotifyItems(portBT, neDiscoveryCompleted);
}

void TZYKComm2Manager::BluetoothFound(const TBluetoothDeviceInfo &info)
{
    const TDevice device = BluetoothDevice(info);
    if (IndexOf(m_btDevices, [&device](const TDevice &d) { return d.Address == device.Address; }) >= 0)
        return;
    int at = 0;
    for (int i = 0; i < m_btDevices.size(); ++i)
        if (QString::compare(m_btDevices[i].Name, device.Name) < 0)
            at = i + 1;
    m_btDevices.insert(at, device);
    FoundDevice(portBT, m_btDevices, at);
}

void TZYKComm2Manager::BluetoothLost(const TBluetoothDeviceInfo &info)
{
    const QString address = info.Address.toUpper();
    LostDevice(portBT, m_btDevices, IndexOf(m_btDevices, [&address](const TDevice &d) { return d.Address == address; }));
}

#include "ZYKComm2Item.h"

#include "ZYKComm2Owner.h"
#include "ports/GaugePort.h"
#include "ports/PortFactory.h"

#include <QCoreApplication>
#include <QThread>

#include <thread>

using namespace std::chrono_literals;

TZYKComm2Item::TZYKComm2Item(int index, IZYKComm2Owner *owner, QObject *parent)
    : QObject(parent), m_name(QStringLiteral("Connection%1").arg(index)), m_owner(owner)
{
    m_portFactory = CreateGaugePort;
    m_idleHook = [] {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    };
    Notify(this, neConnectionItemAdd, 0, TDevice{});
}

TZYKComm2Item::~TZYKComm2Item()
{
    Notify(this, neConnectionItemRemoved, 0, TDevice{});
    if (State() != isClosed)
        Close();
    if (m_transport) {
        m_transport->SetDataHandler({});
        m_transport->SetStateHandler({});
    }
}

// ---- properties

void TZYKComm2Item::SetPort(TPort port)
{
    const bool changed = port != m_port;
    m_port = port;
    if (changed)
        Notify(this, nePortChanged, 0, CurrentDevice());
    RefreshDeviceList();
}

void TZYKComm2Item::SetBaudRate(quint32 baudRate)
{
    if (baudRate == m_baudRate)
        return;
    if (State() == isOpen) {
        Close();
        m_baudRate = baudRate;
        Open(m_port != portBT);
    } else {
        m_baudRate = baudRate;
    }
}

void TZYKComm2Item::SetUSBLatency(quint32 ms)
{
    m_usbLatency = ms;
    if (State() == isOpen && m_transport && m_transport->IsUsb())
        m_transport->SetLatency(ms);
}

quint8 TZYKComm2Item::ReceiveAdr() const
{
    std::lock_guard guard(m_receiveLock);
    return m_codec.ReceiveAdr;
}

void TZYKComm2Item::SetReceiveAdr(quint8 address)
{
    std::lock_guard guard(m_receiveLock);
    m_codec.ReceiveAdr = address;
}

quint8 TZYKComm2Item::TransmitAdr() const
{
    std::lock_guard guard(m_receiveLock);
    return m_codec.TransmitAdr;
}

void TZYKComm2Item::SetTransmitAdr(quint8 address)
{
    std::lock_guard guard(m_receiveLock);
    m_codec.TransmitAdr = address;
}

quint8 TZYKComm2Item::SubAdr() const
{
    std::lock_guard guard(m_receiveLock);
    return m_codec.SubAdr;
}

void TZYKComm2Item::SetSubAdr(quint8 address)
{
    std::lock_guard guard(m_receiveLock);
    m_codec.SubAdr = address;
}

void TZYKComm2Item::Assign(const TZYKComm2Item &source)
{
    SetBaudRate(source.BaudRate());
    SetPort(source.Port());
}

TCodecState TZYKComm2Item::CodecState() const
{
    std::lock_guard guard(m_receiveLock);
    return m_codec;
}

quint32 TZYKComm2Item::LastSendTime() const
{
    return static_cast<quint32>(static_cast<quint64>(m_lastSendNs.load()) / 1000000u);
}

quint32 TZYKComm2Item::LastReceiveTime() const
{
    return static_cast<quint32>(static_cast<quint64>(m_lastReceiveNs.load()) / 1000000u);
}

// ---- devices

void TZYKComm2Item::RefreshDeviceList()
{
    if (m_owner)
        m_devices = m_port == portNone ? TDevices{} : m_owner->DeviceList(m_port);
    else
        m_devices = m_ownDevices;
}

void TZYKComm2Item::SetDevices(const TDevices &devices)
{
    m_ownDevices = devices;
    RefreshDeviceList();
}

TErrMsg TZYKComm2Item::SelectDeviceIndex(int index)
{
    const QString previousName = m_deviceName;
    m_deviceName.clear();
    m_selectedDevice.reset();
    RefreshDeviceList();
    if (m_devices.isEmpty()) {
        ReportError(emEmptyDeviceList);
        return emEmptyDeviceList;
    }
    if (index < 0 || index >= m_devices.size()) {
        ReportError(emNoDevice);
        return emNoDevice;
    }
    const TDevice &device = m_devices[index];
    m_deviceName = m_port == portUSB ? device.PortName : device.Name;
    m_selectedDevice = std::make_unique<TDeviceObject>(device);
    if (m_deviceName != previousName)
        Notify(this, neConnectionChanged, 0, device);
    return emNone;
}

int TZYKComm2Item::SelectDevice(const TDevice &device)
{
    for (int i = 0; i < m_devices.size(); ++i) {
        if (m_devices[i].Address == device.Address && IsSameDevice(m_devices[i], device))
            return SelectDeviceIndex(i) == emNone ? i : -1;
    }
    return -1;
}

TDevice TZYKComm2Item::CurrentDevice() const
{
    return m_selectedDevice ? m_selectedDevice->Device : TDevice{};
}

// ---- connection

void TZYKComm2Item::AttachTransport(std::unique_ptr<TGaugePort> transport)
{
    if (m_transport && State() != isClosed)
        Close();
    m_transport = std::move(transport);
    m_transportAttached = m_transport != nullptr;
    BindTransport();
}

void TZYKComm2Item::BindTransport()
{
    if (!m_transport)
        return;
    m_transport->SetDataHandler([this](const quint8 *data, int size) { ReceiveBytes(data, size); });
    m_transport->SetStateHandler([this](bool connected, int error) { TransportStateChanged(connected, error); });
}

std::unique_ptr<TGaugePort> TZYKComm2Item::MakeTransport()
{
    return m_portFactory ? m_portFactory(m_port, CurrentDevice()) : nullptr;
}

TErrMsg TZYKComm2Item::OpenTransport()
{
    TPortSettings settings;
    settings.BaudRate = m_baudRate;
    settings.ReceiveTimeout = m_receiveTimeout;
    settings.USBLatency = m_usbLatency;
    const bool usb = m_transport->IsUsb();
    if (usb && m_selectedDevice)
        m_selectedDevice->Device.Handle = -1;
    if (m_transport->Open(settings) != emNone) {
        if (m_owner && (!usb || m_owner->ShowErrorMsg()))
            m_owner->PortMessage(m_transport->ErrorText());
        ReportError(emConnect);
        return emConnect;
    }
    if (m_transport->IsOpen()) {
        if (usb && m_selectedDevice)
            m_selectedDevice->Device.Handle = 1;
        SetState(isOpen);
        Notify(this, neConnect, 0, CurrentDevice());
    } else {
        SetState(isOpening);
    }
    return emNone;
}

TErrMsg TZYKComm2Item::Open(bool wait)
{
    if (!m_transportAttached) {
        if (!m_selectedDevice)
            return emNoDevice;
        if (m_port == portNone)
            return emNone;
        if (m_transport && !m_transport->IsDisconnected())
            return emDeviceNotDisconnected;
        m_transport = MakeTransport();
        if (!m_transport) {
            ReportError(emConnect);
            return emConnect;
        }
        BindTransport();
    } else if (State() != isClosed && State() != isDeviceRemoved) {
        return emDeviceNotDisconnected;
    }

    const TErrMsg result = OpenTransport();
    if (result == emNone && wait) {
        for (int round = 0; round < 501; ++round) {
            if (m_idleHook && OnOwnThread())
                m_idleHook();
            if (State() == isOpen)
                return emNone;
            // A connect that failed ends the wait at once.
            if (State() == isClosed)
                return emConnect;
            std::this_thread::sleep_for(10ms);
        }
        return State() == isOpen ? emNone : emConnect;
    }
    return result;
}

void TZYKComm2Item::TransportStateChanged(bool connected, int error)
{
    if (connected) {
        // A connect event with an error leaves the item closed; the receiver
        // of neConnect still sees the error code.
        SetState(error == 0 ? isOpen : isClosed);
        Notify(this, neConnect, error, CurrentDevice());
    } else if (State() != isClosed && State() != isDeviceRemoved) {
        SetState(isClosed);
        Notify(this, neDisconnect, error, CurrentDevice());
    }
}

bool TZYKComm2Item::Close()
{
    if (!m_selectedDevice && !m_transportAttached)
        return false;
    if (m_transport && m_transport->IsUsb()) {
        if (!m_selectedDevice || m_selectedDevice->Device.Handle == -1)
            return false;
        m_transport->Close();
        m_selectedDevice->Device.Handle = -1;
        SetState(isClosed);
        Notify(this, neDisconnect, 0, CurrentDevice());
        return true;
    }
    const bool wasConnected = State() == isOpen || State() == isOpening
        || (m_transport && !m_transport->IsDisconnected());
    SetState(isClosing);
    if (m_transport)
        m_transport->Close();
    SetState(isClosed);
    if (wasConnected)
        Notify(this, neDisconnect, 0, CurrentDevice());
    return true;
}

// ---- waiting

bool TZYKComm2Item::OnOwnThread() const
{
    return QThread::currentThread() == thread();
}

void TZYKComm2Item::WakeWaiter()
{
    {
        std::lock_guard guard(m_wakeLock);
        m_woken = true;
    }
    m_wake.notify_all();
}

void TZYKComm2Item::WaitForDataOrTimeout(std::chrono::nanoseconds limit)
{
    std::unique_lock lock(m_wakeLock);
    m_wake.wait_for(lock, limit, [this] { return m_woken; });
    m_woken = false;
}

// One step of a transaction's wait: hand over waiting bytes, run the idle
// hook, then sleep up to a millisecond unless an answer is already there.
void TZYKComm2Item::IdleStep()
{
    if (m_transport)
        m_transport->Poll();
    if (m_idleHook && OnOwnThread())
        m_idleHook();
    if (m_transport)
        m_transport->Poll();
    if (m_replyReceived.load())
        return;
    // Serial and TCP wait on the device itself, so an answer is taken the
    // moment it arrives; other transports wake the waiter when they deliver.
    if (!(m_transport && OnOwnThread() && m_transport->WaitForData(1)))
        WaitForDataOrTimeout(1ms);
}

// ---- transactions

TErrMsg TZYKComm2Item::SendRaw(const TBuffer &frame)
{
    if (State() != isOpen || !m_transport) {
        ReportError(emPortNotActive);
        return emPortNotActive;
    }
    // Sleeps in steps of at most 1 ms and yields through the last fraction of
    // a millisecond, so the send follows the delay closely even on a busy
    // machine; the idle hook runs about every millisecond.
    constexpr qint64 SpinNs = 200000;
    const qint64 delayNs = static_cast<qint64>(m_cmdSendDelay) * 1000000;
    const bool ownThread = OnOwnThread();
    qint64 lastIdleNs = 0;
    for (;;) {
        const qint64 now = m_clock.NowNs();
        const qint64 since = std::max(m_lastSendNs.load(), m_lastReceiveNs.load());
        const qint64 remaining = since + delayNs - now;
        if (remaining <= 0)
            break;
        if (ownThread && m_idleHook && now - lastIdleNs >= 1000000) {
            m_idleHook();
            lastIdleNs = now;
        }
        if (remaining > SpinNs)
            std::this_thread::sleep_for(std::chrono::nanoseconds(std::min<qint64>(remaining - SpinNs, 1000000)));
        else
            std::this_thread::yield();
    }
    m_lastSendNs.store(m_clock.NowNs());
    if (State() != isOpen || !m_transport) {
        ReportError(emPortNotActive);
        return emPortNotActive;
    }
    return m_transport->Write(frame.Content()) == emNone ? emNone : emSendData;
}

TErrMsg TZYKComm2Item::SendCommand(const TBuffer &request)
{
    if (State() != isOpen) {
        ReportError(emPortNotActive);
        return emPortNotActive;
    }
    TBuffer frame;
    TErrMsg result;
    {
        std::lock_guard guard(m_receiveLock);
        result = BuildFrame(m_codec, fkRequest, 0, request, frame);
    }
    if (result != emNone) {
        if (IsReportedCodecError(result))
            ReportError(result);
        return result;
    }
    return SendRaw(frame);
}

void TZYKComm2Item::ClearReceiveState()
{
    std::lock_guard guard(m_receiveLock);
    m_assembler.Clear();
    m_replySlot = TTelegramData{};
    m_replyReceived.store(0);
}

bool TZYKComm2Item::TakeReply(TTelegramData &telegram)
{
    if (!m_replyReceived.load())
        return false;
    std::lock_guard guard(m_receiveLock);
    if (!m_replyReceived.exchange(0))
        return false;
    telegram = m_replySlot;
    m_replySlot = TTelegramData{};
    return telegram.Kind != 0;
}

TErrMsg TZYKComm2Item::Exchange(const TBuffer &request, TTelegramData &answer)
{
    answer = TTelegramData{};
    TErrMsg result = emTimeout;
    for (quint32 attempt = 0; attempt <= m_retryMax; ++attempt) {
        const quint32 start = NowMs();
        ClearReceiveState();
        if (m_transport && m_transport->IsUsb() && State() == isOpen)
            m_transport->PurgeReceive();
        result = SendCommand(request);
        if (result != emNone)
            continue;
        result = emTimeout;
        while (TMsClock::Elapsed(start, NowMs()) < m_receiveTimeout) {
            TTelegramData telegram;
            if (TakeReply(telegram)) {
                if (telegram.Kind == fkNak && telegram.DestAdr == 255)
                    break;  // the gauge asks for a repeat
                answer = telegram;
                return emNone;
            }
            IdleStep();
        }
    }
    if (result == emTimeout)
        ReportError(emTimeout);
    return result;
}

TErrMsg TZYKComm2Item::Transact(const TBuffer &request, TBuffer &reply)
{
    TTelegramData answer;
    const TErrMsg result = Exchange(request, answer);
    if (result == emNone)
        reply = answer.Data;
    return result;
}

TErrMsg TZYKComm2Item::TransactNoReply(const TBuffer &request)
{
    TBuffer reply;
    return Transact(request, reply);
}

bool TZYKComm2Item::Ping()
{
    TTelegramData answer;
    return Exchange(TBuffer::FromContent({PingCommandByte}), answer) == emNone && answer.Kind == fkAnswer;
}

// ---- reports

void TZYKComm2Item::ReportError(TErrMsg code)
{
    if (code == emBadCheckSum)
        ++m_badCheckSums;
    const QString text = ErrMsgText(code);
    if (m_owner)
        m_owner->CommError(code, text);
    else if (OnError)
        OnError(this, code, text);
}

void TZYKComm2Item::Notify(QObject *sender, TNotificationEvent event, int error, const TDevice &device)
{
    if (event == neDeviceRemoved && (State() == isOpening || State() == isOpen)) {
        Close();
        SetState(isDeviceRemoved);
    }
    if (OnNotification)
        OnNotification(sender, event, device, error);
}

// ---- receiving

void TZYKComm2Item::ReceiveBytes(const quint8 *data, int size)
{
    m_lastReceiveNs.store(m_clock.NowNs());
    for (int i = 0; i < size; ++i) {
        TBuffer frame;
        TBuffer response;
        {
            std::lock_guard guard(m_receiveLock);
            if (!m_assembler.Feed(data[i]))
                continue;
            frame = m_assembler.Frame();
            response = m_assembler.EmptiedFrame();
        }
        HandleFrame(frame, response);
    }
}

void TZYKComm2Item::HandleFrame(const TBuffer &frame, const TBuffer &emptied)
{
    TTelegramData telegram;
    TErrMsg result;
    {
        std::lock_guard guard(m_receiveLock);
        result = DecodeFrame(m_codec, frame, telegram);
        m_replySlot = telegram;
        m_replySlot.Received = 1;
        m_replyReceived.store(1);
    }
    WakeWaiter();
    if (IsReportedCodecError(result))
        ReportError(result);
    if (!OnTelegram)
        return;
    TBuffer response = emptied;
    OnTelegram(this, telegram, response);
    if (telegram.Kind != fkRequest)
        return;
    TBuffer answer;
    {
        std::lock_guard guard(m_receiveLock);
        result = BuildFrame(m_codec, fkAnswer, 0, response, answer);
    }
    if (result == emNone)
        SendRaw(answer);
    else if (IsReportedCodecError(result))
        ReportError(result);
}

TBuffer EncodeLineCommand(TZYKComm2Item *connection, const QString &line)
{
    TErrMsg result = emNone;
    TBuffer request = EncodeLineCommand(line, &result);
    if (result != emNone && connection)
        connection->ReportError(result);
    return request;
}

#pragma once

#include "Buffer.h"
#include "Device.h"
#include "DeviceObject.h"
#include "ErrMsg.h"
#include "FrameAssembler.h"
#include "MsClock.h"
#include "NotificationEvent.h"
#include "Port.h"
#include "TelegramCodec.h"
#include "TelegramData.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class TGaugePort;
class IZYKComm2Owner;

enum TProtocolTyp : int { ptZYK = 0, ptRAW = 1 };

// State of a connection item.
enum TItemState : int { isClosing = 0, isClosed = 1, isOpening = 2, isOpen = 3, isDeviceRemoved = 4 };

// One connection to one gauge: selects a device from its owner's list, opens
// it on its transport, runs request/answer transactions with retries and
// time-outs, assembles incoming telegrams, answers telegrams the gauge sends
// on its own, and raises OnNotification and OnTelegram.
//
// Transactions are synchronous and run on the item's thread. While waiting
// they call the idle hook about every millisecond (by default it processes
// the thread's Qt events, so serial, TCP and Bluetooth data arrive); the FTDI
// transport delivers on its own receive thread through the reply slot.
class TZYKComm2Item : public QObject
{
public:
    using TNotificationHandler =
        std::function<void(QObject *sender, TNotificationEvent event, const TDevice &device, int error)>;
    using TTelegramHandler =
        std::function<void(QObject *sender, const TTelegramData &telegram, TBuffer &response)>;
    using TErrorHandler = std::function<void(QObject *sender, TErrMsg code, const QString &text)>;
    using TIdleHook = std::function<void()>;
    using TPortFactory = std::function<std::unique_ptr<TGaugePort>(TPort port, const TDevice &device)>;

    explicit TZYKComm2Item(int index = 0, IZYKComm2Owner *owner = nullptr, QObject *parent = nullptr);
    ~TZYKComm2Item() override;

    // Published properties.
    QString Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }
    TPort Port() const { return m_port; }
    void SetPort(TPort port);
    quint32 BaudRate() const { return m_baudRate; }
    void SetBaudRate(quint32 baudRate);
    quint32 CmdSendDelay() const { return m_cmdSendDelay; }
    void SetCmdSendDelay(quint32 ms) { m_cmdSendDelay = ms; }
    quint32 ReceiveTimeout() const { return m_receiveTimeout; }
    void SetReceiveTimeout(quint32 ms) { m_receiveTimeout = ms; }
    quint32 RetryMax() const { return m_retryMax; }
    void SetRetryMax(quint32 retries) { m_retryMax = retries; }
    TProtocolTyp ProtocolTyp() const { return m_protocolTyp; }
    void SetProtocolTyp(TProtocolTyp protocol) { m_protocolTyp = protocol; }
    quint8 ReceiveAdr() const;
    void SetReceiveAdr(quint8 address);
    quint8 TransmitAdr() const;
    void SetTransmitAdr(quint8 address);
    quint8 SubAdr() const;
    void SetSubAdr(quint8 address);
    char EndOfLineChar() const { return m_endOfLineChar; }
    void SetEndOfLineChar(char c) { m_endOfLineChar = c; }
    quint32 USBLatency() const { return m_usbLatency; }
    void SetUSBLatency(quint32 ms);
    // Copies BaudRate, then Port, through their setters.
    void Assign(const TZYKComm2Item &source);

    // Events.
    TNotificationHandler OnNotification;
    TTelegramHandler OnTelegram;   // on USB it runs on the receive thread
    TErrorHandler OnError;         // used when the item has no owner

    // Devices.
    void RefreshDeviceList();
    // Without an owner the list is the one given here.
    void SetDevices(const TDevices &devices);
    const TDevices &Devices() const { return m_devices; }
    TErrMsg SelectDeviceIndex(int index);
    int SelectDevice(const TDevice &device);
    const TDeviceObject *SelectedDevice() const { return m_selectedDevice.get(); }
    QString DeviceName() const { return m_deviceName; }

    // Connection.
    TErrMsg Open(bool wait);
    bool Close();
    TItemState State() const { return m_state.load(); }
    // A transport to use instead of the one made for the selected device
    // (in-process loopback, demo gauge); Open then needs no selected device.
    void AttachTransport(std::unique_ptr<TGaugePort> transport);
    // How transports are made for a device (tests replace it).
    void SetPortFactory(TPortFactory factory) { m_portFactory = std::move(factory); }
    TGaugePort *Transport() const { return m_transport.get(); }

    // Transactions.
    TErrMsg SendRaw(const TBuffer &frame);
    TErrMsg SendCommand(const TBuffer &request);
    TErrMsg Exchange(const TBuffer &request, TTelegramData &answer);
    // The answer's payload in reply, only on success.
    TErrMsg Transact(const TBuffer &request, TBuffer &reply);
    TErrMsg TransactNoReply(const TBuffer &request);
    bool Ping();

    void ReportError(TErrMsg code);
    // Answers that arrived with a bad checksum since the item was made,
    // counted whoever the error is reported to (transfers must not take the
    // empty payload such an answer leaves for a real one).
    quint32 BadCheckSumCount() const { return m_badCheckSums.load(); }
    void Notify(QObject *sender, TNotificationEvent event, int error, const TDevice &device);

    // The receive handler: a chunk of received bytes (any thread).
    void ReceiveBytes(const quint8 *data, int size);

    // Waiting.
    void SetIdleHook(TIdleHook hook) { m_idleHook = std::move(hook); }
    TMsClock &Clock() { return m_clock; }
    quint32 NowMs() const { return m_clock.NowMs(); }
    quint32 LastSendTime() const;
    quint32 LastReceiveTime() const;

    // The codec state (addresses, last sender, answer counter), copied.
    TCodecState CodecState() const;

private:
    std::unique_ptr<TGaugePort> MakeTransport();
    void BindTransport();
    TErrMsg OpenTransport();
    void TransportStateChanged(bool connected, int error);
    void SetState(TItemState state) { m_state.store(state); }
    TDevice CurrentDevice() const;
    bool OnOwnThread() const;
    void IdleStep();
    void WaitForDataOrTimeout(std::chrono::nanoseconds limit);
    void WakeWaiter();
    bool TakeReply(TTelegramData &telegram);
    void ClearReceiveState();
    void HandleFrame(const TBuffer &frame, const TBuffer &response);

    QString m_name;
    TPort m_port = portNone;
    quint32 m_baudRate = 57600;
    quint32 m_cmdSendDelay = 5;
    quint32 m_receiveTimeout = 1000;
    quint32 m_retryMax = 3;
    TProtocolTyp m_protocolTyp = ptZYK;
    char m_endOfLineChar = 13;
    quint32 m_usbLatency = 10;

    IZYKComm2Owner *m_owner = nullptr;
    TDevices m_devices;
    TDevices m_ownDevices;
    std::unique_ptr<TDeviceObject> m_selectedDevice;
    QString m_deviceName;
    std::atomic<TItemState> m_state{isClosed};

    std::unique_ptr<TGaugePort> m_transport;
    bool m_transportAttached = false;
    TPortFactory m_portFactory;

    // Shared with the FTDI receive thread: assembler, reply slot, codec state.
    mutable std::mutex m_receiveLock;
    TFrameAssembler m_assembler;
    TTelegramData m_replySlot;
    std::atomic<quint32> m_replyReceived{0};
    std::atomic<quint32> m_badCheckSums{0};
    TCodecState m_codec;

    std::mutex m_wakeLock;
    std::condition_variable m_wake;
    bool m_woken = false;

    TMsClock m_clock;
    std::atomic<qint64> m_lastSendNs{0};
    std::atomic<qint64> m_lastReceiveNs{0};
    TIdleHook m_idleHook;
};

// EncodeLineCommand that reports "Bad command line !" through the connection.
TBuffer EncodeLineCommand(TZYKComm2Item *connection, const QString &line);

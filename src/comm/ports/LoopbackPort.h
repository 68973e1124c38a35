#pragma once

#include "GaugePort.h"

#include <QObject>

#include <memory>
#include <utility>

struct TLoopbackLink;

// One end of an in-process byte pipe. What one end writes, the other end
// hands to its data handler: on Poll(), or from a queued call on the thread
// the end was created on (so an event loop alone drives it), or, with
// immediate delivery, inside the writer's Write() call.
class TLoopbackPort : public TGaugePort
{
public:
    // Two connected ends; each is open from the start (Open() reopens a closed end).
    static std::pair<std::unique_ptr<TLoopbackPort>, std::unique_ptr<TLoopbackPort>> CreatePair();

    ~TLoopbackPort() override;

    TErrMsg Open(const TPortSettings &settings) override;
    void Close() override;
    bool IsOpen() const override;
    TErrMsg Write(const QByteArray &bytes) override;
    void PurgeReceive() override;
    void Poll() override;

    // Hand bytes written by the peer over inside the peer's Write() (same thread only).
    void SetImmediateDelivery(bool immediate) { m_immediate = immediate; }
    // Ends the link as a peer hang-up would: both ends stop and the other end reports it.
    void HangUp();

private:
    TLoopbackPort(std::shared_ptr<TLoopbackLink> link, int side);
    void Arrived();
    void PeerHungUp();

    std::shared_ptr<TLoopbackLink> m_link;
    int m_side;
    bool m_open = true;
    bool m_immediate = false;
    QObject m_context;  // queued deliveries run on its thread and die with it
};

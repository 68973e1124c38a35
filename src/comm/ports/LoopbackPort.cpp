#include "LoopbackPort.h"

#include <QMetaObject>

#include <mutex>

struct TLoopbackLink
{
    std::mutex lock;
    QByteArray pending[2];        // bytes waiting for side 0 and side 1
    TLoopbackPort *ends[2] = {};  // guarded by lock
};

std::pair<std::unique_ptr<TLoopbackPort>, std::unique_ptr<TLoopbackPort>> TLoopbackPort::CreatePair()
{
    auto link = std::make_shared<TLoopbackLink>();
    std::unique_ptr<TLoopbackPort> a(new TLoopbackPort(link, 0));
    std::unique_ptr<TLoopbackPort> b(new TLoopbackPort(link, 1));
    return {std::move(a), std::move(b)};
}

TLoopbackPort::TLoopbackPort(std::shared_ptr<TLoopbackLink> link, int side)
    : m_link(std::move(link)), m_side(side)
{
    m_link->ends[m_side] = this;
}

TLoopbackPort::~TLoopbackPort()
{
    std::lock_guard guard(m_link->lock);
    m_link->ends[m_side] = nullptr;
}

TErrMsg TLoopbackPort::Open(const TPortSettings &)
{
    std::lock_guard guard(m_link->lock);
    m_open = m_link->ends[1 - m_side] != nullptr;
    if (!m_open)
        SetErrorText(QStringLiteral("The other end of the link is gone"));
    return m_open ? emNone : emConnect;
}

void TLoopbackPort::Close()
{
    m_open = false;
    std::lock_guard guard(m_link->lock);
    m_link->pending[m_side].clear();
}

bool TLoopbackPort::IsOpen() const
{
    return m_open;
}

TErrMsg TLoopbackPort::Write(const QByteArray &bytes)
{
    if (!m_open)
        return emSendData;
    TLoopbackPort *peer = nullptr;
    {
        std::lock_guard guard(m_link->lock);
        peer = m_link->ends[1 - m_side];
        if (!peer)
            return emSendData;
        m_link->pending[1 - m_side].append(bytes);
        if (!peer->m_immediate) {
            QMetaObject::invokeMethod(&peer->m_context, [peer] { peer->Poll(); }, Qt::QueuedConnection);
            return emNone;
        }
    }
    peer->Arrived();
    return emNone;
}

void TLoopbackPort::PurgeReceive()
{
    std::lock_guard guard(m_link->lock);
    m_link->pending[m_side].clear();
}

void TLoopbackPort::Poll()
{
    Arrived();
}

void TLoopbackPort::Arrived()
{
    QByteArray bytes;
    {
        std::lock_guard guard(m_link->lock);
        bytes.swap(m_link->pending[m_side]);
    }
    if (m_open)
        Deliver(reinterpret_cast<const quint8 *>(bytes.constData()), static_cast<int>(bytes.size()));
}

void TLoopbackPort::HangUp()
{
    m_open = false;
    TLoopbackPort *peer = nullptr;
    {
        std::lock_guard guard(m_link->lock);
        peer = m_link->ends[1 - m_side];
    }
    if (peer)
        QMetaObject::invokeMethod(&peer->m_context, [peer] { peer->PeerHungUp(); }, Qt::QueuedConnection);
}

void TLoopbackPort::PeerHungUp()
{
    if (!m_open)
        return;
    m_open = false;
    ReportState(false, 0);
}

#include "TcpGaugePort.h"

namespace {
constexpr int ConnectTimeoutMs = 5000;
}

TTcpGaugePort::TTcpGaugePort(const QString &address) : m_address(address)
{
    m_connectTimer.setSingleShot(true);
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { ReadAvailable(); });
    QObject::connect(&m_socket, &QTcpSocket::connected, &m_socket, [this] {
        m_connecting = false;
        m_connectTimer.stop();
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        ReportState(true, 0);
    });
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_socket, [this](QAbstractSocket::SocketError error) {
        SetErrorText(m_address + QStringLiteral(": ") + m_socket.errorString());
        if (m_connecting) {
            m_connecting = false;
            m_connectTimer.stop();
            m_socket.abort();
            ReportState(true, static_cast<int>(error) + 1);
        }
    });
    QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket, [this] { ReportState(false, 0); });
    QObject::connect(&m_connectTimer, &QTimer::timeout, &m_socket, [this] {
        if (!m_connecting)
            return;
        m_connecting = false;
        SetErrorText(m_address + QStringLiteral(": connect timed out"));
        m_socket.abort();
        ReportState(true, static_cast<int>(QAbstractSocket::SocketTimeoutError) + 1);
    });
}

bool TTcpGaugePort::ParseAddress(const QString &address, QString &host, quint16 &port)
{
    if (!address.startsWith(QLatin1String("tcp:")))
        return false;
    const QString rest = address.mid(4);
    const qsizetype colon = rest.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    host = rest.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint value = rest.mid(colon + 1).toUInt(&ok);
    if (!ok || value == 0 || value > 65535 || host.isEmpty())
        return false;
    port = static_cast<quint16>(value);
    return true;
}

TErrMsg TTcpGaugePort::Open(const TPortSettings &)
{
    QString host;
    quint16 port = 0;
    if (!ParseAddress(m_address, host, port)) {
        SetErrorText(m_address + QStringLiteral(": not of the form tcp:HOST:PORT"));
        return emConnect;
    }
    m_connecting = true;
    m_socket.connectToHost(host, port);
    m_connectTimer.start(ConnectTimeoutMs);
    return emNone;
}

void TTcpGaugePort::Close()
{
    m_connecting = false;
    m_connectTimer.stop();
    QObject::disconnect(&m_socket, &QTcpSocket::disconnected, nullptr, nullptr);
    m_socket.abort();
    QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket, [this] { ReportState(false, 0); });
}

bool TTcpGaugePort::IsOpen() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool TTcpGaugePort::IsDisconnected() const
{
    return m_socket.state() == QAbstractSocket::UnconnectedState;
}

TErrMsg TTcpGaugePort::Write(const QByteArray &bytes)
{
    if (!IsOpen() || m_socket.write(bytes) != bytes.size())
        return emSendData;
    m_socket.flush();
    return emNone;
}

void TTcpGaugePort::PurgeReceive()
{
    m_socket.readAll();
}

void TTcpGaugePort::ReadAvailable()
{
    const QByteArray bytes = m_socket.readAll();
    Deliver(reinterpret_cast<const quint8 *>(bytes.constData()), static_cast<int>(bytes.size()));
}

bool TTcpGaugePort::WaitForData(int ms)
{
    if (!IsOpen())
        return false;
    m_socket.waitForReadyRead(ms);
    return true;
}

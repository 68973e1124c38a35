#include "BluetoothGaugePort.h"

#include <QBluetoothAddress>
#include <QBluetoothUuid>

namespace {
constexpr int ConnectTimeoutMs = 5000;
}

TBluetoothGaugePort::TBluetoothGaugePort(const QString &address) : m_address(address)
{
    m_connectTimer.setSingleShot(true);
    QObject::connect(&m_socket, &QBluetoothSocket::readyRead, &m_socket, [this] { ReadAvailable(); });
    QObject::connect(&m_socket, &QBluetoothSocket::connected, &m_socket, [this] {
        m_connecting = false;
        m_connectTimer.stop();
        ReportState(true, 0);
    });
    QObject::connect(&m_socket, &QBluetoothSocket::errorOccurred, &m_socket,
                     [this](QBluetoothSocket::SocketError error) {
                         SetErrorText(m_address + QStringLiteral(": ") + m_socket.errorString());
                         if (m_connecting)
                             ConnectFailed(static_cast<int>(error) + 2);
                     });
    QObject::connect(&m_socket, &QBluetoothSocket::disconnected, &m_socket, [this] {
        if (!m_connecting)
            ReportState(false, 0);
    });
    QObject::connect(&m_connectTimer, &QTimer::timeout, &m_socket, [this] {
        if (!m_connecting)
            return;
        SetErrorText(m_address + QStringLiteral(": connect timed out"));
        ConnectFailed(1);
    });
}

void TBluetoothGaugePort::ConnectFailed(int error)
{
    m_connecting = false;
    m_connectTimer.stop();
    m_socket.abort();
    ReportState(true, error);
}

TErrMsg TBluetoothGaugePort::Open(const TPortSettings &)
{
    const QBluetoothAddress address(m_address);
    if (address.isNull()) {
        SetErrorText(m_address + QStringLiteral(": not a Bluetooth address"));
        return emConnect;
    }
    m_connecting = true;
    m_socket.setPreferredSecurityFlags(QBluetooth::Security::NoSecurity);
    m_socket.connectToService(address, QBluetoothUuid(QBluetoothUuid::ServiceClassUuid::SerialPort));
    if (m_socket.state() == QBluetoothSocket::SocketState::UnconnectedState && m_connecting) {
        m_connecting = false;
        SetErrorText(m_address + QStringLiteral(": ") + m_socket.errorString());
        return emConnect;
    }
    m_connectTimer.start(ConnectTimeoutMs);
    return emNone;
}

void TBluetoothGaugePort::Close()
{
    m_connecting = false;
    m_connectTimer.stop();
    QObject::disconnect(&m_socket, &QBluetoothSocket::disconnected, nullptr, nullptr);
    m_socket.abort();
    QObject::connect(&m_socket, &QBluetoothSocket::disconnected, &m_socket, [this] {
        if (!m_connecting)
            ReportState(false, 0);
    });
}

bool TBluetoothGaugePort::IsOpen() const
{
    return m_socket.state() == QBluetoothSocket::SocketState::ConnectedState;
}

bool TBluetoothGaugePort::IsDisconnected() const
{
    return m_socket.state() == QBluetoothSocket::SocketState::UnconnectedState;
}

TErrMsg TBluetoothGaugePort::Write(const QByteArray &bytes)
{
    if (!IsOpen() || m_socket.write(bytes) != bytes.size())
        return emSendData;
    return emNone;
}

void TBluetoothGaugePort::PurgeReceive()
{
    m_socket.readAll();
}

void TBluetoothGaugePort::ReadAvailable()
{
    const QByteArray bytes = m_socket.readAll();
    Deliver(reinterpret_cast<const quint8 *>(bytes.constData()), static_cast<int>(bytes.size()));
}

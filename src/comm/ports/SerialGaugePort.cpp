#include "SerialGaugePort.h"

TSerialGaugePort::TSerialGaugePort(const QString &path) : m_path(path)
{
    QObject::connect(&m_serial, &QSerialPort::readyRead, &m_serial, [this] { ReadAvailable(); });
    QObject::connect(&m_serial, &QSerialPort::errorOccurred, &m_serial, [this](QSerialPort::SerialPortError error) {
        // The device went away (USB adapter pulled, pty master closed).
        if (error == QSerialPort::ResourceError && m_serial.isOpen()) {
            SetErrorText(m_serial.errorString());
            m_serial.close();
            ReportState(false, static_cast<int>(error));
        }
    });
}

TErrMsg TSerialGaugePort::Open(const TPortSettings &settings)
{
    m_serial.setPortName(m_path);
    if (!m_serial.open(QIODevice::ReadWrite)) {
        SetErrorText(m_path + QStringLiteral(": ") + m_serial.errorString());
        return emConnect;
    }
    const bool configured = m_serial.setBaudRate(static_cast<qint32>(settings.BaudRate))
        && m_serial.setDataBits(QSerialPort::Data8) && m_serial.setParity(QSerialPort::NoParity)
        && m_serial.setStopBits(QSerialPort::OneStop) && m_serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        SetErrorText(m_path + QStringLiteral(": ") + m_serial.errorString());
        m_serial.close();
        return emConnect;
    }
    m_serial.clear(QSerialPort::AllDirections);
    return emNone;
}

void TSerialGaugePort::Close()
{
    if (m_serial.isOpen())
        m_serial.close();
}

bool TSerialGaugePort::IsOpen() const
{
    return m_serial.isOpen();
}

TErrMsg TSerialGaugePort::Write(const QByteArray &bytes)
{
    if (!m_serial.isOpen() || m_serial.write(bytes) != bytes.size())
        return emSendData;
    m_serial.flush();
    return emNone;
}

void TSerialGaugePort::PurgeReceive()
{
    if (!m_serial.isOpen())
        return;
    m_serial.clear(QSerialPort::Input);
    m_serial.readAll();
}

void TSerialGaugePort::Poll()
{
    if (m_serial.isOpen() && m_serial.bytesAvailable() > 0)
        ReadAvailable();
}

void TSerialGaugePort::SetBaudRate(quint32 baudRate)
{
    if (m_serial.isOpen())
        m_serial.setBaudRate(static_cast<qint32>(baudRate));
}

void TSerialGaugePort::ReadAvailable()
{
    const QByteArray bytes = m_serial.readAll();
    Deliver(reinterpret_cast<const quint8 *>(bytes.constData()), static_cast<int>(bytes.size()));
}

bool TSerialGaugePort::WaitForData(int ms)
{
    if (!m_serial.isOpen())
        return false;
    if (!m_serial.waitForReadyRead(ms))
        m_serial.clearError();
    return true;
}

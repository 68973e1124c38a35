#include "FtdiGaugePort.h"

#include <ftdi.h>

namespace {
constexpr int FtdiVendor = 0x0403;
constexpr int FtdiProducts[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
constexpr int TransferSize = 64;
}

TFtdiGaugePort::TFtdiGaugePort(const QString &serialNumber) : m_serialNumber(serialNumber) {}

TFtdiGaugePort::~TFtdiGaugePort()
{
    Close();
}

bool TFtdiGaugePort::Check(int status, const char *operation)
{
    if (status >= 0)
        return true;
    SetErrorText(QString::fromLatin1(operation) + QStringLiteral(" - ")
                 + QString::fromLocal8Bit(ftdi_get_error_string(m_ftdi)));
    return false;
}

TErrMsg TFtdiGaugePort::Open(const TPortSettings &settings)
{
    Close();
    m_ftdi = ftdi_new();
    if (!m_ftdi) {
        SetErrorText(QStringLiteral("ftdi_new - Insufficient resources..."));
        return emConnect;
    }
    const QByteArray serial = m_serialNumber.toLatin1();
    int status = -3;
    for (int product : FtdiProducts) {
        status = ftdi_usb_open_desc(m_ftdi, FtdiVendor, product, nullptr, serial.constData());
        if (status >= 0)
            break;
    }
    bool ok = Check(status, "Open_USB_Device_By_Serial_Number");
    if (ok) {
        ok = Check(ftdi_usb_reset(m_ftdi), "FT_ResetDevice")
            && Check(ftdi_set_latency_timer(m_ftdi, static_cast<unsigned char>(std::clamp<quint32>(settings.USBLatency, 1, 255))),
                     "FT_SetLatencyTimer")
            && Check(ftdi_read_data_set_chunksize(m_ftdi, TransferSize), "FT_SetUSBParameters")
            && Check(ftdi_write_data_set_chunksize(m_ftdi, TransferSize), "FT_SetUSBParameters")
            && Check(ftdi_set_baudrate(m_ftdi, static_cast<int>(settings.BaudRate)), "FT_SetBaudRate")
            && Check(ftdi_set_line_property(m_ftdi, BITS_8, STOP_BIT_1, NONE), "FT_SetDataCharacteristics");
        if (ok) {
            m_ftdi->usb_read_timeout = static_cast<int>(settings.ReceiveTimeout);
            m_ftdi->usb_write_timeout = static_cast<int>(settings.ReceiveTimeout);
        } else {
            ftdi_usb_close(m_ftdi);
        }
    }
    if (!ok) {
        ftdi_free(m_ftdi);
        m_ftdi = nullptr;
        return emConnect;
    }
    m_stop = false;
    m_receiveThread = std::thread([this] { ReceiveLoop(); });
    return emNone;
}

void TFtdiGaugePort::ReceiveLoop()
{
    unsigned char buffer[255];
    while (!m_stop) {
        int count = 0;
        {
            std::lock_guard guard(m_readLock);
            // Returns after the latency timer when nothing arrived.
            count = ftdi_read_data(m_ftdi, buffer, sizeof buffer);
        }
        if (count > 0) {
            Deliver(buffer, count);
        } else if (count < 0) {
            SetErrorText(QStringLiteral("FT_Read - ") + QString::fromLocal8Bit(ftdi_get_error_string(m_ftdi)));
            m_stop = true;
            ReportState(false, count);
        }
    }
}

void TFtdiGaugePort::Close()
{
    if (!m_ftdi)
        return;
    m_stop = true;
    if (m_receiveThread.joinable())
        m_receiveThread.join();
    ftdi_usb_close(m_ftdi);
    ftdi_free(m_ftdi);
    m_ftdi = nullptr;
}

bool TFtdiGaugePort::IsOpen() const
{
    return m_ftdi != nullptr && !m_stop;
}

TErrMsg TFtdiGaugePort::Write(const QByteArray &bytes)
{
    if (!IsOpen())
        return emSendData;
    const int written = ftdi_write_data(m_ftdi, reinterpret_cast<const unsigned char *>(bytes.constData()),
                                        static_cast<int>(bytes.size()));
    if (written != bytes.size()) {
        Check(written < 0 ? written : -666, "FT_Write");
        return emSendData;
    }
    return emNone;
}

void TFtdiGaugePort::PurgeReceive()
{
    if (!IsOpen())
        return;
    std::lock_guard guard(m_readLock);
    Check(ftdi_tciflush(m_ftdi), "FT_Purge RX");
}

void TFtdiGaugePort::SetBaudRate(quint32 baudRate)
{
    if (!IsOpen())
        return;
    std::lock_guard guard(m_readLock);
    Check(ftdi_set_baudrate(m_ftdi, static_cast<int>(baudRate)), "FT_SetBaudRate");
}

void TFtdiGaugePort::SetLatency(quint32 latencyMs)
{
    if (!IsOpen())
        return;
    std::lock_guard guard(m_readLock);
    Check(ftdi_set_latency_timer(m_ftdi, static_cast<unsigned char>(std::clamp<quint32>(latencyMs, 1, 255))),
          "FT_SetLatencyTimer");
}

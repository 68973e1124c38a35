#pragma once

#include "GaugePort.h"

// IrDA: this platform has no IrDA stack, so nothing is ever found and
// every open fails.
class TIrdaGaugePort : public TGaugePort
{
public:
    explicit TIrdaGaugePort(const QString &address) : m_address(address) {}

    TErrMsg Open(const TPortSettings &) override
    {
        SetErrorText(QStringLiteral("IrDA is not available on this system"));
        return emConnect;
    }
    void Close() override {}
    bool IsOpen() const override { return false; }
    TErrMsg Write(const QByteArray &) override { return emSendData; }

private:
    QString m_address;
};

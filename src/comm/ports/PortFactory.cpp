#include "PortFactory.h"

#include "BluetoothGaugePort.h"
#include "FtdiGaugePort.h"
#include "IrdaGaugePort.h"
#include "SerialGaugePort.h"
#include "TcpGaugePort.h"

QString SerialDevicePath(const TDevice &device)
{
    for (const QString &candidate : {device.DevicePath, device.PortName, device.Name}) {
        if (candidate.isEmpty())
            continue;
        if (candidate.startsWith(u'/') || candidate.startsWith(QLatin1String("tcp:")))
            return candidate;
        return QStringLiteral("/dev/") + candidate;
    }
    return {};
}

std::unique_ptr<TGaugePort> CreateGaugePort(TPort port, const TDevice &device)
{
    switch (port) {
    case portCOM: {
        const QString path = SerialDevicePath(device);
        if (path.startsWith(QLatin1String("tcp:")))
            return std::make_unique<TTcpGaugePort>(path);
        return std::make_unique<TSerialGaugePort>(path);
    }
    case portUSB:
        return std::make_unique<TFtdiGaugePort>(device.SerialNumber);
    case portBT:
        return std::make_unique<TBluetoothGaugePort>(device.Address);
    case portIrDA:
        return std::make_unique<TIrdaGaugePort>(device.Address);
    case portNone:
        break;
    }
    return nullptr;
}

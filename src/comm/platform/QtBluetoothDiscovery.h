#pragma once

#include "DiscoveryPlatform.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <memory>

class QBluetoothDeviceDiscoveryAgent;
class QBluetoothDeviceInfo;

// Bluetooth through QtBluetooth: radios are the local adapters, a discovery
// is one inquiry, monitoring repeats inquiries and reports the difference.
class TQtBluetoothDiscovery : public QObject, public IBluetoothDiscovery
{
public:
    TQtBluetoothDiscovery();
    ~TQtBluetoothDiscovery() override;

    int EnumRadios(QList<TBluetoothRadio> &radios) override;
    int StartMonitoring(const TBluetoothRadio &radio, int interval) override;
    void StopMonitoring() override;
    bool Monitoring() const override { return m_monitor != nullptr; }
    int Discover(const TBluetoothRadio &radio, int timeout, int flag) override;
    void StopDiscovery() override;
    bool Discovering() const override { return m_discovery != nullptr; }

    static QList<TBluetoothRadio> Radios();

private:
    std::unique_ptr<QBluetoothDeviceDiscoveryAgent> NewAgent(const TBluetoothRadio &radio, int timeoutSeconds);
    TBluetoothDeviceInfo InfoOf(const QBluetoothDeviceInfo &device) const;
    QList<TBluetoothDeviceInfo> Found(QBluetoothDeviceDiscoveryAgent &agent) const;
    void DiscoveryEnded(bool failed);
    void MonitorPassEnded();

    QString m_radioAddress;
    std::unique_ptr<QBluetoothDeviceDiscoveryAgent> m_discovery;
    std::unique_ptr<QBluetoothDeviceDiscoveryAgent> m_monitor;
    QTimer m_monitorPause;
    QHash<QString, TBluetoothDeviceInfo> m_present;
};

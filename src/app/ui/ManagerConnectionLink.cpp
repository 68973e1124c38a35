#include "app/ui/ManagerConnectionLink.h"

#include "comm/platform/ZYKComm2Manager.h"

TManagerConnectionLink::TManagerConnectionLink(TZYKComm2Manager &manager, QObject *parent)
    : TConnectionLink(parent)
    , FManager(manager)
{
}

TDevices TManagerConnectionLink::SerialDevices() const
{
    return FManager.SerialDevices();
}

bool TManagerConnectionLink::SerialPortsAvailable() const
{
    return FManager.Ports().Contains(portCOM);
}

void TManagerConnectionLink::RaiseDeviceFound(const TDevice &device)
{
    if (FManager.OnDeviceFound)
        FManager.OnDeviceFound(&FManager, portCOM, device);
    TConnectionLink::RaiseDeviceFound(device);
}

void TManagerConnectionLink::SelectPort(int activePort)
{
    if (activePort < portCOM || activePort > portBT || FManager.Connections().Count() == 0)
        return;
    FManager.Connections().Items(0)->SetPort(TPort(activePort));
    if (activePort == portIrDA)
        FManager.Discover({portIrDA});
}

void TManagerConnectionLink::StartDiscovery()
{
    FManager.SetBluetoothMode(bmAutoDiscovery);
    FManager.SetSerialMode(smAutoDiscovery);
    FManager.SetUSBMode(umAutoDiscovery);
    FManager.SetIrDAMode(imAutoDiscovery);
}

void TManagerConnectionLink::CloseConnection()
{
    if (FManager.Connections().Count() > 0)
        FManager.Connections().Items(0)->Close();
}

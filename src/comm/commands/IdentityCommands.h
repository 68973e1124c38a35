#pragma once

// Identity of the gauge and its sensor: firmware version, info items and
// EEPROM parameters.

#include "DeviceFunction.h"

#include <QByteArray>

// "V": the firmware version text.
class TGauge2Version : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute();

    QString VersionText;
};

// Info item of group "G" (gauge) or "S" (sensor): raw request 199 ("G" with
// bit 7), the group character, the item characters.
class TGauge2GetInfo : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(char group, const QByteArray &item);

    QString GaugeB;  // model text; a connected gauge has "Gauge" in it
    QString GaugeN;  // name
    QString GaugeS;  // serial number
    QString GaugeH;
    QString GaugeV;
    QString GaugeC;
    QString GaugeP;
    uint8_t GaugeE = 0;  // status: 0 = ready
    QString SensorN;     // name
    QString SensorS;     // serial number
    QString SensorV;     // version
    QString SensorH;
    QString SensorD;
    QString SensorT1, SensorT2, SensorT3, SensorT4, SensorT5;
    uint8_t SensorE = 0;

private:
    void StoreGauge(char item);
    void StoreSensor(char item);
    uint8_t StatusByte() const;
    void SplitSensorT();
};

// "*EG" with a parameter name in double quotes.
class TGauge2EEPROMGetParam : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    static constexpr int MaxValueBytes = 16;

    bool Execute(const QString &name);

    uint8_t ValueType = 0;
    uint8_t ValueLength = 0;  // as the gauge reported it
    QByteArray Value;         // at most MaxValueBytes of the value
};

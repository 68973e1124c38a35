#pragma once

// Batches on the gauge: quick information, the access table and the active
// batch.

#include "DeviceFunction.h"

#include <QDateTime>

// "*FBQ" with the item in double quotes: "D" dates, "S" sensor, "U" user,
// "V" number of readings.
class TGauge2FileBatchQuickInfo : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    bool Execute(char item);

    QDateTime CreateDate;
    QDateTime ChangeDate;
    QString CreateDateText;
    QString ChangeDateText;
    QString SensorTyp;
    QString SensorSerial;
    QString User;
    uint32_t Readings = 0;
    QString ReadingsText;
};

// "*FA" with the item in double quotes, then a, w (when not 0) and b (when a
// is not 0). Item "G" finds the handle of a file (a = type, w = handle,
// b = number).
class TGauge2FileAccessTable : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    static constexpr int NoHandle = 65535;

    bool Execute(char item, uint8_t a = 0, uint16_t w = 0, uint8_t b = 0);

    int AccessHandle = NoHandle;
};

// "*FB" with the item in double quotes and a word: "I" the active batch,
// "O" open batch w, "C" close the active batch.
class TGauge2FileBatch : public TZYKDeviceFunction2
{
public:
    using TZYKDeviceFunction2::TZYKDeviceFunction2;
    static constexpr uint16_t NoBatch = 0xFFFF;

    bool Execute(char item, uint16_t w = 0);

    uint16_t OpenHandle = 0;  // NoBatch: no batch is open
    uint16_t BatchInfo2 = 0;
    uint16_t BatchInfo3 = 0;
    uint16_t BatchInfo4 = 0;
    uint16_t OpenResult = 0;
};

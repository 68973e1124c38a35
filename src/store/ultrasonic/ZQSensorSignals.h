#pragma once

#include "store/ultrasonic/ZQRawSignalFile.h"

#include <QString>
#include <QVector>

// What the parameter-set files need from the ultrasonic sensor while a set is
// loaded with its signals or saved with them. The parameter editor provides
// it through the connection to the sensor; the files themselves never talk to
// the gauge.
class IZQSensorSignals
{
public:
    virtual ~IZQSensorSignals() = default;

    virtual bool IsSensorConnected() const = 0;
    // The connected sensor's version text, e.g. "0.96B185".
    virtual QString SensorVersionText() const = 0;

    // Loading: the set's range differs from the one before; false beeps.
    virtual bool SelectRange(quint8 range) = 0;
    // Loading: writes one raw signal into the sensor, showing its progress.
    // False ends the signal transfer ("Error write raw values !").
    virtual bool WriteSignal(TZQSignal signal, const QVector<double> &samples) = 0;
    // Loading: both signals are in; the sensor evaluates them.
    virtual void FinishSignals() = 0;

    // Saving: brackets the reading of the raw signals (the editor is busy).
    virtual void BeginReadSignals() {}
    virtual void EndReadSignals() {}
    // Saving: reads one raw signal from the sensor, showing its progress. On a
    // failed block, complete is false and the samples read so far come back.
    virtual QVector<double> ReadSignal(TZQSignal signal, bool &complete) = 0;
};

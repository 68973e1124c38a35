#pragma once

#include "store/batch/BatchObject.h"

#include <QDataStream>
#include <QIODevice>

#include <cstring>

// Everything a download puts into a batch file, as one comparable value.
inline QByteArray BatchFingerprint(const QString &file)
{
    TBatchObject batch(file);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << batch.BatchName() << batch.User() << batch.GaugeModelId() << batch.GaugeType() << batch.GaugeSerial()
        << batch.ProbeType() << batch.ProbeSerial() << batch.CalTypeText() << batch.CalTypeNumber()
        << batch.CreateDate() << batch.ChangeDate() << batch.BlockSize() << batch.TargetNumber() << batch.MeasMode()
        << batch.TimeStamp() << batch.CalibrationData().Bytes() << batch.SeriesCount();
    for (const TStatData &series : batch.Series()) {
        out << series.UpperLimit << series.LowerLimit << series.Offset << series.Rough << series.NDFT
            << qint64(series.Readings.size()) << ReadingNotesToText(series.Notes);
        for (const TReadingRecord &r : series.Readings) {
            quint64 bits;
            std::memcpy(&bits, &r.Value, sizeof bits);
            out << bits << r.Flags << r.CalNumber;
        }
    }
    return bytes;
}

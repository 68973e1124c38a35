#pragma once

#include "store/ultrasonic/ZQDiagramData.h"

#include <QByteArray>

// The 401-byte block in which the gauge keeps a parameter set as a file of
// its own (element type 6). Only the measuring configuration of layers 1..5
// is part of it; names, sensor version, head echo, correction factor,
// thicknesses, remarks and measurement results are not.
class TZQParamBlock
{
public:
    static constexpr int Size = 401;
    // Shown when the gauge delivers more than Size bytes for a parameter set.
    static const QString CopyErrorText; // "ZQParam copy error !"

    // The block of a record; handle is the set's handle on the gauge (bytes 1..2).
    static QByteArray FromRecord(const TZQDiagramData &data, quint16 handle = 0);

    // Fills data from a block of at most Size bytes (missing bytes read as 0);
    // every field outside the block becomes zero, false or empty. A longer
    // block is refused: false, and data stays as it was.
    static bool ToRecord(const QByteArray &block, TZQDiagramData &data);

    // The gauge's block size limit as the download applies it.
    static bool FitsGauge(qsizetype size) { return size <= Size; }
};

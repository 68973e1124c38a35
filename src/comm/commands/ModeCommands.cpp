#include "ModeCommands.h"

bool TGauge2PCMode::Execute(uint8_t on)
{
    SetLine(QStringLiteral("SP \"%1\"").arg(on));
    return Transact();
}

bool TGauge2SensorMode::Execute(char mode, uint8_t value)
{
    // The value travels as one byte: two hex digits (for 0..9 the same text
    // as "0" followed by the decimal value).
    if (!SetLine(QStringLiteral("*SSM \"%1\" %2").arg(QString(QLatin1Char(mode)), HexByte(value))))
        return false;
    return Transact();
}

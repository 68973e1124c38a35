#include "IdentityCommands.h"

bool TGauge2Version::Execute()
{
    VersionText.clear();
    SetLine(QStringLiteral("V"));
    if (!Transact())
        return false;
    VersionText = ReplyText();
    return true;
}

bool TGauge2GetInfo::Execute(char group, const QByteArray &item)
{
    SetRaw({199, uint8_t(group)});
    AppendText(item);
    if (!Transact())
        return false;
    const char first = item.isEmpty() ? '\0' : item[0];
    if (group == 'G')
        StoreGauge(first);
    else if (group == 'S')
        StoreSensor(first);
    return true;
}

uint8_t TGauge2GetInfo::StatusByte() const
{
    // No status byte in the answer cannot mean "ready".
    return ReplyCount() >= 1 ? ReplyByte(1) : 0xFF;
}

void TGauge2GetInfo::StoreGauge(char item)
{
    switch (item) {
    case 'B': GaugeB = ReplyText(); break;
    case 'N': GaugeN = ReplyText(); break;
    case 'S': GaugeS = ReplyText(); break;
    case 'H': GaugeH = ReplyText(); break;
    case 'V': GaugeV = ReplyText(); break;
    case 'C': GaugeC = ReplyText(); break;
    case 'P': GaugeP = ReplyText(); break;
    case 'E': GaugeE = StatusByte(); break;
    default: break;
    }
}

void TGauge2GetInfo::StoreSensor(char item)
{
    switch (item) {
    case 'N': SensorN = ReplyText(); break;
    case 'S': SensorS = ReplyText(); break;
    case 'V': SensorV = ReplyText(); break;
    case 'H': SensorH = ReplyText(); break;
    case 'D': SensorD = ReplyText(); break;
    case 'T': SplitSensorT(); break;
    case 'E': SensorE = StatusByte(); break;
    default: break;
    }
}

// Up to five parts, each ended by "<>"; text after the last "<>" is dropped.
void TGauge2GetInfo::SplitSensorT()
{
    QString *parts[] = {&SensorT1, &SensorT2, &SensorT3, &SensorT4, &SensorT5};
    QString rest = ReplyText();
    for (QString *part : parts) {
        const qsizetype end = rest.indexOf(QLatin1String("<>"));
        if (end < 0) {
            part->clear();
            rest.clear();
            continue;
        }
        *part = rest.left(end);
        rest.remove(0, end + 2);
    }
}

bool TGauge2EEPROMGetParam::Execute(const QString &name)
{
    ValueType = 0;
    ValueLength = 0;
    Value.clear();
    if (!SetLine(QStringLiteral("*EG \"%1\"").arg(name)))
        return false;
    if (!Transact())
        return false;
    if (ReplyCount() > 1) {
        ValueType = ReplyByte(1);
        ValueLength = ReplyByte(2);
        const int available = std::min({int(ValueLength), MaxValueBytes, ReplyCount() - 2});
        Value = QByteArray(reinterpret_cast<const char *>(&Reply[3]), available);
    }
    return true;
}

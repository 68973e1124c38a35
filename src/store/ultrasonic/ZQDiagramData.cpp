#include "store/ultrasonic/ZQDiagramData.h"

#include <QRegularExpression>

#include <algorithm>

const QString kZQNoSensorVersion = QStringLiteral("0.00B000");

namespace {

constexpr double kRangeEnds[] = {300, 750, 1600, 3300, 6300};
// From this sensor version on the time windows are longer.
constexpr double kLongRangeEnds[] = {423, 846, 1692, 3384, 6768};
const QString kLongRangeVersion = QStringLiteral("0.96B185");

} // namespace

bool TZQDiagramData::RestActive() const
{
    return std::any_of(Rest.begin(), Rest.end(), [](const TZQRestDomain &d) { return d.RestEnable; });
}

bool TZQDiagramData::ExpActive() const
{
    return std::any_of(Exp.begin(), Exp.end(), [](const TZQExpDomain &d) { return d.ExpEnable; });
}

void TZQDiagramData::Reset(const QString &sensorVersion)
{
    *this = TZQDiagramData{};
    Version = 1;
    SensorSWVersion = sensorVersion.isEmpty() ? kZQNoSensorVersion : sensorVersion;
    CouplingTimeMax = 40;
    PosGlobalClip = 3;
    NegGlobalClip = -3;
    MinStepHeight = 0.5;
    SignalFlag = 1;
    Speed.fill(2375);
    SpeedCorrectionFactor = 1;
}

double TZQDiagramData::RangeEnd(int range, const QString &sensorVersion)
{
    // A range from a damaged file must not index past the table.
    const int index = std::clamp(range, 0, 4);
    return VersionAtLeast(sensorVersion, kLongRangeVersion) ? kLongRangeEnds[index] : kRangeEnds[index];
}

bool TZQDiagramData::VersionAtLeast(const QString &version, const QString &minimum)
{
    return QString::compare(version, minimum, Qt::CaseSensitive) >= 0;
}

QStringList TZQDiagramData::TextLines() const
{
    if (Text.isEmpty())
        return {};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = Text.split(lineBreak);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast(); // a closing line break starts no new line
    return lines;
}

// Parameter-set files and raw-signal files from anywhere: parse, write, parse.
#include "app/IniFile.h"
#include "store/ultrasonic/ZQParamFile.h"
#include "store/ultrasonic/ZQRawSignalFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

void CheckSound(const TZQDiagramData &d)
{
    const bool countsInRange = d.DiagramCounter >= 0 && d.DiagramCounter <= kZQCurveLength && d.EchoCounter >= 0
        && d.EchoCounter <= kZQEchoCount && d.ReadingCounter >= 0 && d.ReadingCounter <= kZQLayerCount;
    if (!countsInRange || d.Name.size() > kZQTextLength || d.User.size() > kZQTextLength
        || !std::isfinite(d.CouplingTimeMax) || !std::isfinite(d.Rest[7].RestLevel) || !std::isfinite(d.Reading[7]))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    TIniFile ini;
    ini.SetContent(bytes);
    TZQDiagramData record;
    TZQParamFile::ReadParameters(ini, record, kZQNoSensorVersion);
    CheckSound(record);

    {
        TIniFile written;
        TZQParamFile::WriteParameters(written, record, QStringLiteral(","));
        TIniFile reread;
        reread.SetContent(written.Content());
        TZQDiagramData back;
        TZQParamFile::ReadParameters(reread, back, kZQNoSensorVersion);
        CheckSound(back);
        // Integers and flags survive a write unchanged.
        if (back.Range != record.Range || back.EchoSelect != record.EchoSelect || back.Echo[9].ArrayPos != record.Echo[9].ArrayPos)
            __builtin_trap();
    }

    const TZQRawSignalFile::TParseResult signal = TZQRawSignalFile::Parse(bytes);
    if (signal.Samples.size() > kZQCurveLength)
        __builtin_trap();
    return 0;
}

// Parameter-set blocks as the gauge delivers them: decode, encode, decode.
#include "store/ultrasonic/ZQParamBlock.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray block(reinterpret_cast<const char *>(data), qsizetype(size));
    TZQDiagramData record;
    const bool accepted = TZQParamBlock::ToRecord(block, record);
    if (accepted != (size <= size_t(TZQParamBlock::Size)))
        __builtin_trap();
    if (!accepted)
        return 0;
    for (const TZQRestDomain &rest : record.Rest)
        if (std::isnan(rest.RestStart) || std::isnan(rest.RestLevel))
            __builtin_trap();

    // The first round drops what the block cannot carry (levels of domains
    // starting at 0); from then on a set must survive the block unchanged.
    TZQDiagramData second;
    if (!TZQParamBlock::ToRecord(TZQParamBlock::FromRecord(record), second))
        __builtin_trap();
    const QByteArray again = TZQParamBlock::FromRecord(second);
    TZQDiagramData third;
    if (again.size() != TZQParamBlock::Size || !TZQParamBlock::ToRecord(again, third) || !(second == third))
        __builtin_trap();
    return 0;
}

// Tagged-stream documents from anywhere: load, and when a document (or part
// of one) came in, write it, load that again and check it reads back the same.
#include "store/tagged/QelBinaryStreamData.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    TQelBinaryStreamData doc;
    const TQelLoadResult result = doc.LoadFromBytes(bytes);
    if (result > lrReadError)
        __builtin_trap();
    if (result == lrOk || result == lrReadError) {
        const QByteArray written = doc.SaveToBytes();
        TQelBinaryStreamData again;
        if (again.LoadFromBytes(written) != lrOk || again.SaveToBytes() != written)
            __builtin_trap();
        for (const TQelBinaryAttribute *attribute : again.Attributes())
            (void)attribute->AsText();
    }
    return 0;
}

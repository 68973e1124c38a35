#include "ReadingList.h"

#include <algorithm>
#include <cstdint>

TReadingList TReadingList::FromBytes(const QByteArray &bytes)
{
    TReadingList list;
    const qsizetype whole = bytes.size() - bytes.size() % qsizetype{sizeof(TReadingRecord)};
    const bool aligned = reinterpret_cast<std::uintptr_t>(bytes.constData()) % alignof(TReadingRecord) == 0;
    if (aligned && whole == bytes.size() && !bytes.isNull())
        list.FBytes = bytes;
    else
        list.FBytes = QByteArray(bytes.constData(), whole);   // a fresh, aligned allocation
    return list;
}

void TReadingList::push_back(const TReadingRecord &record)
{
    FBytes.append(reinterpret_cast<const char *>(&record), sizeof record);
}

void TReadingList::resize(std::size_t count)
{
    const std::size_t old = size();
    FBytes.resize(ByteCount(count));
    if (count > old)
        std::fill(data() + old, data() + count, TReadingRecord{});
}

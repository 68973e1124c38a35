#include "store/batch/ReadingList.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

QByteArray RecordBytes(std::initializer_list<double> values)
{
    QByteArray bytes;
    for (double value : values) {
        TReadingRecord record;
        record.Value = value;
        record.Flags = rfCounted;
        record.CalNumber = 1;
        bytes.append(reinterpret_cast<const char *>(&record), sizeof record);
    }
    return bytes;
}

} // namespace

TEST(ReadingList, SharesBytesUntilWrittenTo)
{
    const QByteArray file = RecordBytes({10, 20, 30});
    TReadingList readings = TReadingList::FromBytes(file);
    ASSERT_EQ(readings.size(), 3u);
    EXPECT_EQ(std::as_const(readings).data(), reinterpret_cast<const TReadingRecord *>(file.constData()));

    const TReadingList copy = readings;
    readings[1].Value = 25;
    readings.push_back(TReadingRecord{});
    EXPECT_EQ(copy[1].Value, 20);                       // neither the copy
    EXPECT_EQ(file, RecordBytes({10, 20, 30}));         // nor the file's bytes change
    EXPECT_EQ(readings[1].Value, 25);
    EXPECT_EQ(readings.size(), 4u);
    EXPECT_TRUE(IsNoValue(readings.back().Value));
    EXPECT_EQ(readings.Bytes().size(), 4 * 16);
}

TEST(ReadingList, OddBytesAreCopiedWhole)
{
    // A buffer that is not aligned for doubles, and one with a part record at
    // its end: both give aligned records, without the part.
    const QByteArray records = RecordBytes({1.5, 2.5});
    QByteArray shifted(1, '\0');
    shifted.append(records);
    const TReadingList unaligned = TReadingList::FromBytes(QByteArray::fromRawData(shifted.constData() + 1, 32));
    const TReadingList partial = TReadingList::FromBytes(records + QByteArray(7, 'x'));
    for (const TReadingList *list : {&unaligned, &partial}) {
        ASSERT_EQ(list->size(), 2u);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(list->data()) % alignof(double), 0u);
        EXPECT_EQ((*list)[1].Value, 2.5);
    }
    EXPECT_TRUE(TReadingList::FromBytes(QByteArray(15, 'x')).empty());
}

TEST(ReadingList, ResizeAddsReadingsWithoutValue)
{
    TReadingList readings = TReadingList::FromBytes(RecordBytes({7}));
    readings.resize(3);
    ASSERT_EQ(readings.size(), 3u);
    EXPECT_EQ(readings[0].Value, 7);
    EXPECT_TRUE(IsNoValue(readings[2].Value));
    EXPECT_EQ(readings[2].Flags, 0);
    readings.resize(1);
    EXPECT_EQ(readings.size(), 1u);
    readings.clear();
    EXPECT_TRUE(readings.empty());
}

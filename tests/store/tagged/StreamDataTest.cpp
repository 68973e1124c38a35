#include "StreamBytes.h"

#include "store/tagged/QelBinaryStreamData.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

namespace {

// A blob type that nobody registers.
class TUnregisteredBlob : public TQelBinaryBlob
{
    QEL_BINARY_CLASS(TUnregisteredBlob)
};
QEL_BINARY_CLASS_INFO(TUnregisteredBlob, btBlob, false)

// A small document exercising header, attributes, a null value and a child.
void FillSmallDocument(TQelBinaryStreamData &doc)
{
    doc.SetFileType("Dalvo7DataBase");
    doc.SetFileVersion("1.1");
    doc.AddAttribute<TQelBinaryByte>("BatchMax")->SetValue(2);
    doc.AddAttribute<TQelBinaryDouble>("UpperLimit0");
    doc.AddAttribute<TQelBinaryBlob>("Readings0")->SetValue("abc");
    doc.AddTag("Picture")->AddAttribute<TQelBinaryAnsiString>("Name")->SetValue("x.jpg");
}

QByteArray SmallDocumentBytes()
{
    TQelBinaryStreamData doc;
    FillSmallDocument(doc);
    return doc.SaveToBytes();
}

} // namespace

TEST(StreamLayout, EmptyRootIsHeaderNameAndTwoZeroCounts)
{
    TQelBinaryStreamData doc;
    doc.SetFileType("Dalvo7DataBase");
    doc.SetFileVersion("1.1");
    EXPECT_EQ(doc.SaveToBytes().toHex(), TStreamBytes().Header("Dalvo7DataBase", "1.1").Short("").U32(0).U32(0).Bytes().toHex());
}

TEST(StreamLayout, AttributeEntriesByteForByte)
{
    TQelBinaryStreamData doc;
    doc.AddAttribute<TQelBinaryWord>("N"); // null: prefix, name, 1, nothing else
    doc.AddAttribute<TQelBinaryBlob>("E")->SetValue(QByteArray()); // empty but not null
    doc.AddAttribute<TQelBinarySingle>("S")->SetValue(0.1f);
    doc.AddAttribute<TQelBinaryDouble>("D")->SetValue(std::bit_cast<double>(~quint64(0))); // no-value marker
    doc.AddAttribute<TQelBinaryShortString>("T")->SetValue("ab");
    doc.AddAttribute<TQelBinaryWideString>("W")->SetValue(QStringLiteral("\u00e4z"));
    doc.AddAttribute<TQelBinaryBoolean>("B")->SetValue(true);
    doc.AddAttribute<TQelBinaryCurrency>("C")->SetAsDouble(-1.5);
    auto *shift = static_cast<TQelBinaryTShiftState *>(doc.AddAttribute(TQelBinaryTShiftState::StaticClass(), "K"));
    shift->SetShiftState(5);

    const QByteArray expected = TStreamBytes()
        .Header()
        .Short("")
        .U32(9)
        .U8(13).Short("N").U8(1)
        .U8(1).Short("E").U8(0).U64(0)
        .U8(6).Short("S").U8(0).Raw(Hex("0000000000cdccccfb3f"))
        .U8(7).Short("D").U8(0).Raw(QByteArray(10, char(0xFF)))
        .U8(20).Short("T").U8(0).Short("ab")
        .U8(19).Short("W").U8(0).U32(2).Raw(Hex("e4007a00"))
        .U8(2).Short("B").U8(0).U8(1)
        .U8(3).Short("C").U8(0).U64(quint64(-15000))
        .U8(0).U8(1).Short("TQelBinaryTShiftState").Short("K").U8(0).U64(1).U8(5)
        .U32(0);
    EXPECT_EQ(doc.SaveToBytes().toHex(), expected.toHex());

    TQelBinaryStreamData back;
    ASSERT_EQ(back.LoadFromBytes(expected), lrOk);
    EXPECT_TRUE(back.FindAttribute("N")->IsNull());
    auto *empty = back.FindAttributeAs<TQelBinaryBlob>("E");
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->IsNull());
    EXPECT_EQ(empty->Size(), 0);
    EXPECT_EQ(back.FindAttributeAs<TQelBinarySingle>("S")->Value(), 0.1f);
    EXPECT_EQ(std::bit_cast<quint64>(back.FindAttributeAs<TQelBinaryDouble>("D")->Value()), ~quint64(0));
    EXPECT_EQ(back.FindAttributeAs<TQelBinaryCurrency>("C")->Value(), -15000);
    EXPECT_EQ(back.FindAttributeAs<TQelBinaryTShiftState>("K")->ShiftState(), 5);
    EXPECT_EQ(back.SaveToBytes(), expected);
}

TEST(StreamLayout, AnyNonZeroBooleanByteReadsAsTrue)
{
    TQelBinaryStreamData doc;
    ASSERT_EQ(doc.LoadFromBytes(TStreamBytes().Header().Short("").U32(1).U8(2).Short("B").U8(0).U8(0x7F).U32(0)), lrOk);
    EXPECT_TRUE(doc.FindAttributeAs<TQelBinaryBoolean>("B")->Value());
}

TEST(StreamLoad, ResultCodes)
{
    const QByteArray good = SmallDocumentBytes();
    struct TCase
    {
        const char *what;
        QByteArray bytes;
        TQelLoadResult expected;
    };
    const TCase cases[] = {
        {"complete", good, lrOk},
        {"version 2", TStreamBytes().Header("X", "1", 2).Short("").U32(0).U32(0), lrWrongVersion},
        {"foreign text", QByteArray("<?xml version=\"1.0\"?><a/>"), lrNoMagic},
        {"magic with wrong length byte", QByteArray(1, char(21)) + "TQelBinaryStreamData" + QByteArray(8, 0), lrNoMagic},
        {"empty", QByteArray(), lrNoMagic},
        {"ends inside the magic", good.left(12), lrNoMagic},
        {"ends inside the version word", good.left(22), lrReadError},
        {"unknown type id 21", TStreamBytes().Header().Short("").U32(1).U8(21).Short("A").U8(1).U32(0), lrReadError},
        {"prefix 0 with base id 0", TStreamBytes().Header().Short("").U32(1).U8(0).U8(0).Short("TFoo").Short("A").U8(1).U32(0), lrReadError},
        {"4 GB blob in a small stream", TStreamBytes().Header().Short("").U32(1).U8(1).Short("A").U8(0).U64(0xFFFFFFFFull).U32(0), lrReadError},
        {"2^63 blob length", TStreamBytes().Header().Short("").U32(1).U8(1).Short("A").U8(0).U64(quint64(1) << 63).U32(0), lrReadError},
        {"4 GB wide string", TStreamBytes().Header().Short("").U32(1).U8(19).Short("A").U8(0).U32(0xFFFFFFFFu).U32(0), lrReadError},
        {"4 G attributes announced", TStreamBytes().Header().Short("").U32(0xFFFFFFFFu), lrReadError},
        {"Real48 out of range", TStreamBytes().Header().Short("").U32(1).U8(5).Short("R").U8(0).Raw(Hex("0000000000000080ff7f")).U32(0), lrReadError},
    };
    for (const TCase &c : cases) {
        TQelBinaryStreamData doc;
        EXPECT_EQ(doc.LoadFromBytes(c.bytes), c.expected) << c.what;
    }
}

TEST(StreamLoad, WrongVersionAndMagicLeaveTheDocumentAlone)
{
    TQelBinaryStreamData doc;
    FillSmallDocument(doc);
    const QByteArray before = doc.SaveToBytes();
    EXPECT_EQ(doc.LoadFromBytes(TStreamBytes().Header("Other", "9", 2).Short("").U32(0).U32(0)), lrWrongVersion);
    EXPECT_EQ(doc.LoadFromBytes("garbage"), lrNoMagic);
    EXPECT_EQ(doc.SaveToBytes(), before);
}

TEST(StreamLoad, TruncationAtEveryOffsetIsAReadErrorKeepingWhatWasRead)
{
    const QByteArray good = SmallDocumentBytes();
    const int magicEnd = 21;
    for (int length = 0; length < good.size(); ++length) {
        TQelBinaryStreamData doc;
        const TQelLoadResult result = doc.LoadFromBytes(good.left(length));
        EXPECT_EQ(result, length < magicEnd ? lrNoMagic : lrReadError) << "length " << length;
    }
    // Cut inside the child tag: the root attributes are there already.
    TQelBinaryStreamData doc;
    ASSERT_EQ(doc.LoadFromBytes(good.left(good.size() - 3)), lrReadError);
    EXPECT_EQ(doc.FileType(), "Dalvo7DataBase");
    ASSERT_TRUE(doc.FindAttributeAs<TQelBinaryBlob>("Readings0"));
    EXPECT_EQ(doc.FindAttributeAs<TQelBinaryBlob>("Readings0")->Value(), "abc");
}

TEST(StreamLoad, ReplacesTheWholeTreeAndStopsAtTheDocumentEnd)
{
    const QByteArray good = SmallDocumentBytes();
    TQelBinaryStreamData doc;
    doc.AddAttribute<TQelBinaryByte>("Stale")->SetValue(1);
    doc.AddTag("StaleTag");

    QBuffer buffer;
    buffer.setData(good + "trailing");
    buffer.open(QIODevice::ReadOnly);
    ASSERT_EQ(doc.LoadFromStream(buffer), lrOk);
    EXPECT_EQ(buffer.pos(), good.size());
    EXPECT_FALSE(doc.FindAttribute("Stale"));
    EXPECT_FALSE(doc.FindTag("StaleTag"));
    EXPECT_EQ(doc.Count(), 1);
    EXPECT_EQ(doc.SaveToBytes(), good);
}

TEST(StreamLoad, LargeBlobsFromFilesAndSequentialDevices)
{
    // A pipe gives no size: large lengths are then read in steps.
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.dv7");
    TQelBinaryStreamData doc;
    FillSmallDocument(doc);
    doc.AddAttribute<TQelBinaryBlob>("Big")->SetValue(QByteArray(3 * 1024 * 1024 + 5, 'z'));
    doc.SaveToFile(path);

    class TSequentialFile : public QFile
    {
    public:
        using QFile::QFile;
        bool isSequential() const override { return true; }
    } pipe(path);
    ASSERT_TRUE(pipe.open(QIODevice::ReadOnly));
    TQelBinaryStreamData back;
    ASSERT_EQ(back.LoadFromStream(pipe), lrOk);
    EXPECT_EQ(back.SaveToBytes(), doc.SaveToBytes());

    TQelBinaryStreamData fromFile;
    ASSERT_EQ(fromFile.LoadFromFile(path), lrOk);
    EXPECT_EQ(fromFile.FindAttributeAs<TQelBinaryBlob>("Big")->Value(), doc.FindAttributeAs<TQelBinaryBlob>("Big")->Value());
}

TEST(StreamLoad, DeepNestingIsRefused)
{
    TStreamBytes bytes;
    bytes.Header();
    for (int i = 0; i <= TQelBinaryStreamData::MaxTagDepth + 1; ++i)
        bytes.Short("t").U32(0).U32(1);
    TQelBinaryStreamData doc;
    EXPECT_EQ(doc.LoadFromBytes(bytes), lrReadError);
}

TEST(DerivedTypes, PictureUnknownToTheReaderComesBackAsPlainBlob)
{
    // Written by a program that has a picture class this one lacks.
    const QByteArray graphic = Hex("ffd8ffe000104a464946");
    const QByteArray blobBytes = TStreamBytes().Short("TJPEGImage").Raw(graphic);
    const QByteArray stream = TStreamBytes()
        .Header().Short("").U32(1)
        .U8(0).U8(1).Short("TForeignPicture").Short("P").U8(0).U64(blobBytes.size()).Raw(blobBytes)
        .U32(0);
    TQelBinaryStreamData doc;
    ASSERT_EQ(doc.LoadFromBytes(stream), lrOk);
    TQelBinaryAttribute *attribute = doc.FindAttribute("P");
    ASSERT_TRUE(attribute);
    EXPECT_EQ(attribute->ClassName(), "TQelBinaryBlob");
    EXPECT_EQ(static_cast<TQelBinaryBlob *>(attribute)->Value(), blobBytes);
    // Written back it is a plain blob entry.
    EXPECT_EQ(doc.SaveToBytes(), TStreamBytes().Header().Short("").U32(1)
        .U8(1).Short("P").U8(0).U64(blobBytes.size()).Raw(blobBytes).U32(0).Bytes());
}

TEST(DerivedTypes, PictureHoldsClassNameAndBytes)
{
    const QByteArray graphic = Hex("424d3a000000");
    TQelBinaryStreamData doc;
    auto *picture = doc.AddAttribute<TQelBinaryPicture>("Pic");
    EXPECT_TRUE(picture->IsNull());
    picture->SetGraphic("TBitmap", graphic);
    EXPECT_FALSE(picture->IsNull());
    try {
        picture->SetGraphic("TPngImage", "png");
        FAIL() << "unregistered graphic class accepted";
    } catch (const EQelBinaryError &error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Die Klasse \"TPngImage\" muss mit TQelBinaryPicture.RegisterGraphicClass registriert werden."));
    }
    EXPECT_EQ(picture->GraphicClassName(), "TBitmap"); // kept
    doc.AddAttribute<TQelBinaryBitmap>("Bmp")->SetValue(graphic);

    const QByteArray expected = TStreamBytes().Header().Short("").U32(2)
        .U8(0).U8(1).Short("TQelBinaryPicture").Short("Pic").U8(0).U64(1 + 7 + graphic.size()).Short("TBitmap").Raw(graphic)
        .U8(0).U8(1).Short("TQelBinaryBitmap").Short("Bmp").U8(0).U64(graphic.size()).Raw(graphic)
        .U32(0);
    EXPECT_EQ(doc.SaveToBytes().toHex(), expected.toHex());

    // The class name is matched ignoring case; an unknown one leaves the picture empty (null).
    QByteArray otherCase = expected;
    otherCase.replace("TBitmap", "tbitmap");
    TQelBinaryStreamData back;
    ASSERT_EQ(back.LoadFromBytes(otherCase), lrOk);
    EXPECT_EQ(back.FindAttributeAs<TQelBinaryPicture>("Pic")->GraphicClassName(), "TBitmap");
    EXPECT_EQ(back.FindAttributeAs<TQelBinaryPicture>("Pic")->Value(), graphic);
    EXPECT_EQ(back.FindAttributeAs<TQelBinaryBitmap>("Bmp")->Value(), graphic);

    QByteArray unknown = expected;
    unknown.replace("TBitmap", "TFooBar");
    ASSERT_EQ(back.LoadFromBytes(unknown), lrOk);
    EXPECT_TRUE(back.FindAttributeAs<TQelBinaryPicture>("Pic")->IsNull());
    EXPECT_EQ(back.FindAttributeAs<TQelBinaryPicture>("Pic")->Size(), 0);
}

TEST(DerivedTypes, UnregisteredClassCannotBeWritten)
{
    TQelBinaryStreamData doc;
    doc.AddAttribute<TUnregisteredBlob>("U")->SetValue("x");
    try {
        doc.SaveToBytes();
        FAIL() << "unregistered class written";
    } catch (const EQelBinaryError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Die Klasse \"TUnregisteredBlob\" muss mit "
                                                  "TQelBinaryAttribute.RegisterBinaryDataType registriert werden."));
    }
}

TEST(StreamFile, SaveReplacesAtomicallyAndKeepsTheOldFileOnFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("batch.dv7");
    TQelBinaryStreamData good;
    FillSmallDocument(good);
    good.SaveToFile(path);

    TQelBinaryStreamData broken;
    FillSmallDocument(broken);
    broken.AddAttribute<TUnregisteredBlob>("U")->SetValue(QByteArray(200000, 'u'));
    EXPECT_THROW(broken.SaveToFile(path), EQelBinaryError);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), good.SaveToBytes());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"batch.dv7"}); // no temporary left

    TQelBinaryStreamData loaded;
    EXPECT_EQ(loaded.LoadFromFile(path), lrOk);
    EXPECT_THROW(loaded.LoadFromFile(dir.filePath("missing.dv7")), EQelBinaryError);
    EXPECT_THROW(good.SaveToFile(dir.filePath("no/such/dir/x.dv7")), EQelBinaryError);
}

TEST(StreamRoundTrip, DocumentWithEveryType)
{
    TQelBinaryStreamData doc;
    doc.SetFileType("Dalvo7DataBase");
    doc.SetFileVersion("1.1");
    doc.SetName("root");
    doc.AddAttribute<TQelBinaryBlob>("Blob")->SetValue(QByteArray("\0\1\2\xff", 4));
    doc.AddAttribute<TQelBinaryBoolean>("Boolean")->SetValue(true);
    doc.AddAttribute<TQelBinaryCurrency>("Currency")->SetValue(-922337203685477580);
    doc.AddAttribute<TQelBinaryDateTime>("DateTime")->SetValue(45000.75);
    doc.AddAttribute<TQelBinaryReal48>("Real48")->SetValue(-123.25);
    doc.AddAttribute<TQelBinarySingle>("Single")->SetValue(std::numeric_limits<float>::denorm_min());
    doc.AddAttribute<TQelBinaryDouble>("Double")->SetValue(-std::numeric_limits<double>::infinity());
    doc.AddAttribute<TQelBinaryExtended>("Extended")->SetValue(TExtended80{0xFFFFFFFFFFFFFFFFull, 0x7FFE});
    doc.AddAttribute<TQelBinaryComp>("Comp")->SetValue(std::numeric_limits<qint64>::max());
    doc.AddAttribute<TQelBinaryByte>("Byte")->SetValue(255);
    doc.AddAttribute<TQelBinaryShortint>("Shortint")->SetValue(-128);
    doc.AddAttribute<TQelBinaryChar>("Char")->SetValue('\xe4');
    doc.AddAttribute<TQelBinaryWord>("Word")->SetValue(65535);
    doc.AddAttribute<TQelBinarySmallint>("Smallint")->SetValue(-32768);
    doc.AddAttribute<TQelBinaryLongword>("Longword")->SetValue(0xFFFFFFFFu);
    doc.AddAttribute<TQelBinaryLongint>("Longint")->SetValue(std::numeric_limits<qint32>::min());
    doc.AddAttribute<TQelBinaryInt64>("Int64")->SetValue(std::numeric_limits<qint64>::min());
    doc.AddAttribute<TQelBinaryAnsiString>("AnsiString")->SetValue("Gr\xfc\xdf" "e");
    doc.AddAttribute<TQelBinaryWideString>("WideString")->SetValue(QStringLiteral("\u03bcm \U0001F600"));
    doc.AddAttribute<TQelBinaryShortString>("ShortString")->SetValue(QByteArray(255, 's'));
    doc.AddAttribute<TQelBinaryShortString>("NullString");
    TQelBinaryTag *pictures = doc.AddTag("Picture");
    pictures->AddTag("Bild0")->AddAttribute<TQelBinaryPicture>("P")->SetGraphic("TJPEGImage", "jpeg bytes");
    pictures->AddTag("Bild1")->AddAttribute<TQelBinaryIcon>("I")->SetValue("ico");
    pictures->AddTag("Bild1")->AddAttribute<TQelBinaryMetafile>("M")->SetValue("emf");
    pictures->AddTag("")->AddAttribute<TQelBinaryJPEG>("J")->SetValue("jpg");
    pictures->Tags(0)->AddTag("deeper")->AddAttribute<TQelBinaryTShiftState>("K")->SetShiftState(3);

    const QByteArray bytes = doc.SaveToBytes();
    TQelBinaryStreamData back;
    ASSERT_EQ(back.LoadFromBytes(bytes), lrOk);
    EXPECT_EQ(back.SaveToBytes(), bytes);
    EXPECT_EQ(back.Name(), "root");
    ASSERT_EQ(back.Attributes().Count(), doc.Attributes().Count());
    for (int i = 0; i < doc.Attributes().Count(); ++i) {
        const TQelBinaryAttribute *a = doc.Attributes().Items(i);
        const TQelBinaryAttribute *b = back.Attributes().Items(i);
        EXPECT_EQ(b->Name(), a->Name());
        EXPECT_EQ(b->ClassName(), a->ClassName());
        EXPECT_EQ(b->IsNull(), a->IsNull()) << a->Name().data();
        EXPECT_EQ(b->AsText(), a->AsText()) << a->Name().data();
    }
    EXPECT_EQ(back.FindAttributeAs<TQelBinaryExtended>("Extended")->Value(), (TExtended80{0xFFFFFFFFFFFFFFFFull, 0x7FFE}));
    EXPECT_EQ(back.FindAttributeAs<TQelBinaryWideString>("WideString")->Value(), QStringLiteral("\u03bcm \U0001F600"));
    const TQelBinaryTag *backPictures = back.FindTag("Picture");
    ASSERT_TRUE(backPictures);
    ASSERT_EQ(backPictures->Count(), 4);
    EXPECT_EQ(backPictures->Tags(2)->Name(), "Bild1"); // child names need not be unique
    EXPECT_EQ(backPictures->FindTag("Bild1"), backPictures->Tags(1));
    EXPECT_EQ(backPictures->Tags(0)->FindAttributeAs<TQelBinaryPicture>("P")->Value(), "jpeg bytes");
    EXPECT_EQ(backPictures->Tags(0)->Tags(0)->FindAttributeAs<TQelBinaryTShiftState>("K")->ShiftState(), 3);
}

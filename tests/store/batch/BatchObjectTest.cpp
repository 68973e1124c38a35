#include "store/batch/BatchObject.h"
#include "store/tagged/QelTextForms.h"
#include "support/ScriptedUserDialog.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

class BatchObjectTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    ScriptedUserDialog dialog;

    QString PathOf(const QString &name) const { return dir.filePath(name); }

    static QByteArray ReadBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void WriteBytes(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArrayList AttributeNames(const TQelBinaryTag &tag)
    {
        QByteArrayList names;
        for (const TQelBinaryAttribute *attribute : tag.Attributes())
            names << attribute->Name();
        return names;
    }
    static std::unique_ptr<TQelBinaryStreamData> LoadDocument(const QString &path)
    {
        auto document = std::make_unique<TQelBinaryStreamData>();
        EXPECT_EQ(document->LoadFromFile(path), lrOk);
        return document;
    }
    // A batch with something in every field, three series and pictures.
    static void Fill(TBatchObject &batch)
    {
        batch.SetInteger(TBatchObject::ifSeriesCount, 3);
        batch.SetText(TBatchObject::tfBatchName, QStringLiteral("Bridge \u00e9 pier 4"));
        batch.SetText(TBatchObject::tfUser, QStringLiteral("inspector"));
        batch.SetText(TBatchObject::tfGaugeType, QStringLiteral("Gauge 7"));
        batch.SetText(TBatchObject::tfGaugeSerial, QStringLiteral("123456"));
        batch.SetText(TBatchObject::tfProbeType, QStringLiteral("FN 1.5"));
        batch.SetText(TBatchObject::tfProbeSerial, QStringLiteral("P-9"));
        batch.SetText(TBatchObject::tfCalTypeText, QStringLiteral("Zero"));
        batch.SetText(TBatchObject::tfGaugeModelId, QStringLiteral("BL7"));
        batch.SetInteger(TBatchObject::ifBlockSize, 2);
        batch.SetInteger(TBatchObject::ifCalTypeNumber, 8);
        batch.SetInteger(TBatchObject::ifTargetNumber, 2);
        batch.SetInteger(TBatchObject::ifMeasMode, 3);
        batch.SetInteger(TBatchObject::ifGraphic, 4);
        batch.SetInteger(TBatchObject::ifDataLoggingMode, 5);
        batch.SetInteger(TBatchObject::ifMeasuringRate, 6);
        batch.SetDate(TBatchObject::dfCreateDate, 45000.25);
        batch.SetDate(TBatchObject::dfChangeDate, 45001.5);
        batch.SetTimeStamp(true);
        batch.SetNotes(QByteArrayLiteral("{\\rtf1 note}"));
        batch.CalibrationData().SetName(0, QStringLiteral("Steel"));
        batch.CalibrationData().SetAvailable(0, 1);
        batch.CalibrationData().SetPointThickness(8, 5, 123.5f);
        for (int s = 0; s < 3; ++s) {
            TStatData &series = batch.Series(s);
            series.SetInput(siUpperLimit, 100 + s);
            series.SetInput(siLowerLimit, 50 + s);
            series.SetInput(siOffset, 1.5);
            series.SetInput(siNDFT, s == 2 ? 80 : NoValue);
            series.AddReading(10.5 + s, true, 1);
            series.AddReading(NoValue, false, 0);
            series.AddReading(20, true, 2);
            series.Readings[2].Flags = rfPresent;
            series.Notes.push_back({'M', 0, QStringLiteral("first\x0bsecond column")});
            series.Notes.push_back({'g', 1, QStringLiteral("12.03.2024 10:00:00")});
        }
        batch.AddPicture(QStringLiteral("site.jpg"), QByteArray("\xFF\xD8\x00jpeg", 7));
        batch.AddPicture(QString(), QByteArray(3000, '\x01'));
    }
};

} // namespace

TEST_F(BatchObjectTest, NewBatchHasDefaults)
{
    TBatchObject batch(PathOf("new.dv7"), &dialog);
    EXPECT_FALSE(batch.FileExisted());
    EXPECT_FALSE(batch.IsModified());
    EXPECT_EQ(batch.SeriesCount(), 1);
    EXPECT_EQ(batch.FileType(), "Dalvo7DataBase");
    EXPECT_EQ(batch.FileVersion(), "1.1");
    EXPECT_EQ(batch.BlockSize(), 1);
    EXPECT_EQ(batch.TargetNumber(), 1);
    EXPECT_EQ(batch.MeasMode(), 0);
    EXPECT_EQ(batch.Graphic(), 1);
    EXPECT_EQ(batch.DataLoggingMode(), 1);
    EXPECT_EQ(batch.MeasuringRate(), 1);
    EXPECT_EQ(batch.CalibrationData().PointRaw(4, 3), -1);
    EXPECT_TRUE(std::isnan(batch.CalibrationData().PointThickness(4, 0)));
    EXPECT_EQ(batch.CalibrationData().PointThickness(4, 1), 0.0f);
    EXPECT_EQ(batch.CalibrationData().PointState(4, 5), 1);
    EXPECT_TRUE(dialog.messages.isEmpty());
}

TEST_F(BatchObjectTest, SavedBatchLoadsBackEqual)
{
    const QString path = PathOf("full.dv7");
    std::vector<TStatData> written;
    QByteArray calibration;
    {
        TBatchObject batch(path, &dialog);
        Fill(batch);
        ASSERT_TRUE(batch.SetModified(false)) << batch.LastError().toStdString();
        written = batch.Series();
        calibration = batch.CalibrationData().Bytes();
    }
    TBatchObject loaded(path, &dialog);
    EXPECT_TRUE(dialog.messages.isEmpty());
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(loaded.BatchName(), QStringLiteral("Bridge \u00e9 pier 4"));
    EXPECT_EQ(loaded.User(), "inspector");
    EXPECT_EQ(loaded.GaugeType(), "Gauge 7");
    EXPECT_EQ(loaded.GaugeSerial(), "123456");
    EXPECT_EQ(loaded.ProbeType(), "FN 1.5");
    EXPECT_EQ(loaded.ProbeClass(), pcFN);
    EXPECT_EQ(loaded.ProbeSerial(), "P-9");
    EXPECT_EQ(loaded.CalTypeText(), "Zero");
    EXPECT_EQ(loaded.GaugeModelId(), "BL7");
    EXPECT_EQ(loaded.BlockSize(), 2);
    EXPECT_EQ(loaded.CalTypeNumber(), 8);
    EXPECT_EQ(loaded.TargetNumber(), 2);
    EXPECT_EQ(loaded.MeasMode(), 3);
    EXPECT_EQ(loaded.Graphic(), 4);
    EXPECT_EQ(loaded.DataLoggingMode(), 5);
    EXPECT_EQ(loaded.MeasuringRate(), 6);
    EXPECT_EQ(loaded.CreateDate(), 45000.25);
    EXPECT_EQ(loaded.ChangeDate(), 45001.5);
    EXPECT_TRUE(loaded.TimeStamp());
    EXPECT_EQ(loaded.Notes(), "{\\rtf1 note}");
    EXPECT_EQ(loaded.CalibrationData().Bytes(), calibration);
    EXPECT_EQ(loaded.CalibrationData().Name(0), "Steel");
    ASSERT_EQ(loaded.Pictures().size(), 2u);
    EXPECT_EQ(loaded.Pictures()[0], (TBatchPicture{QStringLiteral("site.jpg"), QByteArray("\xFF\xD8\x00jpeg", 7)}));
    EXPECT_EQ(loaded.Pictures()[1], (TBatchPicture{QString(), QByteArray(3000, '\x01')}));

    ASSERT_EQ(loaded.SeriesCount(), 3);
    for (int s = 0; s < 3; ++s) {
        const TStatData &original = written[static_cast<std::size_t>(s)];
        const TStatData &series = loaded.Series(s);
        EXPECT_EQ(series.ProbeClass, pcFN);
        EXPECT_EQ(series.BlockSize, 2);
        ASSERT_EQ(series.Readings.size(), original.Readings.size());
        EXPECT_EQ(std::memcmp(series.Readings.data(), original.Readings.data(),
                              original.Readings.size() * sizeof(TReadingRecord)), 0);
        EXPECT_EQ(series.Notes, original.Notes);
        if (s < 2) {
            EXPECT_EQ(series.UpperLimit, original.UpperLimit);
            EXPECT_EQ(series.LowerLimit, original.LowerLimit);
        }
        EXPECT_EQ(series.Offset, 1.5);
        EXPECT_TRUE(IsNoValue(series.Rough));
    }
    EXPECT_EQ(loaded.Series(2).NDFT, 80);
    EXPECT_EQ(loaded.Series(2).UpperLimit, 80);      // NDFT mode replaces the limits
    EXPECT_DOUBLE_EQ(loaded.Series(2).LowerLimit, 72);
}

TEST_F(BatchObjectTest, FileLayoutAndAttributeOrder)
{
    const QString path = PathOf("layout.dv7");
    {
        TBatchObject batch(path);
        Fill(batch);
        ASSERT_TRUE(batch.Save());
    }
    auto document = LoadDocument(path);
    EXPECT_EQ(document->FileType(), "Dalvo7DataBase");
    EXPECT_EQ(document->FileVersion(), "1.1");
    const QByteArrayList expected = {
        "BatchMax", "BatchName", "User", "CreateDate", "ChangeDate", "GaugeBLName", "GaugeTyp",
        "GaugeSerial", "SensorTyp", "SensorSerial", "MeasMode", "Graphic", "TimeStamp", "TargetNum",
        "DataLoggingMode", "MeasuringRate", "CalTypTxt", "CalTypNum", "CalData", "Notes", "BlockSize",
        "UpperLimit0", "UpperLimit1", "UpperLimit2", "LowerLimit0", "LowerLimit1", "LowerLimit2",
        "Offset0", "Offset1", "Offset2", "Rough0", "Rough1", "Rough2", "NDFT0", "NDFT1", "NDFT2",
        "Readings0", "Readings1", "Readings2", "ReadingNotes0", "ReadingNotes1", "ReadingNotes2"};
    EXPECT_EQ(AttributeNames(*document), expected);

    const auto *rough = document->FindAttributeAs<TQelBinaryDouble>("Rough0");
    ASSERT_TRUE(rough);
    EXPECT_FALSE(rough->IsNull());                    // no value is stored as the NaN
    EXPECT_EQ(std::bit_cast<quint64>(rough->Value()), ~quint64{0});
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryBlob>("CalData")->Size(), 936);
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryBlob>("Readings1")->Size(), 3 * 16);
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryBlob>("ReadingNotes0")->Value(),
              "M0~first\x0bsecond column\r\ng1~12.03.2024 10:00:00\r\n");

    const TQelBinaryTag *pictures = document->FindTag("Picture");
    ASSERT_TRUE(pictures);
    ASSERT_EQ(pictures->Count(), 2);
    EXPECT_EQ(pictures->Tags(1)->Name(), "Bild1");
    EXPECT_EQ(pictures->Tags(0)->FindAttributeAs<TQelBinaryAnsiString>("Name")->Value(), "site.jpg");
}

TEST_F(BatchObjectTest, UnknownContentSurvivesLoadAndSave)
{
    const QString path = PathOf("extra.dv7");
    {
        TQelBinaryStreamData document;
        document.SetFileType("Dalvo7DataBase");
        document.SetFileVersion("1.1");
        document.AddAttribute<TQelBinaryLongint>("FutureField")->SetValue(4711);
        document.AddAttribute<TQelBinaryShortString>("BatchName")->SetValue("old name");
        document.AddTag("Extra")->AddAttribute<TQelBinaryWideString>("Text")->SetValue(QStringLiteral("kept"));
        document.SaveToFile(path);
    }
    {
        TBatchObject batch(path, &dialog);
        EXPECT_EQ(batch.BatchName(), "old name");
        batch.SetText(TBatchObject::tfBatchName, QStringLiteral("new name"));
        ASSERT_TRUE(batch.SetModified(false));
    }
    auto document = LoadDocument(path);
    const QByteArrayList names = AttributeNames(*document);
    ASSERT_GE(names.size(), 2);
    EXPECT_EQ(names[0], "FutureField");
    EXPECT_EQ(names[1], "BatchName");
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryLongint>("FutureField")->Value(), 4711);
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryShortString>("BatchName")->Value(), "new name");
    ASSERT_TRUE(document->FindTag("Extra"));
    EXPECT_EQ(document->FindTag("Extra")->FindAttributeAs<TQelBinaryWideString>("Text")->Value(), "kept");
}

TEST_F(BatchObjectTest, OlderLayoutIsReadAndWrittenBackPlain)
{
    const QString path = PathOf("old.dv7");
    TReadingRecord reading;
    reading.Value = 42;
    reading.Flags = rfActive;          // active but not present: loads as counted
    {
        TQelBinaryStreamData document;
        document.SetFileType("Dalvo7DataBase");
        document.SetFileVersion("1.0");
        document.AddAttribute<TQelBinaryDouble>("UpperLimit")->SetValue(150);
        document.AddAttribute<TQelBinaryBlob>("Readings")->WriteFrom(&reading, sizeof reading);
        document.AddAttribute<TQelBinaryBlob>("ReadingNotes")->SetValue("M0~plain\r\n");
        document.SaveToFile(path);
    }
    {
        TBatchObject batch(path, &dialog);
        ASSERT_EQ(batch.SeriesCount(), 1);
        EXPECT_EQ(batch.Series(0).UpperLimit, 150);
        ASSERT_EQ(batch.Series(0).Readings.size(), 1u);
        EXPECT_EQ(batch.Series(0).Readings[0].Flags, rfCounted);
        EXPECT_EQ(batch.Series(0).Count, 1);
        ASSERT_EQ(batch.Series(0).Notes.size(), 1u);
        batch.Series(0).SetInput(siLowerLimit, 20);
        ASSERT_TRUE(batch.SetModified(false));
    }
    auto document = LoadDocument(path);
    EXPECT_EQ(document->FileVersion(), "1.0");
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryDouble>("LowerLimit")->Value(), 20);
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryBlob>("Readings")->Size(), 16);
    for (const TQelBinaryAttribute *attribute : document->Attributes())
        EXPECT_FALSE(attribute->Name().endsWith('0')) << attribute->Name().constData();
}

TEST_F(BatchObjectTest, OtherLayoutVersionsLeaveSeriesAttributesAlone)
{
    const QString path = PathOf("future.dv7");
    {
        TQelBinaryStreamData document;
        document.SetFileType("Dalvo7DataBase");
        document.SetFileVersion("2.0");
        document.AddAttribute<TQelBinaryDouble>("UpperLimit0")->SetValue(150);
        document.SaveToFile(path);
    }
    {
        TBatchObject batch(path, &dialog);
        EXPECT_TRUE(IsNoValue(batch.Series(0).UpperLimit));
        batch.Series(0).SetInput(siUpperLimit, 10);
        batch.SetText(TBatchObject::tfUser, QStringLiteral("someone"));
        ASSERT_TRUE(batch.SetModified(false));
    }
    auto document = LoadDocument(path);
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryDouble>("UpperLimit0")->Value(), 150);
    EXPECT_EQ(document->FindAttributeAs<TQelBinaryShortString>("User")->Value(), "someone");
    EXPECT_FALSE(document->FindAttribute("Readings0"));
}

TEST_F(BatchObjectTest, FieldFallbacksAndOddContent)
{
    const QString path = PathOf("odd.dv7");
    TReadingRecord readings[2];
    readings[0].Value = 10;
    readings[0].Flags = rfPresent;     // deleted: stays 2
    readings[1].Value = 20;
    readings[1].Flags = rfCounted;
    QByteArray readingBytes(reinterpret_cast<const char *>(readings), sizeof readings);
    readingBytes += "xyz";             // trailing bytes of a partial record
    {
        TQelBinaryStreamData document;
        document.SetFileType("Dalvo7DataBase");
        document.SetFileVersion("1.1");
        document.AddAttribute<TQelBinaryLongint>("BatchName")->SetValue(5);    // wrong type
        document.AddAttribute<TQelBinaryShortString>("User");                  // null
        document.AddAttribute<TQelBinaryBlob>("CalData")->SetValue(QByteArray(2000, '\x07'));
        document.AddAttribute<TQelBinaryBlob>("Readings0")->SetValue(readingBytes);
        document.AddAttribute<TQelBinaryBlob>("ReadingNotes0")->SetValue("\r\nM~x\r\nMabc~y\r\nno tilde\r\nM99999999999~too big\r\ng1~ok\nM0~lf");
        document.AddTag("Picture")->AddTag("Bild0")->AddAttribute<TQelBinaryAnsiString>("Name")->SetValue("no data");
        document.SaveToFile(path);
    }
    TBatchObject batch(path, &dialog);
    EXPECT_TRUE(dialog.messages.isEmpty());
    EXPECT_EQ(batch.SeriesCount(), 1);            // BatchMax absent
    EXPECT_TRUE(batch.BatchName().isEmpty());
    EXPECT_EQ(batch.MeasMode(), 1);               // absent from a file: 1
    EXPECT_EQ(batch.CalibrationData().Bytes(), QByteArray(936, '\x07'));
    ASSERT_EQ(batch.Series(0).Readings.size(), 2u);
    EXPECT_EQ(batch.Series(0).Readings[0].Flags, rfPresent);
    EXPECT_EQ(batch.Series(0).Count, 1);
    const std::vector<TReadingNote> notes = {{'g', 1, QStringLiteral("ok")}, {'M', 0, QStringLiteral("lf")}};
    EXPECT_EQ(batch.Series(0).Notes, notes);
    EXPECT_TRUE(batch.Pictures().empty());
}

TEST_F(BatchObjectTest, RejectedFilesAreReportedAndNeverWrittenOver)
{
    struct Case {
        const char *name;
        QByteArray content;
    };
    TQelBinaryStreamData other;
    other.SetFileType("SomethingElse");
    other.AddAttribute<TQelBinaryShortString>("BatchName")->SetValue("x");
    QByteArray valid;
    {
        TBatchObject batch(QString{});
        Fill(batch);
        batch.SaveAs(PathOf("source.dv7"));
        valid = ReadBytes(PathOf("source.dv7"));
    }
    const Case cases[] = {
        {"garbage.dv7", QByteArray("not a batch file at all")},
        {"empty.dv7", QByteArray()},
        {"othertype.dv7", other.SaveToBytes()},
        {"truncated.dv7", valid.left(valid.size() - 5)},
        {"version.dv7", valid.left(21) + QByteArray("\x02\x00", 2) + valid.mid(23)},
    };
    for (const Case &c : cases) {
        const QString path = PathOf(c.name);
        WriteBytes(path, c.content);
        ScriptedUserDialog caseDialog;
        {
            TBatchObject batch(path, &caseDialog);
            EXPECT_TRUE(batch.FileRejected()) << c.name;
            EXPECT_EQ(caseDialog.messages, QStringList{QStringLiteral("Unknown File Format !!!")}) << c.name;
            EXPECT_TRUE(batch.BatchName().isEmpty());
            EXPECT_EQ(batch.SeriesCount(), 1);
            batch.SetText(TBatchObject::tfUser, QStringLiteral("edited"));
            EXPECT_FALSE(batch.Save()) << c.name;
            EXPECT_FALSE(batch.LastError().isEmpty());
        }
        EXPECT_EQ(ReadBytes(path), c.content) << c.name;
    }
}

TEST_F(BatchObjectTest, EveryTruncationLoadsWithoutHarm)
{
    const QString source = PathOf("source.dv7");
    {
        TBatchObject batch(source);
        Fill(batch);
        ASSERT_TRUE(batch.Save());
    }
    const QByteArray bytes = ReadBytes(source);
    const QString path = PathOf("cut.dv7");
    for (qsizetype length = 0; length < bytes.size(); length += 7) {
        WriteBytes(path, bytes.left(length));
        ScriptedUserDialog caseDialog;
        TBatchObject batch(path, &caseDialog);
        EXPECT_TRUE(batch.FileRejected()) << length;
        EXPECT_EQ(caseDialog.messages.size(), 1) << length;
    }
}

TEST_F(BatchObjectTest, SaveErrorsAreReportedAndKeepTheModifiedFlag)
{
    TBatchObject batch(PathOf("missing-folder/batch.dv7"), &dialog);
    batch.SetText(TBatchObject::tfUser, QStringLiteral("someone"));
    EXPECT_FALSE(batch.Save());
    EXPECT_FALSE(batch.LastError().isEmpty());
    EXPECT_FALSE(batch.SetModified(false));
    EXPECT_TRUE(batch.IsModified());
    EXPECT_FALSE(batch.SaveAs(PathOf("missing-folder/other.dv7")));
    EXPECT_TRUE(batch.IsModified());
    ASSERT_TRUE(batch.SaveAs(PathOf("other.dv7")));
    EXPECT_FALSE(batch.IsModified());
    EXPECT_TRUE(QFileInfo::exists(PathOf("other.dv7")));
}

TEST_F(BatchObjectTest, FileDeletedSinceLoadingIsNotCreatedAgain)
{
    const QString path = PathOf("gone.dv7");
    {
        TBatchObject batch(path);
        ASSERT_TRUE(batch.SaveAs(path));
    }
    TBatchObject batch(path);
    ASSERT_TRUE(batch.FileExisted());
    QFile::remove(path);
    batch.SetText(TBatchObject::tfUser, QStringLiteral("someone"));
    EXPECT_TRUE(batch.SetModified(false));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(BatchObjectTest, DestructionSavesOnlyModifiedBatches)
{
    const QString clean = PathOf("clean.dv7");
    { TBatchObject batch(clean); }
    EXPECT_FALSE(QFileInfo::exists(clean));

    const QString path = PathOf("modified.dv7");
    {
        TBatchObject batch(path);
        batch.Series(0).AddReading(12, true, 1);
        EXPECT_TRUE(batch.IsModified());
    }
    ASSERT_TRUE(QFileInfo::exists(path));
    const QByteArray saved = ReadBytes(path);
    {
        TBatchObject batch(path);
        ASSERT_EQ(batch.Series(0).Readings.size(), 1u);
        const double age = DaysFromDateTime(QDateTime::currentDateTime()) - batch.ChangeDate();
        EXPECT_GE(age, 0);
        EXPECT_LT(age, 1.0 / 24);
    }
    EXPECT_EQ(ReadBytes(path), saved);    // loading and freeing a clean batch writes nothing
}

TEST_F(BatchObjectTest, SettersMarkModifiedOnlyOnChange)
{
    struct Case {
        const char *what;
        std::function<void(TBatchObject &)> change;
        bool modified;
    };
    const Case cases[] = {
        {"same block size", [](TBatchObject &b) { b.SetInteger(TBatchObject::ifBlockSize, 1); }, false},
        {"block size", [](TBatchObject &b) { b.SetInteger(TBatchObject::ifBlockSize, 5); }, true},
        {"same graphic", [](TBatchObject &b) { b.SetInteger(TBatchObject::ifGraphic, 1); }, false},
        {"measuring rate", [](TBatchObject &b) { b.SetInteger(TBatchObject::ifMeasuringRate, 2); }, true},
        {"same series count", [](TBatchObject &b) { b.SetInteger(TBatchObject::ifSeriesCount, 1); }, false},
        {"series count", [](TBatchObject &b) { b.SetInteger(TBatchObject::ifSeriesCount, 2); }, true},
        {"same date", [](TBatchObject &b) { b.SetDate(TBatchObject::dfCreateDate, 0); }, false},
        {"date", [](TBatchObject &b) { b.SetDate(TBatchObject::dfChangeDate, 1); }, true},
        {"date to NaN", [](TBatchObject &b) { b.SetDate(TBatchObject::dfChangeDate, NoValue); }, true},
        {"same text", [](TBatchObject &b) { b.SetText(TBatchObject::tfUser, QString()); }, false},
        {"text", [](TBatchObject &b) { b.SetText(TBatchObject::tfGaugeModelId, QStringLiteral("x")); }, true},
        {"reading flag", [](TBatchObject &b) { b.SetReadingFlag(0, false, rfActive); }, true},
        {"picture", [](TBatchObject &b) { b.AddPicture(QStringLiteral("a"), "b"); }, true},
        {"no pictures to clear", [](TBatchObject &b) { b.ClearPictures(); }, false},
        {"gauge reading", [](TBatchObject &b) { b.AddGaugeReading(0, false, {0x00, 0x90, 0x4E, 0, 0, 0, 0}); }, true},
    };
    for (const Case &c : cases) {
        TBatchObject batch(QString{});
        c.change(batch);
        EXPECT_EQ(batch.IsModified(), c.modified) << c.what;
    }

    TBatchObject batch(QString{});
    batch.SetDate(TBatchObject::dfChangeDate, NoValue);
    ASSERT_TRUE(batch.SetModified(false));
    batch.SetDate(TBatchObject::dfChangeDate, NoValue);
    EXPECT_FALSE(batch.IsModified());      // two NaNs are the same date
}

TEST_F(BatchObjectTest, SeriesFollowCountBlockSizeAndProbeClass)
{
    TBatchObject batch(QString{});
    batch.SetText(TBatchObject::tfProbeType, QStringLiteral("ZQ 5"));
    batch.Series(0).AddReading(1, true, 1);
    batch.SetInteger(TBatchObject::ifSeriesCount, 3);
    ASSERT_EQ(batch.SeriesCount(), 3);
    for (const TStatData &series : batch.Series()) {
        EXPECT_TRUE(series.Readings.empty());
        EXPECT_EQ(series.ProbeClass, pcUltrasonic);
        EXPECT_EQ(series.BlockSize, 1);
        EXPECT_TRUE(IsNoValue(series.UpperLimit));
    }
    batch.SetInteger(TBatchObject::ifBlockSize, 4);
    for (const TStatData &series : batch.Series())
        EXPECT_EQ(series.BlockSize, 4);
    batch.SetInteger(TBatchObject::ifSeriesCount, 0);
    EXPECT_EQ(batch.SeriesCount(), 1);
}

TEST_F(BatchObjectTest, GaugeReadingsAndTimeStampNotes)
{
    TBatchObject batch(QString{});
    batch.SetInteger(TBatchObject::ifSeriesCount, 2);
    batch.Series(1).Notes.push_back({'M', 0, QStringLiteral("earlier remark")});
    EXPECT_TRUE(batch.AddGaugeReading(1, true, {0x01, 0x90, 0x4E, 0, 0, 0, 0}));
    EXPECT_TRUE(batch.AddGaugeReading(1, true, {0xFF, 0x7F, 0x5B, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(batch.AddGaugeReading(0, false, {0x01, 0x90, 0x4E, 0, 0, 0, 0}));
    EXPECT_FALSE(batch.AddGaugeReading(2, false, {0x01, 0x90, 0x4E, 0, 0, 0, 0}));

    const TStatData &layer = batch.Series(1);
    ASSERT_EQ(layer.Readings.size(), 2u);
    EXPECT_EQ(layer.Readings[0].Value, 100);
    EXPECT_EQ(layer.Readings[0].CalNumber, 2);
    EXPECT_TRUE(IsNoValue(layer.Readings[1].Value));
    ASSERT_EQ(layer.Notes.size(), 3u);
    const QString june2011 = TimeStampNoteText(QDateTime(QDate(2011, 6, 1), QTime(0, 0)));
    EXPECT_EQ(layer.Notes[1], (TReadingNote{'M', 0, june2011}));
    EXPECT_EQ(layer.Notes[2], (TReadingNote{'g', 1, june2011}));
    EXPECT_EQ(batch.Series(0).Readings[0].CalNumber, 0);
    EXPECT_TRUE(batch.Series(0).Notes.empty());
}

TEST_F(BatchObjectTest, ReadingFlagsChangeInEverySeries)
{
    TBatchObject batch(QString{});
    batch.SetInteger(TBatchObject::ifSeriesCount, 2);
    batch.Series(0).AddReading(1, true, 1);
    batch.Series(0).AddReading(2, true, 1);
    batch.Series(1).AddReading(3, true, 1);
    ASSERT_TRUE(batch.SetModified(false));
    batch.SetReadingFlag(1, false, rfActive);
    EXPECT_EQ(batch.Series(0).Readings[1].Flags, rfPresent);
    EXPECT_EQ(batch.Series(0).Readings[0].Flags, rfCounted);
    EXPECT_TRUE(batch.Series(1).Modified);
    batch.SetReadingFlag(1, true, rfActive);
    EXPECT_EQ(batch.Series(0).Readings[1].Flags, rfCounted);
}

TEST_F(BatchObjectTest, ResetRestoresDefaults)
{
    TBatchObject batch(QString{});
    Fill(batch);
    batch.Reset();
    EXPECT_FALSE(batch.IsModified());
    EXPECT_EQ(batch.SeriesCount(), 1);
    EXPECT_TRUE(batch.BatchName().isEmpty());
    EXPECT_EQ(batch.ProbeClass(), pcUnknown);
    EXPECT_EQ(batch.BlockSize(), 1);
    EXPECT_EQ(batch.MeasMode(), 0);
    EXPECT_FALSE(batch.TimeStamp());
    EXPECT_TRUE(batch.Pictures().empty());
    EXPECT_TRUE(batch.Notes().isEmpty());
    EXPECT_EQ(batch.CalibrationData(), TCalibrationData());
    EXPECT_EQ(batch.Series(0).Count, 0);
}

#include "BatchFingerprint.h"
#include "ExplorerFixture.h"

#include "explorer/BatchDownload.h"
#include "store/ultrasonic/ZQParamBlock.h"
#include "store/ultrasonic/ZQParamFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

namespace {

// The batch file holds what the gauge holds: every series with every
// reading (value, flags, calibration number).
struct TElement
{
    QString Name;
    quint16 Handle = 0;
    bool ParameterSet = false;
    QString File;
};

void ExpectBatchEqualsGauge(TGaugeModel &model, const TElement &element)
{
    SCOPED_TRACE(element.File.toStdString());
    TBatchObject batch(element.File);
    EXPECT_EQ(batch.BatchName(), element.Name);
    const quint16 handle = element.Handle;
    const int recordSize = model.TimeStamps(handle) ? 7 : 3;
    EXPECT_EQ(batch.SeriesCount(), std::max(1, model.SeriesCount(handle)));
    for (int s = 0; s < batch.SeriesCount(); ++s) {
        const TSimFile *readings = model.File({2, handle, quint8(s)});
        ASSERT_TRUE(readings);
        const auto &records = batch.Series(s).Readings;
        ASSERT_EQ(qsizetype(records.size()), readings->Data.size() / recordSize) << "series " << s;
        for (size_t i = 0; i < records.size(); ++i) {
            TPackedReading packed;
            std::memcpy(packed.data(), readings->Data.constData() + i * size_t(recordSize), 3);
            const TReadingRecord expected = UnpackGaugeReading(packed, s == 0 && batch.SeriesCount() > 1);
            EXPECT_EQ(std::isnan(records[i].Value), std::isnan(expected.Value));
            if (!std::isnan(expected.Value)) {
                EXPECT_FLOAT_EQ(float(records[i].Value), float(expected.Value)) << "reading " << i;
            }
            EXPECT_EQ(records[i].Flags, expected.Flags);
            EXPECT_EQ(records[i].CalNumber, expected.CalNumber);
        }
    }
}

QString EveryNth(int n, int upTo)
{
    QStringList numbers;
    for (int k = n; k <= upTo; k += n)
        numbers << QString::number(k);
    return numbers.join(u',');
}

struct TDownloadFixture : TExplorerFixture
{
    QTemporaryDir Folder;
    std::unique_ptr<TBatchDownload> Download;

    explicit TDownloadFixture(const QString &scenario, bool ultrasonic = false) : TExplorerFixture(scenario, ultrasonic)
    {
        EXPECT_TRUE(Connect());
        EXPECT_TRUE(E().ReadWholeTree());
        Download = std::make_unique<TBatchDownload>(E());
    }
    QString Path(const QString &name) const { return Folder.path() + u'/' + name; }
    // Downloads every batch; the elements written by gauge path.
    QMap<QString, TElement> DownloadAll(bool mirror)
    {
        E().Root()->SetCheckedDeep(true);
        QMap<QString, TElement> expected;
        for (TGaugeTreeNode *node : E().Root()->Flatten()) {
            const bool set = node->Data.ElementType == etParameterSet;
            if (node->Data.ElementType != etBatch && !set)
                continue;
            const QString file = Folder.path() + u'/' + (mirror ? TBatchDownload::DirectoryPart(node).replace(u'\\', u'/') : QString())
                + node->Data.Name + (set ? QStringLiteral(".zqp") : u'.' + Download->BatchExtension);
            expected[node->PathWithoutRoot()] = {node->Data.Name, quint16(node->Data.Handle), set, file};
        }
        // The tree may be gone afterwards (a lost link resets the explorer).
        Complete = Download->DownloadChecked(Folder.path(), mirror);
        QMap<QString, TElement> written;
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            if (Download->WrittenFiles.contains(it->File))
                written[it.key()] = *it;
        }
        return written;
    }
    bool Complete = false;
};

// Writes a parameter value of a batch on the simulated gauge.
void SetGaugeParam(TGaugeModel &model, quint16 handle, const QString &name, quint8 index, const QByteArray &value)
{
    const TSimParamDef *def = model.ParamByName(name);
    ASSERT_TRUE(def);
    model.File({3, handle, 0})->Params[{def->Id, index}] = value;
}

TEST(BatchDownload, FileNameRules)
{
    EXPECT_EQ(TBatchDownload::SafeFileName(QStringLiteral("A/B:C*\"<>?\\|")), QStringLiteral("A_B_C_______"));
    EXPECT_EQ(TBatchDownload::SafeFolderPart(QStringLiteral("D:1\\D*2\\")), QStringLiteral("D:1\\D_2\\"));
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    EXPECT_EQ(TBatchDownload::FreeFileName(folder, QStringLiteral("A/B"), QStringLiteral("dv7")), folder + QStringLiteral("A_B.dv7"));
    QFile(folder + QStringLiteral("A_B.dv7")).open(QIODevice::WriteOnly);
    EXPECT_EQ(TBatchDownload::FreeFileName(folder, QStringLiteral("A/B"), QStringLiteral("dv7")), folder + QStringLiteral("A_B(1).dv7"));
    QFile(folder + QStringLiteral("A_B(1).dv7")).open(QIODevice::WriteOnly);
    EXPECT_EQ(TBatchDownload::FreeFileName(folder, QStringLiteral("A/B"), QStringLiteral("dv7")), folder + QStringLiteral("A_B(2).dv7"));
}

TEST(BatchDownload, EveryBatchOfTheFullGaugeMirrored)
{
    TDownloadFixture f(QStringLiteral("full-gauge"));
    const auto files = f.DownloadAll(true);
    EXPECT_TRUE(f.Complete);
    EXPECT_TRUE(f.Download->IncompleteElements.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(f.Path(QStringLiteral("Bridge 12/Pier 2/Bearing plate.dv7"))));
    EXPECT_TRUE(QFileInfo::exists(f.Path(QStringLiteral("Tank 4/Tank 4 shell.dv7"))));
    for (const TElement &element : files)
        ExpectBatchEqualsGauge(f.Model(), element);

    // Two layers: three series (the NDFT method derives the limits from the NDFT).
    TBatchObject duplex(f.Path(QStringLiteral("Duplex coating.dv7")));
    ASSERT_EQ(duplex.SeriesCount(), 3);
    EXPECT_EQ(duplex.CalTypeNumber(), 8);
    EXPECT_FALSE(IsNoValue(duplex.Series(0).NDFT));

    // Time stamps become notes.
    TBatchObject girder(f.Path(QStringLiteral("Bridge 12/Girder 4.dv7")));
    EXPECT_TRUE(girder.TimeStamp());
    EXPECT_EQ(girder.Series(0).Notes.size(), girder.Series(0).Readings.size());

    // The empty batch is saved with an empty series.
    TBatchObject roof(f.Path(QStringLiteral("Tank 4/Tank 4 roof.dv7")));
    EXPECT_EQ(roof.Series(0).Readings.size(), 0u);
    EXPECT_FALSE(f.Dialog.statuses.isEmpty());
    EXPECT_EQ(f.Dialog.statuses.last(), QStringLiteral("Completed"));
}

TEST(BatchDownload, WithoutCheckedDirectoriesEverythingLandsInTheFolder)
{
    TDownloadFixture f(QStringLiteral("full-gauge"));
    f.Node(QStringLiteral("Bridge 12\\Pier 2\\Bearing plate"))->Checked = true;
    ASSERT_TRUE(f.Download->DownloadChecked(f.Folder.path()));
    EXPECT_TRUE(QFileInfo::exists(f.Path(QStringLiteral("Bearing plate.dv7"))));
    // Again: the name is taken, the next one is numbered.
    ASSERT_TRUE(f.Download->DownloadChecked(f.Folder.path()));
    EXPECT_TRUE(QFileInfo::exists(f.Path(QStringLiteral("Bearing plate(1).dv7"))));
}

TEST(BatchDownload, NothingCheckedNothingSelected)
{
    TDownloadFixture f(QStringLiteral("compact-gauge"));
    f.E().SelectNode(f.E().Root());
    EXPECT_FALSE(f.Download->DownloadChecked(f.Folder.path()));
    EXPECT_EQ(f.Dialog.statuses.last(), TBatchDownload::NoDataText);
}

TEST(BatchDownload, LostAndGarbledAnswersGiveIdenticalFiles)
{
    TDownloadFixture clean(QStringLiteral("demo"));
    const auto cleanFiles = clean.DownloadAll(true);
    ASSERT_TRUE(clean.Complete);

    TDownloadFixture faulty(QStringLiteral("demo"));
    faulty.Sim->Faults().Add(QStringLiteral("drop=") + EveryNth(7, 20000));
    faulty.Sim->Faults().Add(QStringLiteral("corrupt=") + EveryNth(11, 20000));
    const auto faultyFiles = faulty.DownloadAll(true);
    EXPECT_TRUE(faulty.Complete) << faulty.Download->IncompleteElements.join(u',').toStdString();
    ASSERT_EQ(faultyFiles.keys(), cleanFiles.keys());
    for (const QString &key : cleanFiles.keys())
        EXPECT_EQ(BatchFingerprint(faultyFiles[key].File), BatchFingerprint(cleanFiles[key].File)) << key.toStdString();
}

TEST(BatchDownload, TheTotalOfALayeredBatchHasNoLimits)
{
    TDownloadFixture f(QStringLiteral("full-gauge"));
    TGaugeTreeNode *node = f.Node(QStringLiteral("Duplex coating"));
    SetGaugeParam(f.Model(), quint16(node->Data.Handle), QStringLiteral("CalTyp"), 0, QByteArray(1, '\2'));
    ASSERT_EQ(f.Download->DownloadElement(node, f.Folder.path(), false), TBatchDownload::drDone);
    TBatchObject duplex(f.Download->WrittenFiles.last());
    ASSERT_EQ(duplex.SeriesCount(), 3);
    EXPECT_TRUE(IsNoValue(duplex.Series(0).UpperLimit));
    EXPECT_TRUE(IsNoValue(duplex.Series(0).LowerLimit));
    EXPECT_EQ(duplex.Series(1).UpperLimit, 110.0);
    EXPECT_EQ(duplex.Series(2).LowerLimit, 100.0);
    EXPECT_EQ(duplex.CalTypeText(), QStringLiteral("Manual"));
}

TEST(BatchDownload, ReadingsArriveInChunksOf30Bytes)
{
    TDownloadFixture f(QStringLiteral("compact-gauge"));
    TGaugeTreeNode *node = f.Node(QStringLiteral("Batch 01"));
    TSimFile *file = f.Model().File({2, quint16(node->Data.Handle), 0});
    ASSERT_TRUE(file);
    file->Data = file->Data.left(3).repeated(25);
    f.Dialog.progress.clear();
    ASSERT_EQ(f.Download->DownloadElement(node, f.Folder.path(), false), TBatchDownload::drDone);
    const QList<QPair<qint64, qint64>> expected{{30, 75}, {60, 75}, {75, 75}};
    QList<QPair<qint64, qint64>> steps;
    for (const auto &p : f.Dialog.progress) {
        if (p.second == 75)
            steps << p;
    }
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(TBatchObject(f.Download->WrittenFiles.last()).Series(0).Readings.size(), 25u);
}

TEST(BatchDownload, CalibrationTextsAndEmptyNames)
{
    TDownloadFixture f(QStringLiteral("compact-gauge"));
    TGaugeTreeNode *node = f.Node(QStringLiteral("Batch 01"));
    const quint16 handle = quint16(node->Data.Handle);
    SetGaugeParam(f.Model(), handle, QStringLiteral("CalTyp"), 0, QByteArray(1, '\0'));
    SetGaugeParam(f.Model(), handle, QStringLiteral("CalName"), 1, QByteArray(1, '\0'));
    ASSERT_EQ(f.Download->DownloadElement(node, f.Folder.path(), false), TBatchDownload::drDone);
    TBatchObject batch(f.Download->WrittenFiles.last());
    EXPECT_EQ(batch.CalTypeNumber(), 1);
    EXPECT_EQ(batch.CalTypeText(), QStringLiteral("Factory"));
    EXPECT_EQ(batch.CalibrationData().Name(0), QStringLiteral("(Ferrous)"));
}

TEST(BatchDownload, HallSensorReadsTheCalibrationOfItsTarget)
{
    TDownloadFixture f(QStringLiteral("hall-gauge"));
    TGaugeTreeNode *batchNode = nullptr;
    for (TGaugeTreeNode *node : f.E().Root()->Flatten()) {
        if (node->Data.ElementType != etBatch || node->Overlay != ovNone || node->Data.Name == QLatin1String("DirectMode"))
            continue;
        SetGaugeParam(f.Model(), quint16(node->Data.Handle), QStringLiteral("ParTarget"), 0, QByteArray(1, '\1'));
        batchNode = node;
        break;
    }
    ASSERT_TRUE(batchNode);
    SetGaugeParam(f.Model(), quint16(batchNode->Data.Handle), QStringLiteral("CalName"), 2, QByteArrayLiteral("Ball 2"));
    ASSERT_EQ(f.Download->DownloadElement(batchNode, f.Folder.path(), false), TBatchDownload::drDone);
    TBatchObject batch(f.Download->WrittenFiles.last());
    EXPECT_EQ(batch.CalibrationData().Name(1), QStringLiteral("Target ball Ball 2"));
    EXPECT_EQ(batch.CalibrationData().Name(0), QString());
    // A Hall sensor keeps its series limits at index 1, whatever the target.
    EXPECT_FALSE(std::isnan(batch.Series(0).UpperLimit));
    EXPECT_FALSE(std::isnan(batch.Series(0).LowerLimit));
    EXPECT_EQ(batch.CalTypeText(), CalibrationMethodText(batch.CalTypeNumber(), true));
}

TEST(BatchDownload, LinkClosingMidDownloadFailsNamingTheBatch)
{
    TDownloadFixture f(QStringLiteral("compact-gauge"));
    const quint16 handle4 = quint16(f.Node(QStringLiteral("Batch 04"))->Data.Handle);
    f.Sim->Faults().Add(QStringLiteral("close=FFR:12"));
    const auto files = f.DownloadAll(false);
    EXPECT_FALSE(f.Complete);
    EXPECT_EQ(f.Download->IncompleteElements, QStringList{QStringLiteral("Batch 04")});
    EXPECT_EQ(f.Download->NotDownloaded, QStringList{QStringLiteral("Batch 07")});
    EXPECT_TRUE(std::any_of(f.Dialog.statuses.begin(), f.Dialog.statuses.end(),
                            [](const QString &m) { return m.contains(QLatin1String("Incomplete: Batch 04")); }));
    EXPECT_TRUE(std::any_of(f.Dialog.messages.begin(), f.Dialog.messages.end(),
                            [](const QString &m) { return m.contains(QLatin1String("Batch 04")); }));
    // The earlier batches are complete, the broken one keeps what was read.
    EXPECT_EQ(files.keys(), (QStringList{QStringLiteral("Batch 01"), QStringLiteral("Batch 02")}));
    for (const TElement &element : files)
        ExpectBatchEqualsGauge(f.Model(), element);
    const QString partial = f.Path(QStringLiteral("Batch 04.dv7"));
    ASSERT_TRUE(QFileInfo::exists(partial));
    const size_t onGauge = size_t(f.Model().File({2, handle4, 0})->Data.size() / 3);
    const size_t kept = TBatchObject(partial).Series(0).Readings.size();
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, onGauge);
    // The lost link resets the explorer once the download is over.
    EXPECT_EQ(f.E().Root(), nullptr);
}

TEST(BatchDownload, ParameterSetsBecomeParameterSetFiles)
{
    TDownloadFixture f(QStringLiteral("ultrasonic-gauge"), true);
    const auto files = f.DownloadAll(false);
    EXPECT_TRUE(f.Complete) << f.Download->IncompleteElements.join(u',').toStdString();
    int sets = 0;
    for (const TElement &element : files) {
        if (!element.ParameterSet) {
            EXPECT_TRUE(element.File.endsWith(QLatin1String(".zq7")));
            continue;
        }
        ++sets;
        TZQDiagramData fromFile, fromGauge;
        ASSERT_TRUE(TZQParamFile().Read(fromFile, element.File));
        ASSERT_TRUE(TZQParamBlock::ToRecord(f.Model().File({6, element.Handle, 0})->Data, fromGauge));
        EXPECT_EQ(TZQParamBlock::FromRecord(fromFile), TZQParamBlock::FromRecord(fromGauge)) << element.File.toStdString();
    }
    EXPECT_EQ(sets, 3);
}

} // namespace

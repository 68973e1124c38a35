#pragma once

#include "GaugeTreeNode.h"

#include "comm/Buffer.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TBatchObject;
class TGaugeExplorer;

// Copies batches (and, in the ultrasonic edition, parameter sets) from the
// connected gauge into files: one batch file per batch with its
// parameters, calibrations and one series per layer; a parameter-set file
// per parameter set.
class TBatchDownload
{
public:
    static const QString NoDataText;        // "No data available for transmission !"
    static const QString ReadingErrorText;  // "Data reading error!"

    enum TResult { drDone, drFailed, drSkipped };

    explicit TBatchDownload(TGaugeExplorer &explorer);

    // The download action: every checked batch and parameter set (or the
    // selected one when none is checked) into folder; checked directories
    // are created below folder and, with mirror, the elements land in them.
    // True when every element was downloaded completely.
    bool DownloadChecked(const QString &folder, bool mirror = true);
    // One element; mirror keeps the gauge's directories below folder.
    TResult DownloadElement(TGaugeTreeNode *node, const QString &folder, bool mirror);

    // Batch-file extension without the dot (dv7 or zq7).
    QString BatchExtension;
    // The files written and the elements that could not be read completely.
    QStringList WrittenFiles;
    QStringList IncompleteElements;
    // Elements not started because the gauge stopped answering.
    QStringList NotDownloaded;
    std::function<void(const QString &file)> OnFileWritten;

    // File-name rules.
    static QString SafeFileName(const QString &name);
    static QString SafeFolderPart(const QString &directoryPart);
    static QString FreeFileName(const QString &folder, const QString &name, const QString &extension);
    // The node's ancestors that are directories, each followed by "\".
    static QString DirectoryPart(const TGaugeTreeNode *node);

private:
    enum TParamRead { prFailed, prEmpty, prValue };
    // Required and optional batch parameters by name (answer in FValue).
    TParamRead ReadParam(const QString &name, quint8 index);
    bool ReadByte(const QString &name, quint8 index, int &value);
    bool ReadWord(const QString &name, quint8 index, int &value);
    bool ReadSingle(const QString &name, quint8 index, double &value);
    // False only when the gauge did not answer; value stays when it has none.
    bool ReadOptionalSingle(const QString &name, quint8 index, double &value);

    TResult DownloadBatch(TGaugeTreeNode *node, const QString &fileName);
    bool ReadBatchParameters(TGaugeTreeNode *node, TBatchObject &batch, int &seriesCount);
    bool ReadSeriesLimits(TBatchObject &batch, int seriesCount);
    bool ReadCalibrations(TBatchObject &batch);
    bool ReadReadings(TGaugeTreeNode *node, TBatchObject &batch, int seriesCount);
    TResult DownloadParameterSet(TGaugeTreeNode *node, const QString &fileName);
    // Reads length bytes of the open file from its start in chunks; a lost
    // or garbled chunk is asked again after setting the position back.
    bool ReadSequential(quint32 length, quint8 chunk, QByteArray &bytes, qsizetype limit = -1);
    QString ParameterSetName(quint16 handle);
    QString SearchGaugeForHandle(quint16 handle);
    void ReportIncomplete(const QString &name, const QString &fileName);

    TGaugeExplorer &FExplorer;
    TBuffer FValue{};
    const TTreeData *FRoot = nullptr;
    quint8 FSensorFlags = 0;
    int FTargetNumber = 1;
    int FCalTypeNumber = 0;
    bool FTimeStamp = false;
};

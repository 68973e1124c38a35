#pragma once

#include "CalibrationData.h"
#include "GaugeReading.h"
#include "StatData.h"
#include "store/tagged/QelBinaryStreamData.h"

#include <QByteArray>
#include <QString>

#include <vector>

class IUserDialog;

struct TBatchPicture
{
    QString Name;          // file name without directory
    QByteArray Data;       // the complete file content

    bool operator==(const TBatchPicture &) const = default;
};

// One batch in memory and its batch file: a tagged-stream document of type
// "Dalvo7DataBase". Constructing it with a path loads the file when it
// exists; it writes itself back to that path, in place, so attributes it
// does not know survive. Freeing a modified batch saves it.
class TBatchObject
{
public:
    static const QByteArray FileTypeName;        // "Dalvo7DataBase"
    static const QByteArray CurrentFileVersion;  // "1.1"
    static const QString UnknownFormatMessage;   // "Unknown File Format !!!"

    enum TIntegerField {
        ifBlockSize = 0, ifCalTypeNumber = 1, ifSeriesCount = 2, ifTargetNumber = 3,
        ifMeasMode = 4, ifGraphic = 5, ifDataLoggingMode = 6, ifMeasuringRate = 7
    };
    enum TDateField { dfCreateDate = 0, dfChangeDate = 1 };
    enum TTextField {
        tfBatchName = 0, tfUser = 1, tfGaugeType = 2, tfGaugeSerial = 3, tfProbeType = 4,
        tfProbeSerial = 5, tfCalTypeText = 6, tfGaugeModelId = 8
    };

    // dialog: where "Unknown File Format !!!" and errors on destruction go
    // (may be null); it must outlive the batch.
    explicit TBatchObject(const QString &fileName, IUserDialog *dialog = nullptr);
    ~TBatchObject();
    TBatchObject(const TBatchObject &) = delete;
    TBatchObject &operator=(const TBatchObject &) = delete;

    // Setters mark the batch modified when the value changes; they never
    // clear the flag.
    void SetInteger(TIntegerField field, int value);
    void SetDate(TDateField field, double days);
    void SetText(TTextField field, const QString &text);
    void SetNotes(const QByteArray &notes);
    void SetTimeStamp(bool timeStamp);

    // Appends one reading unpacked from the gauge's 7 bytes (3 value bytes,
    // 4 time-stamp bytes) and, with timeStamp, a time-stamp note.
    bool AddGaugeReading(int series, bool timeStamp, const TPackedGaugeReading &packed);
    void CalcStatistics();
    // Sets or clears flag bits of the reading at index in every series.
    void SetReadingFlag(int index, bool set, std::uint8_t mask);

    void ClearPictures();
    void AddPicture(const QString &name, const QByteArray &data);

    bool IsModified() const;
    // false after a modified batch commits: saves first; when the save
    // fails the flags stay and false is returned.
    bool SetModified(bool modified);
    // Writes the batch to its file (through a temporary file). False with
    // LastError() when it could not be written; a batch whose file was
    // rejected at loading is never written over that file.
    bool Save();
    // Saves under a new name as a new file and clears the modified flag.
    bool SaveAs(const QString &fileName);
    // Every field back to its default; the file name and the document stay.
    void Reset();

    const QString &LastError() const { return FLastError; }
    bool FileExisted() const { return FFileExisted; }
    bool FileRejected() const { return FFileRejected; }
    const QString &FileName() const { return FFileName; }
    QByteArray FileType() const { return FDocument.FileType(); }
    QByteArray FileVersion() const { return FDocument.FileVersion(); }

    int SeriesCount() const { return static_cast<int>(FSeries.size()); }
    std::vector<TStatData> &Series() { return FSeries; }
    const std::vector<TStatData> &Series() const { return FSeries; }
    TStatData &Series(int index) { return FSeries.at(static_cast<std::size_t>(index)); }
    const TStatData &Series(int index) const { return FSeries.at(static_cast<std::size_t>(index)); }

    const QString &BatchName() const { return FBatchName; }
    const QString &User() const { return FUser; }
    const QString &GaugeModelId() const { return FGaugeModelId; }
    const QString &GaugeType() const { return FGaugeType; }
    const QString &GaugeSerial() const { return FGaugeSerial; }
    const QString &ProbeType() const { return FProbeType; }
    std::uint8_t ProbeClass() const { return FProbeClass; }
    const QString &ProbeSerial() const { return FProbeSerial; }
    const QString &CalTypeText() const { return FCalTypeText; }
    std::int32_t CalTypeNumber() const { return FCalTypeNumber; }
    double CreateDate() const { return FCreateDate; }
    double ChangeDate() const { return FChangeDate; }
    std::int32_t BlockSize() const { return FBlockSize; }
    std::int32_t TargetNumber() const { return FTargetNumber; }
    std::int32_t MeasMode() const { return FMeasMode; }
    bool TimeStamp() const { return FTimeStamp; }
    std::int32_t Graphic() const { return FGraphic; }
    std::int32_t DataLoggingMode() const { return FDataLoggingMode; }
    std::int32_t MeasuringRate() const { return FMeasuringRate; }
    const QByteArray &Notes() const { return FNotes; }
    const std::vector<TBatchPicture> &Pictures() const { return FPictures; }
    TCalibrationData &CalibrationData() { return FCalibrationData; }
    const TCalibrationData &CalibrationData() const { return FCalibrationData; }

private:
    enum TLayout { lyIndexed, lyPlain, lyNone };

    void Load();
    void ReadFields();
    void ReadSeriesAttributes(TLayout layout);
    void ReadPictures();
    void UpdateDocument();
    void WriteSeriesAttributes(TLayout layout);
    void WritePictures();
    void ReleaseReadingBlobs();
    TLayout Layout() const;
    void CreateSeries(int count);
    void SetIntegerValue(std::int32_t &field, int value);
    void SetTextValue(QString &field, const QString &text);

    bool FFileExisted = false;
    bool FFileRejected = false;
    TQelBinaryStreamData FDocument;
    QString FBatchName;
    QString FUser;
    QString FGaugeModelId;
    QString FGaugeType;
    QString FGaugeSerial;
    QString FProbeType;
    std::uint8_t FProbeClass = pcUnknown;
    QString FProbeSerial;
    QString FCalTypeText;
    std::int32_t FCalTypeNumber = 0;
    double FCreateDate = 0;
    double FChangeDate = 0;
    std::int32_t FBlockSize = 1;
    std::int32_t FTargetNumber = 1;
    std::int32_t FMeasMode = 0;
    bool FTimeStamp = false;
    std::int32_t FGraphic = 1;
    std::int32_t FDataLoggingMode = 1;
    std::int32_t FMeasuringRate = 1;
    bool FModified = false;
    QString FFileName;
    std::vector<TBatchPicture> FPictures;
    TCalibrationData FCalibrationData;
    QByteArray FNotes;
    std::vector<TStatData> FSeries;

    IUserDialog *FDialog = nullptr;
    QString FLastError;
};

// Reading notes as stored in the batch file: one line per note, CR LF
// ended: kind letter, index in decimal, "~", text. Malformed lines are skipped.
QByteArray ReadingNotesToText(const std::vector<TReadingNote> &notes);
std::vector<TReadingNote> ReadingNotesFromText(const QByteArray &text);

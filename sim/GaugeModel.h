#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <compare>
#include <map>
#include <optional>
#include <vector>

// What the simulated gauge reports through info item "E" after a command it
// could not carry out (0 after every command that succeeded).
enum TSimError : quint8 {
    seNone = 0,
    seUnknownCommand = 1,
    seBadArgument = 2,
    seNoFile = 3,
    seNoOpenFile = 4,
    seNoEntry = 5,
    seMemoryFull = 6,
    seNotSupported = 7,
    seNoParameter = 8,
    seNoValue = 9,
    seNotEmpty = 10,
    seNoBatch = 11,
};

// Value types of the gauge's parameter table.
enum TSimParamType : quint8 {
    sptByte = 1,
    sptWord = 2,
    sptSingle = 3,
    sptText = 4,
    sptCalPoint = 5,
};

struct TSimParamDef
{
    QString Name;
    quint8 Type = sptByte;
    quint16 Size = 1;
    quint8 Id = 0;
};

// Element types of tree entries.
enum TSimEntryType : quint16 {
    setNone = 0,      // deleted entry or list head
    setDirectory = 1,
    setBatch = 2,
    setParamSet = 6,
    setFree = 0xFFFF, // slot never used
};

constexpr quint16 NoHandle = 0xFFFF;
constexpr quint16 NoEntry = 0xFFFF;
constexpr quint16 RootHead = 1;       // list head of the top level
constexpr quint16 DirectModeIndex = 2; // the "DirectMode" batch of gauges with directories
constexpr quint16 MaterialHandle = 13; // file type 3 handle 13: the material list
constexpr int MaterialRecordSize = 18;
constexpr int MaxTreeLevel = 6;

// One slot of the tree pool. Every directory owns a list head, a slot of its
// own (type 0, no name) whose list holds the directory's entries in order;
// slot 1 is the head of the top level.
struct TSimEntry
{
    quint16 Type = setNone;
    bool Head = false;
    bool Deleted = false;
    quint16 Handle = NoHandle;
    QDateTime Created;
    QDateTime Changed;
    QString Name;
    QString User;
    quint16 Owner = 0;        // list head whose list holds this entry (0 for heads)
    quint16 ListHead = 0;     // directories: their own list head
    quint16 Directory = 0;    // list heads: the directory they belong to (root head: itself)
    QVector<quint16> Children; // list heads: the entries in order
};

struct TSimFileKey
{
    quint8 Type = 0;
    quint16 Handle = 0;
    quint8 Number = 0; // series number of readings files (type 2), 0 otherwise
    auto operator<=>(const TSimFileKey &) const = default;
};

// A file on the gauge: plain bytes (readings, materials, parameter-set
// blocks) and, for batch parameter files, the parameter values by
// (parameter id, index).
struct TSimFile
{
    QByteArray Data;
    std::map<std::pair<quint8, quint8>, QByteArray> Params;
};

struct TSimEeprom
{
    quint8 Address = 0;
    quint8 Value = 0;
};

enum TSimDisplayKind { sdkMono, sdkGrey };

// The gauge: identity, sensor, parameter table, file system, settings and
// the little state a firmware keeps between commands. All the rules of the
// file system live here; the protocol server only parses and answers.
class TGaugeModel
{
public:
    TGaugeModel();

    // Identity (info group "G") and sensor (group "S").
    QString ModelText = QStringLiteral("Solvanta7 Gauge ZT3X");
    QString GaugeName = QStringLiteral("Solvanta 7");
    QString GaugeSerial = QStringLiteral("0");
    QString Firmware = QStringLiteral("2.15A");
    QMap<QString, QString> GaugeInfo;  // further items ("H", "V", "C", "P", "DU")
    QString SensorName = QStringLiteral("FN 1.5");
    QString SensorSerial = QStringLiteral("0");
    QString SensorVersion = QStringLiteral("1.00");
    QMap<QString, QString> SensorInfo; // further items ("H", "D", "T")
    QStringList TargetBalls;
    QString UnitText = QStringLiteral("um");

    bool Compact = false;              // fixed batch table, no directories
    TSimDisplayKind Display = sdkMono;
    QVector<TSimParamDef> ParamTable;
    QMap<QString, TSimEeprom> Eeprom;  // by name, e.g. "ConfExtDataOut", "ConfUnitSys"
    int TreeCapacity = 512;
    int UsageOffset[3] = {0, 0, 0};    // added to the three usage counters

    // State between commands.
    quint8 SessionCounter = 1;
    quint8 ErrorByte = 0;
    bool PcMode = false;
    QString SensorMode;
    int SensorModeValue = 0;
    QStringList KeysPressed;
    int MenuLine = 0;
    quint16 ActiveBatch = NoEntry;   // tree index
    int BaudSwitches = 0;            // "*SGB" requests seen
    double LastReading = 0;
    int ReadingsMeasured = 0;

    std::optional<TSimFileKey> OpenFile;
    quint32 Position = 0;

    // Tree pool.
    const std::vector<TSimEntry> &Slots() const { return FSlots; }
    const TSimEntry *Entry(int index) const;
    bool IsLive(int index) const;
    quint16 FirstFreeIndex() const { return quint16(FSlots.size()); }
    // Level of a live entry: 1 for the top level.
    int Level(int index) const;
    // The entry that follows index in its list (head: the first entry); 0 at the end.
    quint16 Next(int index) const;
    quint16 Previous(int index) const;
    QString Path(int index) const;
    int FindByPath(const QString &path) const;

    // Appends an entry during scenario loading (no session change).
    quint16 AddEntry(quint16 listHead, quint16 type, const QString &name, quint16 handle,
                     const QDateTime &created, const QDateTime &changed, const QString &user = {});
    // Inserts as the protocol asks (position 1: first in the reference
    // directory; 0: after the reference); following names the entry that is
    // to come next and wins when it lies in the target list.
    TSimError Insert(int position, quint16 type, quint16 reference, quint16 following, quint16 handle,
                     const QString &name, const QString &user, quint16 &newIndex);
    TSimError Rename(quint16 index, const QString &name);
    // 0 deleted, 1 refused, 2 busy (the active batch was closed; repeat).
    quint8 Delete(quint16 index);

    // Files.
    TSimFile *File(const TSimFileKey &key);
    const TSimFile *File(const TSimFileKey &key) const;
    TSimFile &CreateFile(const TSimFileKey &key);
    bool RemoveFile(const TSimFileKey &key);
    void RemoveBatchFiles(quint16 handle);
    bool HandleInUse(quint16 handle) const;
    quint16 FreeHandle() const;
    bool HasBatchFiles(quint16 handle) const { return File({3, handle, 0}) != nullptr; }
    int SeriesCount(quint16 handle) const;
    quint32 ReadingCount(quint16 handle) const;
    bool TimeStamps(quint16 handle) const;
    // Drops files of batches that lack their parameter file or readings file.
    void RebuildAccessTable();

    // Parameters.
    const TSimParamDef *ParamById(quint8 id) const;
    const TSimParamDef *ParamByName(const QString &name) const;
    static QVector<TSimParamDef> DefaultParamTable(bool compact, int sensorFlags);
    // Sensor letters as the PC reads them: bit 0 F, 1 N, 2 H (clears F), 3 Q.
    int SensorFlags() const;
    // The indexes a write lands on and the index a read comes from, after the
    // tolerant conventions (series index 0 = 1, "CalAvail" 0 = every system).
    QVector<quint8> WriteIndexes(const TSimParamDef &def, quint8 index) const;
    quint8 ReadIndex(const TSimParamDef &def, quint8 index) const;
    TSimError WriteParam(TSimFile &file, quint8 id, quint8 index, const QByteArray &value);
    TSimError ReadParam(const TSimFile &file, quint8 id, quint8 index, QByteArray &value) const;

    // Materials (file type 3, handle 13).
    QVector<QPair<QString, int>> Materials() const;
    void SetMaterials(const QVector<QPair<QString, int>> &materials);

    // Usage counters of the tree information answer.
    quint16 DataSectorsUsed() const;
    quint16 PhysicalSectorsUsed() const;
    quint16 OldDataSectors() const { return FOldBytes / 256; }

    // A measurement: stored in the active batch; returns the reading number.
    int Measure(double micrometres);

    void TreeChanged() { ++SessionCounter; if (SessionCounter == 0) SessionCounter = 1; }

private:
    quint16 NewSlot();
    quint16 ListOf(quint16 reference, int position) const;

    std::vector<TSimEntry> FSlots;
    std::map<TSimFileKey, TSimFile> FFiles;
    quint32 FOldBytes = 0;

public:
    const std::map<TSimFileKey, TSimFile> &Files() const { return FFiles; }
};

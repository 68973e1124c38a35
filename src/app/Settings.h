#pragma once

#include "app/ProgramInfo.h"

#include <QChar>
#include <QString>

// The user settings the settings dialog edits as a whole (it copies the
// record, edits the copy and hands it back on OK).
struct TSettingsRecord
{
    int Language = 2057;            // Windows language id: 1031, 2057, 1036, 1034
    quint8 ViewStyle = 2;           // file list: 0 icons, 2 list, 3 details
    quint8 RS232 = 0;               // COM port number of a serial gauge, 0 none
    int ActivePort = 0;             // 0 none, 1 serial, 2 USB, 3 IrDA, 4 Bluetooth
    QString User;                   // default user of a new batch
    quint8 BaseUnit = 0;            // 0 um, 1 mm, 2 cm, 3 mils, 4 inch, 5 thou, 6 and 7 brand Tarvex
    bool FixDecimal = false;
    int Decimal = 1;                // fixed number of decimals, 0-9
    bool AutoRange = true;
    QChar DecimalSeparator = u'.';  // '.' or ','; the system's separator when not stored
    bool UseDefaultNotes = false;
    QString NotesDefaultDir;        // full path of the default notes document
    quint8 Port = 0;                // carried over unchanged
    bool AutoSearch = false;        // carried over unchanged
    bool ReportPreview = true;      // open the exported file after an export
    QString ExportDir;
    bool ExportOverview = true;
    bool ExportStats = true;
    bool ExportReadings = true;
    bool ExportNotes = true;
    bool ExportHisto = true;
    bool ExportTrend = true;
    bool ExportPicture = true;
    QString CompanyLogo;            // picture printed in reports
    int ReportOutput = 0;           // 0 presentation, 1 compact
    bool QuickView = false;
    bool ShowDeleteReadings = true;
    bool ReadingsOnOneTab = false;
    bool CharBlockDescription = false;

    friend bool operator==(const TSettingsRecord &, const TSettingsRecord &) = default;
};

enum TWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

struct TWindowBounds
{
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TWindowBounds &, const TWindowBounds &) = default;
};

struct TWindowPlacement
{
    int State = wsNormal;           // TWindowState as stored
    TWindowBounds Bounds;           // read and written only in the normal state
    friend bool operator==(const TWindowPlacement &, const TWindowPlacement &) = default;
};

// Everything the main window keeps in Settings.ini: the record, the window
// geometry, the start folder, LastDevice and the two Debug switches.
// Load reads every key (a missing key or a value that is no number gives
// the default); Save writes them back in the same order, except the Debug
// and User keys, which the program never writes.
class TSettings
{
public:
    // What the defaults depend on.
    struct TDefaults
    {
        QString programDir;                     // Files/ShellPath
        TWindowBounds mainWindow;               // the main window's initial bounds
        QChar decimalSeparator = u'.';          // the system's decimal separator
    };

    TSettingsRecord Record;
    TWindowPlacement MainWindow;
    int TreeWidth = 265;                        // gauge explorer panel, minimum 260
    int ShellHeight = 83;                       // file browser header panel
    TWindowPlacement ParamForm{wsNormal, {40, 40, 40, 40}};
    QString ShellPath;                          // start folder of the file browser
    QString LastDevice;                         // carried over unchanged
    bool LogFile = false;                       // Debug: read only
    bool RestoreReadings = false;               // Debug: read only

    TSettings() = default;
    explicit TSettings(const TDefaults &defaults);

    // The defaults for this program: its folder, the system's separator.
    static TDefaults SystemDefaults(const TWindowBounds &mainWindow = {});

    // Starts from the defaults and reads the file. Brand Tarvex does not read
    // BaseUnit (its units are 6 and 7; a fresh start always uses 6); any other
    // brand turns a stored unit outside 0-5 into 0.
    void Load(const QString &fileName, TBrand brand);
    // Creates a vanished folder again, then writes every key into the file,
    // keeping whatever else the file holds. False when it could not be written.
    bool Save(const QString &fileName) const;

private:
    TDefaults m_defaults;
};

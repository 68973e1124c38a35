#pragma once

#include "store/ultrasonic/ZQDiagramData.h"
#include "store/ultrasonic/ZQRawSignalFile.h"

#include <QString>

class IUserDialog;
class IZQSensorSignals;
class TIniFile;

// A parameter set on the PC: the files of one base name, the parameter file
// ".zqp" (INI style), the curve file ".pic" and, when saved "full", the raw
// signal files ".ardat" and ".amdat".
class TZQParamFile
{
public:
    static const QString WriteRawErrorText;  // "Error write raw values !"
    static const QString ReadRawErrorText;   // "Error reading reference data!"
    static const QString ComparisonQuestion; // "Show graph for comparison permanently ?"
    static constexpr int CurveFileSize = kZQCurveLength * 8;

    // Both may be null: no messages, no sensor.
    explicit TZQParamFile(IUserDialog *dialog = nullptr, IZQSensorSignals *sensor = nullptr);

    // Reads the files of fileName's base name into data; true when the ".zqp"
    // existed (and could be read). Without it data keeps its parameters, but
    // the signal and curve files are still looked at. withSignals (the
    // editor's "Load parameter set") sends the raw signals to the sensor and
    // offers to keep the curve for comparison.
    bool Read(TZQDiagramData &data, const QString &fileName, bool withSignals = false);

    // Writes data under fileName's base name with Name and Version set from
    // the file name; raw signal files too when the extension contains "full".
    // False when a file could not be written (see ErrorString()).
    bool Write(const TZQDiagramData &data, const QString &fileName);

    QString ErrorString() const { return m_error; }
    // After Read with signals: the person chose to keep the curve for comparison.
    bool ComparisonKept() const { return m_comparisonKept; }

    // The pieces, for callers that work on one file only.
    // Missing or unreadable keys take their defaults; sensorVersion is the
    // default of "SensorSWVersion".
    static void ReadParameters(const TIniFile &ini, TZQDiagramData &data, const QString &sensorVersion);
    static void WriteParameters(TIniFile &ini, const TZQDiagramData &data, const QString &decimalSeparator);
    // Up to 15 significant digits, plain or with an exponent as needed.
    static QString FormatFloat(double value, const QString &decimalSeparator);
    // Takes ".", "," and the locale's separator; false for anything else.
    static bool ParseFloat(const QString &text, double &value);
    // The binary "Text" value: two hexadecimal digits per byte.
    static QString EncodeRemarks(const QString &text);
    static QString DecodeRemarks(const QString &hex);
    // The ".pic" file; ReadCurve returns the number of samples it held (-1: none).
    static int ReadCurve(const QString &fileName, TZQCurve &curve);
    static bool WriteCurve(const QString &fileName, const TZQCurve &curve, QString *error = nullptr);
    // fileName with its extension replaced (appended when it has none).
    static QString WithExtension(const QString &fileName, const QString &extension);

private:
    void LoadSignals(const TZQDiagramData &data, const QString &fileName, quint8 previousRange);
    bool SaveSignals(const TZQDiagramData &data, const QString &fileName);
    void Message(const QString &text);
    bool Fail(const QString &error);

    IUserDialog *m_dialog;
    IZQSensorSignals *m_sensor;
    QString m_error;
    bool m_comparisonKept = false;
};

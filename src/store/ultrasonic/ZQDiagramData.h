#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

// One ultrasonic parameter set: the complete measuring configuration of the
// sensor together with the results of the last measurement made with it.
// Field names are the keys under which the parameter file stores them.

constexpr int kZQDomainCount = 8;   // clipping, blocked and expectancy domains
constexpr int kZQLayerCount = 8;    // layers with speed, material, thickness, reading
constexpr int kZQEchoCount = 10;    // echo "Y", echo "Z", layer echoes 1..8
constexpr int kZQCurveLength = 2048;
constexpr int kZQTextLength = 15;   // names, user, materials

// Echo states of an echo record.
constexpr quint8 kZQEchoUsed = 7;   // 1..6: discarded by the rule of that number

struct TZQClipDomain
{
    bool ClipInvert = false;
    bool ClipEnable = false;
    double ClipStart = 0; // ns from the reference echo
    double ClipLevel = 0; // %
    bool operator==(const TZQClipDomain &) const = default;
};

struct TZQRestDomain
{
    double RestStart = 0; // ns from the reference echo
    double RestLevel = 0; // %
    bool RestEnable = false;
    bool operator==(const TZQRestDomain &) const = default;
};

struct TZQExpDomain
{
    double ExpStart = 0; // µm within the layer
    double ExpEnd = 0;
    bool ExpEnable = false;
    bool operator==(const TZQExpDomain &) const = default;
};

struct TZQEcho
{
    double Amplitude = 0; // %
    double Position = 0;  // ns
    qint32 ArrayPos = 0;  // sample index
    quint8 EchoState = 0;
    bool operator==(const TZQEcho &) const = default;
};

using TZQCurve = std::array<double, kZQCurveLength>;

struct TZQDiagramData
{
    QString Name;
    QString User;
    quint8 Version = 0;
    QString SensorSWVersion;

    quint8 Range = 0; // 0..4: 300, 750, 1600, 3300, 6300 ns
    bool Optimize = false;
    bool SuppressMultiEchos = false;
    quint8 CouplingMode = 0; // 0 thin, 1 middle, 2 thick, 3 user defined
    double CouplingTimeMax = 0;

    quint8 Analyse = 0;     // 0 all, 1 first, 2 last, 3 highest, 4 selected echoes
    quint8 ClipMode = 0;    // 0 global, 1 domain, 2 variable clipping
    quint8 ExtremaMode = 0; // 0 absolute, 1 local extremes
    double PosGlobalClip = 0;
    double NegGlobalClip = 0;
    double MinStepHeight = 0;
    std::array<TZQClipDomain, kZQDomainCount> Clip{};

    double CouplingEcho = 0;
    double CouplingFactor = 0;
    quint8 SignalFlag = 0;
    double HeadEchoPos = 0;
    double HeadEchoStart = 0;
    double HeadEchoEnd = 0;

    std::array<bool, kZQDomainCount> EchoSelect{};
    std::array<TZQRestDomain, kZQDomainCount> Rest{};

    TZQCurve Diagram{};    // measurement curve
    TZQCurve Reference{};
    TZQCurve Comparison{};
    qint32 DiagramCounter = 0;
    qint32 ReferenceCounter = 0;
    qint32 ComparisonCounter = 0;

    qint32 EchoCounter = 0;
    double XMin = 0;
    double XMax = 0;
    double YMin = 0;
    double YMax = 0;
    double AmplMax = 0;
    std::array<TZQEcho, kZQEchoCount> Echo{};

    quint8 LayerMax = 0; // 0 unknown, 1..5
    std::array<TZQExpDomain, kZQDomainCount> Exp{};

    std::array<double, kZQLayerCount> Speed{}; // m/s
    std::array<QString, kZQLayerCount> Material{};
    std::array<double, kZQLayerCount> Thickness{}; // µm, for the sound-velocity calibration
    double SpeedCorrectionFactor = 0;
    qint32 ReadingCounter = 0;
    std::array<double, kZQLayerCount> Reading{}; // µm

    QString Text; // remarks, lines separated by CR LF

    bool operator==(const TZQDiagramData &) const = default;

    // True when any blocked domain is in use.
    bool RestActive() const;
    // True when any expectancy domain is in use.
    bool ExpActive() const;

    // Defaults of a new parameter set. sensorVersion is the connected
    // sensor's version text; without a sensor the set gets "0.00B000".
    void Reset(const QString &sensorVersion = {});

    // Length of the measuring range in ns, wherever sample times are computed.
    double RangeEnd() const { return RangeEnd(Range, SensorSWVersion); }
    static double RangeEnd(int range, const QString &sensorVersion);

    // Sensor versions compare as texts, character by character.
    static bool VersionAtLeast(const QString &version, const QString &minimum);

    // The remarks as lines (CR LF, LF or CR separated).
    QStringList TextLines() const;
};

extern const QString kZQNoSensorVersion; // "0.00B000"

#pragma once

#include "GaugeTreeNode.h"

#include <QString>

// Group and model code of a gauge by its type designation.
struct TGaugeClass
{
    quint8 Group = 0;      // 1 built-in sensor, 2 plug-in sensor, 3 codes 6-8
    quint8 ModelCode = 0;  // 9: the two gauges of brand Tarvex
    bool operator==(const TGaugeClass &) const = default;
};
TGaugeClass ClassifyGauge(const QString &designation);

// Sensor flags from the sensor name: "F" ferrous, "N" non-ferrous, "Q"
// ultrasonic; "H" (Hall) replaces ferrous.
quint8 SensorFlagsOf(const QString &sensorName);

// The oldest firmware that the program works with, for a gauge class.
QString RequiredFirmware(const TGaugeClass &gauge, bool ultrasonicEdition);
// Firmware versions compare as plain strings, character by character.
bool FirmwareAtLeast(const QString &version, const QString &required);

// Whether each gauge action is shown and available for a node.
struct TActionState
{
    bool Visible = false;
    bool Available = false;
};
struct TGaugeActions
{
    TActionState NewBatch, NewDir, Rename, Delete, QuickInfo, Download, InsertStructure, ShowAPicture,
        ZQParameter, DirectImport;
};
TGaugeActions ActionsFor(const TGaugeTreeNode *node, bool ultrasonicEdition);

// Calibration method text of a calibration type number; empty beyond the table.
QString CalibrationMethodText(int number, bool hallSensor);

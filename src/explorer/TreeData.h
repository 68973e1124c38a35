#pragma once

#include "comm/Device.h"
#include "comm/commands/Gauge2.h"

#include <QDateTime>
#include <QString>

#include <vector>

class TGaugeTreeNode;

// Kinds of gauge-tree nodes.
enum TElementType : quint8 { etGauge = 0, etDirectory = 1, etBatch = 2, etParameterSet = 6 };

// Sensors a gauge offers (root SensorFlags).
enum TSensorFlag : quint8 { sfFerrous = 1, sfNonFerrous = 2, sfHall = 4, sfUltrasonic = 8 };

// The record of one gauge-tree node. Identity fields are filled on the
// root only; a child starts as a copy of its parent with the element
// fields replaced.
struct TTreeData
{
    static constexpr int NameMax = 80;
    static inline const QString NotRead = QStringLiteral("------");

    TGaugeTreeNode *RootNode = nullptr;
    quint8 ChildrenRead = 0;
    qint32 Handle = 0;
    qint32 TreeIndex = 0;
    quint8 ElementType = etGauge;
    QString UnitText;
    TDevice Device;
    QString Name;
    qint32 Port = 0;
    QString GaugeType;
    quint8 GaugeGroup = 0;
    quint8 ModelCode = 0;
    QString GaugeSerial;
    QString ConnectionName;
    QString FirmwareVersion;
    TGauge2ParamList ParamList;
    qint32 SessionCounter = 0;
    QString CreateDate, ChangeDate, User, Readings, SensorType, SensorSerial;
    // The quick-information dates as the gauge sent them (the texts above
    // are for display only).
    QDateTime CreateDateTime, ChangeDateTime;
    QString SensorVersion;
    quint8 SensorFlags = 0;

    bool HasQuickInfo() const { return !CreateDate.isEmpty(); }
    void ClearQuickInfo() { CreateDate = ChangeDate = User = Readings = SensorType = SensorSerial = QString(); }
};

// One entry of the expansion memory: which directory was open before a
// directory was read again.
struct TTreeElementStatus
{
    QString Path;
    QByteArray NameStart;  // first 15 characters of the node's name, zero-filled to 16 bytes
    bool Expanded = false;
};
using TTreeElementStatusList = std::vector<TTreeElementStatus>;

#pragma once

#include <QJsonObject>
#include <QString>

class TGaugeModel;
class TFaultPlan;

// Gauge scenarios as JSON (sim/scenarios/*.json, format in
// docs/simulator.md). The state written on exit uses the same format, so a
// saved state loads again as a scenario.
class TScenario
{
public:
    static bool Load(const QJsonObject &json, TGaugeModel &model, TFaultPlan &faults, QString *error);
    static QJsonObject Save(const TGaugeModel &model);
};

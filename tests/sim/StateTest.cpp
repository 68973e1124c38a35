#include "SimTestLink.h"

#include "sim/Scenario.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

// The state written on exit holds what the PC uploaded, as micrometres and
// named parameters, and loads again as the same gauge.

namespace {

constexpr int Star = 0x80;

QJsonObject FindEntry(const QJsonArray &list, const QString &name)
{
    for (const QJsonValue &value : list) {
        const QJsonObject entry = value.toObject();
        if (entry.value(QStringLiteral("batch")).toString() == name
            || entry.value(QStringLiteral("directory")).toString() == name)
            return entry;
    }
    return {};
}

void StripIndexes(QJsonValue &value)
{
    if (value.isArray()) {
        QJsonArray array = value.toArray();
        for (QJsonValueRef item : array) {
            QJsonValue copy = item;
            StripIndexes(copy);
            item = copy;
        }
        value = array;
    } else if (value.isObject()) {
        QJsonObject object = value.toObject();
        object.remove(QStringLiteral("index"));
        for (auto it = object.begin(); it != object.end(); ++it) {
            QJsonValue copy = it.value();
            StripIndexes(copy);
            it.value() = copy;
        }
        value = object;
    }
}

// What an upload sends: handle, readings file with two readings, parameter
// file with a few parameters, the tree entry.
int Upload(TSimTestLink &link)
{
    const int handle = WordAt(Payload(link.Send(QStringLiteral("*FFH"))), 0);
    link.SendRaw(Bytes({Star | 'F', 'F', 'N', 2}) + Word(handle) + Bytes({0}));
    link.Send(QStringLiteral("*FFW"), Bytes({0x00, 0x90, 0x4E})); // 100 µm
    link.Send(QStringLiteral("*FFW"), Bytes({0x66, 0x96, 0x4C})); // 25.4 µm
    link.Send(QStringLiteral("*FFW"), Bytes({0xFF, 0x7F, 0x5B})); // no value
    link.Send(QStringLiteral("*FFC"));
    link.SendRaw(Bytes({Star | 'F', 'F', 'N', 3}) + Word(handle) + Bytes({0}));
    link.SendRaw(Bytes({Star | 'F', 'P', 'W', 3, 0, 1}));                           // ParTarget
    link.SendRaw(Bytes({Star | 'F', 'P', 'W', 13, 0, 0x00, 0x00, 0x7A, 0x43}));      // ParHiLim 250
    link.SendRaw(Bytes({Star | 'F', 'P', 'W', 18, 1}) + QByteArray("Steel plate"));  // CalName[1]
    link.Send(QStringLiteral("*FFC"));
    link.SendRaw(Bytes({Star | 'F', 'T', 'I', 0, 2, 2}) + Word(7) + Word(0) + Word(handle) + "Girder 5"
                 + QByteArray(1, '\0') + "PC");
    return handle;
}

} // namespace

TEST(SimState, UploadShowsInTheStateAndSurvivesAReload)
{
    TSimTestLink link;
    const int handle = Upload(link);
    const QJsonObject state = link.Sim->State();
    const QJsonObject bridge = FindEntry(state.value(QStringLiteral("tree")).toArray(), QStringLiteral("Bridge 12"));
    const QJsonObject batch = FindEntry(bridge.value(QStringLiteral("entries")).toArray(), QStringLiteral("Girder 5"));
    ASSERT_FALSE(batch.isEmpty());
    EXPECT_EQ(batch.value(QStringLiteral("handle")).toInt(), handle);
    EXPECT_EQ(batch.value(QStringLiteral("user")).toString(), QStringLiteral("PC"));
    const QJsonArray readings = batch[QStringLiteral("series")][0][QStringLiteral("readings")].toArray();
    ASSERT_EQ(readings.size(), 3);
    EXPECT_DOUBLE_EQ(readings[0].toDouble(), 100.0);
    EXPECT_DOUBLE_EQ(readings[1].toDouble(), 25.39990234375);
    EXPECT_TRUE(readings[2].isNull());
    const QJsonObject parameters = batch.value(QStringLiteral("parameters")).toObject();
    EXPECT_EQ(parameters.value(QStringLiteral("ParTarget")).toInt(), 1);
    EXPECT_DOUBLE_EQ(parameters.value(QStringLiteral("ParHiLim[1]")).toDouble(), 250.0);
    EXPECT_EQ(parameters.value(QStringLiteral("CalName[1]")).toString(), QStringLiteral("Steel plate"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.json"));
    QString error;
    ASSERT_TRUE(link.Sim->WriteState(path, &error)) << error.toStdString();
    std::unique_ptr<TGaugeSimulator> reloaded = TGaugeSimulator::FromScenario(path, &error);
    ASSERT_TRUE(reloaded) << error.toStdString();
    QJsonValue before = state;
    QJsonValue after = reloaded->State();
    StripIndexes(before);
    StripIndexes(after);
    EXPECT_EQ(before, after);
}

TEST(SimState, EveryScenarioSurvivesItsOwnState)
{
    for (const char *name : {"full-gauge", "compact-gauge", "hall-gauge", "ultrasonic-gauge", "demo"}) {
        QString error;
        std::unique_ptr<TGaugeSimulator> sim = TGaugeSimulator::FromScenario(QString::fromLatin1(name), &error);
        ASSERT_TRUE(sim) << name << ": " << error.toStdString();
        const QJsonObject state = sim->State();
        TGaugeSimulator reloaded;
        TFaultPlan faults;
        ASSERT_TRUE(TScenario::Load(state, reloaded.Model(), faults, &error)) << name << ": " << error.toStdString();
        EXPECT_EQ(reloaded.State(), state) << name;
    }
}

TEST(SimState, BrokenScenariosAreRefusedWithAReason)
{
    struct TCase
    {
        const char *json;
        const char *reason;
    };
    const QList<TCase> cases = {
        {R"({"tree": [{"file": "x"}]})", "needs"},
        {R"({"tree": [{"batch": "B", "parameters": {"NoSuchName": 1}}]})", "NoSuchName"},
        {R"({"tree": [{"batch": "B", "parameters": {"ParHiLim[1]": "high"}}]})", "ParHiLim"},
        {R"({"gauge": {"compact": true}, "tree": [{"directory": "D"}]})", "compact"},
        {R"({"activeBatch": "Nowhere"})", "Nowhere"},
        {R"({"faults": ["drop=0"]})", "drop=0"},
    };
    for (const TCase &c : cases) {
        TGaugeModel model;
        TFaultPlan faults;
        QString error;
        EXPECT_FALSE(TScenario::Load(QJsonDocument::fromJson(c.json).object(), model, faults, &error)) << c.json;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.json << " -> " << error.toStdString();
    }
}

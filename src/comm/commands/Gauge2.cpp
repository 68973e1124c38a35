#include "Gauge2.h"

#include "comm/ports/GaugePort.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <thread>

TGauge2::TGauge2(TZYKComm2Item &connection) : FConnection(connection)
{
    FPreviousOnTelegram = FConnection.OnTelegram;
    FConnection.OnTelegram = [this](QObject *sender, const TTelegramData &telegram, TBuffer &response) {
        if (FPreviousOnTelegram)
            FPreviousOnTelegram(sender, telegram, response);
    };
}

TGauge2::~TGauge2()
{
    FConnection.OnTelegram = FPreviousOnTelegram;
}

bool TGauge2::ReadParamList(TGauge2ParamList &list)
{
    list.clear();
    const int count = FileParamRead.ReadParamCount() ? FileParamRead.ParamCount : 0;
    list.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        if (!FileParamRead.ReadParamEntry(uint8_t(i)))
            return false;
        TGauge2ParamEntry &entry = list[size_t(i)];
        entry.Typ = FileParamRead.ParamTyp;
        entry.Size = FileParamRead.ParamCount;
        entry.ID = FileParamRead.ParamID;
        entry.Name = FileParamRead.ParamName.toUpper().left(MaxParamName);
    }
    return true;
}

int TGauge2::FindParam(const TGauge2ParamList &list, const QString &name)
{
    const QString wanted = name.toUpper();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].Name == wanted)
            return int(i);
    }
    return -1;
}

bool TGauge2::ReadParamByName(const TGauge2ParamList &list, const QString &name, uint8_t sub, TBuffer &value)
{
    value = TBuffer{};
    const int index = FindParam(list, name);
    if (index < 0)
        return false;
    FileParamRead.ReadParamValue(list[size_t(index)].ID, sub);
    value = FileParamRead.ParamValue;
    return value.Count() != 0;
}

bool TGauge2::WriteParamByName(const TGauge2ParamList &list, const QString &name, const TBuffer &data, uint8_t sub)
{
    const int index = FindParam(list, name);
    if (index < 0)
        return false;
    return FileParamWrite.Execute(list[size_t(index)].ID, sub, data);
}

namespace {
// Puts the item's time-out and retry count back however the wait ends.
class TSavedLinkSettings
{
public:
    explicit TSavedLinkSettings(TZYKComm2Item &item)
        : FItem(item), FReceiveTimeout(item.ReceiveTimeout()), FRetryMax(item.RetryMax()) {}
    ~TSavedLinkSettings()
    {
        FItem.SetReceiveTimeout(FReceiveTimeout);
        FItem.SetRetryMax(FRetryMax);
    }

private:
    TZYKComm2Item &FItem;
    quint32 FReceiveTimeout;
    quint32 FRetryMax;
};
} // namespace

bool TGauge2::WaitForGauge(int pauseMs)
{
    TSavedLinkSettings saved(FConnection);
    FConnection.SetReceiveTimeout(1000);
    FConnection.SetRetryMax(0);
    bool answered = false;
    for (int attempt = 0; attempt < 30 && !answered; ++attempt) {
        Pause(pauseMs);
        answered = FConnection.Ping();
    }
    return answered;
}

void TGauge2::Pause(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (TGaugePort *port = FConnection.Transport())
            port->Poll();
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

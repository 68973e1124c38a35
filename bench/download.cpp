// Downloading the 10,000-reading batch from the simulated gauge paced at
// 115200 baud, against the lower bound of the transactions it made: every
// byte on the wire (10 bits each, both directions) plus the send delay
// before each request.
#include "explorer/BatchDownload.h"
#include "explorer/GaugeExplorer.h"

#include "comm/ports/GaugePort.h"
#include "sim/GaugeSimulator.h"
#include "support/ScriptedUserDialog.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>

namespace {

constexpr int Baud = 115200;

// Counts the bytes each way and the requests written.
class TCountingPort : public TGaugePort
{
public:
    explicit TCountingPort(std::unique_ptr<TGaugePort> inner) : FInner(std::move(inner))
    {
        FInner->SetDataHandler([this](const quint8 *data, int size) {
            Received += size;
            Deliver(data, size);
        });
        FInner->SetStateHandler([this](bool connected, int error) { ReportState(connected, error); });
    }
    TErrMsg Open(const TPortSettings &settings) override { return FInner->Open(settings); }
    void Close() override { FInner->Close(); }
    bool IsOpen() const override { return FInner->IsOpen(); }
    TErrMsg Write(const QByteArray &bytes) override
    {
        Sent += bytes.size();
        ++Writes;
        return FInner->Write(bytes);
    }
    void Poll() override { FInner->Poll(); }

    qint64 Sent = 0, Received = 0, Writes = 0;

private:
    std::unique_ptr<TGaugePort> FInner;
};

void BM_DownloadTenThousandReadings(benchmark::State &state)
{
    QString error;
    std::shared_ptr<TGaugeSimulator> sim = TGaugeSimulator::FromScenario(QStringLiteral("full-gauge"), &error);
    if (!sim) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    sim->SetBaudRate(Baud);
    auto counting = std::make_unique<TCountingPort>(TGaugeSimulator::Attach(sim));
    TCountingPort *port = counting.get();
    TZYKComm2Item item;
    item.SetCmdSendDelay(10);  // as the desktop program's connection
    item.SetRetryMax(2);
    item.AttachTransport(std::move(counting));
    item.Open(true);
    ScriptedUserDialog dialog;
    TGaugeExplorer explorer(item, false, dialog);
    if (!explorer.GaugeConnected(false) || !explorer.ReadWholeTree()) {
        state.SkipWithError("gauge not connected");
        return;
    }
    explorer.CheckTimer().stop();
    TGaugeTreeNode *node = explorer.FindNode(QStringLiteral("Tank 4\\Tank 4 shell"));
    QTemporaryDir folder;
    double ratio = 0, seconds = 0, bound = 0;
    for (auto _ : state) {
        TBatchDownload download(explorer);
        const qint64 sent = port->Sent, received = port->Received, writes = port->Writes;
        const auto start = std::chrono::steady_clock::now();
        if (download.DownloadElement(node, folder.path(), false) != TBatchDownload::drDone) {
            state.SkipWithError("download failed");
            return;
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double wire = double((port->Sent - sent) + (port->Received - received)) * 10.0 / Baud;
        bound = wire + double(port->Writes - writes) * item.CmdSendDelay() / 1000.0;
        ratio = seconds / bound;
        state.counters["transactions"] = double(port->Writes - writes);
    }
    state.counters["seconds"] = seconds;
    state.counters["bound_s"] = bound;
    state.counters["ratio"] = ratio;
}

} // namespace

BENCHMARK(BM_DownloadTenThousandReadings)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

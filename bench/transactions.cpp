// Transactions over the in-process loopback: the rate with no send delay,
// and the time each transaction costs beyond the send delay of the desktop
// program's connection (CmdSendDelay 10 ms).
#include "comm/FrameAssembler.h"
#include "comm/TelegramCodec.h"
#include "comm/ZYKComm2Item.h"
#include "comm/ports/LoopbackPort.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <chrono>

namespace {

// The gauge end: answers every request with a 30-byte encoded payload, as a
// readings chunk of a download.
struct TEchoGauge
{
    TCodecState codec;
    TFrameAssembler assembler;
    TLoopbackPort *port = nullptr;

    explicit TEchoGauge(TLoopbackPort *end) : port(end)
    {
        codec.TransmitAdr = 53;
        codec.ReceiveAdr = 127;
        port->SetDataHandler([this](const quint8 *data, int size) {
            for (int i = 0; i < size; ++i) {
                if (!assembler.Feed(data[i]))
                    continue;
                TTelegramData request;
                if (DecodeFrame(codec, assembler.Frame(), request) != emNone)
                    continue;
                TBuffer answer = TBuffer::FromContent({0x80});
                for (int b = 0; b < 30; ++b)
                    answer.Append(static_cast<quint8>(b * 7));
                TBuffer frame;
                BuildFrame(codec, fkAnswer, 0, answer, frame);
                port->Write(frame.Content());
            }
        });
    }
};

void RunTransactions(benchmark::State &state, quint32 sendDelay)
{
    auto [pcEnd, gaugeEnd] = TLoopbackPort::CreatePair();
    TEchoGauge gauge(gaugeEnd.get());
    TZYKComm2Item item;
    item.AttachTransport(std::move(pcEnd));
    item.SetCmdSendDelay(sendDelay);
    item.SetRetryMax(2);
    if (item.Open(true) != emNone) {
        state.SkipWithError("loopback did not open");
        return;
    }
    const TBuffer request = EncodeLineCommand(QStringLiteral("*FFR 0001 1E"));
    TBuffer reply;
    item.Transact(request, reply);  // the first send has no delay before it
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (item.Transact(request, reply) != emNone || reply.Count() != 30) {
            state.SkipWithError("transaction failed");
            return;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double perTransactionMs = seconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["transactions_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["overhead_ms"] = perTransactionMs - sendDelay;
}

void BM_LoopbackTransactionsNoSendDelay(benchmark::State &state)
{
    RunTransactions(state, 0);
}

void BM_LoopbackTransactionsSendDelay10(benchmark::State &state)
{
    RunTransactions(state, 10);
}

} // namespace

BENCHMARK(BM_LoopbackTransactionsNoSendDelay)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LoopbackTransactionsSendDelay10)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Loading and saving tagged-stream documents against a plain read (and a
// plain write through QSaveFile) of the same file, measured in the same run.
//   blob16m:  one attribute holding a 16 MiB blob
//   small100k: 100,000 small attributes (doubles, bytes, short strings)
#include "store/tagged/QelBinaryStreamData.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

struct TFixture
{
    QString path;
    QByteArray bytes;
};

QTemporaryDir &Dir()
{
    static QTemporaryDir dir;
    return dir;
}

void FillBlob(TQelBinaryStreamData &doc)
{
    doc.SetFileType("Dalvo7DataBase");
    doc.SetFileVersion("1.1");
    QByteArray blob(16 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < blob.size(); ++i)
        blob[i] = char(i * 7 + (i >> 12));
    doc.AddAttribute<TQelBinaryBlob>("Readings0")->SetValue(blob);
}

void FillSmall(TQelBinaryStreamData &doc)
{
    doc.SetFileType("Dalvo7DataBase");
    doc.SetFileVersion("1.1");
    for (int i = 0; i < 100000; ++i) {
        const QByteArray name = "Attribute" + QByteArray::number(i);
        switch (i % 3) {
        case 0:
            doc.AddAttribute<TQelBinaryDouble>(name)->SetValue(i * 0.25);
            break;
        case 1:
            doc.AddAttribute<TQelBinaryByte>(name)->SetValue(quint8(i));
            break;
        default:
            doc.AddAttribute<TQelBinaryShortString>(name)->SetValue("value " + QByteArray::number(i));
        }
    }
}

const TFixture &Fixture(const std::string &kind)
{
    static std::map<std::string, TFixture> fixtures;
    auto found = fixtures.find(kind);
    if (found != fixtures.end())
        return found->second;
    TQelBinaryStreamData doc;
    kind == "blob16m" ? FillBlob(doc) : FillSmall(doc);
    TFixture fixture{Dir().filePath(QString::fromStdString(kind) + ".dv7"), doc.SaveToBytes()};
    doc.SaveToFile(fixture.path);
    return fixtures[kind] = fixture;
}

void PlainRead(benchmark::State &state, const std::string &kind)
{
    const TFixture &fixture = Fixture(kind);
    for (auto _ : state) {
        QFile file(fixture.path);
        file.open(QIODevice::ReadOnly);
        QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * fixture.bytes.size());
}

void Load(benchmark::State &state, const std::string &kind)
{
    const TFixture &fixture = Fixture(kind);
    for (auto _ : state) {
        TQelBinaryStreamData doc;
        if (doc.LoadFromFile(fixture.path) != lrOk)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc.Attributes().Count());
    }
    state.SetBytesProcessed(state.iterations() * fixture.bytes.size());
}

void PlainWrite(benchmark::State &state, const std::string &kind)
{
    const TFixture &fixture = Fixture(kind);
    const QString path = fixture.path + ".plain";
    for (auto _ : state) {
        QSaveFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(fixture.bytes);
        file.commit();
    }
    state.SetBytesProcessed(state.iterations() * fixture.bytes.size());
}

void Save(benchmark::State &state, const std::string &kind)
{
    const TFixture &fixture = Fixture(kind);
    TQelBinaryStreamData doc;
    doc.LoadFromFile(fixture.path);
    const QString path = fixture.path + ".saved";
    for (auto _ : state)
        doc.SaveToFile(path);
    state.SetBytesProcessed(state.iterations() * fixture.bytes.size());
}

// Keeps the time per iteration of every run for the ratios printed at the end.
class TRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK_CAPTURE(PlainRead, blob16m, "blob16m")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, blob16m, "blob16m")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainWrite, blob16m, "blob16m")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, blob16m, "blob16m")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainRead, small100k, "small100k")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, small100k, "small100k")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainWrite, small100k, "small100k")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, small100k, "small100k")->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char *kind : {"blob16m", "small100k"}) {
        const std::string k = kind;
        auto ratio = [&](const char *what, const char *baseline) {
            const auto a = reporter.times.find(std::string(what) + "/" + k);
            const auto b = reporter.times.find(std::string(baseline) + "/" + k);
            if (a != reporter.times.end() && b != reporter.times.end() && b->second > 0)
                std::printf("%-10s %-5s %6.2fx %s\n", kind, what, a->second / b->second, baseline);
        };
        ratio("Load", "PlainRead");
        ratio("Save", "PlainRead");
        ratio("Save", "PlainWrite");
    }
    benchmark::Shutdown();
    return 0;
}

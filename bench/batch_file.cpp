// Batch file of 1,000,000 readings in one series: loading (which computes the
// statistics), CalcStatistics alone and saving, each against plain file I/O
// of the same bytes in the same run, loading also from a heap without free
// memory (a first open); then the peak memory of load + statistics + save
// against the file size.

#include "store/batch/BatchObject.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int ReadingCount = 1000000;

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void MakeBatchFile(const QString &path)
{
    TBatchObject batch(QString{});
    batch.SetText(TBatchObject::tfProbeType, QStringLiteral("FN1.5"));
    TStatData &series = batch.Series(0);
    series.SetInput(siUpperLimit, 130);
    series.SetInput(siLowerLimit, 70);
    std::mt19937 random(7);
    std::normal_distribution<double> thickness(100, 12);
    series.Readings.reserve(ReadingCount);
    for (int i = 0; i < ReadingCount; ++i)
        series.AddReading(thickness(random), i % 97 != 0, 1);
    if (!batch.SaveAs(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// kB figures of /proc/self/status.
long StatusKb(const char *key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    }
    return -1;
}

bool ResetPeakRss()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

class TCollectingReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            seconds[run.benchmark_name()] = run.GetAdjustedRealTime() * 1e-9;
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.dv7"));
    const QString savePath = dir.filePath(QStringLiteral("saved.dv7"));
    const QString plainPath = dir.filePath(QStringLiteral("plain.bin"));
    MakeBatchFile(path);
    const double fileMb = QFileInfo(path).size() / 1048576.0;

    // Peak memory of load + statistics + save, from a settled heap.
    malloc_trim(0);
    const bool peakReset = ResetPeakRss();
    const long rssBefore = StatusKb("VmRSS:");
    {
        TBatchObject batch(path);
        batch.Series(0).Modified = true;
        if (!batch.SaveAs(savePath))
            return 1;
    }
    const long peak = StatusKb("VmHWM:");

    benchmark::RegisterBenchmark("plain_read", [&](benchmark::State &state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(ReadFile(path));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("load_and_statistics", [&](benchmark::State &state) {
        for (auto _ : state) {
            TBatchObject batch(path);
            benchmark::DoNotOptimize(batch.Series(0).Mean);
        }
    })->Unit(benchmark::kMillisecond);
    // The same two from a heap that has given its memory back, as when a
    // program opens its first large file: every page is fresh.
    benchmark::RegisterBenchmark("plain_read_first_open", [&](benchmark::State &state) {
        for (auto _ : state) {
            state.PauseTiming();
            malloc_trim(0);
            state.ResumeTiming();
            benchmark::DoNotOptimize(ReadFile(path));
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("load_and_statistics_first_open", [&](benchmark::State &state) {
        for (auto _ : state) {
            state.PauseTiming();
            malloc_trim(0);
            state.ResumeTiming();
            TBatchObject batch(path);
            benchmark::DoNotOptimize(batch.Series(0).Mean);
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("document_load_only", [&](benchmark::State &state) {
        for (auto _ : state) {
            TQelBinaryStreamData document;
            benchmark::DoNotOptimize(document.LoadFromFile(path));
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("calc_statistics", [&](benchmark::State &state) {
        TBatchObject batch(path);
        for (auto _ : state) {
            batch.CalcStatistics();
            benchmark::DoNotOptimize(batch.Series(0).Median);
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("plain_write", [&](benchmark::State &state) {
        const QByteArray bytes = ReadFile(path);
        for (auto _ : state) {
            QSaveFile file(plainPath);
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            benchmark::DoNotOptimize(file.commit());
        }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("save", [&](benchmark::State &state) {
        TBatchObject batch(path);
        for (auto _ : state)
            benchmark::DoNotOptimize(batch.SaveAs(savePath));
    })->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    TCollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto &s = reporter.seconds;
    std::printf("\nfile: %d readings, %.1f MiB\n", ReadingCount, fileMb);
    if (s.count("plain_read") && s.count("load_and_statistics") && s.count("calc_statistics")) {
        std::printf("load + statistics / plain read: %.2fx (target <= 3x)\n",
                    s["load_and_statistics"] / s["plain_read"]);
        std::printf("statistics alone / plain read:  %.2fx\n", s["calc_statistics"] / s["plain_read"]);
        if (s.count("plain_read_first_open") && s.count("load_and_statistics_first_open"))
            std::printf("first open: load + statistics / plain read: %.2fx\n",
                        s["load_and_statistics_first_open"] / s["plain_read_first_open"]);
        if (s.count("document_load_only"))
            std::printf("document load alone / plain read: %.2fx\n", s["document_load_only"] / s["plain_read"]);
    }
    if (s.count("plain_write") && s.count("save"))
        std::printf("save / plain write:             %.2fx\n", s["save"] / s["plain_write"]);
    if (peakReset && peak > 0)
        std::printf("peak memory of load + statistics + save: %.1f MiB above the %.1f MiB before = %.2fx file size"
                    " (target < 3x)\n",
                    (peak - rssBefore) / 1024.0, rssBefore / 1024.0, (peak - rssBefore) / 1024.0 / fileMb);
    else
        std::printf("peak memory: could not reset the high-water mark\n");
    return 0;
}

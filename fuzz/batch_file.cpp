// Batch files from anywhere: load (which computes the statistics); when the
// file is taken as a batch, save it under another name, load that, and check
// that every series kept its readings and statistics.
#include "store/batch/BatchObject.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

bool SameFigure(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("input.dv7"));
    const QString saved = dir.filePath(QStringLiteral("saved.dv7"));
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    TBatchObject batch(input);
    if (batch.FileRejected())
        return 0;
    if (!batch.SaveAs(saved))
        __builtin_trap();
    const TBatchObject again(saved);
    if (again.FileRejected() || again.SeriesCount() != batch.SeriesCount())
        __builtin_trap();
    for (int i = 0; i < batch.SeriesCount(); ++i) {
        const TStatData &before = batch.Series(i);
        const TStatData &after = again.Series(i);
        if (!(before.Readings == after.Readings) || before.Count != after.Count
            || !SameFigure(before.Mean, after.Mean) || !SameFigure(before.Median, after.Median))
            __builtin_trap();
    }
    return 0;
}

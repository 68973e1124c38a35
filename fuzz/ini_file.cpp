// Settings and parameter-set files come from disk and may be hand-edited or
// damaged: parsing, reading every key and writing back must never crash, and
// what is written must parse to the same entries.
#include "app/IniFile.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TIniFile ini;
    ini.SetContent(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    for (const QString &section : ini.Sections()) {
        for (const QString &key : ini.Keys(section)) {
            (void)ini.ReadString(section, key);
            (void)ini.ReadInteger(section, key, 7);
            (void)ini.ReadFloat(section, key, 0.5);
        }
    }
    if (!ini.Sections().isEmpty())
        ini.WriteString(ini.Sections().first(), QStringLiteral("Added"), QStringLiteral("x"));

    TIniFile again;
    again.SetContent(ini.Content());
    for (const QString &section : ini.Sections()) {
        if (ini.SectionValues(section) != again.SectionValues(section))
            std::abort();
    }
    return 0;
}

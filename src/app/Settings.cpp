#include "app/Settings.h"

#include "app/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace {

// Reads each key, the current value serving as the default.
struct TSettingsReader
{
    const TIniFile &ini;
    static constexpr bool saving = false;

    void Int(const char *section, const char *key, int &value) { value = ini.ReadInteger(section, key, value); }
    void Byte(const char *section, const char *key, quint8 &value)
    {
        value = static_cast<quint8>(ini.ReadInteger(section, key, value));
    }
    void Bool(const char *section, const char *key, bool &value) { value = ini.ReadBool(section, key, value); }
    void String(const char *section, const char *key, QString &value) { value = ini.ReadString(section, key, value); }
    void Char(const char *section, const char *key, QChar &value)
    {
        value = QChar(static_cast<char16_t>(ini.ReadInteger(section, key, value.unicode())));
    }
};

struct TSettingsWriter
{
    TIniFile &ini;
    static constexpr bool saving = true;

    void Int(const char *section, const char *key, int value) { ini.WriteInteger(section, key, value); }
    void Byte(const char *section, const char *key, quint8 value) { ini.WriteInteger(section, key, value); }
    void Bool(const char *section, const char *key, bool value) { ini.WriteBool(section, key, value); }
    void String(const char *section, const char *key, const QString &value) { ini.WriteString(section, key, value); }
    void Char(const char *section, const char *key, QChar value) { ini.WriteInteger(section, key, value.unicode()); }
};

template <class TIo>
void Bounds(TIo &io, const char *section, TWindowBounds &bounds)
{
    io.Int(section, "Left", bounds.Left);
    io.Int(section, "Top", bounds.Top);
    io.Int(section, "Width", bounds.Width);
    io.Int(section, "Height", bounds.Height);
}

} // namespace

TSettings::TSettings(const TDefaults &defaults)
    : m_defaults(defaults)
{
    MainWindow.Bounds = defaults.mainWindow;
    ShellPath = defaults.programDir;
    Record.DecimalSeparator = defaults.decimalSeparator;
}

TSettings::TDefaults TSettings::SystemDefaults(const TWindowBounds &mainWindow)
{
    TDefaults defaults;
    if (QCoreApplication::instance())
        defaults.programDir = QCoreApplication::applicationDirPath();
    defaults.mainWindow = mainWindow;
    const QString point = QLocale::system().decimalPoint();
    defaults.decimalSeparator = point.size() == 1 ? point[0] : QChar(u'.');
    return defaults;
}

// Every key in the one order in which it is read and written.
template <class TIo>
static void Exchange(TSettings &s, TIo &io, TBrand brand)
{
    TSettingsRecord &r = s.Record;
    io.Int("Setup", "Language", r.Language);
    io.Int("Window", "State", s.MainWindow.State);
    if (s.MainWindow.State == wsNormal)
        Bounds(io, "Window", s.MainWindow.Bounds);
    io.Int("Window", "TreeWidth", s.TreeWidth);
    io.Int("Window", "ShellHeight", s.ShellHeight);
    // The editor's bounds are read in any state but written only in the normal one.
    if (!io.saving || s.ParamForm.State == wsNormal)
        Bounds(io, "ParamForm", s.ParamForm.Bounds);
    io.Int("ParamForm", "State", s.ParamForm.State);
    io.String("Setup", "LastDevice", s.LastDevice);
    io.String("Files", "ShellPath", s.ShellPath);
    io.String("Setup", "User", r.User);
    io.Int("Setup", "ActivePort", r.ActivePort);
    io.Byte("Setup", "ViewStyle", r.ViewStyle);
    if (io.saving || brand != brTarvex)
        io.Byte("Setup", "BaseUnit", r.BaseUnit);
    if (!io.saving && brand == brTarvex && r.BaseUnit != 6 && r.BaseUnit != 7)
        r.BaseUnit = 6;
    else if (!io.saving && brand != brTarvex && r.BaseUnit > 5)
        r.BaseUnit = 0; // the units of brand Tarvex, or no unit at all
    io.Bool("Setup", "FixDecimal", r.FixDecimal);
    io.Int("Setup", "Decimal", r.Decimal);
    io.Bool("Setup", "AutoRange", r.AutoRange);
    io.Char("Setup", "DecimalSeparator", r.DecimalSeparator);
    io.Bool("Setup", "UseDefaultNotes", r.UseDefaultNotes);
    io.String("Files", "NotesDefaultDir", r.NotesDefaultDir);
    io.Byte("Setup", "Port", r.Port);
    io.Byte("Setup", "RS232", r.RS232);
    io.Bool("Setup", "AutoSearch", r.AutoSearch);
    io.String("Files", "ExportDir", r.ExportDir);
    io.Bool("Setup", "ReportPreview", r.ReportPreview);
    io.Bool("Setup", "ExportOverview", r.ExportOverview);
    io.Bool("Setup", "ExportStats", r.ExportStats);
    io.Bool("Setup", "ExportReadings", r.ExportReadings);
    io.Bool("Setup", "ExportNotes", r.ExportNotes);
    io.Bool("Setup", "ExportHisto", r.ExportHisto);
    io.Bool("Setup", "ExportTrend", r.ExportTrend);
    io.Bool("Setup", "ExportPicture", r.ExportPicture);
    io.String("Files", "CompanyLogo", r.CompanyLogo);
    io.Bool("Setup", "QuickView", r.QuickView);
    io.Bool("Setup", "ShowDeleteReadings", r.ShowDeleteReadings);
    io.Int("Setup", "ReportOutput", r.ReportOutput);
    io.Bool("Special", "ReadingsOnOneTab", r.ReadingsOnOneTab);
    io.Bool("Special", "CharBlockDescription", r.CharBlockDescription);
    if (!io.saving) {
        io.Bool("Debug", "LogFile", s.LogFile);
        io.Bool("Debug", "RestoreReadings", s.RestoreReadings);
    }
}

void TSettings::Load(const QString &fileName, TBrand brand)
{
    *this = TSettings(m_defaults);
    const TIniFile ini(fileName);
    TSettingsReader reader{ini};
    Exchange(*this, reader, brand);
}

bool TSettings::Save(const QString &fileName) const
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    TIniFile ini(fileName);
    TSettingsWriter writer{ini};
    TSettings copy = *this;
    Exchange(copy, writer, brOther);
    return ini.Save(fileName);
}

#include "store/ultrasonic/ZQParamFile.h"

#include "app/IniFile.h"
#include "store/ultrasonic/ZQSensorSignals.h"
#include "support/ScriptedUserDialog.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The value a 15-digit text stands for, so that it survives the file exactly.
double D(double value)
{
    return QString::number(value, 'g', 15).toDouble();
}

// Every field the parameter file keeps, with values a 15-digit text holds exactly.
TZQDiagramData StoredRecord()
{
    TZQDiagramData d;
    d.Reset(QStringLiteral("0.96B185"));
    d.User = QStringLiteral("Inspector Ä");
    d.Range = 3;
    d.Optimize = true;
    d.SuppressMultiEchos = true;
    d.CouplingMode = 3;
    d.CouplingTimeMax = 123.456;
    d.Analyse = 4;
    d.ClipMode = 1;
    d.ExtremaMode = 0;
    d.PosGlobalClip = 2.75;
    d.NegGlobalClip = -0.01;
    d.MinStepHeight = 0.2;
    for (int n = 0; n < kZQDomainCount; ++n) {
        const auto i = size_t(n);
        d.Clip[i] = {n % 2 == 0, n % 3 == 0, 10.125 + n, -20.5 + n};
        d.Rest[i] = {100.5 + n, D(30.3 - n), n % 2 == 1};
        d.Exp[i] = {5.5 + n, 50.25 + n, n % 3 != 1};
        d.EchoSelect[i] = n != 2;
        d.Speed[i] = 2000.5 + n;
        d.Material[i] = QStringLiteral("Material %1").arg(n + 1);
        d.Thickness[i] = D(11.1 * (n + 1));
        d.Reading[i] = D(0.000012345 * (n + 1));
    }
    d.LayerMax = 5;
    d.CouplingEcho = 12.5;
    d.CouplingFactor = 0.987654321012345;
    d.HeadEchoPos = 4.25;
    d.HeadEchoStart = 3.5;
    d.HeadEchoEnd = 1e-7;
    d.EchoCounter = 10;
    d.XMin = 1;
    d.XMax = 300;
    d.YMin = -55.5;
    d.YMax = 66.25;
    d.AmplMax = 66.25;
    for (int n = 0; n < kZQEchoCount; ++n)
        d.Echo[size_t(n)] = {10.5 * n, 1234.5 + n, 100 * n, quint8(n % 8)};
    d.SpeedCorrectionFactor = 1.0234;
    d.ReadingCounter = 8;
    for (int i = 0; i < kZQCurveLength; ++i)
        d.Diagram[size_t(i)] = (i % 200) - 100.125;
    d.DiagramCounter = 2030;
    d.Text = QStringLiteral("first line\r\nsecond line: µm Ärger");
    return d;
}

class TFakeSensor : public IZQSensorSignals
{
public:
    bool connected = true;
    QList<int> rangesSelected;
    QList<QPair<TZQSignal, QVector<double>>> written;
    bool writeOk = true;
    int finished = 0;
    QVector<double> reference{0.5, -0.25, 0.999};
    bool referenceComplete = true;

    bool IsSensorConnected() const override { return connected; }
    QString SensorVersionText() const override { return QStringLiteral("0.96B190"); }
    bool SelectRange(quint8 range) override
    {
        rangesSelected << range;
        return true;
    }
    bool WriteSignal(TZQSignal signal, const QVector<double> &samples) override
    {
        written.append({signal, samples});
        return writeOk;
    }
    void FinishSignals() override { ++finished; }
    QVector<double> ReadSignal(TZQSignal signal, bool &complete) override
    {
        complete = signal == TZQSignal::Reference ? referenceComplete : true;
        return signal == TZQSignal::Reference ? reference : QVector<double>{-1};
    }
};

class ZQParamFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QString Path(const QString &name) const { return dir.filePath(name); }
    void WriteText(const QString &name, const QByteArray &text) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray ReadBytes(const QString &name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

// The record as it comes back: Name and Version from the writer, the counts
// of curves not kept in files reset.
TZQDiagramData AsWritten(TZQDiagramData d, const QString &name)
{
    d.Name = name;
    d.Version = 1;
    d.SignalFlag = 1;
    return d;
}

} // namespace

TEST_F(ZQParamFileTest, WrittenSetReadsBackFieldByField)
{
    TZQParamFile file;
    const TZQDiagramData stored = StoredRecord();
    ASSERT_TRUE(file.Write(stored, Path("Powder coat on steel.zqp"))) << qPrintable(file.ErrorString());

    TZQDiagramData back;
    back.ReferenceCounter = 5;
    back.ComparisonCounter = 6;
    ASSERT_TRUE(file.Read(back, Path("Powder coat on steel.zqp")));
    const TZQDiagramData expected = AsWritten(stored, QStringLiteral("Powder coat on"));
    EXPECT_EQ(back.Thickness, expected.Thickness);
    EXPECT_EQ(back.Reading, expected.Reading);
    EXPECT_EQ(back.Echo, expected.Echo);
    EXPECT_EQ(back.Text, expected.Text);
    EXPECT_EQ(back.ReferenceCounter, 0);
    EXPECT_EQ(back.Diagram, expected.Diagram);
    EXPECT_TRUE(back == expected);

    TIniFile ini(Path("Powder coat on steel.zqp"));
    EXPECT_EQ(ini.Keys(QStringLiteral("Thichness")).size(), kZQLayerCount);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Thichness"), QStringLiteral("Layer2")), QStringLiteral("22.2"));
    EXPECT_EQ(ReadBytes("Powder coat on steel.pic").size(), 16384);
    EXPECT_FALSE(QFile::exists(Path("Powder coat on steel.ardat")));
}

TEST_F(ZQParamFileTest, WriterOrderAndFormat)
{
    TZQParamFile file;
    TZQDiagramData d;
    d.Reset();
    d.Text = QStringLiteral("A\r\nb");
    d.CouplingTimeMax = 1e-6;
    ASSERT_TRUE(file.Write(d, Path("order.zqp")));
    const QByteArray bytes = ReadBytes("order.zqp");
    EXPECT_TRUE(bytes.startsWith("[HarmodeltaParameter]\r\nVersion=1\r\nName=order\r\nSensorSWVersion=0.00B000\r\n"
                                 "[MeasSystem]\r\nRange=0\r\nOptimize=0\r\nSuppressMultiEchos=0\r\nCouplingMode=0\r\n"
                                 "CouplingTimeMax=1E-6\r\nHeadEchoPos=0\r\nHeadEchoStart=0\r\nHeadEchoEnd=0\r\n"
                                 "[Noise]\r\nClipMode=0\r\nExtremaMode=0\r\nPosGlobalClip=3\r\nNegGlobalClip=-3\r\n"
                                 "MinStepHeight=0.5\r\n[Noise1]\r\nClipEnable=0\r\nClipInvert=0\r\nClipStart=0\r\n"
                                 "ClipLevel=0\r\n[Noise2]\r\n"))
        << bytes.left(400).constData();

    TIniFile ini;
    ini.SetContent(bytes);
    QStringList sections{"HarmodeltaParameter", "MeasSystem", "Noise"};
    for (int n = 1; n <= 8; ++n)
        sections << QStringLiteral("Noise%1").arg(n);
    sections << "Expected" << "EchoSelect";
    for (const char *name : {"Expected", "Restricted"})
        for (int n = 1; n <= 8; ++n)
            sections << QLatin1String(name) + QString::number(n);
    sections << "Information" << "Speed" << "Material" << "Thichness" << "ETC";
    EXPECT_EQ(ini.Sections(), sections);
    EXPECT_EQ(ini.Keys("Expected"), QStringList({"Analyse", "LayerMax"}));
    EXPECT_EQ(ini.Keys("Restricted3"), QStringList({"RestEnable", "RestStart", "RestLevel"}));
    EXPECT_EQ(ini.Keys("Information"), QStringList({"User", "Text"}));
    EXPECT_EQ(ini.ReadString("Information", "Text"), QStringLiteral("410D0A62"));
    const QStringList etc = ini.Keys("ETC");
    EXPECT_EQ(etc.mid(0, 12), QStringList({"CouplingEcho", "CouplingFactor", "EchoCounter", "XMin", "XMax", "YMin",
                                           "YMax", "AmplMax", "Amplitude1", "Position1", "ArrayPos1", "EchoState1"}));
    EXPECT_EQ(etc.mid(etc.size() - 3), QStringList({"Reading7", "Reading8", "DiagramCounter"}));
    EXPECT_EQ(etc.size(), 8 + 40 + 1 + 8 + 1);
}

TEST_F(ZQParamFileTest, MissingKeysTakeTheirDefaults)
{
    WriteText("old.zqp", "[HarmodeltaParameter]\r\nVersion=2\r\nName=A name longer than fifteen\r\n"
                         "[MeasSystem]\r\nCouplingTimeMax=abc\r\nRange=x\r\n[ETC]\r\nDiagramCounter=99999\r\n"
                         "EchoCounter=-4\r\n[Material]\r\nLayer1=Zinc phosphate primer\r\n");
    TZQParamFile file;
    TZQDiagramData d;
    ASSERT_TRUE(file.Read(d, Path("old.ardat")));
    EXPECT_EQ(d.Version, 2);
    EXPECT_EQ(d.Name, QStringLiteral("A name longer t"));
    EXPECT_EQ(d.Material[0], QStringLiteral("Zinc phosphate "));
    EXPECT_EQ(d.SensorSWVersion, QStringLiteral("0.00B000"));
    EXPECT_EQ(d.Range, 1);
    EXPECT_EQ(d.CouplingTimeMax, 40);
    EXPECT_EQ(d.ExtremaMode, 1);
    EXPECT_EQ(d.PosGlobalClip, 3);
    EXPECT_EQ(d.NegGlobalClip, -3);
    EXPECT_EQ(d.MinStepHeight, 0.5);
    EXPECT_EQ(d.EchoSelect, (std::array<bool, 8>{true, true, true, true, true, true, true, true}));
    EXPECT_EQ(d.Speed[7], 2375);
    EXPECT_EQ(d.SpeedCorrectionFactor, 1);
    EXPECT_EQ(d.User, QString());
    EXPECT_EQ(d.EchoCounter, 0);
    EXPECT_EQ(d.DiagramCounter, 0); // no curve file
    EXPECT_EQ(d.SignalFlag, 1);

    // With a sensor connected its version is the default.
    TFakeSensor sensor;
    TZQParamFile withSensor(nullptr, &sensor);
    ASSERT_TRUE(withSensor.Read(d, Path("old.zqp")));
    EXPECT_EQ(d.SensorSWVersion, QStringLiteral("0.96B190"));
}

TEST_F(ZQParamFileTest, NamesMatchAsTheProfileFunctionsMatchThem)
{
    // Any case; the first section and the first key of a name win.
    WriteText("case.zqp", "[measSYSTEM]\r\n  range = 2 \r\nRange=3\r\n[MeasSystem]\r\nOptimize=1\r\n"
                          "[echoselect]\r\nECHO2=0\r\n");
    TZQDiagramData d;
    ASSERT_TRUE(TZQParamFile().Read(d, Path("case.zqp")));
    EXPECT_EQ(d.Range, 2);
    EXPECT_FALSE(d.Optimize);
    EXPECT_TRUE(d.EchoSelect[0]);
    EXPECT_FALSE(d.EchoSelect[1]);
}

TEST_F(ZQParamFileTest, OlderRestEndKeysReadAsLevels)
{
    WriteText("rest.zqp", "[Restricted1]\r\nRestEnable=1\r\nRestStart=50\r\nRestEnd=-12.5\r\n"
                          "[Restricted2]\r\nRestEnd=7\r\nRestLevel=8\r\n");
    TZQDiagramData d;
    ASSERT_TRUE(TZQParamFile().Read(d, Path("rest.zqp")));
    EXPECT_EQ(d.Rest[0], (TZQRestDomain{50, -12.5, true}));
    EXPECT_EQ(d.Rest[1].RestLevel, 8);
}

TEST_F(ZQParamFileTest, GermanFileReadsOnEnglishPc)
{
    const TZQDiagramData stored = StoredRecord();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_TRUE(TZQParamFile().Write(stored, Path("german.zqp")));
    TIniFile ini(Path("german.zqp"));
    EXPECT_EQ(ini.ReadString("Noise", "MinStepHeight"), QStringLiteral("0,2"));
    EXPECT_EQ(ini.ReadString("ETC", "Reading1"), QStringLiteral("0,000012345"));

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TZQDiagramData back;
    ASSERT_TRUE(TZQParamFile().Read(back, Path("german.zqp")));
    EXPECT_TRUE(back == AsWritten(stored, QStringLiteral("german")));
}

TEST_F(ZQParamFileTest, WritingKeepsForeignKeysAndComments)
{
    WriteText("keep.zqp", "; written by hand\r\n[HarmodeltaParameter]\r\nVersion=9\r\nOwner=lab 3\r\n[Extra]\r\nA=1\r\n");
    TZQDiagramData d;
    d.Reset();
    ASSERT_TRUE(TZQParamFile().Write(d, Path("keep.zqp")));
    TIniFile ini(Path("keep.zqp"));
    EXPECT_TRUE(ini.Content().startsWith("; written by hand\r\n[HarmodeltaParameter]\r\nVersion=1\r\nOwner=lab 3\r\n"));
    EXPECT_EQ(ini.ReadString("Extra", "A"), QStringLiteral("1"));
}

TEST_F(ZQParamFileTest, MissingParameterFile)
{
    WriteText("only.pic", QByteArray(800, '\0')); // 100 samples of 0.0
    TZQDiagramData d = StoredRecord();
    const TZQDiagramData before = d;
    TZQParamFile file;
    EXPECT_FALSE(file.Read(d, Path("only.zqp")));
    EXPECT_EQ(d.Version, before.Version);
    EXPECT_EQ(d.Speed, before.Speed);
    // The curve file is still read; the count cannot exceed what it held.
    EXPECT_EQ(d.Diagram[99], 0);
    EXPECT_EQ(d.Diagram[100], before.Diagram[100]);
    EXPECT_EQ(d.DiagramCounter, 100);

    EXPECT_FALSE(file.Write(d, Path("no/such/folder/set.zqp")));
    EXPECT_FALSE(file.ErrorString().isEmpty());
}

TEST_F(ZQParamFileTest, FullSaveWritesRawSignals)
{
    TFakeSensor sensor;
    sensor.referenceComplete = false; // a block failed after three samples
    ScriptedUserDialog dialog;
    TZQDiagramData d = StoredRecord();
    d.Range = 0;
    d.SensorSWVersion = QStringLiteral("0.90B100"); // range end 300 ns
    TZQParamFile file(&dialog, &sensor);
    ASSERT_TRUE(file.Write(d, Path("Set.Full"))) << qPrintable(file.ErrorString());
    for (const char *name : {"Set.zqp", "Set.ardat", "Set.amdat", "Set.pic"})
        EXPECT_TRUE(QFile::exists(Path(name))) << name;
    EXPECT_EQ(dialog.messages, QStringList{TZQParamFile::ReadRawErrorText});
    EXPECT_EQ(dialog.beeps, 1);

    const QList<QByteArray> lines = ReadBytes("Set.ardat").split('\n');
    ASSERT_EQ(lines.size(), 11 + 2 + 2 + 3 + 1);
    EXPECT_EQ(lines[2], ";*  Harmodelta 7 : AVR32-Referenz-Signaldaten (Original)                       *\r");
    EXPECT_EQ(lines[5], ";*  Autor :  Inspector \xC3\x84" + QByteArray(66 - 11, ' ') + "*\r");
    EXPECT_EQ(lines[11], ".D \"first line\"\r");
    EXPECT_EQ(lines[12], ".D \"second line: \xC2\xB5m \xC3\x84rger\"\r");
    EXPECT_EQ(lines[15], ".S      0.000   0.5000000000\r");
    EXPECT_EQ(lines[16], ".S      0.147   -0.2500000000\r");
    EXPECT_TRUE(ReadBytes("Set.amdat").contains("AVR32-Mess-Signaldaten (Original)                           *\r\n"));
    EXPECT_TRUE(ReadBytes("Set.amdat").endsWith(".S      0.000   -1.0000000000\r\n"));
    EXPECT_EQ(TIniFile(Path("Set.zqp")).ReadString("HarmodeltaParameter", "Name"), QStringLiteral("Set"));
}

TEST_F(ZQParamFileTest, LoadWithSignalsSendsThemToTheSensor)
{
    TZQDiagramData d = StoredRecord();
    ASSERT_TRUE(TZQParamFile().Write(d, Path("sig.zqp")));
    WriteText("sig.ardat", ";* header\r\n.D \"remark\"\r\n.S 0.000 0.5\r\n  .s   0.147    -0.25  \r\n");
    WriteText("sig.amdat", ".S 0.000 0.125\n");

    TFakeSensor sensor;
    ScriptedUserDialog dialog;
    dialog.answers = {IUserDialog::TAnswer::Yes};
    TZQParamFile file(&dialog, &sensor);
    TZQDiagramData working;
    working.Range = 0;
    ASSERT_TRUE(file.Read(working, Path("sig.zqp"), true));
    EXPECT_EQ(sensor.rangesSelected, QList<int>{3});
    ASSERT_EQ(sensor.written.size(), 2);
    EXPECT_EQ(sensor.written[0].first, TZQSignal::Reference);
    EXPECT_EQ(sensor.written[0].second, (QVector<double>{0.5, -0.25}));
    EXPECT_EQ(sensor.written[1].second, QVector<double>{0.125});
    EXPECT_EQ(sensor.finished, 1);
    EXPECT_EQ(dialog.questions, QStringList{TZQParamFile::ComparisonQuestion});
    EXPECT_TRUE(file.ComparisonKept());
    EXPECT_EQ(working.Comparison, d.Diagram);
    EXPECT_EQ(working.ComparisonCounter, 2030);

    // A sample line with two parts stops the transfer before anything is sent.
    WriteText("sig.ardat", ".S 0.000 0.5\r\n.S 0.5\r\n");
    sensor.written.clear();
    dialog.answers = {IUserDialog::TAnswer::No};
    ASSERT_TRUE(file.Read(working, Path("sig.zqp"), true));
    EXPECT_TRUE(sensor.written.isEmpty());
    EXPECT_EQ(dialog.messages, QStringList{TZQRawSignalFile::ExtractErrorText});
    EXPECT_FALSE(file.ComparisonKept());

    // A refused write ends the transfer.
    WriteText("sig.ardat", ".S 0.000 0.5\r\n");
    sensor.writeOk = false;
    ASSERT_TRUE(file.Read(working, Path("sig.zqp"), true));
    EXPECT_EQ(sensor.written.size(), 1);
    EXPECT_EQ(dialog.messages.last(), TZQParamFile::WriteRawErrorText);
    EXPECT_EQ(sensor.finished, 1);
}

TEST(ZQParamFileNumbers, FormatFloat)
{
    const struct {
        double value;
        const char *separator;
        const char *text;
    } cases[] = {
        {2375, ".", "2375"},
        {0.5, ",", "0,5"},
        {-3, ",", "-3"},
        {0.1 + 0.2, ".", "0.3"},
        {2.0 / 3.0, ".", "0.666666666666667"},
        {123456789012345, ".", "123456789012345"},
        {1e15, ".", "1E15"},
        {-1.5e20, ",", "-1,5E20"},
        {0.00001, ".", "0.00001"},
        {0.000001234, ",", "1,234E-6"},
        {100.25, ".", "100.25"},
        {0, ",", "0"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TZQParamFile::FormatFloat(c.value, QLatin1String(c.separator)), QLatin1String(c.text)) << c.text;
}

TEST(ZQParamFileNumbers, ParseFloatTakesEitherSeparator)
{
    const struct {
        const char *text;
        bool ok;
        double value;
    } cases[] = {
        {"0,5", true, 0.5},     {"1.5", true, 1.5},   {" -2 ", true, -2}, {"1E-6", true, 1e-6},
        {"1,5E20", true, 1.5e20}, {"1.000,5", false, 0}, {"1,0,0", false, 0}, {"abc", false, 0},
        {"", false, 0},         {"nan", false, 0},    {"INF", false, 0},
    };
    for (const auto &c : cases) {
        double value = 0;
        EXPECT_EQ(TZQParamFile::ParseFloat(QLatin1String(c.text), value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(ZQParamFileRemarks, HexValue)
{
    EXPECT_EQ(TZQParamFile::EncodeRemarks(QStringLiteral("Ab\nc")), QStringLiteral("41620D0A63"));
    EXPECT_EQ(TZQParamFile::DecodeRemarks(QStringLiteral("41620d0a63")), QStringLiteral("Ab\r\nc"));
    EXPECT_EQ(TZQParamFile::DecodeRemarks(QStringLiteral("C4726780")), QStringLiteral("\u00C4rg\u20AC")); // ANSI text
    EXPECT_EQ(TZQParamFile::DecodeRemarks(QStringLiteral("4142zz43")), QStringLiteral("AB"));
    EXPECT_EQ(TZQParamFile::DecodeRemarks(QStringLiteral("414")), QStringLiteral("A"));
}

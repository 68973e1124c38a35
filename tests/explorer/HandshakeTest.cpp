#include "ExplorerFixture.h"

#include "comm/ports/GaugePort.h"

namespace {

// A line that only carries bytes when both ends run at the same baud rate;
// "*SGB" switches the gauge end to 115200, as the gauge does.
class TBaudLine : public TGaugePort
{
public:
    TBaudLine(std::unique_ptr<TGaugePort> gauge, quint32 gaugeBaud) : FGauge(std::move(gauge)), GaugeBaud(gaugeBaud)
    {
        FGauge->SetDataHandler([this](const quint8 *data, int size) {
            if (FBaud == GaugeBaud)
                Deliver(data, size);
        });
        FGauge->Open({});
    }
    TErrMsg Open(const TPortSettings &settings) override
    {
        FBaud = settings.BaudRate;
        FOpen = true;
        return emNone;
    }
    void Close() override { FOpen = false; }
    bool IsOpen() const override { return FOpen; }
    TErrMsg Write(const QByteArray &bytes) override
    {
        if (FBaud != GaugeBaud)
            return emNone;  // garbage on the gauge's side
        if (bytes.contains("\xD3\xC7\xC2"))  // "*SGB" as the request frame carries it
            GaugeBaud = 115200;
        return FGauge->Write(bytes);
    }
    void Poll() override { FGauge->Poll(); }
    void SetBaudRate(quint32 baud) override { FBaud = baud; }

private:
    std::unique_ptr<TGaugePort> FGauge;

public:
    quint32 GaugeBaud;

private:
    quint32 FBaud = 0;
    bool FOpen = false;
};

struct THandshakeCase
{
    quint32 gaugeBaud;
    bool toggle;
    bool found;
    quint32 itemBaudAfter;
    quint32 gaugeBaudAfter;
};

TEST(ConnectHandshake, BaudToggling)
{
    const THandshakeCase cases[] = {
        {115200, true, true, 115200, 115200},  // found on the second probe
        {57600, true, true, 115200, 115200},   // switched to 115200
        {57600, false, true, 57600, 57600},
        {115200, false, false, 57600, 115200}, // without toggling only 57600 is tried
    };
    for (const THandshakeCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.gaugeBaud << (c.toggle ? " toggling" : ""));
        EnsureQtApp();
        QString error;
        std::shared_ptr<TGaugeSimulator> sim = TGaugeSimulator::FromScenario(QStringLiteral("compact-gauge"), &error);
        auto line = std::make_unique<TBaudLine>(TGaugeSimulator::Attach(sim), c.gaugeBaud);
        TBaudLine *raw = line.get();
        TZYKComm2Item item;
        item.SetCmdSendDelay(0);
        item.SetBaudRate(57600);
        item.AttachTransport(std::move(line));
        ASSERT_EQ(item.Open(true), emNone);
        ScriptedUserDialog dialog;
        TGaugeExplorer explorer(item, false, dialog);
        EXPECT_EQ(explorer.ConnectHandshake(c.toggle), c.found);
        EXPECT_EQ(item.BaudRate(), c.itemBaudAfter);
        EXPECT_EQ(raw->GaugeBaud, c.gaugeBaudAfter);
        EXPECT_EQ(item.ReceiveTimeout(), 1000u);  // restored
    }
}

} // namespace

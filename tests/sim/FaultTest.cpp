#include "SimTestLink.h"

// Faults happen exactly at the request they name, and nowhere else.

namespace {

// Sends "V" count times; for each, the frame kind that came back at once
// (0 = nothing) and whether its checksum was good.
QList<int> Kinds(TSimTestLink &link, int count)
{
    QList<int> kinds;
    for (int i = 0; i < count; ++i) {
        const qsizetype before = link.Frames.size();
        const TTelegramData answer = link.Send(QStringLiteral("V"));
        int kind = int(answer.Kind);
        if (link.Frames.size() > before) {
            TCodecState pc;
            TTelegramData decoded;
            if (DecodeFrame(pc, TBuffer::FromContent(link.Frames.last()), decoded) == emBadCheckSum)
                kind = -kind; // a frame with a wrong checksum
        }
        kinds << kind;
    }
    return kinds;
}

} // namespace

TEST(SimFaults, EachRuleHitsExactlyItsRequests)
{
    struct TCase
    {
        QStringList rules;
        QList<int> kinds; // of the answers to five "V" requests
    };
    const QList<TCase> cases = {
        {{QStringLiteral("drop=2")}, {6, 0, 6, 6, 6}},
        {{QStringLiteral("drop=1,4")}, {0, 6, 6, 0, 6}},
        {{QStringLiteral("corrupt=3")}, {6, 6, -6, 6, 6}},
        {{QStringLiteral("nak=5")}, {6, 6, 6, 6, 15}},
        {{QStringLiteral("drop=V:2"), QStringLiteral("corrupt=*V:3")}, {6, 0, -6, 6, 6}},
        {{QStringLiteral("corrupt=*")}, {-6, -6, -6, -6, -6}},
        {{QStringLiteral("drop=FFR:1")}, {6, 6, 6, 6, 6}},
    };
    for (const TCase &c : cases) {
        TSimTestLink link;
        ASSERT_TRUE(link.Sim->Faults().AddAll(c.rules));
        EXPECT_EQ(Kinds(link, 5), c.kinds) << c.rules.join(u' ').toStdString();
    }
}

TEST(SimFaults, NakedRequestIsNotCarriedOut)
{
    TSimTestLink link;
    ASSERT_TRUE(link.Sim->Faults().Add(QStringLiteral("nak=FFN:1")));
    const TTelegramData nak = link.SendRaw(Bytes({0x80 | 'F', 'F', 'N', 3, 88, 0, 0}));
    EXPECT_EQ(nak.Kind, quint32(fkNak));
    EXPECT_EQ(nak.DestAdr, 255);
    EXPECT_EQ(link.Model().File({3, 88, 0}), nullptr);
    link.SendRaw(Bytes({0x80 | 'F', 'F', 'N', 3, 88, 0, 0}));
    EXPECT_NE(link.Model().File({3, 88, 0}), nullptr);
}

TEST(SimFaults, DelayedAnswerArrivesLater)
{
    TSimTestLink link;
    ASSERT_TRUE(link.Sim->Faults().AddAll({QStringLiteral("delay=60@2"), QStringLiteral("corrupt=2")}));
    EXPECT_EQ(link.Send(QStringLiteral("V")).Kind, quint32(fkAnswer));
    EXPECT_EQ(link.Send(QStringLiteral("V")).Kind, 0u);
    EXPECT_EQ(link.Received.size(), 1);
    link.Wait(200);
    ASSERT_EQ(link.Received.size(), 2);
    TCodecState pc;
    TTelegramData decoded;
    EXPECT_EQ(DecodeFrame(pc, TBuffer::FromContent(link.Frames.last()), decoded), emBadCheckSum);
}

TEST(SimFaults, LinkClosesAfterTheNamedRequest)
{
    TSimTestLink link;
    ASSERT_TRUE(link.Sim->Faults().Add(QStringLiteral("close=3")));
    int closed = 0;
    QObject::connect(link.Sim.get(), &TGaugeSimulator::LinkClosed, link.Sim.get(), [&closed] { ++closed; });
    link.Send(QString());
    link.Send(QStringLiteral("V"));
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(link.Send(QStringLiteral("V")).Kind, quint32(fkAnswer)); // answered, then closed
    EXPECT_EQ(closed, 1);
}

TEST(SimFaults, MalformedRulesAreRefused)
{
    TFaultPlan plan;
    for (const char *rule : {"explode=1", "drop", "drop=0", "drop=x", "close=*", "delay=abc", "corrupt=:2"}) {
        QString error;
        EXPECT_FALSE(plan.Add(QString::fromLatin1(rule), &error)) << rule;
        EXPECT_FALSE(error.isEmpty()) << rule;
    }
    EXPECT_TRUE(plan.Rules().isEmpty());
}

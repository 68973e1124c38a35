#include "GaugeTestLink.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

// Answers of any length and content are outside bytes: every command must
// decode them within bounds (the sanitizers watch) and keep its promise about
// the result.
TEST(RandomAnswers, EveryCommandDecodesAnyAnswerWithinBounds)
{
    TScriptedLink link;
    TGauge2 &g = *link.Gauge;
    QRandomGenerator random(20261211);
    const std::function<bool()> commands[] = {
        [&] { return g.Version.Execute(); },
        [&] { return g.GetInfo.Execute('G', "E"); },
        [&] { return g.GetInfo.Execute('S', "T"); },
        [&] { return g.EEPROMGetParam.Execute(QStringLiteral("ConfUnitSys")); },
        [&] { return g.DisplayLine.Execute(3); },
        [&] { return g.FileTreeGetInfo.Execute(true); },
        [&] { return g.FileTreeGet.Execute(QStringLiteral("AF"), 3); },
        [&] { return g.FileTreeSession.Execute(-1); },
        [&] { return g.FileTreeDelete.Execute(3); },
        [&] { return g.FileTreeInsert.Execute(0, 2, 1, 3, 0, 0xFFFF, QStringLiteral("n"), QStringLiteral("PC")); },
        [&] { return g.FileHandle.Execute(); },
        [&] { return g.FileOpen.Execute(2, 3, 0); },
        [&] { return g.FileRead.Execute(30); },
        [&] { return g.FileParamRead.ReadParamCount(); },
        [&] { return g.FileParamRead.ReadParamEntry(1); },
        [&] { return g.FileParamRead.ReadParamValue(1, 0); },
        [&] { return g.FileBatchQuickInfo.Execute('D'); },
        [&] { return g.FileBatchQuickInfo.Execute('S'); },
        [&] { return g.FileBatchQuickInfo.Execute('V'); },
        [&] { g.FileAccessTable.Execute('G', 2, 3); return true; },
        [&] { g.FileBatch.Execute('I'); return true; },
    };
    for (int round = 0; round < 40; ++round) {
        for (const auto &command : commands) {
            QByteArray answer(int(random.bounded(218)), '\0');
            for (char &c : answer)
                c = char(random.bounded(256));
            if (round % 4 == 0)
                answer.truncate(random.bounded(20));  // the short answers are the dangerous ones
            link.Port->Answer(answer);
            ASSERT_TRUE(command()) << round;
        }
    }
}

#include "GaugeTestLink.h"

#include <gtest/gtest.h>

// The command classes against the simulated gauge: what one command
// changes, the next one reads back.
TEST(SimulatedGauge, IdentityItems)
{
    TSimLink link;
    TGauge2 &g = *link.Gauge;
    link.Model().SensorInfo[QStringLiteral("T")] = QStringLiteral("Ball 1<>Ball 2<>");
    ASSERT_TRUE(g.Version.Execute());
    EXPECT_EQ(g.Version.VersionText, link.Model().Firmware);
    ASSERT_TRUE(g.GetInfo.Execute('G', "B"));
    ASSERT_TRUE(g.GetInfo.Execute('G', "N"));
    ASSERT_TRUE(g.GetInfo.Execute('G', "E"));
    ASSERT_TRUE(g.GetInfo.Execute('S', "N"));
    ASSERT_TRUE(g.GetInfo.Execute('S', "T"));
    EXPECT_EQ(g.GetInfo.GaugeB, link.Model().ModelText);
    EXPECT_EQ(g.GetInfo.GaugeN, link.Model().GaugeName);
    EXPECT_EQ(g.GetInfo.GaugeE, 0);
    EXPECT_EQ(g.GetInfo.SensorN, link.Model().SensorName);
    EXPECT_EQ(g.GetInfo.SensorT1, QStringLiteral("Ball 1"));
    EXPECT_EQ(g.GetInfo.SensorT2, QStringLiteral("Ball 2"));
}

TEST(SimulatedGauge, TreeInsertRenameAndDelete)
{
    TSimLink link;
    TGauge2 &g = *link.Gauge;
    const QDateTime now = QDateTime::currentDateTime();
    link.Model().AddEntry(RootHead, setBatch, QStringLiteral("DirectMode"), 1, now, now);
    ASSERT_TRUE(g.FileTreeSession.Execute(-1));
    const int session = g.FileTreeSession.SessionResult;
    ASSERT_GE(session, 0);

    ASSERT_TRUE(g.FileTreeGetInfo.Execute(true));
    const int freeIndex = g.FileTreeGetInfo.FreeSector;
    ASSERT_TRUE(g.FileTreeInsert.Execute(0, 1, 1, DirectModeIndex, 0, 0xFFFF, QStringLiteral("Bridge 12 Girder 3 west"),
                                         QStringLiteral("PC")));
    ASSERT_EQ(g.FileTreeInsert.NewIndex, freeIndex);
    ASSERT_TRUE(g.FileTreeGet.Execute(QStringLiteral("A"), uint16_t(freeIndex)));
    EXPECT_EQ(g.FileTreeGet.Name, QStringLiteral("Bridge 12 Girde"));
    EXPECT_EQ(g.FileTreeGet.Flags, 1);

    ASSERT_TRUE(g.FileTreeRename.Execute(uint16_t(freeIndex), QStringLiteral("Tank 4")));
    ASSERT_TRUE(g.FileTreeGet.Execute(QStringLiteral("N"), DirectModeIndex));
    EXPECT_EQ(g.FileTreeGet.Name, QStringLiteral("Tank 4"));
    ASSERT_TRUE(g.FileTreeSession.Execute(-1));
    EXPECT_NE(g.FileTreeSession.SessionResult, session);

    ASSERT_TRUE(g.FileTreeDelete.Execute(uint16_t(freeIndex)));
    EXPECT_EQ(g.FileTreeDelete.DeleteResult, 0);
    ASSERT_TRUE(g.FileTreeGet.Execute(QStringLiteral("N"), DirectModeIndex));
    EXPECT_EQ(g.FileTreeGet.EntryStatus, 1);  // nothing after DirectMode again
}

TEST(SimulatedGauge, FileCreateWriteReadAndDelete)
{
    TSimLink link;
    TGauge2 &g = *link.Gauge;
    ASSERT_TRUE(g.FileHandle.Execute());
    const uint16_t handle = g.FileHandle.FileHandleValue;
    ASSERT_NE(handle, 0);

    EXPECT_FALSE(g.FileAccessTable.Execute('G', 6, handle));
    ASSERT_TRUE(g.FileNew.Execute(6, handle));
    const QByteArray block = QByteArray("parameter set ") + QByteArray(40, '\x5A');
    ASSERT_TRUE(g.FileWrite.Execute(block));
    ASSERT_TRUE(g.FileClose.Execute());

    ASSERT_TRUE(g.FileAccessTable.Execute('G', 6, handle));
    EXPECT_EQ(g.FileAccessTable.AccessHandle, handle);
    ASSERT_TRUE(g.FileOpen.Execute(6, handle, 0));
    EXPECT_EQ(g.FileOpen.FileSize, uint32_t(block.size()));
    ASSERT_TRUE(g.FilePosition.Execute(10));
    ASSERT_TRUE(g.FileRead.Execute(30));
    EXPECT_EQ(Content(g.FileRead.ReadData), block.mid(10, 30));
    ASSERT_TRUE(g.FileRead.Execute(30));
    EXPECT_EQ(Content(g.FileRead.ReadData), block.mid(40));  // the rest only
    ASSERT_TRUE(g.FileClose.Execute());

    ASSERT_TRUE(g.FileDelete.Execute(handle, 6));
    EXPECT_FALSE(g.FileAccessTable.Execute('G', 6, handle));
    EXPECT_EQ(g.FileAccessTable.AccessHandle, TGauge2FileAccessTable::NoHandle);
}

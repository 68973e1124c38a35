#include "ExplorerFixture.h"

#include "explorer/ExplorerModel.h"
#include "explorer/GaugeClassification.h"


namespace {

TEST(GaugeClassification, DesignationsFirstMatchWins)
{
    struct TCase { const char *designation; TGaugeClass expected; };
    const TCase cases[] = {
        {"Solvanta7 Gauge VZT2", {1, 9}}, {"Gauge VZT7", {2, 9}}, {"Gauge ZT1X", {3, 6}}, {"Gauge ZT3X", {3, 7}},
        {"Gauge ZT1", {1, 0}},            {"Gauge ZT6", {2, 3}},  {"Gauge ZT2", {1, 1}},  {"Gauge ZT7", {2, 4}},
        {"Gauge ZT3", {1, 2}},            {"Gauge ZT8", {2, 5}},  {"Harmodelta Gauge", {3, 8}}, {"Gauge", {0, 0}},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(ClassifyGauge(QLatin1String(c.designation)), c.expected) << c.designation;
}

TEST(GaugeClassification, SensorFlagsAndFirmwareGate)
{
    EXPECT_EQ(SensorFlagsOf(QStringLiteral("FN 1.5")), sfFerrous | sfNonFerrous);
    EXPECT_EQ(SensorFlagsOf(QStringLiteral("FH 10")), sfHall);  // Hall replaces ferrous
    EXPECT_EQ(SensorFlagsOf(QStringLiteral("ZQ 500")), sfUltrasonic);

    const QString group2 = RequiredFirmware({2, 4}, false);
    EXPECT_TRUE(FirmwareAtLeast(QStringLiteral("2.21"), group2));
    EXPECT_FALSE(FirmwareAtLeast(QStringLiteral("2.20"), group2));
    EXPECT_EQ(RequiredFirmware({2, 9}, false), QStringLiteral("2.25"));
    EXPECT_EQ(RequiredFirmware({3, 8}, true), QStringLiteral("2.14A"));
    EXPECT_EQ(RequiredFirmware({3, 7}, false), QStringLiteral("2.13D"));
    EXPECT_TRUE(FirmwareAtLeast(QStringLiteral("2.13E"), QStringLiteral("2.13D")));
}

TEST(GaugeExplorer, ConnectsIdentifiesAndReadsTheWholeTree)
{
    TExplorerFixture f(QStringLiteral("full-gauge"));
    ASSERT_TRUE(f.Connect());
    const TTreeData &root = f.E().Root()->Data;
    EXPECT_EQ(root.GaugeType, f.Model().ModelText);
    EXPECT_EQ(root.GaugeGroup, 3);
    EXPECT_EQ(root.ModelCode, 7);
    EXPECT_EQ(root.SensorFlags, sfFerrous | sfNonFerrous);
    EXPECT_EQ(root.SessionCounter, f.Model().SessionCounter);
    EXPECT_FALSE(root.ParamList.empty());
    EXPECT_TRUE(f.E().FirmwareAccepted());
    // Selecting the root read the top level only.
    EXPECT_TRUE(f.E().Root()->Data.ChildrenRead);
    TGaugeTreeNode *bridge = f.Node(QStringLiteral("Bridge 12"));
    ASSERT_TRUE(bridge);
    EXPECT_EQ(bridge->ChildCount(), 0);

    ASSERT_TRUE(f.E().ReadWholeTree());
    int elements = 0;
    for (const TGaugeTreeNode *node : f.E().Root()->Flatten()) {
        if (!node->Parent())
            continue;
        ++elements;
        const int index = f.Model().FindByPath(node->PathWithoutRoot().replace(u'\\', u'/'));
        EXPECT_EQ(index, node->Data.TreeIndex) << node->Path().toStdString();
    }
    EXPECT_GE(elements, 9);
    const TGaugeTreeNode *directMode = f.Node(QStringLiteral("DirectMode"));
    ASSERT_TRUE(directMode);
    EXPECT_FALSE(directMode->HasCheckBox);
    EXPECT_EQ(f.Node(QStringLiteral("Bridge 12\\Pier 2\\Bearing plate"))->Image, niBatch);

    // The model shows the same tree.
    const TExplorerModel &model = f.E().Model();
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex rootIndex = model.index(0, 0);
    EXPECT_EQ(model.rowCount(rootIndex), f.E().Root()->ChildCount());
    const QModelIndex pier = model.index(f.Node(QStringLiteral("Bridge 12\\Pier 2"))->Row(), 0,
                                         model.index(f.Node(QStringLiteral("Bridge 12"))->Row(), 0, rootIndex));
    EXPECT_EQ(model.data(pier).toString(), QStringLiteral("Pier 2"));
    EXPECT_EQ(model.parent(pier).data().toString(), QStringLiteral("Bridge 12"));
    EXPECT_EQ(model.data(rootIndex, Qt::CheckStateRole), QVariant());
}

TEST(GaugeExplorer, ReReadingKeepsOpenDirectoriesOpen)
{
    TExplorerFixture f(QStringLiteral("full-gauge"));
    ASSERT_TRUE(f.Connect());
    TGaugeTreeNode *bridge = f.Node(QStringLiteral("Bridge 12"));
    f.E().SelectNode(bridge, true);
    ASSERT_TRUE(f.E().ReadChildren(f.Node(QStringLiteral("Bridge 12\\Pier 2")), true));
    f.Node(QStringLiteral("Bridge 12\\Pier 2"))->Image = niDirectoryOpen;
    ASSERT_TRUE(f.E().ReadChildren(f.E().Root(), true));
    // The open directories were read again, the closed ones were not.
    const TGaugeTreeNode *pier = f.Node(QStringLiteral("Bridge 12\\Pier 2"));
    ASSERT_TRUE(pier);
    EXPECT_EQ(pier->Image, niDirectoryOpen);
    EXPECT_GT(pier->ChildCount(), 0);
    EXPECT_EQ(f.Node(QStringLiteral("Tank 4"))->ChildCount(), 0);
}

TEST(GaugeExplorer, CompactGaugeEntriesWithoutFilesAreMarked)
{
    TExplorerFixture f(QStringLiteral("compact-gauge"));
    ASSERT_TRUE(f.Connect());
    int empty = 0;
    for (const auto &child : f.E().Root()->Children()) {
        if (child->Overlay == ovNoDataFile) {
            ++empty;
            f.E().SelectNode(child.get());
            EXPECT_FALSE(f.E().Actions().QuickInfo.Available);
            EXPECT_TRUE(f.E().Actions().NewBatch.Available);
            EXPECT_FALSE(f.E().Actions().Delete.Available);
        }
    }
    EXPECT_EQ(empty, 6);
    f.E().SelectNode(f.Node(QStringLiteral("Batch 01")));
    EXPECT_TRUE(f.E().Actions().QuickInfo.Available);
    EXPECT_FALSE(f.E().Actions().NewDir.Visible);
    EXPECT_EQ(f.Node(QStringLiteral("Batch 01"))->Data.User.isEmpty(), false);
}

TEST(GaugeExplorer, EditionAcceptance)
{
    TExplorerFixture coating(QStringLiteral("full-gauge"), true);
    EXPECT_FALSE(coating.Connect());
    EXPECT_TRUE(coating.Dialog.statuses.contains(QStringLiteral("Gauge not supported !")));
    EXPECT_EQ(coating.E().Root(), nullptr);
    EXPECT_NE(coating.Item.State(), isOpen);

    TExplorerFixture ultrasonic(QStringLiteral("ultrasonic-gauge"), false);
    EXPECT_FALSE(ultrasonic.Connect());
    EXPECT_TRUE(ultrasonic.Dialog.statuses.contains(QStringLiteral("Gauge not supported !")));

    // The ultrasonic edition reads the whole tree at once.
    TExplorerFixture accepted(QStringLiteral("ultrasonic-gauge"), true);
    ASSERT_TRUE(accepted.Connect());
    for (const TGaugeTreeNode *node : accepted.E().Root()->Flatten()) {
        if (node->Data.ElementType == etDirectory) {
            EXPECT_TRUE(node->Data.ChildrenRead) << node->Path().toStdString();
        }
    }
}

TEST(GaugeExplorer, OldFirmwareLeavesTheActionsUnavailable)
{
    TExplorerFixture f(QStringLiteral("compact-gauge"));
    f.Model().Firmware = QStringLiteral("2.20");
    ASSERT_TRUE(f.Connect());
    EXPECT_FALSE(f.E().FirmwareAccepted());
    EXPECT_FALSE(f.E().Actions().Download.Available);
    ASSERT_FALSE(f.Dialog.messages.isEmpty());
    EXPECT_EQ(f.Dialog.messages.last(), QStringLiteral("Operation not possible. Please update the device to version 2.21"));
}

TEST(GaugeExplorer, PeriodicCheckFollowsTheSessionCounterAndResetsAfterTwoFailures)
{
    TExplorerFixture f(QStringLiteral("full-gauge"));
    ASSERT_TRUE(f.Connect());
    const int before = f.E().Root()->ChildCount();
    const QDateTime now = QDateTime::currentDateTime();
    f.Model().AddEntry(RootHead, setBatch, QStringLiteral("New one"), f.Model().FreeHandle(), now, now);
    f.Model().TreeChanged();
    EXPECT_TRUE(f.E().CheckGauge());
    EXPECT_EQ(f.E().Root()->ChildCount(), before + 1);
    EXPECT_EQ(f.E().Root()->Data.SessionCounter, f.Model().SessionCounter);

    f.Sim->Faults().Add(QStringLiteral("drop=*"));
    EXPECT_FALSE(f.E().CheckGauge());
    EXPECT_NE(f.E().Root(), nullptr);
    EXPECT_FALSE(f.E().CheckGauge());
    EXPECT_EQ(f.E().Root(), nullptr);
}

TEST(GaugeExplorer, CancelledReadMarksTheDirectory)
{
    TExplorerFixture f(QStringLiteral("full-gauge"));
    ASSERT_TRUE(f.Connect());
    TGaugeTreeNode *bridge = f.Node(QStringLiteral("Bridge 12"));
    f.E().BeginBusy(false);
    f.E().Cancel();
    EXPECT_FALSE(f.E().ReadChildren(bridge, false));
    f.E().EndBusy();
    EXPECT_EQ(bridge->Overlay, ovCancelled);
    EXPECT_FALSE(bridge->Data.ChildrenRead);
    EXPECT_TRUE(f.E().ReadChildren(bridge, false));  // begin busy clears the flag
    EXPECT_EQ(bridge->Overlay, ovNone);
    EXPECT_GT(bridge->ChildCount(), 0);
}

} // namespace

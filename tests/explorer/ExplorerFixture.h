#pragma once

// The explorer on the simulated gauge, in process.

#include "explorer/GaugeExplorer.h"

#include "comm/commands/GaugeTestLink.h"
#include "sim/GaugeSimulator.h"
#include "support/ScriptedUserDialog.h"

#include <gtest/gtest.h>

struct TExplorerFixture
{
    std::shared_ptr<TGaugeSimulator> Sim;
    TZYKComm2Item Item;
    ScriptedUserDialog Dialog;
    std::unique_ptr<TGaugeExplorer> Explorer;

    explicit TExplorerFixture(const QString &scenario, bool ultrasonic = false)
    {
        EnsureQtApp();
        QString error;
        Sim = TGaugeSimulator::FromScenario(scenario, &error);
        EXPECT_TRUE(Sim) << error.toStdString();
        Item.SetCmdSendDelay(0);
        Item.SetReceiveTimeout(150);
        Item.SetRetryMax(2);
        Item.AttachTransport(TGaugeSimulator::Attach(Sim));
        Item.Open(true);
        Explorer = std::make_unique<TGaugeExplorer>(Item, ultrasonic, Dialog);
    }
    TGaugeModel &Model() { return Sim->Model(); }
    TGaugeExplorer &E() { return *Explorer; }
    bool Connect()
    {
        const bool accepted = Explorer->GaugeConnected(false);
        Explorer->CheckTimer().stop();
        return accepted;
    }
    TGaugeTreeNode *Node(const QString &path) { return Explorer->FindNode(path); }
};

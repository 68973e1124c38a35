#pragma once

#include "TreeData.h"

#include <memory>
#include <vector>

// Overlay marks of a node.
enum TNodeOverlay : int { ovNone = -1, ovCancelled = 0, ovNoDataFile = 1 };

// Images of the tree (indices of the menu image list).
enum TNodeImage : int {
    niSerial = 49, niUsb = 50, niIrDA = 51, niBluetooth = 52, niDirectoryClosed = 76, niDirectoryOpen = 77,
    niBatch = 10, niParameterSet = 13, niUnknown = 12
};

// One node of the gauge tree: its record, its children and what the tree
// view shows of it (check box, image, overlay, expansion).
class TGaugeTreeNode
{
public:
    explicit TGaugeTreeNode(TTreeData data, TGaugeTreeNode *parent = nullptr);

    TTreeData Data;
    bool HasCheckBox = true;
    bool Checked = false;
    int Overlay = ovNone;
    int Image = niUnknown;
    bool Expanded = false;

    TGaugeTreeNode *Parent() const { return FParent; }
    const std::vector<std::unique_ptr<TGaugeTreeNode>> &Children() const { return FChildren; }
    int ChildCount() const { return int(FChildren.size()); }
    TGaugeTreeNode *Child(int row) const;
    int Row() const;
    // 0 for the root.
    int Level() const;
    TGaugeTreeNode *AddChild(TTreeData data);
    void ClearChildren() { FChildren.clear(); }

    // Names of the node and its ancestors, root first, joined with "\".
    QString Path() const;
    // The same without the root's name.
    QString PathWithoutRoot() const;
    // The node and every node below it, in tree order.
    std::vector<TGaugeTreeNode *> Flatten();
    // Checks the node and gives every descendant the same state.
    void SetCheckedDeep(bool checked);

private:
    TGaugeTreeNode *FParent;
    std::vector<std::unique_ptr<TGaugeTreeNode>> FChildren;
};

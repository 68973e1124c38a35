#include "GaugeTreeNode.h"

#include <QStringList>

#include <algorithm>

TGaugeTreeNode::TGaugeTreeNode(TTreeData data, TGaugeTreeNode *parent) : Data(std::move(data)), FParent(parent) {}

TGaugeTreeNode *TGaugeTreeNode::Child(int row) const
{
    return row >= 0 && row < ChildCount() ? FChildren[size_t(row)].get() : nullptr;
}

int TGaugeTreeNode::Row() const
{
    if (!FParent)
        return 0;
    const auto &siblings = FParent->FChildren;
    const auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto &c) { return c.get() == this; });
    return int(it - siblings.begin());
}

int TGaugeTreeNode::Level() const
{
    int level = 0;
    for (const TGaugeTreeNode *p = FParent; p; p = p->FParent)
        ++level;
    return level;
}

TGaugeTreeNode *TGaugeTreeNode::AddChild(TTreeData data)
{
    FChildren.push_back(std::make_unique<TGaugeTreeNode>(std::move(data), this));
    return FChildren.back().get();
}

QString TGaugeTreeNode::Path() const
{
    QStringList names;
    for (const TGaugeTreeNode *n = this; n; n = n->FParent)
        names.prepend(n->Data.Name);
    return names.join(u'\\');
}

QString TGaugeTreeNode::PathWithoutRoot() const
{
    QStringList names;
    for (const TGaugeTreeNode *n = this; n && n->FParent; n = n->FParent)
        names.prepend(n->Data.Name);
    return names.join(u'\\');
}

std::vector<TGaugeTreeNode *> TGaugeTreeNode::Flatten()
{
    std::vector<TGaugeTreeNode *> nodes{this};
    for (const auto &child : FChildren) {
        const auto below = child->Flatten();
        nodes.insert(nodes.end(), below.begin(), below.end());
    }
    return nodes;
}

void TGaugeTreeNode::SetCheckedDeep(bool checked)
{
    for (TGaugeTreeNode *node : Flatten()) {
        if (node->HasCheckBox)
            node->Checked = checked;
    }
}

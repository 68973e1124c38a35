#pragma once

#include <QAbstractItemModel>

#include <functional>

class TGaugeTreeNode;

// The gauge tree as an item model: one top-level row for the gauge, below
// it the gauge's elements. Each index points at its TGaugeTreeNode. The
// explorer brackets every change of the tree with BeginChange/EndChange.
class TExplorerModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum TRole { ImageRole = Qt::UserRole + 1, OverlayRole, NodeRole };

    // root: where the model finds the current root node (null: empty tree).
    explicit TExplorerModel(std::function<TGaugeTreeNode *()> root, QObject *parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    static TGaugeTreeNode *NodeOf(const QModelIndex &index);
    QModelIndex IndexOf(TGaugeTreeNode *node) const;

    void BeginChange();
    void EndChange();

private:
    std::function<TGaugeTreeNode *()> FRoot;
    int FChangeNesting = 0;
};

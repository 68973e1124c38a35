#include "ExplorerModel.h"

#include "GaugeTreeNode.h"

TExplorerModel::TExplorerModel(std::function<TGaugeTreeNode *()> root, QObject *parent)
    : QAbstractItemModel(parent), FRoot(std::move(root))
{
}

TGaugeTreeNode *TExplorerModel::NodeOf(const QModelIndex &index)
{
    return index.isValid() ? static_cast<TGaugeTreeNode *>(index.internalPointer()) : nullptr;
}

QModelIndex TExplorerModel::IndexOf(TGaugeTreeNode *node) const
{
    if (!node)
        return {};
    return createIndex(node->Parent() ? node->Row() : 0, 0, node);
}

QModelIndex TExplorerModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid()) {
        TGaugeTreeNode *root = FRoot();
        return root && row == 0 ? createIndex(0, 0, root) : QModelIndex();
    }
    TGaugeTreeNode *child = NodeOf(parent)->Child(row);
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex TExplorerModel::parent(const QModelIndex &child) const
{
    TGaugeTreeNode *node = NodeOf(child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TExplorerModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return FRoot() ? 1 : 0;
    return parent.column() == 0 ? NodeOf(parent)->ChildCount() : 0;
}

int TExplorerModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant TExplorerModel::data(const QModelIndex &index, int role) const
{
    const TGaugeTreeNode *node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return node->Parent() ? node->Data.Name : node->Data.Name + QStringLiteral(" (") + node->Data.GaugeSerial + u')';
    case Qt::CheckStateRole:
        return node->HasCheckBox ? QVariant(node->Checked ? Qt::Checked : Qt::Unchecked) : QVariant();
    case ImageRole: return node->Image;
    case OverlayRole: return node->Overlay;
    case NodeRole: return QVariant::fromValue(static_cast<void *>(const_cast<TGaugeTreeNode *>(node)));
    default: return {};
    }
}

bool TExplorerModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    TGaugeTreeNode *node = NodeOf(index);
    if (!node || role != Qt::CheckStateRole || !node->HasCheckBox)
        return false;
    // Checking a directory gives all its descendants the same state.
    BeginChange();
    node->SetCheckedDeep(value.toInt() == Qt::Checked);
    EndChange();
    return true;
}

Qt::ItemFlags TExplorerModel::flags(const QModelIndex &index) const
{
    const TGaugeTreeNode *node = NodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (node->HasCheckBox)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void TExplorerModel::BeginChange()
{
    if (FChangeNesting++ == 0)
        beginResetModel();
}

void TExplorerModel::EndChange()
{
    if (--FChangeNesting == 0)
        endResetModel();
}

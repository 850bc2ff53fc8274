#include "ui/TreeModel.h"

namespace ui {

TreeModel::TreeModel(QObject* parent) : QAbstractItemModel(parent) {}

TreeModel::Id TreeModel::insert(Id parent, int row, const QString& key, const QString& text,
                                int image, int selectedImage) {
    std::vector<Id>& sibs = siblings(parent);
    const int n = static_cast<int>(sibs.size());
    if (row < 0 || row > n) row = n;
    const Id id = count() + 1;
    beginInsertRows(parent == 0 ? QModelIndex() : indexOf(parent), row, row);
    Node nd;
    nd.key = key;
    nd.text = text;
    nd.parent = parent;
    nd.row = row;
    nd.image = static_cast<std::int16_t>(image);
    nd.selectedImage = static_cast<std::int16_t>(selectedImage);
    nodes_.push_back(std::move(nd));
    // `sibs` may refer into nodes_, which push_back can move: look it up again.
    std::vector<Id>& s = siblings(parent);
    s.insert(s.begin() + row, id);
    for (std::size_t i = static_cast<std::size_t>(row) + 1; i < s.size(); ++i)
        node(s[i]).row = static_cast<int>(i);
    if (!key.isEmpty()) keys_.insert(key, id);
    endInsertRows();
    return id;
}

void TreeModel::clearNodes() {
    beginResetModel();
    nodes_.clear();
    nodes_.shrink_to_fit();
    top_.clear();
    keys_.clear();
    selected_ = 0;
    endResetModel();
}

void TreeModel::setText(Id id, const QString& text) {
    node(id).text = text;
    const QModelIndex i = indexOf(id);
    Q_EMIT dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

QModelIndex TreeModel::indexOf(Id id) const {
    if (!valid(id)) return {};
    return createIndex(node(id).row, 0, static_cast<quintptr>(id));
}

TreeModel::Id TreeModel::idOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<Id>(index.internalId()) : 0;
}

void TreeModel::setImageList(std::shared_ptr<const std::vector<QIcon>> images) {
    beginResetModel();
    images_ = std::move(images);
    endResetModel();
}

void TreeModel::setSelectedNode(Id id) {
    if (id == selected_) return;
    const Id old = selected_;
    selected_ = valid(id) ? id : 0;
    for (Id changed : {old, selected_}) {
        if (!valid(changed) || node(changed).selectedImage == 0) continue;
        const QModelIndex i = indexOf(changed);
        Q_EMIT dataChanged(i, i, {Qt::DecorationRole});
    }
}

QIcon TreeModel::icon(int image) const {
    if (!images_ || image < 1 || image > static_cast<int>(images_->size())) return {};
    return (*images_)[static_cast<std::size_t>(image - 1)];
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    const Id p = idOf(parent);
    if (p != 0 && !valid(p)) return {};
    const std::vector<Id>& sibs = childrenOf(p);
    if (row >= static_cast<int>(sibs.size())) return {};
    return createIndex(row, 0, static_cast<quintptr>(sibs[static_cast<std::size_t>(row)]));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const {
    const Id id = idOf(child);
    if (!valid(id)) return {};
    return indexOf(node(id).parent);
}

int TreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    const Id p = idOf(parent);
    if (p != 0 && !valid(p)) return 0;
    return static_cast<int>(childrenOf(p).size());
}

int TreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool TreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant TreeModel::data(const QModelIndex& index, int role) const {
    const Id id = idOf(index);
    if (!valid(id)) return {};
    const Node& n = node(id);
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return n.text;
        case Qt::DecorationRole: {
            const int img = (id == selected_ && n.selectedImage != 0) ? n.selectedImage : n.image;
            const QIcon ic = icon(img);
            return ic.isNull() ? QVariant() : QVariant(ic);
        }
        default:
            return {};
    }
}

bool TreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const Id id = idOf(index);
    if (!valid(id) || role != Qt::EditRole) return false;
    const QString text = value.toString();
    setText(id, text);
    Q_EMIT labelEdited(id, text);
    return true;
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

}  // namespace ui

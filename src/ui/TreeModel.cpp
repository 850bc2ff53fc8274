#include "ui/TreeModel.h"

#include <QMetaObject>

namespace ui {

TreeModel::TreeModel(QObject* parent) : QAbstractItemModel(parent) {}

TreeModel::Id TreeModel::insert(Id parent, int row, const QString& key, const QString& text,
                                int image, int selectedImage) {
    // One probe both refuses a key in use and finds the new key's slot.
    std::size_t keySlot = 0;
    std::uint32_t keyHash = 0;
    if (!key.isEmpty()) {
        if (static_cast<std::size_t>(keyCount_ + 1) * 2 > keySlots_.size()) growKeys();
        const std::size_t h = TextPool::hash(key);
        keyHash = static_cast<std::uint32_t>(h);
        const std::size_t mask = keySlots_.size() - 1;
        for (keySlot = h & mask;; keySlot = (keySlot + 1) & mask) {
            const KeySlot& slot = keySlots_[keySlot];
            if (slot.id == 0) break;
            if (slot.hash == keyHash && strings_.equals(node(slot.id).key, key)) return 0;
        }
    }
    const int n = static_cast<int>(childrenOf(parent).size());
    if (row < 0 || row > n) row = n;
    const bool append = row == n;
    if (pendingParent_ >= 0 && (!append || pendingParent_ != parent)) flushPending();
    if (!append) {
        beginInsertRows(parent == 0 ? QModelIndex() : indexOf(parent), row, row);
    } else if (pendingParent_ < 0) {
        pendingParent_ = parent;
        pendingFrom_ = n;
        if (!flushQueued_) {
            flushQueued_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    flushQueued_ = false;
                    flushPending();
                },
                Qt::QueuedConnection);
        }
    }
    if ((count_ & (kChunkSize - 1)) == 0) chunks_.push_back(std::make_unique<Node[]>(kChunkSize));
    const Id id = ++count_;
    Node& nd = node(id);
    nd.key = strings_.add(key);
    nd.text = strings_.add(text);
    nd.parent = parent;
    nd.row = row;
    nd.image = static_cast<std::int16_t>(image);
    nd.selectedImage = static_cast<std::int16_t>(selectedImage);
    std::vector<Id>& s = siblings(parent);
    s.insert(s.begin() + row, id);
    for (std::size_t i = static_cast<std::size_t>(row) + 1; i < s.size(); ++i)
        node(s[i]).row = static_cast<int>(i);
    if (!key.isEmpty()) {
        keySlots_[keySlot] = {id, keyHash};
        ++keyCount_;
    }
    if (!append) endInsertRows();
    return id;
}

void TreeModel::flushPending() {
    if (pendingParent_ < 0) return;
    const Id p = pendingParent_;
    const int first = pendingFrom_;
    const int last = static_cast<int>(childrenOf(p).size()) - 1;
    if (last < first) {
        pendingParent_ = -1;
        return;
    }
    beginInsertRows(p == 0 ? QModelIndex() : indexOf(p), first, last);
    pendingParent_ = -1;
    endInsertRows();
}

void TreeModel::clearNodes() {
    beginResetModel();
    chunks_.clear();
    chunks_.shrink_to_fit();
    strings_.clear();
    count_ = 0;
    top_.clear();
    childLists_.clear();
    childLists_.shrink_to_fit();
    keySlots_.clear();
    keySlots_.shrink_to_fit();
    keyCount_ = 0;
    selected_ = 0;
    pendingParent_ = -1;
    endResetModel();
}

const std::vector<TreeModel::Id>& TreeModel::childrenOf(Id id) const {
    static const std::vector<Id> kNone;
    if (id == 0) return top_;
    const Node& n = node(id);
    return n.children < 0 ? kNone : childLists_[static_cast<std::size_t>(n.children)];
}

std::vector<TreeModel::Id>& TreeModel::siblings(Id parent) {
    if (parent == 0) return top_;
    Node& n = node(parent);
    if (n.children < 0) {
        n.children = static_cast<std::int32_t>(childLists_.size());
        childLists_.emplace_back();
    }
    return childLists_[static_cast<std::size_t>(n.children)];
}

int TreeModel::shownRows(Id parent) const {
    return parent == pendingParent_ ? pendingFrom_ : static_cast<int>(childrenOf(parent).size());
}

TreeModel::Id TreeModel::byKey(const QString& key) const {
    if (keySlots_.empty() || key.isEmpty()) return 0;
    const std::size_t h = TextPool::hash(key);
    const auto h32 = static_cast<std::uint32_t>(h);
    const std::size_t mask = keySlots_.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
        const KeySlot& slot = keySlots_[i];
        if (slot.id == 0) return 0;
        if (slot.hash == h32 && strings_.equals(node(slot.id).key, key)) return slot.id;
    }
}

void TreeModel::growKeys() {
    // Slots are placed by the low bits of the hash, which the stored 32 bits
    // hold for any table that fits in memory.
    std::vector<KeySlot> old = std::move(keySlots_);
    keySlots_.assign(std::max<std::size_t>(64, old.size() * 2), KeySlot{});
    const std::size_t mask = keySlots_.size() - 1;
    for (const KeySlot& slot : old) {
        if (slot.id == 0) continue;
        std::size_t i = slot.hash & mask;
        while (keySlots_[i].id != 0) i = (i + 1) & mask;
        keySlots_[i] = slot;
    }
}

void TreeModel::setText(Id id, const QString& text) {
    flushPending();
    node(id).text = strings_.add(text);
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
    pendingParent_ = -1;  // after a reset the views ask for everything
    endResetModel();
}

void TreeModel::setSelectedNode(Id id) {
    if (id == selected_) return;
    flushPending();
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
    if (row >= shownRows(p)) return {};
    return createIndex(row, 0, static_cast<quintptr>(childrenOf(p)[static_cast<std::size_t>(row)]));
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
    return shownRows(p);
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
            return strings_.get(n.text);
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

#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/TextPool.h"

namespace ui {

// The node store behind TreeView. Nodes live in fixed-size chunks in
// insertion order (index N is the (N-1)th node), so they never move and a
// large tree grows without copying; each node keeps its parent, its row among
// its siblings and, when it has children, the number of its child list, so
// every model query is O(1) and appending a child is amortised O(1). Middle
// insertions renumber the rows of the later siblings only.
//
// Children appended one after another to the same node are announced to the
// views as one insertion: they are hidden from the view side (rowCount) until
// the batch is flushed, which happens when control returns to the event loop
// or before anything else changes the tree or hands a view an index of it.
// The numbering side (count, childrenOf, key ...) sees every node at once.
class TreeModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    using Id = std::int32_t;

    explicit TreeModel(QObject* parent = nullptr);

    // Inserts a node under `parent` (0 = top level) at `row` (-1 = at the end);
    // 0, and nothing changes, when another node has the non-empty `key`.
    Id insert(Id parent, int row, const QString& key, const QString& text, int image,
              int selectedImage);
    void clearNodes();
    // Announces the children appended since the last flush.
    void flushPending();

    Id count() const { return count_; }
    bool valid(Id id) const { return id >= 1 && id <= count(); }
    QString key(Id id) const { return strings_.get(node(id).key); }
    QString text(Id id) const { return strings_.get(node(id).text); }
    void setText(Id id, const QString& text);
    int image(Id id) const { return node(id).image; }
    int selectedImage(Id id) const { return node(id).selectedImage; }
    Id parentOf(Id id) const { return node(id).parent; }
    int rowOf(Id id) const { return node(id).row; }
    const std::vector<Id>& childrenOf(Id id) const;
    Id byKey(const QString& key) const;

    QModelIndex indexOf(Id id) const;
    static Id idOf(const QModelIndex& index);

    void setImageList(std::shared_ptr<const std::vector<QIcon>> images);
    // The node shown with its selected image (0 = none).
    void setSelectedNode(Id id);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  Q_SIGNALS:
    // The user's in-place edit committed `text` to node `id`.
    void labelEdited(std::int32_t id, const QString& text);

  private:
    // 24 bytes: a big folder's node costs little more than its strings.
    struct Node {
        TextPool::Ref key = TextPool::kEmpty;
        TextPool::Ref text = TextPool::kEmpty;
        Id parent = 0;
        int row = 0;
        std::int32_t children = -1;  // index into childLists_, -1 while it has none
        std::int16_t image = 0;
        std::int16_t selectedImage = 0;
    };
    static constexpr int kChunkBits = 12;
    static constexpr Id kChunkSize = Id{1} << kChunkBits;

    const Node& node(Id id) const {
        return chunks_[static_cast<std::size_t>((id - 1) >> kChunkBits)]
                      [(id - 1) & (kChunkSize - 1)];
    }
    Node& node(Id id) {
        return chunks_[static_cast<std::size_t>((id - 1) >> kChunkBits)]
                      [(id - 1) & (kChunkSize - 1)];
    }
    std::vector<Id>& siblings(Id parent);
    // Rows of `parent` the views know of.
    int shownRows(Id parent) const;
    QIcon icon(int image) const;
    void growKeys();

    std::vector<std::unique_ptr<Node[]>> chunks_;
    TextPool strings_;
    Id count_ = 0;
    std::vector<Id> top_;
    std::vector<std::vector<Id>> childLists_;
    // Open addressing over node ids (0 = empty slot), hashed by the node's key:
    // an id and the key's hash instead of a copy of every key in a hash table.
    // The hash spares a probe the trip to the node and its key, and a growing
    // table rehashing every key.
    struct KeySlot {
        Id id = 0;
        std::uint32_t hash = 0;
    };
    std::vector<KeySlot> keySlots_;
    Id keyCount_ = 0;
    std::shared_ptr<const std::vector<QIcon>> images_;
    Id selected_ = 0;
    Id pendingParent_ = -1;  // -1: no batch
    int pendingFrom_ = 0;
    bool flushQueued_ = false;
};

}  // namespace ui

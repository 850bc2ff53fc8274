#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace ui {

// The node store behind TreeView. Nodes live in one vector in insertion order
// (index N is nodes_[N-1]); each node keeps its parent, its row among its
// siblings and its children's indexes, so every model query is O(1) and
// appending a child is amortised O(1). Middle insertions renumber the rows of
// the later siblings only.
class TreeModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    using Id = std::int32_t;

    explicit TreeModel(QObject* parent = nullptr);

    // Inserts a node under `parent` (0 = top level) at `row` (-1 = at the end).
    Id insert(Id parent, int row, const QString& key, const QString& text, int image,
              int selectedImage);
    void clearNodes();

    Id count() const { return static_cast<Id>(nodes_.size()); }
    bool valid(Id id) const { return id >= 1 && id <= count(); }
    const QString& key(Id id) const { return node(id).key; }
    const QString& text(Id id) const { return node(id).text; }
    void setText(Id id, const QString& text);
    int image(Id id) const { return node(id).image; }
    int selectedImage(Id id) const { return node(id).selectedImage; }
    Id parentOf(Id id) const { return node(id).parent; }
    int rowOf(Id id) const { return node(id).row; }
    const std::vector<Id>& childrenOf(Id id) const { return id == 0 ? top_ : node(id).children; }
    Id byKey(const QString& key) const { return keys_.value(key, 0); }

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
    struct Node {
        QString key;
        QString text;
        std::vector<Id> children;
        Id parent = 0;
        int row = 0;
        std::int16_t image = 0;
        std::int16_t selectedImage = 0;
    };
    const Node& node(Id id) const { return nodes_[static_cast<std::size_t>(id - 1)]; }
    Node& node(Id id) { return nodes_[static_cast<std::size_t>(id - 1)]; }
    std::vector<Id>& siblings(Id parent) { return parent == 0 ? top_ : node(parent).children; }
    QIcon icon(int image) const;

    std::vector<Node> nodes_;
    std::vector<Id> top_;
    QHash<QString, Id> keys_;
    std::shared_ptr<const std::vector<QIcon>> images_;
    Id selected_ = 0;
};

}  // namespace ui

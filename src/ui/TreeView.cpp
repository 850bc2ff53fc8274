#include "ui/TreeView.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "messaging/Error.h"
#include "ui/LongTextDelegate.h"
#include "ui/TreeModel.h"

namespace ui {

TreeView::TreeView(QWidget* parent) : QTreeView(parent), model_(new TreeModel(this)) {
    setModel(model_);
    setItemDelegate(new LongTextDelegate(this));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setExpandsOnDoubleClick(false);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    connect(
        selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current) { model_->setSelectedNode(TreeModel::idOf(current)); });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        const std::int32_t id = TreeModel::idOf(index);
        if (id != 0) Q_EMIT nodeClicked(id);
    });
    connect(model_, &TreeModel::labelEdited, this,
            [this](std::int32_t id, const QString& text) { Q_EMIT afterLabelEdit(id, text); });
}

TreeView::~TreeView() = default;

std::int32_t TreeView::add(std::int32_t relative, Relationship rel, const QString& key,
                           const QString& text, int image, int selectedImage) {
    if (relative != 0 && !model_->valid(relative)) {
        // The key is checked before the relative.
        if (!key.isEmpty() && model_->byKey(key) != 0) mapi::raise(mapi::code::TreeKeyNotUnique);
        mapi::raise(mapi::code::TreeElementNotFound);
    }
    std::int32_t parentId = 0;
    int row = -1;
    if (relative != 0) {
        parentId = model_->parentOf(relative);
        switch (rel) {
            case Relationship::Child:
                parentId = relative;
                break;
            case Relationship::Next:
                row = model_->rowOf(relative) + 1;
                break;
            case Relationship::Previous:
                row = model_->rowOf(relative);
                break;
            case Relationship::First:
                row = 0;
                break;
            case Relationship::Last:
                break;
        }
    }
    const std::int32_t id = model_->insert(parentId, row, key, text, image, selectedImage);
    if (id == 0) mapi::raise(mapi::code::TreeKeyNotUnique);
    return id;
}

std::int32_t TreeView::count() const {
    return model_->count();
}

void TreeView::clear() {
    model_->clearNodes();
}

namespace {
void check(const TreeModel* m, std::int32_t index) {
    if (!m->valid(index)) mapi::raise(mapi::code::IndexOutOfBounds);
}
}  // namespace

QString TreeView::key(std::int32_t index) const {
    check(model_, index);
    return model_->key(index);
}

QString TreeView::text(std::int32_t index) const {
    check(model_, index);
    return model_->text(index);
}

void TreeView::setText(std::int32_t index, const QString& text) {
    check(model_, index);
    model_->setText(index, text);
}

int TreeView::image(std::int32_t index) const {
    check(model_, index);
    return model_->image(index);
}

int TreeView::selectedImage(std::int32_t index) const {
    check(model_, index);
    return model_->selectedImage(index);
}

std::int32_t TreeView::parent(std::int32_t index) const {
    check(model_, index);
    return model_->parentOf(index);
}

std::int32_t TreeView::childCount(std::int32_t index) const {
    check(model_, index);
    return static_cast<std::int32_t>(model_->childrenOf(index).size());
}

std::vector<std::int32_t> TreeView::children(std::int32_t index) const {
    check(model_, index);
    return model_->childrenOf(index);
}

std::vector<std::int32_t> TreeView::topLevel() const {
    return model_->childrenOf(0);
}

bool TreeView::expanded(std::int32_t index) const {
    check(model_, index);
    model_->flushPending();
    return isExpanded(model_->indexOf(index));
}

void TreeView::setExpanded(std::int32_t index, bool expanded) {
    check(model_, index);
    model_->flushPending();
    QTreeView::setExpanded(model_->indexOf(index), expanded);
}

std::int32_t TreeView::indexOfKey(const QString& key) const {
    return key.isEmpty() ? 0 : model_->byKey(key);
}

std::int32_t TreeView::selectedIndex() const {
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    if (sel.isEmpty()) return 0;
    return TreeModel::idOf(sel.front());
}

void TreeView::select(std::int32_t index) {
    model_->flushPending();  // the view must know the node before it gets its index
    if (index == 0) {
        selectionModel()->clear();
        model_->setSelectedNode(0);
        return;
    }
    check(model_, index);
    // Selecting a node reveals it: collapsed ancestors open, shown or not.
    for (auto p = model_->parentOf(index); p != 0; p = model_->parentOf(p))
        if (!isExpanded(model_->indexOf(p))) QTreeView::setExpanded(model_->indexOf(p), true);
    const QModelIndex mi = model_->indexOf(index);
    selectionModel()->setCurrentIndex(mi, QItemSelectionModel::ClearAndSelect);
}

bool TreeView::editSelected(const QString& text) {
    if (labelEdit_ != LabelEdit::Automatic) return false;
    const std::int32_t id = selectedIndex();
    if (id == 0) return false;
    model_->setText(id, text);
    Q_EMIT afterLabelEdit(id, text);
    return true;
}

void TreeView::setImageList(std::shared_ptr<const std::vector<QIcon>> images) {
    model_->flushPending();
    // A model reset drops the view's expansion and selection state: keep them.
    const std::int32_t sel = selectedIndex();
    std::vector<std::int32_t> open;
    for (std::int32_t i = 1; i <= count(); ++i)
        if (isExpanded(model_->indexOf(i))) open.push_back(i);
    model_->setImageList(std::move(images));
    for (std::int32_t i : open) QTreeView::setExpanded(model_->indexOf(i), true);
    if (sel != 0) select(sel);
}

bool TreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (labelEdit_ != LabelEdit::Automatic) return false;
    return QTreeView::edit(index, trigger, event);
}

void TreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const std::int32_t id = TreeModel::idOf(index);
    const bool hadChildren = id != 0 && !model_->childrenOf(id).empty();
    const bool wasExpanded = id != 0 && isExpanded(index);
    QTreeView::mouseDoubleClickEvent(event);
    Q_EMIT nodeDoubleClicked();
    // The handler may have cleared the tree: look the node up again.
    if (hadChildren && model_->valid(id) && isExpanded(model_->indexOf(id)) == wasExpanded)
        QTreeView::setExpanded(model_->indexOf(id), !wasExpanded);
}

}  // namespace ui

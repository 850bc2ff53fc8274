#include "codewindow/VarTreeController.h"

#include "codegen/VarNames.h"
#include "ui/TreeView.h"

namespace codewindow {

using codegen::rowByNodeKey;
using codegen::VarRow;
using codegen::varTable;

namespace {

constexpr int kVariableImage = 17;

// Build order by class node key; it differs from the loading order of the table.
const char* const kBuildOrder[] = {
    "Session",     "Stores",       "Store",       "Folders",        "Folder",       "Messages",
    "Message",     "Attachments",  "Attachment",  "Recips",         "Recip",        "Root",
    "Counter",     "Fields",       "Filter",      "FilterFields",   "Details",      "RetVal",
    "AddressBook", "AddressLists", "AddressList", "AddressEntries", "AddressEntry",
};

const VarRow* rowByClassKey(const char* classKey) {
    for (const VarRow& r : varTable())
        if (qstrcmp(r.classKey, classKey) == 0) return &r;
    return nullptr;
}

}  // namespace

VarTreeController::VarTreeController(ui::TreeView* tree, codegen::VarNames& names)
    : QObject(tree), tree_(tree), names_(names) {
    connect(tree_, &ui::TreeView::nodeClicked, this, &VarTreeController::onNodeClick);
    connect(tree_, &ui::TreeView::afterLabelEdit, this,
            [this](std::int32_t, const QString& text) { onAfterLabelEdit(text); });
}

void VarTreeController::build() {
    for (const char* classKey : kBuildOrder) {
        const VarRow* r = rowByClassKey(classKey);
        if (!r) continue;
        const std::int32_t parent =
            r->parentClass ? tree_->indexOfKey(QString::fromLatin1(r->parentClass)) : 0;
        const std::int32_t cls =
            parent == 0
                ? tree_->add(0, ui::Relationship::Last, QString::fromLatin1(r->classKey),
                             QString::fromLatin1(r->classText), r->classImage)
                : tree_->add(parent, ui::Relationship::Child, QString::fromLatin1(r->classKey),
                             QString::fromLatin1(r->classText), r->classImage);
        tree_->add(cls, ui::Relationship::Child, QString::fromLatin1(r->nodeKey), names_[r->var],
                   kVariableImage);
    }
    tree_->select(tree_->indexOfKey(QStringLiteral("Stores")));
}

void VarTreeController::onNodeClick(std::int32_t index) {
    const QString key = tree_->key(index);
    tree_->setLabelEdit(key.startsWith(QLatin1Char('o')) ? ui::TreeView::LabelEdit::Automatic
                                                         : ui::TreeView::LabelEdit::Manual);
}

void VarTreeController::onAfterLabelEdit(const QString& newText) {
    const std::int32_t sel = tree_->selectedIndex();
    if (sel == 0) return;
    if (const VarRow* r = rowByNodeKey(tree_->key(sel))) names_.rename(r->var, newText);
}

}  // namespace codewindow

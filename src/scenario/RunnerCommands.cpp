// The commands that act on controls as the user would: click, tab, set, key,
// focus, choose, select, dblclick, edit, header; and the dispatch of every
// command.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeView>

#include "scenario/RunnerSupport.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

// Qt Gui's entry to its shortcut map for synthetic key presses (exported for its
// test library, which declares it the same way).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace scenario {

using script::Command;
using script::escape;

void ScenarioRunner::runCommand(const Command& c) {
    switch (c.verb) {
#define QUORVANE_SCRIPT_DISPATCH(id, ...) \
    case script::Verb::id:                \
        return cmd##id(c);
        QUORVANE_SCRIPT_COMMANDS(QUORVANE_SCRIPT_DISPATCH)
#undef QUORVANE_SCRIPT_DISPATCH
    }
    throw Failure{QStringLiteral("unknown command \"%1\"").arg(c.name)};
}

void ScenarioRunner::cmdClick(const Command& c) {
    auto* b = findControlAs<QAbstractButton>(c.arg(0), true, "button, check box or option button");
    b->click();
}

void ScenarioRunner::cmdTrigger(const Command& c) {
    findAction(c.arg(0))->trigger();
}

void ScenarioRunner::cmdTab(const Command& c) {
    const QString caption = c.arg(0);
    QWidget* strip = nullptr;
    try {
        strip = findControl(QStringLiteral("OptionsTab"), true);
    } catch (const Failure&) {
        // The tab strip lives in the main window; reach it from a modeless one.
        for (auto it = shown_.rbegin(); it != shown_.rend() && !strip; ++it)
            if (it->widget && it->widget->isVisible())
                if (auto* w = it->widget->findChild<QWidget*>(QStringLiteral("OptionsTab"))) {
                    checkNotBlocked(w, QStringLiteral("OptionsTab"));
                    checkUsable(w, QStringLiteral("OptionsTab"));
                    strip = w;
                }
        if (!strip) throw;
    }
    QTabBar* bar = qobject_cast<QTabBar*>(strip);
    if (auto* tw = qobject_cast<QTabWidget*>(strip)) bar = tw->tabBar();
    if (!bar) throw Failure{QStringLiteral("control OptionsTab is not a tab strip")};
    int index = -1;
    for (int i = 0; i < bar->count(); ++i)
        if (stripMnemonic(bar->tabText(i)) == caption) index = i;
    if (index < 0) throw Failure{QStringLiteral("no tab \"%1\" in OptionsTab").arg(caption)};
    if (!bar->isTabEnabled(index))
        throw Failure{QStringLiteral("tab \"%1\" is disabled").arg(caption)};
    const QRect r = bar->tabRect(index);
    if (bar->isVisible() && r.isValid() && bar->tabAt(r.center()) == index) {
        mouseClick(bar, r.center());
    } else {
        emit bar->tabBarClicked(index);
        bar->setCurrentIndex(index);
    }
}

void ScenarioRunner::cmdSet(const Command& c) {
    QWidget* w = findControl(c.arg(0), true);
    const QString text = c.arg(1);
    // Both kinds of multi-line box: the whole document replaced, as a paste would.
    auto replaceDocument = [&](auto* edit) {
        if (edit->isReadOnly())
            throw Failure{QStringLiteral("control %1 is read-only").arg(c.arg(0))};
        QTextCursor cur = edit->textCursor();
        cur.select(QTextCursor::Document);
        cur.insertText(text);
        edit->setTextCursor(cur);
    };
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->isReadOnly()) throw Failure{QStringLiteral("control %1 is read-only").arg(c.arg(0))};
        typeInto(e, text);
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        if (!cb->isEditable() || !cb->lineEdit())
            throw Failure{QStringLiteral("combo box %1 has no edit text").arg(c.arg(0))};
        typeInto(cb->lineEdit(), text);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        replaceDocument(p);
    } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
        replaceDocument(t);
    } else {
        throw Failure{QStringLiteral("control %1 is not a text box or combo box").arg(c.arg(0))};
    }
}

void ScenarioRunner::cmdKey(const Command& c) {
    QWidget* w = findControl(c.arg(0), true);
    const auto key = script::keyByName(c.arg(1));
    if (!key) throw Failure{QStringLiteral("unknown key \"%1\"").arg(c.arg(1))};
    ensureFocus(w);
    // The event goes where the keyboard would send it: the focus widget when it
    // is the control or part of it (a combo box's edit field), else the control.
    QWidget* target = w;
    if (QWidget* f = QApplication::focusWidget(); f && (f == w || w->isAncestorOf(f))) target = f;
    // An open pop-up list (a completion list) takes the keyboard while it
    // shows; it hands on what it does not handle itself.
    if (QWidget* popup = QApplication::activePopupWidget()) target = popup;
    QPointer<QWidget> guard(target);
    // A key bound to a shortcut is consumed by it, as the window system's own
    // key press would be, before the control sees anything.
    if (qt_sendShortcutOverrideEvent(target, 0, key->key, key->modifiers, key->text, false, 1))
        return;
    if (!guard) return;
    QKeyEvent press(QEvent::KeyPress, key->key, key->modifiers, key->text);
    QApplication::sendEvent(target, &press);
    if (!guard) return;  // the key closed the window
    QKeyEvent release(QEvent::KeyRelease, key->key, key->modifiers, key->text);
    QApplication::sendEvent(target, &release);
}

void ScenarioRunner::cmdFocus(const Command& c) {
    ensureFocus(findControl(c.arg(0), true));
}

void ScenarioRunner::cmdChoose(const Command& c) {
    QWidget* w = findControl(c.arg(0), true);
    const QString item = c.arg(1);
    const auto missing = [&] {
        return Failure{QStringLiteral("no item \"%1\" in %2").arg(escape(item), c.arg(0))};
    };
    if (auto* lv = qobject_cast<ui::ListView*>(w)) {
        for (int i = 1; i <= lv->count(); ++i) {
            if (lv->cell(i, 0) != item) continue;
            lv->setSelectedIndex(i);
            emit lv->rowClicked(i);
            return;
        }
        throw missing();
    }
    if (auto* cb = qobject_cast<QComboBox*>(w)) {
        const int i = cb->findText(item, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i < 0) throw missing();
        cb->setCurrentIndex(i);
        emit cb->activated(i);
        emit cb->textActivated(cb->itemText(i));
        return;
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(w); view && !qobject_cast<ui::TreeView*>(w)) {
        QAbstractItemModel* m = view->model();
        for (int r = 0; m && r < m->rowCount(view->rootIndex()); ++r) {
            const QModelIndex idx = m->index(r, 0, view->rootIndex());
            if (idx.data(Qt::DisplayRole).toString() != item) continue;
            view->scrollTo(idx);
            view->setCurrentIndex(idx);
            emit view->pressed(idx);
            emit view->clicked(idx);
            return;
        }
        throw missing();
    }
    throw Failure{
        QStringLiteral("control %1 is not a combo box, list box or list view").arg(c.arg(0))};
}

void ScenarioRunner::cmdSelect(const Command& c) {
    auto* tree = findControlAs<ui::TreeView>(c.arg(0), true, "tree view");
    std::int32_t index = 0;
    if (auto key = script::keyForm(c.args[1]); key && c.argc() == 2) {
        index = tree->indexOfKey(*key);
        if (!index)
            throw Failure{
                QStringLiteral("no node with key \"%1\" in %2").arg(escape(*key), c.arg(0))};
    } else {
        std::vector<std::int32_t> level = tree->topLevel();
        QStringList path;
        for (std::size_t a = 1; a < c.argc(); ++a) {
            const QString& want = c.args[a].text;
            index = 0;
            for (std::int32_t n : level)
                if (tree->text(n) == want) {
                    index = n;
                    break;
                }
            if (!index) {
                if (path.isEmpty())
                    throw Failure{QStringLiteral("no top-level node \"%1\" in %2")
                                      .arg(escape(want), c.arg(0))};
                throw Failure{QStringLiteral("no node \"%1\" under \"%2\" in %3")
                                  .arg(escape(want), escape(path.join(u" / ")), c.arg(0))};
            }
            path << want;
            level = tree->children(index);
        }
    }
    tree->select(index);
    emit tree->nodeClicked(index);
}

void ScenarioRunner::cmdDblClick(const Command& c) {
    QWidget* w = findControl(c.arg(0), true);
    if (auto* tree = qobject_cast<ui::TreeView*>(w)) {
        if (!tree->selectedIndex())
            throw Failure{QStringLiteral("no node is selected in %1").arg(c.arg(0))};
        emit tree->nodeDoubleClicked();
        return;
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        const QModelIndex idx = view->currentIndex();
        if (!idx.isValid() || !view->selectionModel() || !view->selectionModel()->isSelected(idx))
            throw Failure{QStringLiteral("no entry is chosen in %1").arg(c.arg(0))};
        emit view->doubleClicked(idx);
        return;
    }
    throw Failure{QStringLiteral("control %1 is not a tree view or list box").arg(c.arg(0))};
}

void ScenarioRunner::cmdEdit(const Command& c) {
    auto* tree = findControlAs<ui::TreeView>(c.arg(0), true, "tree view");
    if (!tree->selectedIndex())
        throw Failure{QStringLiteral("no node is selected in %1").arg(c.arg(0))};
    if (!tree->editSelected(c.arg(1))) write(QStringLiteral("edit refused\n"));
}

void ScenarioRunner::cmdHeader(const Command& c) {
    QWidget* w = findControl(c.arg(0), true);
    const int column = c.arg(1).toInt();
    if (auto* lv = qobject_cast<ui::ListView*>(w)) {
        if (column >= lv->columnCount())
            throw Failure{QStringLiteral("no column %1 in %2").arg(column).arg(c.arg(0))};
        emit lv->columnClicked(column);
        return;
    }
    QHeaderView* header = nullptr;
    if (auto* tv = qobject_cast<QTreeView*>(w)) header = tv->header();
    if (!header) throw Failure{QStringLiteral("control %1 is not a list view").arg(c.arg(0))};
    if (column >= header->count())
        throw Failure{QStringLiteral("no column %1 in %2").arg(column).arg(c.arg(0))};
    emit header->sectionClicked(column);
}

}  // namespace scenario

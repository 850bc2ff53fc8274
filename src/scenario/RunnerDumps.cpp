// The dumps: code, clipboard, tree, list, layout, selection and control.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>

#include "scenario/RunnerSupport.h"
#include "ui/CheckBox.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

namespace scenario {

using script::Command;
using script::quote;

namespace {

// One line of a tree or list dump: the escapes without the quote, as the text
// stands unquoted.
QString escapeLine(QStringView s) {
    return script::escape(s, false);
}

QString controlText(QWidget* w) {
    if (auto* t = qobject_cast<ui::TreeView*>(w)) {
        const auto sel = t->selectedIndex();
        return sel ? t->text(sel) : QString();
    }
    if (auto* l = qobject_cast<ui::ListView*>(w)) {
        const int sel = l->selectedIndex();
        return sel ? l->cell(sel, 0) : QString();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->toPlainText();
    if (auto* p = qobject_cast<QTextEdit*>(w)) return p->toPlainText();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* t = qobject_cast<QTabBar*>(w)) return t->tabText(t->currentIndex());
    if (auto* t = qobject_cast<QTabWidget*>(w)) return t->tabText(t->currentIndex());
    if (auto* l = qobject_cast<QListWidget*>(w))
        return l->currentItem() ? l->currentItem()->text() : QString();
    if (auto* m = qobject_cast<QMessageBox*>(w)) return m->text();
    if (auto* i = qobject_cast<QInputDialog*>(w)) return i->textValue();
    // A pop-up list (a completion list): the entry Enter would take.
    if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->windowType() == Qt::Popup)
        return v->currentIndex().data().toString();
    if (w->isWindow()) return w->windowTitle();
    return QString();
}

int controlChecked(QWidget* w) {
    if (auto* c = qobject_cast<ui::CheckBox*>(w)) return c->value();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->isChecked() ? 1 : 0;
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->isCheckable() && g->isChecked() ? 1 : 0;
    return 0;
}

// The text between "--- WHAT ---" and "--- end WHAT ---", ending in a line break.
QString block(const QString& what, const QString& text) {
    QString out = QStringLiteral("--- %1 ---\n").arg(what) + text;
    if (!text.isEmpty() && !text.endsWith(u'\n')) out += u'\n';
    return out + QStringLiteral("--- end %1 ---\n").arg(what);
}

QString treeLines(const ui::TreeView* tree) {
    QString out;
    std::function<void(std::int32_t, int)> node = [&](std::int32_t i, int depth) {
        out += QString(depth * 2, u' ') + escapeLine(tree->text(i)) + QStringLiteral("  ");
        if (const QString key = tree->key(i); !key.isEmpty())
            out += QStringLiteral("[key=%1] ").arg(escapeLine(key));
        out += QStringLiteral("[image=%1]\n").arg(tree->image(i));
        for (std::int32_t child : tree->children(i)) node(child, depth + 1);
    };
    for (std::int32_t top : tree->topLevel()) node(top, 0);
    return out;
}

// Rows of a list-like control, or nullopt when it is none. A tab strip's rows
// are its tabs: caption and tool tip.
std::optional<QString> listLines(QWidget* w) {
    QString out;
    if (auto* tw = qobject_cast<QTreeWidget*>(w)) {
        for (int r = 0; r < tw->topLevelItemCount(); ++r) {
            QStringList cells;
            for (int col = 0; col < tw->columnCount(); ++col)
                cells << escapeLine(tw->topLevelItem(r)->text(col));
            out += cells.join(u'\t') + u'\n';
        }
    } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
        for (int r = 0; r < lw->count(); ++r) out += escapeLine(lw->item(r)->text()) + u'\n';
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        for (int r = 0; r < cb->count(); ++r) out += escapeLine(cb->itemText(r)) + u'\n';
    } else if (auto* menus = qobject_cast<QMenuBar*>(w)) {
        // Each menu, then its entries indented: name, text, shortcut, state.
        for (QAction* m : menus->actions()) {
            out += escapeLine(m->text()) + u'\n';
            if (!m->menu()) continue;
            for (QAction* a : m->menu()->actions()) {
                if (a->isSeparator()) {
                    out += QStringLiteral("  -\n");
                    continue;
                }
                out += QStringLiteral("  %1\t%2\t%3\tvisible=%4 enabled=%5\n")
                           .arg(a->objectName(), escapeLine(a->text()),
                                a->shortcut().toString(QKeySequence::PortableText))
                           .arg(a->isVisible() ? 1 : 0)
                           .arg(a->isEnabled() ? 1 : 0);
            }
        }
    } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
        for (int r = 0; r < bar->count(); ++r)
            out += escapeLine(bar->tabText(r)) + u'\t' + escapeLine(bar->tabToolTip(r)) + u'\n';
    } else if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model()) {
        // Any other list (a completion list): its rows as they show.
        const QAbstractItemModel* m = view->model();
        for (int r = 0; r < m->rowCount(view->rootIndex()); ++r)
            out += escapeLine(m->index(r, 0, view->rootIndex()).data().toString()) + u'\n';
    } else {
        return std::nullopt;
    }
    return out;
}

void layoutLines(QWidget* w, int depth, QString& out) {
    const bool named = !w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_");
    if (named) {
        const QRect g = w->geometry();
        out += QStringLiteral("%1%2 %3 %4,%5 %6x%7 hidden=%8 enabled=%9 checked=%10 text=%11")
                   .arg(QString(depth * 2, u' '), w->objectName(),
                        QLatin1String(w->metaObject()->className()))
                   .arg(g.x())
                   .arg(g.y())
                   .arg(g.width())
                   .arg(g.height())
                   .arg(w->isHidden() ? 1 : 0)
                   .arg(w->isEnabled() ? 1 : 0)
                   .arg(controlChecked(w))
                   .arg(quote(controlText(w)));
        if (auto* e = qobject_cast<QLineEdit*>(w); e && e->echoMode() == QLineEdit::Password)
            out += QStringLiteral(" password");
        if (!w->toolTip().isEmpty()) out += QStringLiteral(" tip=") + quote(w->toolTip());
        out += u'\n';
    }
    for (QObject* child : w->children())
        if (auto* cw = qobject_cast<QWidget*>(child); cw && !cw->isWindow())
            layoutLines(cw, depth + (named ? 1 : 0), out);
}

}  // namespace

void ScenarioRunner::cmdDump(const Command& c) {
    const QString what = c.arg(0);
    if (what == u"code") {
        if (!codeSource_) throw Failure{QStringLiteral("there is no code window")};
        const QString text = codeSource_();
        if (c.argc() > 1) {
            QFile f(c.arg(1));
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw Failure{QStringLiteral("cannot write %1: %2").arg(c.arg(1), f.errorString())};
            f.write(text.toUtf8());
            return;
        }
        write(block(what, text));
        return;
    }
    if (what == u"clipboard") {
        write(block(what, QGuiApplication::clipboard()->text()));
        return;
    }
    const QString name = c.arg(1);
    if (what == u"tree") {
        write(treeLines(findControlAs<ui::TreeView>(name, false, "tree view")));
        return;
    }
    if (what == u"list") {
        const auto lines = listLines(findControl(name, false));
        if (!lines) throw Failure{QStringLiteral("control %1 is not a list").arg(name)};
        write(*lines);
        return;
    }
    if (what == u"layout") {
        QString out;
        layoutLines(findControl(name, false), 0, out);
        write(out);
        return;
    }
    if (what == u"selection") {
        QWidget* w = findControl(name, false);
        QTextCursor cursor;
        if (auto* p = qobject_cast<QPlainTextEdit*>(w))
            cursor = p->textCursor();
        else if (auto* t = qobject_cast<QTextEdit*>(w))
            cursor = t->textCursor();
        else
            throw Failure{QStringLiteral("control %1 is not a text window").arg(name)};
        write(
            QStringLiteral("%1 selection=%2\n").arg(name, quote(cursor.selection().toPlainText())));
        return;
    }
    // control
    QWidget* w = findControl(name, false);
    write(QStringLiteral("%1 visible=%2 enabled=%3 checked=%4 text=%5\n")
              .arg(name)
              .arg(w->isVisible() ? 1 : 0)
              .arg(w->isEnabled() ? 1 : 0)
              .arg(controlChecked(w))
              .arg(quote(controlText(w))));
}

}  // namespace scenario

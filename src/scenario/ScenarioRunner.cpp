#include "scenario/ScenarioRunner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "messaging/Error.h"
#include "ui/CheckBox.h"
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
using script::quote;

namespace {

// Steps the event loop must go through untouched before the next command:
// enough for posted events, window activation and deferred deletes.
constexpr int kSettleTicks = 4;
// How many steps closing the modal windows left open by a failed script may
// take before the run is cut short.
constexpr int kMaxDrainTicks = 2000;

QString stripMnemonic(QString s) {
    // "&Yes" -> "Yes", "&&" -> "&"
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size() && s[i + 1] == u'&') out += u'&', ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

// One line of a tree or list dump: the escapes without the quote, as the text
// stands unquoted.
QString escapeLine(QStringView s) {
    return script::escape(s, false);
}

bool isAnswerDialog(const QWidget* w) {
    return qobject_cast<const QMessageBox*>(w) || qobject_cast<const QInputDialog*>(w) ||
           qobject_cast<const QFileDialog*>(w);
}

QString iconName(const QMessageBox* box) {
    const QVariant p = box->property("quorvaneIcon");
    if (p.isValid()) return p.toString();
    switch (box->icon()) {
        case QMessageBox::Critical:
            return QStringLiteral("critical");
        case QMessageBox::Information:
            return QStringLiteral("information");
        case QMessageBox::Question:
            return QStringLiteral("question");
        case QMessageBox::Warning:
            return QStringLiteral("exclamation");
        default:
            return QStringLiteral("none");
    }
}

QString buttonsName(const QMessageBox* box) {
    const QVariant p = box->property("quorvaneButtons");
    if (p.isValid()) return p.toString();
    const auto b = box->standardButtons();
    if (b == QMessageBox::Ok) return QStringLiteral("ok");
    if (b == (QMessageBox::Yes | QMessageBox::No)) return QStringLiteral("yesno");
    if (b == (QMessageBox::Ok | QMessageBox::Cancel)) return QStringLiteral("okcancel");
    QStringList names;
    for (QAbstractButton* btn : box->buttons()) names << stripMnemonic(btn->text()).toLower();
    return names.join(QString());
}

QAbstractButton* buttonByText(QWidget* dialog, const QString& text) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        for (QAbstractButton* b : box->buttons())
            if (stripMnemonic(b->text()) == text) return b;
        return nullptr;
    }
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->isVisible() && stripMnemonic(b->text()) == text) return b;
    return nullptr;
}

// Text as typing would leave it: the old text selected and replaced, so the
// control's edit signals fire as for the keyboard.
void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    edit->insert(text);
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
    if (w->isWindow()) return w->windowTitle();
    return QString();
}

int controlChecked(QWidget* w) {
    if (auto* c = qobject_cast<ui::CheckBox*>(w)) return c->value();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->isChecked() ? 1 : 0;
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->isCheckable() && g->isChecked() ? 1 : 0;
    return 0;
}

}  // namespace

ScenarioRunner::ScenarioRunner(QString scriptName, std::vector<Command> commands, QIODevice* out,
                               QIODevice* err, QObject* parent)
    : QObject(parent),
      scriptName_(std::move(scriptName)),
      commands_(std::move(commands)),
      out_(out),
      err_(err) {}

ScenarioRunner::~ScenarioRunner() {
    if (started_ && !finishing_) qApp->removeEventFilter(this);
}

void ScenarioRunner::start(bool waitForStartup) {
    if (started_) return;
    started_ = true;
    waitingForStartup_ = waitForStartup;
    // Windows already up are known but not logged: only changes are news.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && isProgramWindow(w)) {
            shown_.push_back({w, w, w->objectName()});
            connect(w, &QObject::destroyed, this, &ScenarioRunner::windowDestroyed);
        }
    }
    qApp->installEventFilter(this);
    scheduleTick();
}

void ScenarioRunner::startupDone() {
    waitingForStartup_ = false;
}

int ScenarioRunner::exec() {
    start(false);
    return waitForFinished();
}

int ScenarioRunner::waitForFinished() {
    if (emitted_) return status_;
    QEventLoop loop;
    connect(this, &ScenarioRunner::finished, &loop, [&loop](int s) { loop.exit(s); });
    loop.exec();
    return status_;
}

void ScenarioRunner::scheduleTick() {
    if (tickPending_ || emitted_) return;
    tickPending_ = true;
    QTimer::singleShot(0, this, &ScenarioRunner::tick);
}

void ScenarioRunner::tick() {
    tickPending_ = false;
    if (emitted_) return;
    // The next step is queued before this one does anything, so that the
    // chain goes on inside whatever nested event loop a command enters.
    scheduleTick();
    if (finishing_) {
        drain();
        return;
    }

    QWidget* modal = QApplication::activeModalWidget();
    // A command is still on the stack and has not opened a new modal window:
    // it is only processing events of its own; let it finish.
    if (!running_.empty() && modal == running_.back().modalAtStart) {
        idleTicks_ = 0;
        return;
    }
    // A progress window is the running command's own, and not the script's to answer.
    if (!running_.empty() && qobject_cast<QProgressDialog*>(modal)) {
        idleTicks_ = 0;
        return;
    }
    if (++idleTicks_ < kSettleTicks) return;

    if (waitingForStartup_) {
        if (!modal) return;
        idleTicks_ = 0;
        if (modal->objectName() == u"AboutForm") {
            auto* ok = modal->findChild<QAbstractButton*>(QStringLiteral("OKButton"));
            if (!ok || !ok->isVisible() || !ok->isEnabled()) {
                fail(0, QStringLiteral("the start-up window AboutForm has no usable OKButton"));
                return;
            }
            ok->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal); box && isOkOnly(box)) {
            pressOk(box);
        } else {
            // Nothing in the script can answer it yet: waiting would hang.
            fail(0, QStringLiteral("unexpected modal window %1 at start-up")
                        .arg(modal->objectName().isEmpty()
                                 ? QString::fromLatin1(modal->metaObject()->className())
                                 : modal->objectName()));
        }
        return;
    }

    if (auto* box = qobject_cast<QMessageBox*>(modal); box && isOkOnly(box) && !nextIsAnswer()) {
        idleTicks_ = 0;
        pressOk(box);
        return;
    }

    if (pc_ >= commands_.size()) {
        if (modal) {
            fail(lastLine_,
                 isAnswerDialog(modal)
                     ? waitingDialogDescription(modal)
                     : QStringLiteral("modal window %1 is still open at the end of the script")
                           .arg(modal->objectName()));
            return;
        }
        finish(0);
        return;
    }

    const Command& c = commands_[pc_++];
    lastLine_ = c.line;
    if (modal && isAnswerDialog(modal) && c.name != u"answer" && c.name != u"file" &&
        c.name != u"file-cancel") {
        fail(c.line, waitingDialogDescription(modal));
        return;
    }

    running_.push_back({modal});
    idleTicks_ = 0;
    try {
        runCommand(c);
    } catch (const Failure& f) {
        fail(c.line, f.message);
    } catch (const mapi::Error& e) {
        fail(c.line,
             QStringLiteral("unhandled error #%1: %2").arg(e.number()).arg(e.description()));
    } catch (const std::exception& e) {
        fail(c.line,
             QStringLiteral("unhandled exception: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    running_.pop_back();
    idleTicks_ = 0;
}

void ScenarioRunner::fail(int line, const QString& message) {
    if (finishing_) return;
    const QString where =
        line > 0 ? QStringLiteral("%1:%2").arg(scriptName_).arg(line) : scriptName_;
    if (err_) {
        err_->write((where + QStringLiteral(": error: ") + message + u'\n').toUtf8());
        if (auto* f = qobject_cast<QFile*>(err_)) f->flush();
    }
    finish(1);
}

void ScenarioRunner::finish(int status) {
    if (finishing_) return;
    finishing_ = true;
    status_ = status;
    // Nothing that happens while the windows are being closed is news.
    qApp->removeEventFilter(this);
    for (const auto& s : shown_)
        if (s.widget) disconnect(s.widget, &QObject::destroyed, this, nullptr);
    drainTicks_ = 0;
}

void ScenarioRunner::drain() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (++drainTicks_ > kMaxDrainTicks) {
            emitted_ = true;
            emit finished(status_);
            QCoreApplication::exit(status_);
            return;
        }
        if (auto* d = qobject_cast<QDialog*>(modal))
            d->done(QDialog::Rejected);
        else
            modal->close();
        return;
    }
    if (!running_.empty()) {
        if (++drainTicks_ > kMaxDrainTicks) {
            emitted_ = true;
            emit finished(status_);
            QCoreApplication::exit(status_);
        }
        return;
    }
    emitted_ = true;
    emit finished(status_);
}

void ScenarioRunner::write(const QString& text) {
    if (!out_) return;
    out_->write(text.toUtf8());
    if (auto* f = qobject_cast<QFile*>(out_)) f->flush();
}

void ScenarioRunner::pressOk(QMessageBox* box) {
    // The accept-role button, never a "Show Details..." one.
    for (QAbstractButton* b : box->buttons())
        if (box->buttonRole(b) == QMessageBox::AcceptRole) {
            b->click();
            return;
        }
}

bool ScenarioRunner::isOkOnly(QMessageBox* box) const {
    const QVariant p = box->property("quorvaneButtons");
    if (p.isValid()) return p.toString() == u"ok";
    const auto buttons = box->buttons();
    return buttons.size() == 1 && box->buttonRole(buttons.front()) == QMessageBox::AcceptRole;
}

bool ScenarioRunner::nextIsAnswer() const {
    return pc_ < commands_.size() && commands_[pc_].name == u"answer";
}

QString ScenarioRunner::waitingDialogDescription(QWidget* modal) const {
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        return QStringLiteral("unanswered message box: ") + escape(box->text());
    if (auto* in = qobject_cast<QInputDialog*>(modal))
        return QStringLiteral("unanswered input box: ") + escape(in->labelText());
    return QStringLiteral("unanswered file dialog ") + quote(modal->windowTitle());
}

// ---------------------------------------------------------------- windows --

bool ScenarioRunner::isProgramWindow(const QWidget* w) {
    if (!w->isWindow() || w->objectName().isEmpty()) return false;
    // Whether a progress window shows at all depends on the machine's speed:
    // it must not change what a run prints.
    if (qobject_cast<const QProgressDialog*>(w)) return false;
    const Qt::WindowType type = w->windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool) return false;
    return !isAnswerDialog(w);
}

bool ScenarioRunner::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::WindowActivate)
        return false;
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow()) return false;
    switch (type) {
        case QEvent::Show:
            if (isAnswerDialog(w))
                logDialog(w);
            else if (isProgramWindow(w))
                noteShown(w);
            break;
        case QEvent::Hide:
            noteHidden(w);
            break;
        default:  // WindowActivate: the window moves to the front of the order
            for (std::size_t i = 0; i < shown_.size(); ++i) {
                if (shown_[i].raw == w) {
                    auto entry = shown_[i];
                    shown_.erase(shown_.begin() + std::ptrdiff_t(i));
                    shown_.push_back(entry);
                    break;
                }
            }
            break;
    }
    return false;
}

void ScenarioRunner::noteShown(QWidget* w) {
    for (const auto& s : shown_)
        if (s.raw == w) return;
    shown_.push_back({w, w, w->objectName()});
    connect(w, &QObject::destroyed, this, &ScenarioRunner::windowDestroyed, Qt::UniqueConnection);
    write(QStringLiteral("window %1 shown\n").arg(w->objectName()));
}

void ScenarioRunner::noteHidden(QWidget* w) {
    for (auto& d : openDialogs_)
        if (d == w) d = nullptr;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        if (shown_[i].raw != w) continue;
        const QString name = shown_[i].name;
        shown_.erase(shown_.begin() + std::ptrdiff_t(i));
        disconnect(w, &QObject::destroyed, this, nullptr);
        write(QStringLiteral("window %1 closed\n").arg(name));
        return;
    }
}

void ScenarioRunner::windowDestroyed(QObject* o) {
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        if (shown_[i].raw != o) continue;
        const QString name = shown_[i].name;
        shown_.erase(shown_.begin() + std::ptrdiff_t(i));
        if (!finishing_) write(QStringLiteral("window %1 closed\n").arg(name));
        return;
    }
}

void ScenarioRunner::logDialog(QWidget* w) {
    std::erase_if(openDialogs_, [](const QPointer<QWidget>& d) { return d.isNull(); });
    for (const auto& d : openDialogs_)
        if (d == w) return;  // already announced
    openDialogs_.push_back(w);
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        write(QStringLiteral("msgbox %1 %2 %3 %4\n")
                  .arg(iconName(box), buttonsName(box), quote(box->windowTitle()),
                       escape(box->text())));
    } else if (auto* in = qobject_cast<QInputDialog*>(w)) {
        write(QStringLiteral("inputbox %1 %2\n")
                  .arg(quote(in->windowTitle()), escape(in->labelText())));
    } else if (auto* fd = qobject_cast<QFileDialog*>(w)) {
        write(QStringLiteral("filedialog %1 %2 %3\n")
                  .arg(fd->acceptMode() == QFileDialog::AcceptSave ? QStringLiteral("save")
                                                                   : QStringLiteral("open"),
                       quote(fd->windowTitle()), escape(fd->nameFilters().join(u";;"))));
    }
}

QWidget* ScenarioRunner::activeWindow() const {
    if (QWidget* m = QApplication::activeModalWidget()) return m;
    QWidget* a = QApplication::activeWindow();
    if (a && a->isVisible() && isProgramWindow(a)) return a;
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it)
        if (it->widget && it->widget->isVisible()) return it->widget;
    return nullptr;
}

QWidget* ScenarioRunner::findWindow(const QString& name) const {
    if (QWidget* m = QApplication::activeModalWidget(); m && m->objectName() == name) return m;
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it)
        if (it->widget && it->widget->isVisible() && it->name == name) return it->widget;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == name) return w;
    throw Failure{QStringLiteral("no window %1 is open").arg(name)};
}

QWidget* ScenarioRunner::findControl(const QString& controlName, bool forAction) const {
    QWidget* window = nullptr;
    QString name = controlName;
    if (const qsizetype slash = controlName.indexOf(u'/'); slash > 0) {
        window = findWindow(controlName.left(slash));
        name = controlName.mid(slash + 1);
    } else {
        window = activeWindow();
        if (!window) throw Failure{QStringLiteral("no window is open")};
    }
    QWidget* found = nullptr;
    if (window->objectName() == name) {
        found = window;
    } else {
        // Prefer a visible control when a name is used twice (a hidden copy
        // must not shadow the one the user sees).
        for (QWidget* w : window->findChildren<QWidget*>(name)) {
            if (!found) found = w;
            if (w->isVisible()) {
                found = w;
                break;
            }
        }
    }
    if (!found)
        throw Failure{QStringLiteral("no control %1 in window %2").arg(name, window->objectName())};
    if (forAction) {
        checkNotBlocked(found, controlName);
        checkUsable(found, controlName);
    }
    return found;
}

template <class T>
T* ScenarioRunner::findControlAs(const QString& controlName, bool forAction,
                                 const char* kind) const {
    QWidget* w = findControl(controlName, forAction);
    auto* t = qobject_cast<T*>(w);
    if (!t)
        throw Failure{
            QStringLiteral("control %1 is not a %2").arg(controlName, QLatin1String(kind))};
    return t;
}

void ScenarioRunner::checkUsable(QWidget* w, const QString& controlName) const {
    if (!w->isVisible()) throw Failure{QStringLiteral("control %1 is hidden").arg(controlName)};
    if (!w->isEnabled()) throw Failure{QStringLiteral("control %1 is disabled").arg(controlName)};
}

void ScenarioRunner::checkNotBlocked(QWidget* w, const QString& controlName) const {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && w->window() != modal)
        throw Failure{QStringLiteral("control %1 is blocked by the modal window %2")
                          .arg(controlName, modal->objectName())};
}

void ScenarioRunner::ensureFocus(QWidget* w) {
    QWidget* window = w->window();
    if (QApplication::activeWindow() != window) {
        window->activateWindow();
        for (int i = 0; i < 50 && QApplication::activeWindow() != window; ++i)
            QCoreApplication::processEvents();
    }
    if (!w->hasFocus()) w->setFocus(Qt::OtherFocusReason);
}

void ScenarioRunner::mouseClick(QWidget* target, const QPoint& pos) {
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// --------------------------------------------------------------- commands --

void ScenarioRunner::runCommand(const Command& c) {
    const QString& n = c.name;
    if (n == u"click") return cmdClick(c);
    if (n == u"tab") return cmdTab(c);
    if (n == u"set") return cmdSet(c);
    if (n == u"key") return cmdKey(c);
    if (n == u"focus") return cmdFocus(c);
    if (n == u"choose") return cmdChoose(c);
    if (n == u"select") return cmdSelect(c);
    if (n == u"dblclick") return cmdDblClick(c);
    if (n == u"edit") return cmdEdit(c);
    if (n == u"answer") return cmdAnswer(c);
    if (n == u"file") return cmdFile(c, false);
    if (n == u"file-cancel") return cmdFile(c, true);
    if (n == u"header") return cmdHeader(c);
    if (n == u"dump") return cmdDump(c);
    throw Failure{QStringLiteral("unknown command \"%1\"").arg(n)};
}

void ScenarioRunner::cmdClick(const Command& c) {
    auto* b = findControlAs<QAbstractButton>(c.arg(0), true, "button, check box or option button");
    b->click();
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
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->isReadOnly()) throw Failure{QStringLiteral("control %1 is read-only").arg(c.arg(0))};
        typeInto(e, text);
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        if (!cb->isEditable() || !cb->lineEdit())
            throw Failure{QStringLiteral("combo box %1 has no edit text").arg(c.arg(0))};
        typeInto(cb->lineEdit(), text);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        if (p->isReadOnly()) throw Failure{QStringLiteral("control %1 is read-only").arg(c.arg(0))};
        QTextCursor cur = p->textCursor();
        cur.select(QTextCursor::Document);
        cur.insertText(text);
        p->setTextCursor(cur);
    } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
        if (t->isReadOnly()) throw Failure{QStringLiteral("control %1 is read-only").arg(c.arg(0))};
        QTextCursor cur = t->textCursor();
        cur.select(QTextCursor::Document);
        cur.insertText(text);
        t->setTextCursor(cur);
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

void ScenarioRunner::cmdAnswer(const Command& c) {
    QWidget* modal = QApplication::activeModalWidget();
    const QString button = c.arg(0);
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (c.argc() > 1)
            throw Failure{QStringLiteral("a message box takes no text; only an input box does")};
        QAbstractButton* b = buttonByText(box, button);
        if (!b) throw Failure{QStringLiteral("the message box has no button \"%1\"").arg(button)};
        b->click();
        return;
    }
    if (auto* in = qobject_cast<QInputDialog*>(modal)) {
        QAbstractButton* b = buttonByText(in, button);
        if (!b) throw Failure{QStringLiteral("the input box has no button \"%1\"").arg(button)};
        if (c.argc() > 1) {
            if (auto* edit = in->findChild<QLineEdit*>())
                typeInto(edit, c.arg(1));
            else
                in->setTextValue(c.arg(1));
        }
        b->click();
        return;
    }
    throw Failure{QStringLiteral("no message box or input box is open")};
}

void ScenarioRunner::cmdFile(const Command& c, bool cancel) {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) throw Failure{QStringLiteral("no file dialog is open")};
    if (cancel) {
        dialog->reject();
        return;
    }
    // A folder only: the user changes the folder and keeps the suggested name.
    if (c.arg(0).endsWith(QLatin1Char('/'))) {
        dialog->setDirectory(QFileInfo(c.arg(0)).absoluteFilePath());
        static_cast<QDialog*>(dialog)->accept();
        return;
    }
    // The full path typed into the file name box, as a user may do; selectFile()
    // leaves the box alone while it has the focus.
    const QString path = QFileInfo(c.arg(0)).absoluteFilePath();
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        typeInto(edit, path);
    else
        dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, reached as the OK button does
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
        QString block = QStringLiteral("--- code ---\n") + text;
        if (!text.isEmpty() && !text.endsWith(u'\n')) block += u'\n';
        write(block + QStringLiteral("--- end code ---\n"));
        return;
    }
    if (what == u"clipboard") {
        const QString text = QGuiApplication::clipboard()->text();
        QString block = QStringLiteral("--- clipboard ---\n") + text;
        if (!text.isEmpty() && !text.endsWith(u'\n')) block += u'\n';
        write(block + QStringLiteral("--- end clipboard ---\n"));
        return;
    }
    const QString name = c.arg(1);
    if (what == u"tree") {
        auto* tree = findControlAs<ui::TreeView>(name, false, "tree view");
        QString outText;
        std::function<void(std::int32_t, int)> node = [&](std::int32_t i, int depth) {
            outText += QString(depth * 2, u' ') + escapeLine(tree->text(i)) + QStringLiteral("  ");
            if (const QString key = tree->key(i); !key.isEmpty())
                outText += QStringLiteral("[key=%1] ").arg(escapeLine(key));
            outText += QStringLiteral("[image=%1]\n").arg(tree->image(i));
            for (std::int32_t child : tree->children(i)) node(child, depth + 1);
        };
        for (std::int32_t top : tree->topLevel()) node(top, 0);
        write(outText);
        return;
    }
    if (what == u"list") {
        QWidget* w = findControl(name, false);
        QString outText;
        if (auto* tw = qobject_cast<QTreeWidget*>(w)) {
            for (int r = 0; r < tw->topLevelItemCount(); ++r) {
                QStringList cells;
                for (int col = 0; col < tw->columnCount(); ++col)
                    cells << escapeLine(tw->topLevelItem(r)->text(col));
                outText += cells.join(u'\t') + u'\n';
            }
        } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
            for (int r = 0; r < lw->count(); ++r)
                outText += escapeLine(lw->item(r)->text()) + u'\n';
        } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            for (int r = 0; r < cb->count(); ++r) outText += escapeLine(cb->itemText(r)) + u'\n';
        } else {
            throw Failure{QStringLiteral("control %1 is not a list").arg(name)};
        }
        write(outText);
        return;
    }
    if (what == u"layout") {
        QString outText;
        std::function<void(QWidget*, int)> dumpLayout = [&](QWidget* w, int depth) {
            const bool named = !w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_");
            if (named) {
                const QRect g = w->geometry();
                outText +=
                    QStringLiteral("%1%2 %3 %4,%5 %6x%7 hidden=%8 enabled=%9 checked=%10 text=%11")
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
                if (auto* e = qobject_cast<QLineEdit*>(w);
                    e && e->echoMode() == QLineEdit::Password)
                    outText += QStringLiteral(" password");
                if (!w->toolTip().isEmpty())
                    outText += QStringLiteral(" tip=") + quote(w->toolTip());
                outText += u'\n';
            }
            for (QObject* child : w->children())
                if (auto* cw = qobject_cast<QWidget*>(child); cw && !cw->isWindow())
                    dumpLayout(cw, depth + (named ? 1 : 0));
        };
        dumpLayout(findControl(name, false), 0);
        write(outText);
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

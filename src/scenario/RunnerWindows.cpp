// Program windows as they show, activate and close, and finding the window
// and control a command names.

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QProgressDialog>

#include "scenario/RunnerSupport.h"
#include "ui/Twips.h"

namespace scenario {

using script::Command;

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
        if (run_.phase < Phase::Finishing) write(QStringLiteral("window %1 closed\n").arg(name));
        return;
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

std::pair<QWidget*, QString> ScenarioRunner::windowAndName(const QString& controlName) const {
    if (const qsizetype slash = controlName.indexOf(u'/'); slash > 0)
        return {findWindow(controlName.left(slash)), controlName.mid(slash + 1)};
    QWidget* window = activeWindow();
    if (!window) throw Failure{QStringLiteral("no window is open")};
    return {window, controlName};
}

QWidget* ScenarioRunner::findControl(const QString& controlName, bool forAction) const {
    // An open pop-up list (a completion list) belongs to the window it opened
    // over, though the window system keeps it as a window of its own.
    if (QWidget* popup = QApplication::activePopupWidget();
        popup && !controlName.contains(u'/') && popup->objectName() == controlName)
        return popup;
    const auto [window, name] = windowAndName(controlName);
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

QAction* ScenarioRunner::findAction(const QString& actionName) const {
    const auto [window, name] = windowAndName(actionName);
    auto* a = window->findChild<QAction*>(name);
    if (!a)
        throw Failure{QStringLiteral("no action %1 in window %2").arg(name, window->objectName())};
    checkNotBlocked(window, actionName);
    if (!a->isVisible()) throw Failure{QStringLiteral("action %1 is hidden").arg(actionName)};
    if (!a->isEnabled()) throw Failure{QStringLiteral("action %1 is disabled").arg(actionName)};
    return a;
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

void ScenarioRunner::cmdResize(const Command& c) {
    QWidget* window = findWindow(c.arg(0));
    // The size asked for is the outer one, the frame the window system adds
    // included, as the user drags it.
    const QSize outer(ui::twipsToPixelsX(c.arg(1).toDouble()),
                      ui::twipsToPixelsY(c.arg(2).toDouble()));
    const QSize frame = window->frameGeometry().size() - window->size();
    window->resize(outer - frame);
    QCoreApplication::processEvents();
    if (window->frameGeometry().size() != outer)
        throw Failure{QStringLiteral("window %1 took %2x%3 pixels, not %4x%5")
                          .arg(c.arg(0))
                          .arg(window->frameGeometry().width())
                          .arg(window->frameGeometry().height())
                          .arg(outer.width())
                          .arg(outer.height())};
}

}  // namespace scenario

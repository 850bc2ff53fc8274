#include "ui/SlicedWork.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <iterator>
#include <limits>

namespace ui {

namespace {

int g_pending = 0;

bool isNavigationKey(const QEvent* event) {
    static constexpr int kKeys[] = {Qt::Key_Up,     Qt::Key_Down,     Qt::Key_Left, Qt::Key_Right,
                                    Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End,
                                    Qt::Key_Shift,  Qt::Key_Control,  Qt::Key_Alt,  Qt::Key_Meta};
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return std::find(std::begin(kKeys), std::end(kKeys), key) != std::end(kKeys);
}

}  // namespace

SlicedWork::SlicedWork(QWidget* home, QObject* parent) : QObject(parent), home_(home) {}

SlicedWork::~SlicedWork() {
    // Going away with the program: what is left is dropped, not run.
    if (!step_) return;
    step_ = nullptr;
    done_ = nullptr;
    --g_pending;
    qApp->removeEventFilter(this);
}

bool SlicedWork::anyPending() {
    return g_pending > 0;
}

void SlicedWork::start(std::function<bool(std::size_t)> step, std::function<void()> done) {
    finishNow();
    step_ = std::move(step);
    done_ = std::move(done);
    ++g_pending;
    qApp->installEventFilter(this);
    if (!sliceQueued_) {
        sliceQueued_ = true;
        QTimer::singleShot(0, this, &SlicedWork::runSlice);
    }
}

void SlicedWork::runSlice() {
    sliceQueued_ = false;
    if (!step_ || inSlice_) return;
    inSlice_ = true;
    const bool end = step_(sliceSize_);
    inSlice_ = false;
    if (end) {
        complete();
        return;
    }
    sliceQueued_ = true;
    QTimer::singleShot(0, this, &SlicedWork::runSlice);
    Q_EMIT sliceDone();
}

void SlicedWork::finishNow() {
    if (!step_ || inSlice_) return;
    inSlice_ = true;
    while (!step_(std::numeric_limits<std::size_t>::max())) {
    }
    inSlice_ = false;
    complete();
}

void SlicedWork::complete() {
    // No longer pending before `done` runs: a message box it opens runs its
    // own event loop, whose input must not come back here.
    const std::function<void()> done = std::move(done_);
    step_ = nullptr;
    done_ = nullptr;
    --g_pending;
    qApp->removeEventFilter(this);
    if (done) done();
}

bool SlicedWork::eventFilter(QObject* watched, QEvent* event) {
    if (!step_ || inSlice_) return false;
    // An input event the home widget leaves unaccepted goes on to its
    // parents: still the same harmless event.
    if (event->isInputEvent()) {
        const auto* input = static_cast<const QInputEvent*>(event);
        if (input == passed_.event && input->type() == passed_.type &&
            input->timestamp() == passed_.timestamp)
            return false;
        passed_ = {};
        if (harmless(watched, event)) {
            passed_ = {input, input->type(), input->timestamp()};
            return false;
        }
    } else if (harmless(watched, event)) {
        return false;
    }
    finishNow();
    return false;
}

bool SlicedWork::harmless(QObject* watched, QEvent* event) const {
    // Input reaches a window first and its widget next: the widget decides.
    if (!watched->isWidgetType()) return true;
    auto* w = static_cast<QWidget*>(watched);
    const bool inHome = home_ && (w == home_ || home_->isAncestorOf(w));
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            return inHome;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return inHome && isNavigationKey(event);
        case QEvent::MouseButtonDblClick:
        case QEvent::Shortcut:
        case QEvent::Close:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::Drop:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            return false;
        default:
            return true;
    }
}

}  // namespace ui

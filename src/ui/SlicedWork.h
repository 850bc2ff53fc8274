#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <cstddef>
#include <functional>

class QWidget;

namespace ui {

// Work too long to run in one go (a folder of a million messages filling the
// tree): it runs a slice at a time, each on its own zero-timer turn of the
// event loop, so the window keeps painting and the user can scroll and select
// in the home widget meanwhile. Anything else the user does (a click or a key
// anywhere else, a double-click or an editing key in the home widget, closing
// a window) first runs the rest of the work to its end, so that every action
// sees the program as it would have been had the work run in one go.
class SlicedWork : public QObject {
    Q_OBJECT
  public:
    // `home` is where scrolling and selecting go on undisturbed.
    explicit SlicedWork(QWidget* home, QObject* parent = nullptr);
    ~SlicedWork() override;

    // What one slice is asked to do (rows, messages ...).
    std::size_t sliceSize() const { return sliceSize_; }
    void setSliceSize(std::size_t n) { sliceSize_ = n == 0 ? 1 : n; }

    // Runs step(sliceSize()) on later turns until it returns true, then `done`
    // once, after the work no longer counts as pending (so `done` may open
    // modal windows). Work already pending is finished first.
    void start(std::function<bool(std::size_t)> step, std::function<void()> done);
    // Runs what is left at once; nothing when no work is pending or when
    // called from within a slice.
    void finishNow();
    bool pending() const { return static_cast<bool>(step_); }
    // Whether any instance has work pending: the scenario runner's wait.
    static bool anyPending();

  Q_SIGNALS:
    // After each slice run from the event loop, while more is to come.
    void sliceDone();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void runSlice();
    void complete();
    bool harmless(QObject* watched, QEvent* event) const;

    QPointer<QWidget> home_;
    std::size_t sliceSize_ = 16384;
    std::function<bool(std::size_t)> step_;
    std::function<void()> done_;
    // The last input event let through, known again as it goes on to the
    // parents of the widget that did not accept it.
    struct Passed {
        const QEvent* event = nullptr;
        QEvent::Type type = QEvent::None;
        quint64 timestamp = 0;
    } passed_;
    bool inSlice_ = false;
    bool sliceQueued_ = false;
};

}  // namespace ui

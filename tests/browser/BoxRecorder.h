#pragma once

// Records and closes (with its first button) every message box that opens
// while it is alive, so the code under test runs on as if the user clicked OK.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <vector>

namespace testsupport {

struct Box {
    QString text;
    QString title;
    QString icon;     // "critical", "information" ...
    QString buttons;  // "ok", "yesno" ...
};

class BoxRecorder {
  public:
    BoxRecorder() {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }
    std::vector<Box> boxes;

    QStringList texts() const {
        QStringList out;
        for (const Box& b : boxes) out << b.text;
        return out;
    }

  private:
    void tick() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        boxes.push_back({box->text(), box->windowTitle(), box->property("quorvaneIcon").toString(),
                         box->property("quorvaneButtons").toString()});
        const auto buttons = box->buttons();
        if (!buttons.isEmpty())
            buttons.first()->click();
        else
            box->reject();
    }
    QTimer timer_;
};

}  // namespace testsupport

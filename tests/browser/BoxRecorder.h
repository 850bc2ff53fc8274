#pragma once

// Records and closes (with its first button) every message box that opens
// while it is alive, so the code under test runs on as if the user clicked OK.

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace testsupport {

// Answers a file dialog with a full path typed into its file name box (the
// dialog ignores selectFile() while that box has the focus).
inline void acceptFile(QFileDialog* fd, const QString& path) {
    if (auto* edit = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
    else
        fd->selectFile(path);
    static_cast<QDialog*>(fd)->accept();
}

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
    // Buttons to press ("Yes", "No", "OK"), one per box in turn; the first
    // button when none is left.
    std::deque<QString> answers;
    // Answers a file dialog (selectFile + accept, or reject); rejected when unset.
    std::function<void(QFileDialog*)> onFileDialog;
    QStringList fileDialogTitles;

    QStringList texts() const {
        QStringList out;
        for (const Box& b : boxes) out << b.text;
        return out;
    }

  private:
    void tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* fd = qobject_cast<QFileDialog*>(modal)) {
            if (fd == pendingDialog_) return;
            pendingDialog_ = fd;
            fileDialogTitles << fd->windowTitle();
            // Answered from a timer of its own, not from inside this tick, so that a
            // box the dialog opens in turn (overwrite?) is answered too.
            QTimer::singleShot(20, fd, [this, fd] {
                if (onFileDialog)
                    onFileDialog(fd);
                else
                    fd->reject();
            });
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        boxes.push_back({box->text(), box->windowTitle(), box->property("quorvaneIcon").toString(),
                         box->property("quorvaneButtons").toString()});
        if (!answers.empty()) {
            const QString wanted = answers.front();
            answers.pop_front();
            for (QAbstractButton* b : box->buttons())
                if (b->objectName() == wanted) return b->click();
        }
        const auto buttons = box->buttons();
        if (!buttons.isEmpty())
            buttons.first()->click();
        else
            box->reject();
    }
    QTimer timer_;
    QPointer<QFileDialog> pendingDialog_;
};

}  // namespace testsupport

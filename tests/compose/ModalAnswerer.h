#pragma once

// Answers the modal windows that open while it is alive: message boxes are
// recorded and closed with their first button, file dialogs are answered by
// `onFileDialog` and other dialogs by `onDialog` (each rejected when unset).

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <vector>

namespace testing_compose {

struct SeenBox {
    QString text;
    QString title;
    QString icon;  // the "quorvaneIcon" property
};

class ModalAnswerer {
  public:
    ModalAnswerer() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }

    std::vector<SeenBox> boxes;
    QStringList fileDialogTitles;
    QStringList fileDialogFilters;
    std::function<void(QFileDialog*)> onFileDialog;
    // Any other modal dialog (the address book ...); rejected when unset.
    std::function<void(QDialog*)> onDialog;
    int others = 0;

    QStringList texts() const {
        QStringList out;
        for (const SeenBox& b : boxes) out << b.text;
        return out;
    }

  private:
    void tick() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return;
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            boxes.push_back(
                {box->text(), box->windowTitle(), box->property("quorvaneIcon").toString()});
            const auto buttons = box->buttons();
            if (!buttons.isEmpty())
                buttons.first()->click();
            else
                box->reject();
        } else if (auto* fd = qobject_cast<QFileDialog*>(w)) {
            fileDialogTitles << fd->windowTitle();
            fileDialogFilters << fd->nameFilters().join(QStringLiteral(";;"));
            if (onFileDialog)
                onFileDialog(fd);
            else
                fd->reject();
        } else if (auto* dlg = qobject_cast<QDialog*>(w)) {
            ++others;
            if (onDialog)
                onDialog(dlg);
            else
                dlg->reject();
        }
    }

    QTimer timer_;
};

}  // namespace testing_compose

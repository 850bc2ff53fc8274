#include "libdialogs/ProgressWindow.h"

#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>
#include <climits>

#include "ui/Dialogs.h"

namespace libdialogs {

namespace {

// Long enough that a folder read in a blink never flashes a window.
constexpr int kShowAfterMs = 1500;

}  // namespace

ProgressWindow::ProgressWindow() = default;
ProgressWindow::~ProgressWindow() = default;

bool ProgressWindow::step(const QString& title, qint64 done, qint64 total) {
    if (!dialog_) {
        if (done >= total) return true;
        dialog_ = std::make_unique<QProgressDialog>(ui::dialogParent());
        dialog_->setObjectName(QStringLiteral("ProgressDialog"));
        dialog_->setWindowTitle(ui::kAppTitle);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog_.get());
        cancel->setObjectName(QStringLiteral("CancelButton"));
        dialog_->setCancelButton(cancel);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(kShowAfterMs);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setValue(0);
    }
    dialog_->setLabelText(title);
    dialog_->setMaximum(int(std::min<qint64>(total, INT_MAX)));
    // A modal dialog handles the pending events here, the cancel click among them.
    dialog_->setValue(int(std::min<qint64>(done, INT_MAX)));
    return !dialog_->wasCanceled();
}

void ProgressWindow::finish() {
    dialog_.reset();
}

}  // namespace libdialogs

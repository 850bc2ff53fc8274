#include "libdialogs/ProfileDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

#include "libdialogs/OkCancelRow.h"
#include "libdialogs/WidgetDialogs.h"
#include "messaging/Error.h"
#include "ui/Dialogs.h"

namespace libdialogs {

ProfileDialog::ProfileDialog(const QStringList& profiles, const QString& preselected,
                             QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ProfileDialog"));
    setWindowTitle(QStringLiteral("Choose Profile"));
    setWindowModality(Qt::ApplicationModal);

    auto* label = new QLabel(QStringLiteral("Profile Name:"), this);
    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("ProfileCombo"));
    combo_->addItems(profiles);

    // Profile names are matched without regard to case, as the logon does.
    int index = combo_->findText(preselected, Qt::MatchFixedString);
    if (index < 0 && combo_->count() > 0) index = 0;
    combo_->setCurrentIndex(index);

    layOutOneField(this, nullptr, label, combo_);
}

QString ProfileDialog::chosenProfile() const {
    return combo_->currentText();
}

QString showProfileChooser(const QStringList& profiles, const QString& preselected) {
    ProfileDialog dialog(profiles, preselected, ui::dialogParent());
    // Closing by the frame or Escape rejects, which is a cancel like the button.
    if (dialog.exec() != QDialog::Accepted) mapi::raise(mapi::code::UserCancel);
    return dialog.chosenProfile();
}

}  // namespace libdialogs

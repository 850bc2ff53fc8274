#pragma once

#include <QDialog>

namespace app {

// The About window: modal, caption "Quorvane '99", loaded afresh for every
// showing; OKButton unloads it.
class AboutForm : public QDialog {
    Q_OBJECT
  public:
    explicit AboutForm(QWidget* parent = nullptr);
};

// Loads AboutForm and shows it modally (start-up and the About button).
void showAboutForm(QWidget* parent);

}  // namespace app

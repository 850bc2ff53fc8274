#pragma once

// The library's profile chooser, shown by Session.Logon(ShowDialog:=True).

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;

namespace libdialogs {

class ProfileDialog : public QDialog {
  public:
    ProfileDialog(const QStringList& profiles, const QString& preselected,
                  QWidget* parent = nullptr);

    QString chosenProfile() const;

  private:
    QComboBox* combo_;
};

}  // namespace libdialogs

#pragma once

#include <QWidget>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "import/Importer.h"
#include "ui/SlicedWork.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace importmail {

// File > Import Mail…: mail files into a store of a profile, off the window
// thread, with the importer's progress and a Cancel that keeps what was
// written. It ends with the store tool's summary in a text the user can copy.
class ImportWindow : public QWidget {
    Q_OBJECT
  public:
    // `loggedOn` says whether the program holds a session, whose tree does not
    // show mail imported after its logon.
    ImportWindow(QWidget* parent, std::function<bool()> loggedOn);
    ~ImportWindow() override;

    // Shown with the profiles of the profile folder to choose from.
    void open();
    bool running() const { return worker_.joinable(); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void chooseFile();
    void chooseFolder();
    void start();
    void cancelOrClose();
    bool poll();  // a slice of the wait: true once the import has ended
    void finished();
    void setRunning(bool running);

    std::function<bool()> loggedOn_;
    QLineEdit* source_;
    QPushButton* file_;
    QPushButton* folder_;
    QComboBox* profile_;
    QLineEdit* store_;
    QPushButton* start_;
    QPushButton* close_;
    QProgressBar* bar_;
    QLabel* status_;
    QPlainTextEdit* summary_;
    ui::SlicedWork wait_;

    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::mutex m_;  // guards what the worker hands over below
    import::ImportProgress progress_;
    std::optional<import::ImportReport> report_;
    QString failure_;
};

}  // namespace importmail

#include "importmail/ImportWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <exception>

#include "messaging/Error.h"
#include "store/Backend.h"
#include "store/Database.h"
#include "store/Profiles.h"
#include "store/StoreBackend.h"
#include "ui/Dialogs.h"

namespace importmail {

namespace {

QString storePath() {
    return store::profilesDir() + QLatin1Char('/') + QLatin1String(store::kStoreFileName);
}

// The profiles a user may import into: those of the profile folder, the
// default first; "Default" when there is no store yet.
QStringList profileChoices() {
    QStringList names;
    try {
        if (QFile::exists(storePath())) {
            std::shared_ptr<store::Db> db = store::Db::open(storePath(), false);
            const std::vector<store::Profile> all = store::loadProfiles(*db);
            if (const auto d = store::defaultProfile(all)) names << d->name;
            for (const store::Profile& p : all)
                if (!names.contains(p.name)) names << p.name;
        }
    } catch (const mapi::Error&) {
        // A store that cannot be read is reported by the import itself.
    }
    if (names.isEmpty()) names << QStringLiteral("Default");
    return names;
}

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

ImportWindow::ImportWindow(QWidget* parent, std::function<bool()> loggedOn)
    : QWidget(parent, Qt::Window),
      loggedOn_(std::move(loggedOn)),
      source_(named(new QLineEdit(this), "SourceText")),
      file_(named(new QPushButton(tr("&File…"), this), "FileButton")),
      folder_(named(new QPushButton(tr("F&older…"), this), "FolderButton")),
      profile_(named(new QComboBox(this), "ProfileCombo")),
      store_(named(new QLineEdit(this), "StoreText")),
      start_(named(new QPushButton(tr("&Start"), this), "StartButton")),
      close_(named(new QPushButton(tr("Close"), this), "CloseButton")),
      bar_(named(new QProgressBar(this), "ImportProgress")),
      status_(named(new QLabel(this), "ProgressLabel")),
      summary_(named(new QPlainTextEdit(this), "SummaryText")),
      wait_(this) {
    setObjectName(QStringLiteral("ImportWindow"));
    setWindowTitle(tr("Import Mail"));
    profile_->setEditable(true);  // a new name makes a new profile
    store_->setPlaceholderText(tr("named after the source"));
    source_->setPlaceholderText(
        tr("an mbox file, a Maildir, a folder of .eml files or an .eml file"));
    summary_->setReadOnly(true);
    bar_->setRange(0, 1);
    bar_->setValue(0);

    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(source_);
    sourceRow->addWidget(file_);
    sourceRow->addWidget(folder_);
    auto* form = new QFormLayout;
    form->addRow(tr("Mail:"), sourceRow);
    form->addRow(tr("Profile:"), profile_);
    form->addRow(tr("Store:"), store_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(bar_);
    layout->addWidget(status_);
    layout->addWidget(summary_);
    layout->addLayout(buttons);
    resize(520, 360);

    connect(file_, &QPushButton::clicked, this, &ImportWindow::chooseFile);
    connect(folder_, &QPushButton::clicked, this, &ImportWindow::chooseFolder);
    connect(start_, &QPushButton::clicked, this, &ImportWindow::start);
    connect(close_, &QPushButton::clicked, this, &ImportWindow::cancelOrClose);
}

ImportWindow::~ImportWindow() {
    cancel_.store(true);
    if (worker_.joinable()) worker_.join();
}

void ImportWindow::open() {
    if (!running()) {
        const QString current = profile_->currentText();
        profile_->clear();
        profile_->addItems(profileChoices());
        if (!current.isEmpty()) profile_->setCurrentText(current);
    }
    show();
    raise();
    activateWindow();
}

void ImportWindow::chooseFile() {
    const std::optional<QString> path = ui::openFileName(
        tr("Import Mail"),
        QStringLiteral("Mail files (*.mbox *.mbx *.eml)|*.mbox;*.mbx;*.eml|All files (*)|*"));
    if (path) source_->setText(*path);
}

void ImportWindow::chooseFolder() {
    // A Maildir or a folder of .eml files.
    if (const std::optional<QString> path = ui::openFolderName(tr("Import Mail")))
        source_->setText(*path);
}

void ImportWindow::start() {
    const QString source = source_->text().trimmed();
    const QString profile = profile_->currentText().trimmed();
    if (source.isEmpty() || profile.isEmpty()) {
        ui::msgBox(tr("Give the mail to import (an mbox file, a Maildir, a folder of .eml files "
                      "or an .eml file) and the profile to import it into."),
                   ui::Icon::Exclamation);
        return;
    }
    import::ImportOptions options;
    options.sources << source;
    options.profile = profile;
    options.storeName = store_->text().trimmed();
    options.storePath = storePath();
    options.cancel = &cancel_;
    options.progress = [this](const import::ImportProgress& p) {
        const std::lock_guard lock(m_);
        progress_ = p;
    };
    cancel_.store(false);
    done_.store(false);
    report_.reset();
    failure_.clear();
    progress_ = import::ImportProgress();
    summary_->clear();
    setRunning(true);
    // The import touches no widget: it reads files and writes the store.
    worker_ = std::thread([this, options] {
        std::optional<import::ImportReport> report;
        QString failure;
        try {
            report = import::runImport(options);
        } catch (const mapi::Error& e) {
            failure = e.description();
        } catch (const std::exception& e) {
            failure = QString::fromLocal8Bit(e.what());
        }
        const std::lock_guard lock(m_);
        report_ = std::move(report);
        failure_ = failure;
        done_.store(true);
    });
    wait_.start([this](std::size_t) { return poll(); }, [this] { finished(); });
}

bool ImportWindow::poll() {
    import::ImportProgress p;
    {
        const std::lock_guard lock(m_);
        p = progress_;
    }
    if (p.bytesTotal > 0) {
        // Bytes, as a progress bar counts them, in steps of a kilobyte.
        bar_->setRange(0, static_cast<int>(std::max<qint64>(1, p.bytesTotal >> 10)));
        bar_->setValue(static_cast<int>(p.bytesDone >> 10));
    }
    if (p.seconds > 0) status_->setText(import::progressText(p));
    if (done_.load()) return true;
    // Nothing to do but wait: the window keeps answering between the waits.
    QThread::msleep(20);
    return false;
}

void ImportWindow::finished() {
    worker_.join();
    setRunning(false);
    QString text = failure_;
    if (report_) {
        text = import::summaryText(*report_);
        bar_->setRange(0, 1);
        bar_->setValue(report_->cancelled ? 0 : 1);
        status_->setText(import::progressText(report_->totals));
        if (report_->storeUsed && loggedOn_ && loggedOn_())
            text +=
                tr("The mailbox tree shows the stores as they were at logon: log off and on "
                   "again to see the imported mail.\n");
    }
    summary_->setPlainText(text);
}

void ImportWindow::cancelOrClose() {
    if (running())
        cancel_.store(true);
    else
        close();
}

void ImportWindow::closeEvent(QCloseEvent* event) {
    // The import ends first, keeping what it wrote; the window stays until then.
    if (running()) {
        cancel_.store(true);
        event->ignore();
        return;
    }
    event->accept();
}

void ImportWindow::setRunning(bool running) {
    for (QWidget* w : {static_cast<QWidget*>(source_), static_cast<QWidget*>(file_),
                       static_cast<QWidget*>(folder_), static_cast<QWidget*>(profile_),
                       static_cast<QWidget*>(store_), static_cast<QWidget*>(start_)})
        w->setEnabled(!running);
    close_->setText(running ? tr("Cancel") : tr("Close"));
    if (running) {
        bar_->setRange(0, 0);  // busy until the sizes are known
        status_->setText(tr("Reading…"));
    }
}

}  // namespace importmail

#include "codefiles/CodeFilesController.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QWidget>
#include <stdexcept>

#include "codefiles/CodeFile.h"
#include "codewindow/CodeWindow.h"
#include "ui/Dialogs.h"

namespace codefiles {

namespace {

constexpr int kRecentCount = 5;
const char* const kRecentKey = "RecentCodeFiles";
const QString kFilter = QStringLiteral(
    "Visual Basic code (*.bas *.vbs)|*.bas;*.vbs|Text (*.txt)|*.txt|All files (*)|*");

QAction* action(QWidget* window, const QString& name) {
    auto* a = window->findChild<QAction*>(name);
    if (!a) throw std::logic_error("no action named " + name.toStdString());
    return a;
}

}  // namespace

CodeFilesController::CodeFilesController(QWidget* mainWindow, codewindow::CodeWindow& code)
    : QObject(nullptr), code_(code) {
    connect(action(mainWindow, QStringLiteral("SaveCodeAction")), &QAction::triggered, this,
            &CodeFilesController::saveCodeAs);
    connect(action(mainWindow, QStringLiteral("OpenCodeAction")), &QAction::triggered, this,
            &CodeFilesController::openCode);
    for (int i = 0; i < kRecentCount; ++i) {
        QAction* a = action(mainWindow, QStringLiteral("RecentCodeAction(%1)").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, i] { openRecent(i); });
        recent_ << a;
    }
    files_ = QSettings().value(QLatin1String(kRecentKey)).toStringList().mid(0, kRecentCount);
    showRecent();
}

void CodeFilesController::saveCodeAs() {
    const std::optional<QString> path =
        ui::saveFileName(QStringLiteral("Save Code As"), kFilter, QStringLiteral("Code.bas"));
    if (!path) return;
    if (QFileInfo::exists(*path) &&
        ui::msgBox(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                       .arg(QDir::toNativeSeparators(*path)),
                   ui::Icon::Exclamation, ui::Buttons::YesNo,
                   QStringLiteral("Save Code As")) != ui::Answer::Yes)
        return;
    try {
        writeCodeFile(*path, code_.text());
    } catch (const CodeFileError& e) {
        ui::msgBox(QStringLiteral("The code could not be saved to %1: %2.\nThe file is unchanged.")
                       .arg(QDir::toNativeSeparators(*path), e.message),
                   ui::Icon::Critical);
        return;
    }
    remember(*path);
}

void CodeFilesController::openCode() {
    const std::optional<QString> path = ui::openFileName(QStringLiteral("Open Code"), kFilter);
    if (path) open(*path);
}

void CodeFilesController::openRecent(int index) {
    if (index >= 0 && index < files_.size()) open(files_[index]);
}

void CodeFilesController::open(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    QString text;
    try {
        text = readCodeFile(path);
    } catch (const CodeFileError& e) {
        ui::msgBox(QStringLiteral("%1 could not be opened: %2.").arg(shown, e.message),
                   ui::Icon::Critical);
        if (!QFileInfo::exists(path)) forget(path);
        return;
    }
    if (!code_.text().isEmpty() &&
        ui::msgBox(
            QStringLiteral("Replace the code in the code window with the code in %1?").arg(shown),
            ui::Icon::Question, ui::Buttons::YesNo, QStringLiteral("Open Code")) != ui::Answer::Yes)
        return;
    code_.setText(text);
    remember(path);
}

void CodeFilesController::remember(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files_.removeAll(absolute);
    files_.prepend(absolute);
    files_ = files_.mid(0, kRecentCount);
    QSettings().setValue(QLatin1String(kRecentKey), files_);
    showRecent();
}

void CodeFilesController::forget(const QString& path) {
    files_.removeAll(path);
    QSettings().setValue(QLatin1String(kRecentKey), files_);
    showRecent();
}

void CodeFilesController::showRecent() {
    for (int i = 0; i < kRecentCount; ++i) {
        QAction* a = recent_[i];
        a->setVisible(i < files_.size());
        if (i >= files_.size()) continue;
        // "&1 Report.bas": the number is the entry's mnemonic; && shows an & of the name.
        a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
            QFileInfo(files_[i]).fileName().replace(u'&', QStringLiteral("&&"))));
        a->setToolTip(QDir::toNativeSeparators(files_[i]));
    }
}

}  // namespace codefiles

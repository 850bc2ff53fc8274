#include "ui/Dialogs.h"

#include <optional>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>

namespace ui {

namespace {

// The icon as the scenario runner names it and as Qt draws it.
struct IconLook {
    const char* name;
    QMessageBox::Icon qt;
};

IconLook lookOf(Icon icon) {
    switch (icon) {
        case Icon::Critical:
            return {"critical", QMessageBox::Critical};
        case Icon::Question:
            return {"question", QMessageBox::Question};
        case Icon::Exclamation:
            return {"exclamation", QMessageBox::Warning};
        case Icon::Information:
            return {"information", QMessageBox::Information};
        case Icon::None:
            break;
    }
    return {"none", QMessageBox::NoIcon};
}

struct ButtonDef {
    QMessageBox::StandardButton sb;
    const char* text;
    Answer answer;
};

// The buttons as the scenario runner names the set, the buttons from left to
// right, and the answer of a box closed without any.
struct ButtonSet {
    const char* name;
    std::vector<ButtonDef> defs;
    Answer escape;
};

ButtonSet buttonSetOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::YesNo:
            return {"yesno",
                    {{QMessageBox::Yes, "Yes", Answer::Yes}, {QMessageBox::No, "No", Answer::No}},
                    Answer::No};
        case Buttons::OkCancel:
            return {"okcancel",
                    {{QMessageBox::Ok, "OK", Answer::Ok},
                     {QMessageBox::Cancel, "Cancel", Answer::Cancel}},
                    Answer::Cancel};
        case Buttons::Ok:
            break;
    }
    return {"ok", {{QMessageBox::Ok, "OK", Answer::Ok}}, Answer::Ok};
}

// The box with its buttons labelled as the program's users know them (no
// mnemonics, whatever the Qt translation would say).
Answer runBox(QMessageBox& box, Icon icon, Buttons buttons) {
    box.setObjectName(QStringLiteral("MsgBox"));
    const IconLook look = lookOf(icon);
    const ButtonSet set = buttonSetOf(buttons);
    box.setProperty("quorvaneIcon", QString::fromLatin1(look.name));
    box.setProperty("quorvaneButtons", QString::fromLatin1(set.name));
    box.setIcon(look.qt);
    box.setWindowModality(Qt::ApplicationModal);

    std::vector<QPushButton*> made;
    for (const ButtonDef& d : set.defs) {
        QPushButton* b = box.addButton(d.sb);
        b->setText(QString::fromLatin1(d.text));
        b->setObjectName(QString::fromLatin1(d.text));
        made.push_back(b);
    }
    box.setDefaultButton(made.front());
    box.setEscapeButton(made.back());

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (std::size_t i = 0; i < made.size(); ++i)
        if (clicked && clicked == made[i]) return set.defs[i].answer;
    return set.escape;
}

}  // namespace

QWidget* dialogParent() {
    if (QWidget* w = QApplication::activeModalWidget()) return w;
    return QApplication::activeWindow();
}

Answer msgBox(const QString& text, Icon icon, Buttons buttons, const QString& title) {
    QMessageBox box(dialogParent());
    box.setWindowTitle(title);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    return runBox(box, icon, buttons);
}

namespace {

// A filter's result can run to a hundred thousand lines: laying them out in
// the details area costs more than the query that found them, and most
// boxes are closed without a look at it. The area is filled when it is
// first shown.
class DeferredDetails : public QObject {
  public:
    DeferredDetails(QMessageBox& box, QString text) : text_(std::move(text)) {
        box.setDetailedText(QStringLiteral(" "));
        area_ = box.findChild<QTextEdit*>();
        if (area_)
            area_->installEventFilter(this);
        else
            box.setDetailedText(text_);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == area_ && e->type() == QEvent::Show) {
            area_->removeEventFilter(this);
            area_->setPlainText(text_);
        }
        return false;
    }

  private:
    QString text_;
    QTextEdit* area_ = nullptr;
};

}  // namespace

Answer msgBoxWithDetails(const QString& text, int maxLines, Icon icon, const QString& title) {
    // Keep the first maxLines lines exactly as given (their own line breaks
    // included) and say how many were left out. A line ends after "\r\n", "\n"
    // or "\r"; text after the last break is one more line.
    qsizetype total = 0;
    qsizetype cut = -1;
    const qsizetype size = text.size();
    const QChar* p = text.constData();
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\n' && c != u'\r') continue;
        if (c == u'\r' && i + 1 < size && p[i + 1] == u'\n') ++i;
        if (++total == maxLines) cut = i + 1;
        lineStart = i + 1;
    }
    if (lineStart < size || total == 0) ++total;
    QString shown = text;
    if (maxLines >= 0 && total > maxLines) {
        if (maxLines == 0) cut = 0;
        shown = text.left(cut) +
                QStringLiteral("(%1 more not shown)").arg(static_cast<qlonglong>(total - maxLines));
    } else {
        cut = -1;
    }
    QMessageBox box(dialogParent());
    box.setWindowTitle(title);
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    std::optional<DeferredDetails> details;
    if (cut >= 0) details.emplace(box, text);
    return runBox(box, icon, Buttons::Ok);
}

QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    QInputDialog dlg(dialogParent());
    dlg.setObjectName(QStringLiteral("InputBox"));
    dlg.setWindowModality(Qt::ApplicationModal);
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(title);
    dlg.setLabelText(prompt);
    dlg.setTextValue(defaultText);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("Cancel"));
    if (dlg.exec() != QDialog::Accepted) return QString();
    return dlg.textValue();
}

namespace {

// Filters come either as Qt name filters ("Text (*.txt);;All (*)") or in the
// "description|pattern|description|pattern" form; the latter is translated.
QString qtFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& desc = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << (desc.contains(QLatin1Char('('))
                    ? desc
                    : desc + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}

enum class FileKind { Open, Save, Folder };

std::optional<QString> runFileDialog(const QString& title, const QString& filter, FileKind kind,
                                     const QString& suggested) {
    QFileDialog dlg(dialogParent(), title, QString(), qtFilter(filter));
    dlg.setObjectName(QStringLiteral("FileDialog"));
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setWindowModality(Qt::ApplicationModal);
    if (kind == FileKind::Folder) {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::Directory);
        dlg.setOption(QFileDialog::ShowDirsOnly, true);
    } else if (kind == FileKind::Save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        // No replace question of the dialog's own: an existing file is simply
        // written over, and every question the user sees is one of ours.
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (!suggested.isEmpty()) dlg.selectFile(suggested);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

bool g_busy = false;

}  // namespace

std::optional<QString> openFileName(const QString& title, const QString& filter) {
    return runFileDialog(title, filter, FileKind::Open, QString());
}

std::optional<QString> saveFileName(const QString& title, const QString& filter,
                                    const QString& suggestedName) {
    return runFileDialog(title, filter, FileKind::Save, suggestedName);
}

std::optional<QString> openFolderName(const QString& title) {
    return runFileDialog(title, QString(), FileKind::Folder, QString());
}

void setBusyPointer() {
    if (g_busy) return;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    g_busy = true;
}

void setNormalPointer() {
    if (!g_busy) return;
    QApplication::restoreOverrideCursor();
    g_busy = false;
}

bool isBusyPointer() {
    return g_busy;
}

}  // namespace ui

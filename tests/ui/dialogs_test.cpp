#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "support/Drive.h"
#include "ui/Dialogs.h"
#include "ui/Twips.h"

namespace {

struct Seen {
    QString objectName, title, text, icon, buttons, detailed;
    QStringList buttonTexts;
};

// Answers the next message box by pressing the button with `buttonText`
// ("" = press Escape), recording what it showed.
void answerBox(Seen& seen, const QString& buttonText) {
    drive::whenModal([&seen, buttonText](QWidget*) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, box);
        seen.objectName = box->objectName();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->property("quorvaneIcon").toString();
        seen.buttons = box->property("quorvaneButtons").toString();
        // The details as a user reaches them.
        for (auto* b : box->findChildren<QPushButton*>())
            if (b->text() == QLatin1String("Show Details...")) b->click();
        seen.detailed = box->detailedText();
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) != QMessageBox::ActionRole) seen.buttonTexts << b->text();
        seen.buttonTexts.sort();
        if (buttonText.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == buttonText) {
                b->click();
                return;
            }
        ADD_FAILURE() << "no button " << buttonText.toStdString();
        box->reject();
    });
}

}  // namespace

TEST(Dialogs, MessageBoxShowsItsTextIconAndButtonsAndAnswers) {
    Seen s;
    answerBox(s, "OK");
    EXPECT_EQ(ui::Answer::Ok, ui::msgBox("You must log in first.", ui::Icon::Critical));
    EXPECT_EQ("MsgBox", s.objectName);
    EXPECT_EQ("Quorvane '99", s.title);
    EXPECT_EQ("You must log in first.", s.text);
    EXPECT_EQ("critical", s.icon);
    EXPECT_EQ("ok", s.buttons);
    EXPECT_EQ(QStringList({"OK"}), s.buttonTexts);

    Seen q;
    answerBox(q, "No");
    EXPECT_EQ(ui::Answer::No, ui::msgBox("Sure?", ui::Icon::Question, ui::Buttons::YesNo, "T"));
    EXPECT_EQ("T", q.title);
    EXPECT_EQ("question", q.icon);
    EXPECT_EQ("yesno", q.buttons);
    EXPECT_EQ(QStringList({"No", "Yes"}), q.buttonTexts);

    Seen y;
    answerBox(y, "Yes");
    EXPECT_EQ(ui::Answer::Yes, ui::msgBox("Sure?", ui::Icon::Question, ui::Buttons::YesNo));

    Seen e;
    answerBox(e, "");  // Escape / closing by the frame
    EXPECT_EQ(ui::Answer::No, ui::msgBox("Sure?", ui::Icon::Question, ui::Buttons::YesNo));
    Seen c;
    answerBox(c, "");
    EXPECT_EQ(ui::Answer::Cancel, ui::msgBox("Go?", ui::Icon::Exclamation, ui::Buttons::OkCancel));
    EXPECT_EQ("exclamation", c.icon);
    EXPECT_EQ("okcancel", c.buttons);
    EXPECT_EQ(QStringList({"Cancel", "OK"}), c.buttonTexts);
    Seen i;
    answerBox(i, "");
    EXPECT_EQ(ui::Answer::Ok, ui::msgBox("Done.", ui::Icon::Information));
    EXPECT_EQ("information", i.icon);
    Seen n;
    answerBox(n, "OK");
    ui::msgBox("Plain.");
    EXPECT_EQ("none", n.icon);
}

TEST(Dialogs, MessageBoxWithDetailsCutsLongTexts) {
    Seen s;
    answerBox(s, "OK");
    ui::msgBoxWithDetails("one\r\ntwo\r\nthree\r\nfour\r\nfive", 2, ui::Icon::Information);
    EXPECT_EQ("one\r\ntwo\r\n(3 more not shown)", s.text);
    // The details area is a text edit, which shows line breaks its own way.
    EXPECT_EQ("one\ntwo\nthree\nfour\nfive", s.detailed);
    EXPECT_EQ("information", s.icon);

    Seen shortText;
    answerBox(shortText, "OK");
    ui::msgBoxWithDetails("one\r\ntwo\r\n", 2, ui::Icon::Information);
    EXPECT_EQ("one\r\ntwo\r\n", shortText.text);
    EXPECT_EQ("", shortText.detailed);
}

// Every kind of line break counts as one, a CR LF pair too, and the text
// after the last break is a line of its own.
TEST(Dialogs, MessageBoxWithDetailsCountsEveryKindOfLineBreak) {
    const struct {
        const char* text;
        int maxLines;
        const char* shown;
    } kCases[] = {
        {"a\nb\rc\r\nd", 2, "a\nb\r(2 more not shown)"},
        {"a\nb\rc\r\nd", 3, "a\nb\rc\r\n(1 more not shown)"},
        {"a\nb\rc\r\nd", 4, "a\nb\rc\r\nd"},
        {"a\n\n\nb", 3, "a\n\n\n(1 more not shown)"},
        {"\r\r", 1, "\r(1 more not shown)"},
        {"\r\n\r\n", 2, "\r\n\r\n"},
        {"a\nb\nc\n", 2, "a\nb\n(1 more not shown)"},
        {"one line", 1, "one line"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        Seen s;
        answerBox(s, "OK");
        ui::msgBoxWithDetails(QString::fromLatin1(c.text), c.maxLines, ui::Icon::Information);
        EXPECT_EQ(QString::fromLatin1(c.shown), s.text);
    }
}

TEST(Dialogs, InputBoxReturnsTheTextOrEmptyOnCancel) {
    QString title, label, objectName;
    drive::whenModal([&](QWidget*) {
        auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, d);
        objectName = d->objectName();
        title = d->windowTitle();
        label = d->labelText();
        EXPECT_EQ("default", d->textValue());
        d->setTextValue("jsmith");
        d->accept();
    });
    EXPECT_EQ("jsmith", ui::inputBox("Enter the alias:", "Alias", "default"));
    EXPECT_EQ("InputBox", objectName);
    EXPECT_EQ("Alias", title);
    EXPECT_EQ("Enter the alias:", label);

    drive::whenModal([](QWidget*) {
        auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, d);
        d->setTextValue("typed but cancelled");
        d->reject();
    });
    EXPECT_EQ("", ui::inputBox("Enter the alias:", "Alias"));
}

TEST(Dialogs, FileDialogsAreQtsOwnAndCancelGivesNothing) {
    QString objectName;
    bool native = true;
    QStringList filters;
    drive::whenModal([&](QWidget*) {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, d);
        objectName = d->objectName();
        native = !d->testOption(QFileDialog::DontUseNativeDialog);
        filters = d->nameFilters();
        d->reject();
    });
    EXPECT_FALSE(ui::openFileName("Attach", "All Files (*.*)|*.*|Text|*.txt").has_value());
    EXPECT_EQ("FileDialog", objectName);
    EXPECT_FALSE(native);
    EXPECT_EQ(QStringList({"All Files (*.*)", "Text (*.txt)"}), filters);

    const QString target = QDir::temp().filePath("quorvane-dialogs-test.txt");
    drive::whenModal([&](QWidget*) {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, d);
        EXPECT_EQ(QFileDialog::AcceptSave, d->acceptMode());
        d->selectFile(target);
        QMetaObject::invokeMethod(d, "accept");
    });
    const auto saved = ui::saveFileName("Save", "All Files (*)", "report.txt");
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(target, *saved);

    // An existing file is chosen without a replace question of the dialog's own.
    QFile existing(target);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    drive::whenModal([&](QWidget*) {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, d);
        d->selectFile(target);
        QMetaObject::invokeMethod(d, "accept");
    });
    const auto again = ui::saveFileName("Save", "All Files (*)");
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(target, *again);
    QFile::remove(target);
}

TEST(Dialogs, BusyPointerIsNotAStack) {
    EXPECT_FALSE(ui::isBusyPointer());
    ui::setBusyPointer();
    ui::setBusyPointer();
    EXPECT_TRUE(ui::isBusyPointer());
    ASSERT_NE(nullptr, QApplication::overrideCursor());
    EXPECT_EQ(Qt::BusyCursor, QApplication::overrideCursor()->shape());
    ui::setNormalPointer();
    EXPECT_FALSE(ui::isBusyPointer());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    ui::setNormalPointer();
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    {
        ui::BusyScope busy;
        EXPECT_TRUE(ui::isBusyPointer());
    }
    EXPECT_FALSE(ui::isBusyPointer());
}

TEST(Twips, ConversionUsesTheLogicalDpi) {
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    EXPECT_DOUBLE_EQ(dpi / 1440.0, ui::pixelsPerTwipX());
    QWidget parent;
    QWidget w(&parent);
    ui::setTwipGeometry(&w, 1440, 720, 2880, 1440);
    EXPECT_EQ(QRect(qRound(dpi), qRound(dpi / 2), qRound(2 * dpi), qRound(dpi)), w.geometry());
    EXPECT_DOUBLE_EQ(1440.0 * w.width() / dpi, ui::widthTwips(&w));
}

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
#include "support/JsonCases.h"
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
    using ui::Answer, ui::Buttons, ui::Icon;
    const struct {
        Icon icon;
        Buttons buttons;
        const char* press;  // "": Escape, as closing by the frame
        Answer answer;
        const char *iconName, *buttonsName, *buttonTexts;
    } cases[] = {
        {Icon::Critical, Buttons::Ok, "OK", Answer::Ok, "critical", "ok", "OK"},
        {Icon::Question, Buttons::YesNo, "No", Answer::No, "question", "yesno", "No|Yes"},
        {Icon::Question, Buttons::YesNo, "Yes", Answer::Yes, "question", "yesno", "No|Yes"},
        {Icon::Question, Buttons::YesNo, "", Answer::No, "question", "yesno", "No|Yes"},
        {Icon::Exclamation, Buttons::OkCancel, "", Answer::Cancel, "exclamation", "okcancel",
         "Cancel|OK"},
        {Icon::Information, Buttons::Ok, "", Answer::Ok, "information", "ok", "OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.iconName);
        Seen s;
        answerBox(s, c.press);
        EXPECT_EQ(c.answer, ui::msgBox("You must log in first.", c.icon, c.buttons));
        EXPECT_EQ("MsgBox", s.objectName);
        EXPECT_EQ("Quorvane '99", s.title);
        EXPECT_EQ("You must log in first.", s.text);
        EXPECT_EQ(c.iconName, s.icon);
        EXPECT_EQ(c.buttonsName, s.buttons);
        EXPECT_EQ(c.buttonTexts, s.buttonTexts.join(u'|'));
    }
    Seen plain, titled;
    answerBox(plain, "OK");
    ui::msgBox("Plain.");
    EXPECT_EQ("none", plain.icon);
    EXPECT_EQ("ok", plain.buttons);
    answerBox(titled, "OK");
    ui::msgBox("Sure?", Icon::Question, Buttons::Ok, "T");
    EXPECT_EQ("T", titled.title);
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

class LineBreaks : public testing::TestWithParam<jsoncases::Case> {};

TEST_P(LineBreaks, EachCountsAsOneLine) {
    Seen s;
    answerBox(s, "OK");
    ui::msgBoxWithDetails(GetParam().fields[0], GetParam().fields[1].toInt(),
                          ui::Icon::Information);
    EXPECT_EQ(GetParam().field(2), s.text.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Cases, LineBreaks,
                         testing::ValuesIn(jsoncases::read(CASES_DIR "/dialogs.json")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

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

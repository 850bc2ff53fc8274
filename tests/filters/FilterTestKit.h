#pragma once

// A bare "Functions" panel with the filter editor's named controls, a mailbox
// tree and a code sink, plus a driver that answers the modal windows opened
// while it is alive.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "filters/FilterEditor.h"
#include "filters/FilterRunner.h"
#include "shell/Context.h"
#include "shell/MAPIMod.h"
#include "shell/TreeNodes.h"
#include "ui/CheckBox.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

namespace fkit {

struct SeenBox {
    QString text;
    QString title;
    QString icon;
    QString details;
};

// Message boxes are recorded and closed with their first button; other modal
// windows go to `onDialog` (rejected when it is unset).
class ModalDriver {
  public:
    ModalDriver() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }
    std::vector<SeenBox> boxes;
    std::function<void(QDialog*)> onDialog;
    int dialogs = 0;

    QStringList texts() const {
        QStringList out;
        for (const SeenBox& b : boxes) out << b.text;
        return out;
    }

  private:
    void tick() {
        QWidget* w = QApplication::activeModalWidget();
        // A window being worked by onDialog may open message boxes of its own;
        // those are answered, the window itself is not taken up twice.
        if (!w || handling_.contains(w)) return;
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            boxes.push_back({box->text(), box->windowTitle(),
                             box->property("quorvaneIcon").toString(), box->detailedText()});
            box->buttons().isEmpty() ? box->reject() : box->buttons().first()->click();
        } else if (auto* dlg = qobject_cast<QDialog*>(w)) {
            ++dialogs;
            handling_.insert(w);
            // Worked from a fresh event so that this timer can go on answering
            // the message boxes the window opens meanwhile.
            QTimer::singleShot(0, dlg, [this, dlg] {
                if (onDialog)
                    onDialog(dlg);
                else
                    dlg->reject();
                handling_.remove(dlg);
            });
        }
    }
    QTimer timer_;
    QSet<QWidget*> handling_;
};

// Tree images the filter reads.
inline constexpr int kRoot = shell::img::Root, kStore = shell::img::Store,
                     kFolder = shell::img::Folder, kMessage = shell::img::Message;

struct Panel {
    QWidget window;
    shell::MAPIMod mod;
    ui::TreeView* tree = nullptr;
    QString code;

    QRadioButton* opt0;
    QRadioButton* opt1;
    QComboBox* filterCombo;
    QLineEdit* valueText;
    QLabel* valueLabel;
    QPushButton* personButton;
    QRadioButton* valueOpt0;
    QRadioButton* valueOpt1;
    QLineEdit* fieldNameText;
    QLineEdit* fieldValueText;
    QComboBox* dataTypeCombo;
    ui::CheckBox* notCheck;
    QRadioButton* andOpt;
    QRadioButton* orOpt;
    ui::CheckBox* clearCheck;
    QPushButton* addButton;
    QPushButton* delButton;
    ui::ListView* list;
    QPushButton* filterButton;
    QLineEdit* elsewhere;  // somewhere else to put the focus

    std::unique_ptr<filters::FilterEditor> editor;
    std::unique_ptr<filters::FilterRunner> runner;

    template <class T>
    T* make(T* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    }

    Panel() {
        QWidget* p = &window;
        auto* frame = make(new QGroupBox(QStringLiteral("Filter/Find For:"), p), "FilterFrame");
        opt0 = make(new QRadioButton(QStringLiteral("Message"), frame), "FilterOption(0)");
        opt1 = make(new QRadioButton(QStringLiteral("Address"), frame), "FilterOption(1)");
        opt0->setChecked(true);
        filterCombo = make(new QComboBox(p), "FilterCombo");
        make(new QLabel(QStringLiteral("Value:"), p), "ValueHeaderLabel");
        valueText = make(new QLineEdit(p), "ValueText");
        valueLabel = make(new QLabel(p), "ValueLabel");
        personButton = make(new QPushButton(QStringLiteral("..."), p), "PersonButton");
        auto* valueFrame = make(new QGroupBox(QStringLiteral("Value:"), p), "ValueFrame");
        valueOpt0 = make(new QRadioButton(QStringLiteral("True"), valueFrame), "ValueOption(0)");
        valueOpt1 = make(new QRadioButton(QStringLiteral("False"), valueFrame), "ValueOption(1)");
        valueOpt0->setChecked(true);
        make(new QLabel(QStringLiteral("Field Name:"), p), "FieldNameLabel");
        fieldNameText = make(new QLineEdit(p), "FieldNameText");
        make(new QLabel(QStringLiteral("Field Value:"), p), "FieldValueLabel");
        fieldValueText = make(new QLineEdit(p), "FieldValueText");
        dataTypeCombo = make(new QComboBox(p), "DataTypeCombo");
        dataTypeCombo->setEditable(true);
        dataTypeCombo->addItems({"vbBoolean", "vbCurrency", "vbDate", "vbDouble", "vbInteger",
                                 "vbLong", "vbSingle", "vbString"});
        dataTypeCombo->setEditText(QStringLiteral("vbBoolean"));
        notCheck = make(new ui::CheckBox(QStringLiteral("Not"), p), "NotCheck");
        auto* andOr = make(new QGroupBox(p), "AndOrFrame");
        andOpt = make(new QRadioButton(QStringLiteral("And"), andOr), "AndOrOption(0)");
        orOpt = make(new QRadioButton(QStringLiteral("Or"), andOr), "AndOrOption(1)");
        andOpt->setChecked(true);
        clearCheck =
            make(new ui::CheckBox(QStringLiteral("Clear Criteria"), p), "ClearCriteriaCheck");
        clearCheck->setValue(1);
        addButton = make(new QPushButton(QStringLiteral("Add"), p), "AddFilterButton");
        delButton = make(new QPushButton(QStringLiteral("Delete"), p), "DelFilterButton");
        list = make(new ui::ListView({"Criterion", "Type", "Value", "Field ID"}, p), "FilterList");
        filterButton = make(new QPushButton(QStringLiteral("Filter"), p), "FilterButton");
        elsewhere = new QLineEdit(p);
        tree = make(new ui::TreeView(p), "MAPITree");

        // Keep the controls apart so hidden/visible and focus behave as on a form.
        int y = 0;
        for (QWidget* w : p->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            w->setGeometry(0, y, 200, 24);
            y += 26;
        }
        tree->setGeometry(220, 0, 300, 300);

        shell::Context host(&window, tree, &mod, [this](const QString& t) { code += t; });
        editor = std::make_unique<filters::FilterEditor>(host);
        runner = std::make_unique<filters::FilterRunner>(host);
        // What start-up does.
        editor->ResetFilterEditor(false);
        editor->LoadFilterProperties(0);
        valueLabel->setText(QString());
        window.resize(600, 700);
        window.show();
        QApplication::setActiveWindow(&window);
    }

    // The state after logon: the three controls enabled.
    void logOn(mapi::Ref<mapi::Session> s) {
        mod.session = std::move(s);
        filterCombo->setEnabled(true);
        addButton->setEnabled(true);
        delButton->setEnabled(true);
    }

    void choose(const QString& property) {
        const int i = filterCombo->findText(property);
        filterCombo->setCurrentIndex(i);
        emit filterCombo->activated(i);
    }

    // Chooses the property, fills its value and presses Add.
    void add(const QString& property, const QString& value) {
        choose(property);
        valueText->setText(value);
        addButton->click();
    }
    void addField(const QString& type, const QString& value, const QString& field) {
        choose(QStringLiteral("Fields"));
        dataTypeCombo->setEditText(type);
        fieldValueText->setText(value);
        fieldNameText->setText(field);
        addButton->click();
    }

    QList<QStringList> rows() const {
        QList<QStringList> out;
        for (int i = 1; i <= list->count(); ++i) out << list->row(i);
        return out;
    }
};

}  // namespace fkit

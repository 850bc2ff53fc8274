#include "libdialogs/DetailsDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "libdialogs/Lenient.h"
#include "libdialogs/WidgetDialogs.h"
#include "ui/Dialogs.h"

namespace libdialogs {

namespace {

constexpr std::int32_t kAccountTag = 0x3A00001E;

// Every value is read on its own: one that fails to read or to turn into text
// shows empty and the rest of the dialog is still filled.
template <class F>
QString textOf(F&& f) {
    return readOr(std::forward<F>(f), QString());
}

QLineEdit* readOnlyText(const char* name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setCursorPosition(0);
    return edit;
}

}  // namespace

DetailsDialog::DetailsDialog(mapi::AddressEntry& entry, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DetailsDialog"));
    setWindowModality(Qt::ApplicationModal);

    const QString name = textOf([&] { return entry.Name(); });
    const QString address = textOf([&] { return entry.Address(); });
    const QString type = textOf([&] { return entry.Type(); });
    const QString alias =
        textOf([&] { return entry.FieldsOf()->ItemByTag(kAccountTag)->Value().toText(); });
    setWindowTitle(name.isEmpty() ? QStringLiteral("Details") : name);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), readOnlyText("NameText", name, this));
    form->addRow(QStringLiteral("Address:"), readOnlyText("AddressText", address, this));
    form->addRow(QStringLiteral("Type:"), readOnlyText("TypeText", type, this));
    form->addRow(QStringLiteral("Alias:"), readOnlyText("AliasText", alias, this));

    auto* fields = new QTreeWidget(this);
    fields->setObjectName(QStringLiteral("FieldList"));
    fields->setRootIsDecorated(false);
    fields->setUniformRowHeights(true);
    fields->setHeaderLabels(
        {QStringLiteral("ID"), QStringLiteral("Name"), QStringLiteral("Value")});
    try {
        auto all = entry.FieldsOf();
        const std::int32_t count = all->Count();
        QList<QTreeWidgetItem*> rows;
        for (std::int32_t i = 1; i <= count; ++i) {
            mapi::Ref<mapi::Field> f;
            if (!readItem(all, i, f)) continue;
            const QString id = textOf([&] { return QString::number(f->ID()); });
            const QString fieldName = textOf([&] { return f->Name(); });
            const QString value = textOf([&] { return f->Value().toText(); });
            rows.append(new QTreeWidgetItem(QStringList{id, fieldName, value}));
        }
        fields->addTopLevelItems(rows);
    } catch (const std::exception&) {
        // No fields to list.
    }
    fields->header()->setSectionResizeMode(QHeaderView::Interactive);
    fields->resizeColumnToContents(0);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(fields, 1);
    layout->addLayout(buttons);
    resize(480, 400);
}

void showDetails(mapi::AddressEntry& entry) {
    DetailsDialog dialog(entry, ui::dialogParent());
    dialog.exec();
}

}  // namespace libdialogs

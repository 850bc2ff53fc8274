#include "libdialogs/OkCancelRow.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace libdialogs {

QHBoxLayout* okCancelRow(QDialog* dialog) {
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void layOutOneField(QDialog* dialog, QWidget* above, QLabel* label, QWidget* field) {
    label->setBuddy(field);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(field, 1);
    QHBoxLayout* buttons = okCancelRow(dialog);
    auto* layout = new QVBoxLayout(dialog);
    if (above) layout->addWidget(above);
    layout->addLayout(row);
    layout->addStretch(1);
    layout->addLayout(buttons);
    dialog->setMinimumWidth(320);
}

}  // namespace libdialogs

#pragma once

#include <QHBoxLayout>
#include <QPushButton>
#include <QString>
#include <initializer_list>
#include <utility>

namespace ui {

// A new widget with its objectName, the name the scenario scripts and the
// tests find it by.
template <class W, class... Args>
W* named(const QString& name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)...);
    w->setObjectName(name);
    return w;
}

// A command button of the program's forms. No button may turn Enter into a
// click: Enter belongs to the text boxes.
inline QPushButton* formButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = named<QPushButton>(name, caption, parent);
    b->setAutoDefault(false);
    return b;
}

// Buttons side by side at the right end of their row.
inline QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* b : buttons) row->addWidget(b);
    return row;
}

}  // namespace ui

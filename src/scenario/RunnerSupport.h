#pragma once

// What the runner's sections share beyond the class itself: reading captions
// the way the user sees them and typing into a line edit.

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>
#include <QStringView>

#include "scenario/ScenarioRunner.h"

namespace scenario {

// "&Yes" -> "Yes", "&&" -> "&"
inline QString stripMnemonic(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size() && s[i + 1] == u'&') out += u'&', ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

// The windows the script answers rather than acts in.
inline bool isAnswerDialog(const QWidget* w) {
    return qobject_cast<const QMessageBox*>(w) || qobject_cast<const QInputDialog*>(w) ||
           qobject_cast<const QFileDialog*>(w);
}

// Text as typing would leave it: the old text selected and replaced, so the
// control's edit signals fire as for the keyboard.
inline void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    edit->insert(text);
}

template <class T>
T* ScenarioRunner::findControlAs(const QString& controlName, bool forAction,
                                 const char* kind) const {
    QWidget* w = findControl(controlName, forAction);
    auto* t = qobject_cast<T*>(w);
    if (!t)
        throw Failure{
            QStringLiteral("control %1 is not a %2").arg(controlName, QLatin1String(kind))};
    return t;
}

}  // namespace scenario

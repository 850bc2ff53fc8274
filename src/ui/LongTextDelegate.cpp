#include "ui/LongTextDelegate.h"

namespace ui {

QString LongTextDelegate::shownText(const QString& text) {
    if (text.size() <= kShownChars) return text;
    qsizetype n = kShownChars;
    if (text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}

QString LongTextDelegate::displayText(const QVariant& value, const QLocale& locale) const {
    // Cut before the base class copies the whole text to turn its line breaks
    // into line separators.
    if (value.typeId() == QMetaType::QString) {
        const QString& text = *static_cast<const QString*>(value.constData());
        if (text.size() > kShownChars)
            return QStyledItemDelegate::displayText(shownText(text), locale);
    }
    return QStyledItemDelegate::displayText(value, locale);
}

}  // namespace ui

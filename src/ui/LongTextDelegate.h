#pragma once

#include <QStyledItemDelegate>

namespace ui {

// Item texts come from the mail and may be a whole message body (megabytes):
// laying such a text out to paint one row costs seconds and gigabytes, yet a
// row shows only its start. Views paint and measure the first kShownChars
// characters; the model keeps, and every caller reads, the whole text.
class LongTextDelegate : public QStyledItemDelegate {
  public:
    static constexpr qsizetype kShownChars = 4096;

    using QStyledItemDelegate::QStyledItemDelegate;

    // `text` as painted: itself when short, else its first kShownChars
    // characters (one less when that would split a surrogate pair).
    static QString shownText(const QString& text);

    QString displayText(const QVariant& value, const QLocale& locale) const override;
};

}  // namespace ui

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "messaging/Objects.h"
#include "shell/Context.h"

class QAbstractButton;

namespace codegen {
class Code;
}
namespace ui {
class ListView;
}

namespace shell {
class AddrListForm;
}

namespace filters {

using shell::AddrListForm;

// The most result lines the result box shows before "(N more not shown)".
inline constexpr int kMaxResultLines = 30;

// FilterButton: runs the criteria rows as a message filter over the folder of
// the selected tree node, or as an address filter over a chosen address book,
// shows what passes and appends the code that builds the same filter.
class FilterRunner : public QObject {
    Q_OBJECT
  public:
    explicit FilterRunner(shell::Context host, QObject* parent = nullptr);
    ~FilterRunner() override;

    void FilterButton_Click();

    // Applies one criterion row (its cells: Criterion, Type, Value, Field ID)
    // to the filter and appends its line. Failing statements are skipped.
    void ApplyCriterion(const QStringList& row, const mapi::Ref<mapi::Filter>& filter);

    // The chooser the address mode shows; kept so its public variables
    // outlive each showing.
    AddrListForm& chooser();

  private:
    // What one run filters: the filter and the collection it belongs to.
    struct Target {
        QString kindWord;  // "messages" or "addresses", for the none-found box
        mapi::Ref<mapi::Messages> messages;
        mapi::Ref<mapi::AddressEntries> entries;
        mapi::Ref<mapi::Filter> filter;
    };
    bool openAddressFilter(Target& t);
    bool openMessageFilter(Target& t);
    void applyCriteria(const mapi::Ref<mapi::Filter>& filter);
    QString listMessages(const mapi::Ref<mapi::Messages>& messages);
    QString listAddresses(const mapi::Ref<mapi::AddressEntries>& entries);
    void append(const codegen::Code& code);
    void finish();

    shell::Context host_;
    ui::ListView* filterList_;
    QAbstractButton* clearCriteriaCheck_;
    QAbstractButton* notCheck_;
    QAbstractButton* andOption_;
    QAbstractButton* messagesOption_;
    // Owned by the main window, so it goes with it whichever dies first.
    QPointer<AddrListForm> chooser_;
};

}  // namespace filters

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "filters/FilterHost.h"
#include "messaging/Objects.h"

namespace codegen {
class Code;
}
namespace ui {
class ListView;
}

namespace filters {

class AddrListForm;

// The most result lines the result box shows before "(N more not shown)".
inline constexpr int kMaxResultLines = 30;

// FilterButton: runs the criteria rows as a message filter over the folder of
// the selected tree node, or as an address filter over a chosen address book,
// shows what passes and appends the code that builds the same filter.
class FilterRunner : public QObject {
    Q_OBJECT
  public:
    explicit FilterRunner(FilterHost host, QObject* parent = nullptr);
    ~FilterRunner() override;

    void FilterButtonClick();

    // Applies one criterion row (its cells: Criterion, Type, Value, Field ID)
    // to the filter and appends its line. Failing statements are skipped.
    void ApplyCriterion(const QStringList& row, const mapi::Ref<mapi::Filter>& filter);

    // The chooser the address mode shows; kept so its public variables
    // outlive each showing.
    AddrListForm& chooser();

  private:
    void append(const codegen::Code& code);
    void finish();

    FilterHost host_;
    ui::ListView* filterList_;
    // Owned by the main window, so it goes with it whichever dies first.
    QPointer<AddrListForm> chooser_;
};

}  // namespace filters

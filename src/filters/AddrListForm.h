#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

#include "messaging/Objects.h"

class QListWidget;
class QPushButton;

namespace filters {

// The address-book chooser. Caller protocol: set oSession, exec() (modal),
// read iAction (1 = cancelled: stop silently), then sAddrListName. The three
// public variables keep their values after the window has closed.
class AddrListForm : public QDialog {
    Q_OBJECT
public:
    explicit AddrListForm(QWidget* parent = nullptr);

    mapi::Ref<mapi::Session> oSession;
    std::int32_t iAction = 0;
    QString sAddrListName;
};

}  // namespace filters

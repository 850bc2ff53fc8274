#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "messaging/Objects.h"

class QWidget;

namespace shell {
class Context;
}
namespace codegen {
class VarNames;
}

namespace addressbook {

// What the address-book actions need from the main window: the session
// reference, the code-variable names, the code window and the window to show
// dialogs over. Built from MAPIForm in the program; tests may supply their own.
struct Host {
    std::function<mapi::Ref<mapi::Session>()> session;
    std::function<const codegen::VarNames&()> names;
    std::function<void(const QString&)> appendCode;
    QWidget* window = nullptr;
};

// The main window's two address-book buttons: "Address Detail" (look an entry
// up by its alias and show the library's details dialog) and "Add To PAB"
// (the modal AddAddrForm).
class AddressBookController : public QObject {
    Q_OBJECT
  public:
    // Connects AddDetailsButton and AddAddrButton of the form.
    explicit AddressBookController(const shell::Context& shell);
    explicit AddressBookController(Host host);

    void AddDetailsButton_Click();
    void AddAddrButton_Click();

  private:
    // The address-book chooser through its caller protocol; false when the
    // user cancelled.
    bool chooseAddressList(const mapi::Ref<mapi::Session>& session, QString& listName);
    // One step's lines to the code window (see codegen::Code::lines).
    void appendLines(QStringView block, std::initializer_list<QString> args = {});

    Host host_;
};

}  // namespace addressbook

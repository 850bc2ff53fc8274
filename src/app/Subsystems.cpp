#include "app/Subsystems.h"

#include "app/MAPIForm.h"

// Subsystem headers (each subsystem adds its own include and lines below).
#include "browser/BrowserActions.h"
#include "addressbook/AddressBookController.h"
#include "browser/TreeController.h"
#include "session/SessionController.h"
#include "compose/ComposeController.h"

namespace app {

Subsystems::Subsystems() = default;
Subsystems::~Subsystems() = default;

void installSubsystems(MAPIForm& form, Subsystems& s) {
    s.browserActions = std::make_shared<browser::BrowserActions>(form);
    s.session = std::make_shared<session::SessionController>(form);
    s.tree = std::make_shared<browser::TreeController>(form);
    s.addressBook = std::make_shared<addressbook::AddressBookController>(form);
    (void)form;
    (void)s;
    s.compose = std::make_shared<compose::ComposeController>(form);
}

void startupFilterEditor(Subsystems& s) { (void)s; }

void resetFilterEditor(Subsystems& s, bool enabled) {
    (void)s;
    (void)enabled;
}

}  // namespace app

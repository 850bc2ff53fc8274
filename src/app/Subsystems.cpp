#include "app/Subsystems.h"

#include "app/MAPIForm.h"

// Subsystem headers (each subsystem adds its own include and lines below).
#include "browser/BrowserActions.h"
#include "addressbook/AddressBookController.h"
#include "browser/TreeController.h"
#include "session/SessionController.h"
#include "compose/ComposeController.h"
#include "immediate/CodeRunController.h"
#include "browser/GetInfoStoreKey.h"
#include "filters/FilterEditor.h"
#include "filters/FilterRunner.h"

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
    s.codeRunner = std::make_shared<immediate::CodeRunController>(&form, form.code(), form.mod());
    {
        filters::FilterHost host{&form, &form.mod(), form.tree(),
                                 [&form](const QString& text) { form.AppendCode(text); },
                                 &browser::GetInfoStoreKey};
        s.filterEditor = std::make_shared<filters::FilterEditor>(host);
        s.filterRunner = std::make_shared<filters::FilterRunner>(host);
    }
}

void startupFilterEditor(Subsystems& s) {
    if (!s.filterEditor) return;
    s.filterEditor->ResetFilterEditor(false);
    s.filterEditor->LoadFilterProperties(0);
}

void resetFilterEditor(Subsystems& s, bool enabled) {
    if (s.filterEditor) s.filterEditor->ResetFilterEditor(enabled);
}

}  // namespace app

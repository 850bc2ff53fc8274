#include "app/Subsystems.h"

#include "app/MAPIForm.h"

// Subsystem headers (each subsystem adds its own include and lines below).
#include "accounts/AccountsController.h"
#include "addressbook/AddressBookController.h"
#include "browser/BrowserActions.h"
#include "browser/TreeController.h"
#include "codefiles/CodeFilesController.h"
#include "compose/ComposeController.h"
#include "filters/FilterEditor.h"
#include "filters/FilterRunner.h"
#include "immediate/CodeRunController.h"
#include "importmail/ImportMailController.h"
#include "session/SessionController.h"

namespace app {

Subsystems::Subsystems() = default;
Subsystems::~Subsystems() = default;

void installSubsystems(MAPIForm& form, Subsystems& s) {
    const shell::Context context = form.context();
    s.browserActions = std::make_shared<browser::BrowserActions>(context);
    s.session = std::make_shared<session::SessionController>(context);
    s.tree = std::make_shared<browser::TreeController>(context);
    s.addressBook = std::make_shared<addressbook::AddressBookController>(context);
    s.compose = std::make_shared<compose::ComposeController>(context);
    s.filterEditor = std::make_shared<filters::FilterEditor>(context);
    s.filterRunner = std::make_shared<filters::FilterRunner>(context);
    s.codeRunner = std::make_shared<immediate::CodeRunController>(&form, form.code(), form.mod());
    s.codeFiles = std::make_shared<codefiles::CodeFilesController>(&form, form.code());
    s.importMail = std::make_shared<importmail::ImportMailController>(&form, form.mod());
    s.accounts = std::make_shared<accounts::AccountsController>(&form, form.mod());

    shell::Requests& requests = form.requests();
    requests.logon = [&s] { s.session->Logon(); };
    requests.openTreeRoot = [&s] { s.tree->MAPITree_DblClick(); };
    requests.resetFilterEditor = [&s](bool enabled) { resetFilterEditor(s, enabled); };
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

#pragma once

// The composition root: which feature controllers the main window owns, and
// the one place their requests of one another are wired. Each controller
// connects itself to the main window's named controls when created.

#include <memory>  // shared_ptr: members may stay incomplete here

namespace session {
class SessionController;
}
namespace browser {
class TreeController;
class BrowserActions;
}  // namespace browser
namespace filters {
class FilterEditor;
class FilterRunner;
}  // namespace filters
namespace compose {
class ComposeController;
}
namespace addressbook {
class AddressBookController;
}
namespace immediate {
class CodeRunController;
}
namespace codefiles {
class CodeFilesController;
}
namespace accounts {
class AccountsController;
}
namespace importmail {
class ImportMailController;
}

namespace app {

class MAPIForm;

struct Subsystems {
    Subsystems();
    ~Subsystems();

    std::shared_ptr<session::SessionController> session;
    std::shared_ptr<browser::TreeController> tree;
    std::shared_ptr<browser::BrowserActions> browserActions;
    std::shared_ptr<filters::FilterEditor> filterEditor;
    std::shared_ptr<filters::FilterRunner> filterRunner;
    std::shared_ptr<compose::ComposeController> compose;
    std::shared_ptr<addressbook::AddressBookController> addressBook;
    std::shared_ptr<immediate::CodeRunController> codeRunner;
    std::shared_ptr<codefiles::CodeFilesController> codeFiles;
    std::shared_ptr<importmail::ImportMailController> importMail;
    std::shared_ptr<accounts::AccountsController> accounts;
};

// Creates the controllers over the form's controls (called once, when the
// form's widgets exist and before load()).
void installSubsystems(MAPIForm& form, Subsystems& subsystems);

// Start-up step 4: ResetFilterEditor(false), then LoadFilterProperties(0).
void startupFilterEditor(Subsystems& subsystems);
// Logoff: ResetFilterEditor(false).
void resetFilterEditor(Subsystems& subsystems, bool enabled);

}  // namespace app

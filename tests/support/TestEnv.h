#pragma once

#include <QString>

namespace testenv {

// A private folder for the whole test binary, removed when the binary ends.
// XDG_CONFIG_HOME, XDG_DATA_HOME and HOME point below it, so settings and
// profiles written by the code under test never reach the real home.
QString sandboxDir();

// Empties the settings and data folders of the sandbox, for tests that need a
// first-start state.
void resetUserFolders();

}  // namespace testenv

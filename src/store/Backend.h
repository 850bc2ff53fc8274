#pragma once

#include <QString>
#include <stdexcept>

namespace store {

// A fixture or profile directory that cannot be used; the message names the
// file, the place in it and the problem.
class FixtureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where profiles and their store files live: $XDG_DATA_HOME/quorvane
// (default ~/.local/share/quorvane).
QString profilesDir();
// Creates profilesDir() for its owner only (0700, and the folders above it that
// are missing), or narrows it and everything in it to the owner when an older
// version left them readable to others. False when it cannot be created.
bool makeProfilesDir();

// Installs the embedded store as the messaging back-end (mapi::createSession)
// over the profiles in profilesDir(), creating the demo profile "Default" over
// a generated demo mailbox on first use. The back-end is installed even when
// creating the demo store fails (mapi::Error, FixtureError); the existing store
// file is only opened, checked and used at the first logon.
void installDefaultBackend();

// Builds a fresh temporary store from a JSON fixture and installs it so that
// its profiles are the only ones for this run. Throws FixtureError; nothing is
// created then.
void installFixtureBackend(const QString& jsonPath);

// Writes the fixture as a persistent profile directory (tools/quorvane-store).
void createProfileDirectory(const QString& jsonPath, const QString& dir);

}  // namespace store

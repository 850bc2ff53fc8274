#include "app/Subsystems.h"

#include "app/MAPIForm.h"

// Subsystem headers (each subsystem adds its own include and lines below).

namespace app {

Subsystems::Subsystems() = default;
Subsystems::~Subsystems() = default;

void installSubsystems(MAPIForm& form, Subsystems& s) {
    (void)form;
    (void)s;
}

void startupFilterEditor(Subsystems& s) { (void)s; }

void resetFilterEditor(Subsystems& s, bool enabled) {
    (void)s;
    (void)enabled;
}

}  // namespace app

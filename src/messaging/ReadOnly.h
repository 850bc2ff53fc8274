#pragma once

// A dry run of a script: while sessions are read-only, every write the object
// model offers (a message's or an address entry's Update and Delete) fails
// before it touches a store, with MAPI_E_NO_ACCESS and "The session is
// read-only.". Set once at start-up (quorvane --run-code --read-only).

namespace mapi {

void setSessionsReadOnly(bool readOnly);
bool sessionsReadOnly();
// Every write of either back-end calls this first.
void checkSessionWritable();

}  // namespace mapi

#pragma once

#include "codegen/VarNames.h"
#include "messaging/Objects.h"

namespace shell {

// The global module: the two pieces of state every action shares.
struct MAPIMod {
    // The one messaging session; empty (Nothing) while logged off.
    mapi::Ref<mapi::Session> session;
    // The 23 current code-variable names.
    codegen::VarNames names;
};

}  // namespace shell

#pragma once
// One of each desktop service; main() fills it with the real ones, tests with scripted fakes.

#include "platform/connection.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/shell.h"

namespace quorvel {

// Non-owning: whoever fills it keeps the services alive for the windows' lifetime.
struct Services {
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    Printer* printer = nullptr;
    Connection* connection = nullptr;
    Clock* clock = nullptr;
};

} // namespace quorvel

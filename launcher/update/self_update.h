#pragma once

#include <string>

#include "launcher/link/server_connection.h"
#include "launcher/update/exchange.h"

namespace veltharn {

// Kind 3: the new launcher program has arrived as `downloaded` ("Veltharn.new"). Copies it to the
// same name ending in "x" ("Veltharn.nex") and checks the copy: longer than 16 bytes, its trailer
// readable, and the CRC-32 of all but its last 20 bytes equal to the trailer's. A copy that fails
// ends the process with exit code 1 and is never started; the running launcher's own file is not
// touched. A copy that passes: the link is closed, the single-instance guard released, and the
// copy started in place of this process. If it cannot be started the launcher ends.
void RunSelfUpdate(ExchangeHost& host, ServerConnection& connection,
                   const std::string& downloaded);

}  // namespace veltharn

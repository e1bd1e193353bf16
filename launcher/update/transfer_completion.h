#pragma once

#include "launcher/link/server_connection.h"
#include "launcher/update/exchange.h"

namespace veltharn {

// Finishes a transfer whose last byte has been written: closes the file, returns the connection to
// packet reading, then turns the file into what its kind asks (a patch applied, a file inflated, a
// new launcher started, the next special file reported) and answers the server. A file that fails
// to close (a full disk shows there) is abandoned instead.
void CompleteTransfer(ExchangeHost& host, ServerConnection& connection);

}  // namespace veltharn

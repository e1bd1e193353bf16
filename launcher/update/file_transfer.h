#pragma once

#include <cstddef>
#include <span>

#include "launcher/link/server_connection.h"
#include "launcher/update/exchange.h"

namespace veltharn {

// The handler of FileTransfer: answers removals and unchanged staged files at once, and switches
// the connection to file data for the kinds that carry bytes.
void OnFileTransfer(ExchangeHost& host, ServerConnection& connection,
                    std::span<const std::byte> payload);

// Reads file data of the current transfer (transferState 1 or 2) as it arrives, never past the
// announced size: the bytes behind it belong to the next packet.
void OnFileData(ExchangeHost& host, ServerConnection& connection);

// Ends a transfer whose data was dropped: deletes what was written and tells the server.
void AbandonTransfer(ExchangeHost& host, ServerConnection& connection);

}  // namespace veltharn

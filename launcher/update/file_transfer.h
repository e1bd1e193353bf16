#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "launcher/link/server_connection.h"
#include "launcher/update/exchange.h"

namespace veltharn {

// The handler of FileTransfer: answers removals and unchanged staged files at once, and starts a
// transfer for the kinds that carry bytes. Names that would leave the client folder are refused:
// status 1, and the announced bytes are consumed and dropped.
void OnFileTransfer(ExchangeHost& host, ServerConnection& connection,
                    std::span<const std::byte> payload);

// Prepares the local file of a transfer of `kind` for the ANSI `name` and switches the connection
// to file data: writing (transferState 1), or discarding (2) when the file cannot be created and
// the user goes on. A size of 0 completes at once; a negative size is refused at once.
void BeginTransfer(ExchangeHost& host, ServerConnection& connection, const std::string& name,
                   int32_t size, int32_t id, int32_t kind);

// Reads file data of the current transfer as it arrives, at most 8192 bytes a read and never past
// the announced size: the bytes behind it belong to the next packet. Ends the transfer with
// CompleteTransfer or AbandonTransfer when the last byte is in.
void OnFileData(ExchangeHost& host, ServerConnection& connection);

// Ends a transfer whose data was dropped: deletes what was written and tells the server.
void AbandonTransfer(ExchangeHost& host, ServerConnection& connection);

// The link went away in the middle of a transfer: closes and deletes the partial file, with no
// reply. Nothing happens when no transfer runs.
void DropTransfer(ExchangeHost& host, ServerConnection& connection);

}  // namespace veltharn

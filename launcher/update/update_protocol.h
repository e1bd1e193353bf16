#pragma once

#include "launcher/link/server_connection.h"
#include "launcher/update/exchange.h"

namespace veltharn {

// Hands one received packet to the handler of its type. Type 0 and types above 8 are ignored.
// The handlers answer on `connection` through the host and act on the host's state.
void DispatchPacket(ExchangeHost& host, ServerConnection& connection, const Packet& packet);

// The handlers, one per packet type; each takes the packet's payload.
void OnVersionInfo(ExchangeHost& host, std::span<const std::byte> payload);
void OnFileCount(ExchangeHost& host, std::span<const std::byte> payload);
void OnServerError(ExchangeHost& host, ServerConnection& connection,
                   std::span<const std::byte> payload);
void OnUpdateComplete(ExchangeHost& host, std::span<const std::byte> payload);

}  // namespace veltharn

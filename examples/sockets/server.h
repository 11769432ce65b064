// The catalogue server on an event loop: it accepts connections on 127.0.0.1, reads each one's
// requests with a push reader of its own as the bytes arrive, and answers them from an in-memory
// catalogue.
#ifndef CMDS_EXAMPLES_SOCKETS_SERVER_H
#define CMDS_EXAMPLES_SOCKETS_SERVER_H

#include <chrono>
#include <cstddef>
#include <cstdint>

#include <asio.hpp>

#include "catalogue.h"

namespace example {

struct ServerOptions {
    unsigned short port = 0;  // 0: a free port, which Port() tells
    // A connection that sends nothing and takes none of its replies for this long is closed;
    // 0: never.
    std::chrono::milliseconds idleTimeout = std::chrono::seconds(60);
    // Connections beyond this many open ones are closed as soon as they are accepted; 0: no cap.
    std::size_t maxConnections = 1000;
};

struct ServerTotals {
    std::uint64_t connections = 0;  // accepted and served
    std::uint64_t refused = 0;      // closed at once, for the connection cap
    std::uint64_t requests = 0;     // answered, refusals of bad requests included
    std::size_t open = 0;           // connections open now
};

// Runs on `io`, which the caller runs on one thread; everything here happens on that thread.
class CatalogueServer {
public:
    // Throws std::system_error when the port cannot be bound.
    CatalogueServer(asio::io_context& io, const ServerOptions& options);

    unsigned short Port() const;
    const ServerTotals& Totals() const { return totals_; }

private:
    void Accept();

    asio::ip::tcp::acceptor acceptor_;
    ServerOptions options_;
    Catalogue catalogue_;
    ServerTotals totals_;
};

}  // namespace example

#endif

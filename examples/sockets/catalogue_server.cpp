// The catalogue server: one thread runs an event loop that accepts connections on 127.0.0.1,
// reads each connection's requests with a push reader of its own as the bytes arrive, and
// answers every request from an in-memory catalogue of shared files.
//
//   catalogue_server [--port N] [--seconds S] [--idle-seconds I] [--max-connections C]
//
// --port 0 (the default) lets the system pick a free port. The line "listening on
// 127.0.0.1:PORT" tells which one. A connection that sends nothing and takes no reply for I
// seconds (60; 0: never) is closed, and connections beyond C open ones (1000; 0: no cap) are
// closed when accepted. The server stops after S seconds (0, the default: never), or on SIGINT
// or SIGTERM, and prints its totals.
#include <chrono>
#include <csignal>
#include <iostream>

#include <asio.hpp>

#include "common.h"
#include "server.h"

int main(int argc, char** argv) {
    try {
        example::ServerOptions options;
        options.port =
            static_cast<unsigned short>(example::NumberOption(argc, argv, "--port", 0, 65535));
        options.idleTimeout =
            std::chrono::seconds(example::NumberOption(argc, argv, "--idle-seconds", 60, 86400));
        options.maxConnections =
            example::NumberOption(argc, argv, "--max-connections", options.maxConnections, 100000);
        const auto seconds = example::NumberOption(argc, argv, "--seconds", 0, 86400);

        asio::io_context io;
        example::CatalogueServer server(io, options);

        asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([&io](const asio::error_code&, int) { io.stop(); });
        asio::steady_timer limit(io);
        if (seconds > 0) {
            limit.expires_after(std::chrono::seconds(seconds));
            limit.async_wait([&io](const asio::error_code& error) {
                if (!error) {
                    io.stop();
                }
            });
        }

        std::cout << "listening on 127.0.0.1:" << server.Port() << std::endl;
        io.run();
        const example::ServerTotals& totals = server.Totals();
        std::cout << "answered " << totals.requests << " requests on " << totals.connections
                  << " connections; refused " << totals.refused << " connections" << std::endl;
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "catalogue_server: " << error.what() << "\n";
        return 1;
    }
}

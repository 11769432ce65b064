#include "server.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace example {

namespace {

using asio::ip::tcp;

// Follows the quotes of the bytes read, so that the rest of a request that failed can be skipped:
// a command ends at the first ";" outside double-quoted and apostrophe-quoted strings, which is
// where the reader would have ended it.
class CommandEnds {
public:
    void Follow(std::string_view bytes) {
        for (const char c : bytes) {
            Step(c);
        }
    }
    // Follows `bytes` up to the end of the current command; returns how many bytes that took,
    // all of them when the command does not end within them.
    std::size_t SkipToEnd(std::string_view bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            Step(bytes[i]);
            if (atEnd_) {
                return i + 1;
            }
        }
        return bytes.size();
    }
    // Whether the last byte followed ended a command.
    bool AtEnd() const { return atEnd_; }

private:
    void Step(char c) {
        if (quote_ != 0) {
            quote_ = c == quote_ ? 0 : quote_;
            atEnd_ = false;
        } else if (c == '"' || c == '\'') {
            quote_ = c;
            atEnd_ = false;
        } else {
            atEnd_ = c == ';';
        }
    }

    char quote_ = 0;
    bool atEnd_ = true;
};

using Clock = std::chrono::steady_clock;

// One accepted connection. It alternates between reading and writing: whatever arrived is read
// and answered, the replies are written, and only then is the socket read again. A peer that
// sends without reading therefore holds at most one read's worth of replies here.
//
// A peer that sends a request a few bytes at a time would cost a wakeup of the event loop, a read
// and a resume of the reader every few bytes. Once several reads in a row have brought little in
// the middle of a request, the connection asks the system to report the socket readable only
// when kGatherBytes have arrived (or its buffer fills), and takes what has come at least every
// kGatherTime: the bytes gather in the socket's buffer and are read together, so that such a
// peer costs about as much per byte as one that sends its requests whole.
class Connection final : public std::enable_shared_from_this<Connection>,
                         public cmds::CPushReader::IHandler {
    static constexpr std::size_t kSmallRead = 512;
    static constexpr int kTrickleReads = 4;
    static constexpr int kGatherBytes = 4096;
    static constexpr std::chrono::milliseconds kGatherTime{50};

public:
    Connection(tcp::socket socket, Catalogue& catalogue, ServerTotals& totals,
               std::chrono::milliseconds idleTimeout)
        : socket_(std::move(socket)),
          idle_(socket_.get_executor()),
          gather_(socket_.get_executor()),
          catalogue_(catalogue),
          totals_(totals),
          idleTimeout_(idleTimeout),
          number_(++totals.connections) {
        ++totals_.open;
    }

    void Start() {
        // Reads after a wait for readiness take what is there instead of blocking.
        asio::error_code ignored;
        socket_.non_blocking(true, ignored);
        lastActive_ = Clock::now();
        if (idleTimeout_.count() != 0) {
            WatchIdle();
        }
        ReadMore();
    }

private:
    // Closes the connection once the peer has sent nothing and taken no reply for the idle
    // timeout. Reads and writes only note when they completed, which the timer checks when it
    // expires.
    void WatchIdle() {
        idle_.expires_at(lastActive_ + idleTimeout_);
        idle_.async_wait([self = shared_from_this()](const asio::error_code& error) {
            if (error) {
                return;
            }
            if (Clock::now() - self->lastActive_ >= self->idleTimeout_) {
                self->Close();
            } else {
                self->WatchIdle();
            }
        });
    }

    void ReadMore() {
        if (!Trickling()) {
            SetLowWater(1);
            socket_.async_read_some(
                asio::buffer(received_),
                [self = shared_from_this()](const asio::error_code& error, std::size_t size) {
                    self->OnRead(error, size);
                });
            return;
        }
        SetLowWater(kGatherBytes);
        if (!gatherTimed_) {
            gatherTimed_ = true;
            LowerMarkLater();
        }
        socket_.async_wait(
            tcp::socket::wait_read, [self = shared_from_this()](const asio::error_code& error) {
                if (error) {
                    self->Close();
                    return;
                }
                asio::error_code readError;
                const std::size_t size =
                    self->socket_.read_some(asio::buffer(self->received_), readError);
                if (readError == asio::error::would_block) {
                    self->ReadMore();
                } else {
                    self->OnRead(readError, size);
                }
            });
    }

    bool Trickling() const { return smallReads_ >= kTrickleReads; }

    // After kGatherTime the socket reports readable whatever has come, so that the last bytes of
    // a request never wait for more. The next read raises the mark again.
    void LowerMarkLater() {
        gather_.expires_after(kGatherTime);
        gather_.async_wait([self = shared_from_this()](const asio::error_code& error) {
            if (!error) {
                self->gatherTimed_ = false;
                self->SetLowWater(1);
            }
        });
    }

    void SetLowWater(int bytes) {
        if (lowWater_ != bytes) {
            asio::error_code ignored;
            socket_.set_option(tcp::socket::receive_low_watermark(bytes), ignored);
            lowWater_ = bytes;
        }
    }

    void OnRead(const asio::error_code& error, std::size_t size) {
        if (error) {
            Close();
            return;
        }
        lastActive_ = Clock::now();
        Read(std::string_view(received_.data(), size));
        // A request that ends, or a read that fills the buffer, shows a peer that does not
        // trickle.
        if (!(skipping_ || reader_->InCommand()) || size == received_.size()) {
            smallReads_ = 0;
        } else if (size < kSmallRead) {
            ++smallReads_;
        }
        SendReplies();
    }

    // Reads the bytes into requests, answering each as it ends. A request that fails after its
    // header is answered with a refusal, and reading goes on after its end; with no request
    // header to answer there is no telling where the next command starts, so the connection is
    // closed once the replies already made are sent.
    void Read(std::string_view bytes) {
        while (!bytes.empty() && !closing_) {
            if (skipping_) {
                const std::size_t skipped = ends_.SkipToEnd(bytes);
                bytes.remove_prefix(skipped);
                skipping_ = !ends_.AtEnd();
                continue;
            }
            const std::uint64_t before = reader_->Consumed();
            try {
                reader_->Feed(bytes);
                ends_.Follow(bytes);
                return;
            } catch (const cmds::CCmdError&) {
                const auto read = static_cast<std::size_t>(reader_->Consumed() - before);
                ends_.Follow(bytes.substr(0, read));
                bytes.remove_prefix(read);
            }
            if (!request_) {
                closing_ = true;
                return;
            }
            request_->Refuse(replies_);
            request_.reset();
            ++totals_.requests;
            reader_ = std::make_unique<cmds::CPushReader>(*this);
            skipping_ = !ends_.AtEnd();
        }
    }

    void OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) override {
        request_ = Catalogue::Begin(header, choice);
    }
    void OnCommandEnd(const cmds::CCommandHeader&) override {
        request_->Answer(catalogue_, number_, replies_);
        request_.reset();
        ++totals_.requests;
    }

    void SendReplies() {
        if (replies_.GetSize() == 0) {
            ReadOrClose(asio::error_code());
            return;
        }
        sending_ = replies_.str();
        replies_.Reset();
        asio::async_write(socket_, asio::buffer(sending_),
                          [self = shared_from_this()](const asio::error_code& error, std::size_t) {
                              self->lastActive_ = Clock::now();
                              self->ReadOrClose(error);
                          });
    }

    void ReadOrClose(const asio::error_code& error) {
        if (error || closing_) {
            Close();
        } else {
            ReadMore();
        }
    }

    void Close() {
        if (!socket_.is_open()) {
            return;
        }
        catalogue_.EndSessions(number_);
        --totals_.open;
        asio::error_code ignored;
        socket_.close(ignored);
        idle_.cancel();
        gather_.cancel();
    }

    tcp::socket socket_;
    asio::steady_timer idle_;
    asio::steady_timer gather_;     // makes the socket report what came, while the peer trickles
    Clock::time_point lastActive_;  // when a read or a write last completed
    Catalogue& catalogue_;
    ServerTotals& totals_;
    const std::chrono::milliseconds idleTimeout_;
    const std::uint64_t number_;
    std::unique_ptr<cmds::CPushReader> reader_ = std::make_unique<cmds::CPushReader>(*this);
    std::unique_ptr<PendingRequest> request_;  // the request being read
    CommandEnds ends_;
    bool skipping_ = false;     // the rest of a failed request is being skipped
    int smallReads_ = 0;        // in the middle of a request, since the last sign of no trickle
    int lowWater_ = 1;          // the bytes the socket waits for before it reports readable
    bool gatherTimed_ = false;  // gather_ will lower the mark
    cmds::CStrStmGenerator replies_;
    std::string sending_;
    std::array<char, 16384> received_{};
    bool closing_ = false;
};

}  // namespace

CatalogueServer::CatalogueServer(asio::io_context& io, const ServerOptions& options)
    : acceptor_(io, tcp::endpoint(asio::ip::address_v4::loopback(), options.port)),
      options_(options) {
    Accept();
}

unsigned short CatalogueServer::Port() const {
    return acceptor_.local_endpoint().port();
}

void CatalogueServer::Accept() {
    acceptor_.async_accept([this](const asio::error_code& error, tcp::socket socket) {
        if (error == asio::error::operation_aborted) {
            return;
        }
        if (!error) {
            if (options_.maxConnections != 0 && totals_.open >= options_.maxConnections) {
                ++totals_.refused;
                asio::error_code ignored;
                socket.close(ignored);
            } else {
                // Replies are small and complete when written; Nagle's algorithm would only
                // delay them.
                asio::error_code ignored;
                socket.set_option(tcp::no_delay(true), ignored);
                std::make_shared<Connection>(std::move(socket), catalogue_, totals_,
                                             options_.idleTimeout)
                    ->Start();
            }
        }
        Accept();
    });
}

}  // namespace example

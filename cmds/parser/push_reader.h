/// @file
/// The push reader, for hosts that read connections from an event loop: the host hands over bytes
/// as they arrive, in pieces of any size, and the callbacks come as soon as their values are
/// complete.
#ifndef CMDS_PARSER_PUSH_READER_H
#define CMDS_PARSER_PUSH_READER_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "cmds/export.h"
#include "cmds/framing/header.h"
#include "cmds/interfaces/callbacks.h"
#include "cmds/interfaces/commands.h"
#include "cmds/parser/limits.h"

namespace cmds {

namespace detail {
struct PushState;
}

/// The sink that a host chooses for a command whose header was just read: one Use overload per
/// command's interface.
class CMDS_API CSinkChoice {
public:
#define CMDS_SINK_CHOICE_USE(id, Name, verb, direction) \
    void Use(I##Name& sink) {                           \
        command_ = eCommand##Name;                      \
        sink_ = &sink;                                  \
    }
    CMDS_COMMAND_TABLE(CMDS_SINK_CHOICE_USE)
#undef CMDS_SINK_CHOICE_USE

    /// The command whose interface the chosen sink has, or -1 when none was chosen.
    std::int32_t Command() const {
        return command_;
    }
    void* Sink() const {
        return sink_;
    }

private:
    std::int32_t command_ = -1;
    void* sink_ = nullptr;
};

/// Reads consecutive commands of any kind from bytes handed over in pieces of any size, down to
/// one byte. It makes the same callbacks, in the same order and with the same values, and fails
/// with the same error at the same token (offset, line, column and reason), as a CParser reading
/// the same text with the Parse overload of each command's header.
///
/// It holds no thread, takes no lock and never waits: the reader runs, on a stack of its own,
/// inside Feed and Finish, and pauses where it needs bytes that have not arrived. It keeps no copy
/// of the input: what it holds is the value or record being read, and the reading time is linear
/// in the input however it is split. The host's callbacks run inside Feed and Finish, on the
/// reader's stack (1 MiB).
///
/// After a fault, Feed and Finish throw the same error again. To go on, the host makes a new
/// reader and feeds it the bytes from where it chooses to resume, for example after the next ";";
/// Consumed tells how many bytes the failed reader had read.
class CMDS_API CPushReader {
public:
    /// Chooses each command's sink and learns where it ends.
    class CMDS_API IHandler {
    public:
        virtual ~IHandler();
        /// The header of the next command was read: call choice.Use with a sink of the interface
        /// of header.command. Not choosing one, or one of another command, is CRuntimeError.
        virtual void OnCommand(const CCommandHeader& header, CSinkChoice& choice) = 0;
        /// The command's ";" was read and every callback of it made.
        virtual void OnCommandEnd(const CCommandHeader& header) = 0;
    };

    /// Limits with safe defaults (CReadLimits::ForUntrustedInput) protect a server from peers.
    explicit CPushReader(IHandler& handler,
                         const CReadLimits& limits = CReadLimits::ForUntrustedInput());
    ~CPushReader();

    CPushReader(const CPushReader&) = delete;
    CPushReader& operator=(const CPushReader&) = delete;

    /// Reads the bytes as far as they go, making callbacks. The bytes need to stay valid only
    /// during the call. Throws the fault's error, or what a callback threw. Not to be called
    /// from a callback.
    void Feed(const char* data, std::size_t size);
    void Feed(std::string_view bytes) { Feed(bytes.data(), bytes.size()); }
    /// No more bytes come: a command left unfinished fails as at the end of a source.
    void Finish();

    /// Bytes read so far; after a fault, those read up to it.
    std::uint64_t Consumed() const;
    /// Whether a command has begun and not yet ended.
    bool InCommand() const;

private:
    std::unique_ptr<detail::PushState> state_;
};

}  // namespace cmds

#endif

/// @file
/// Streams held as base classes, so that they are constructed before the stream-using base that
/// is given a reference to them (a member would be constructed after every base).
#ifndef CMDS_DETAIL_OWNED_STREAM_H
#define CMDS_DETAIL_OWNED_STREAM_H

#include <ios>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>

namespace cmds::detail {

struct OwnedStringStream {
    explicit OwnedStringStream(const std::string& text = std::string())
        : ownedStream(text, std::ios_base::in | std::ios_base::out) {}

    std::stringstream ownedStream;
};

/// A stream buffer whose get area is the caller's bytes. Nothing is ever stored through it: a
/// byte is put back only where it was read from, and any other put-back fails.
class ViewBuffer : public std::streambuf {
public:
    explicit ViewBuffer(std::string_view text) {
        // The get area's pointers are not const by the streambuf's design, not to be written.
        char* const begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir from,
                     std::ios_base::openmode which) override {
        const off_type base = from == std::ios_base::beg   ? 0
                              : from == std::ios_base::cur ? gptr() - eback()
                                                           : egptr() - eback();
        return seekpos(pos_type(base + offset), which);
    }

    pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
        const auto offset = static_cast<off_type>(position);
        if ((which & std::ios_base::in) == 0 || offset < 0 || offset > egptr() - eback()) {
            return pos_type(off_type(-1));
        }
        setg(eback(), eback() + offset, egptr());
        return position;
    }
};

struct ViewedStream {
    explicit ViewedStream(std::string_view text) : viewBuffer(text), viewStream(&viewBuffer) {}

    ViewBuffer viewBuffer;
    std::istream viewStream;
};

}  // namespace cmds::detail

#endif

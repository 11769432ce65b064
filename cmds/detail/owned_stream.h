/// @file
/// A string stream held as a base class, so that it is constructed before the stream-using base
/// that is given a reference to it (a member would be constructed after every base).
#ifndef CMDS_DETAIL_OWNED_STREAM_H
#define CMDS_DETAIL_OWNED_STREAM_H

#include <ios>
#include <sstream>
#include <string>

namespace cmds::detail {

struct OwnedStringStream {
    explicit OwnedStringStream(const std::string& text = std::string())
        : ownedStream(text, std::ios_base::in | std::ios_base::out) {}

    std::stringstream ownedStream;
};

}  // namespace cmds::detail

#endif

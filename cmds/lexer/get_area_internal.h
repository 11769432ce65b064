// In-place access to the characters that a stream buffer has ready to read.
#ifndef CMDS_LEXER_GET_AREA_INTERNAL_H
#define CMDS_LEXER_GET_AREA_INTERNAL_H

#include <streambuf>

namespace cmds::detail {

// The get area is the buffer's protected interface; a class derived from std::streambuf may name
// those members, and a pointer to member formed through it may be applied to any buffer.
class GetArea : private std::streambuf {
public:
    // The characters readable without waiting, as [begin, end); empty when there are none. Bytes
    // written to a string buffer since its last read are made readable first, as a read would.
    static bool Ready(std::streambuf& buffer, const char*& begin, const char*& end) {
        if ((buffer.*&GetArea::gptr)() == (buffer.*&GetArea::egptr)() &&
            buffer.sgetc() == traits_type::eof()) {
            return false;
        }
        begin = (buffer.*&GetArea::gptr)();
        end = (buffer.*&GetArea::egptr)();
        return begin != end && begin != nullptr;
    }

    // Moves the read position to `next`, within what Ready gave.
    static void Advance(std::streambuf& buffer, const char* next) {
        char* const start = (buffer.*&GetArea::eback)();
        char* const stop = (buffer.*&GetArea::egptr)();
        (buffer.*&GetArea::setg)(start, start + (next - start), stop);
    }
};

}  // namespace cmds::detail

#endif

// In-place access to the room that a stream buffer has for characters to be written.
#ifndef CMDS_GENERATOR_PUT_AREA_INTERNAL_H
#define CMDS_GENERATOR_PUT_AREA_INTERNAL_H

#include <climits>
#include <cstddef>
#include <streambuf>

namespace cmds::detail {

// The put area is the buffer's protected interface; a class derived from std::streambuf may name
// those members, and a pointer to member formed through it may be applied to any buffer. Bytes
// stored in the put area and then passed by the write position are written, as sputc writes them.
class PutArea : private std::streambuf {
public:
    // The room where bytes can be stored now, as [begin, end); empty when there is none.
    static void Room(std::streambuf& buffer, char*& begin, char*& end) {
        begin = (buffer.*&PutArea::pptr)();
        end = begin == nullptr ? nullptr : (buffer.*&PutArea::epptr)();
    }

    // Moves the write position past the `count` bytes stored from it on, within what Room gave.
    static void Advance(std::streambuf& buffer, std::size_t count) {
        while (count > 0) {
            const int step = count > INT_MAX ? INT_MAX : static_cast<int>(count);
            (buffer.*&PutArea::pbump)(step);
            count -= static_cast<std::size_t>(step);
        }
    }
};

}  // namespace cmds::detail

#endif

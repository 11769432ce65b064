#include "cmds/framing/diagnostics.h"

#include <algorithm>

namespace cmds {

CTextPosition LocateOffset(std::string_view text, std::size_t offset) {
    CTextPosition position;
    position.offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, position.offset);
    position.line += static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lastBreak = before.rfind('\n');
    position.column +=
        lastBreak == std::string_view::npos ? before.size() : before.size() - lastBreak - 1;
    return position;
}

CTextPosition GetStopPosition(CLexerStreamBase& source, std::string_view text) {
    // A stream source reports no position once a read has met its end: everything was read.
    const int read = source.GetPos();
    const std::size_t offset =
        read < 0 ? text.size() : static_cast<std::size_t>(std::max(read, 1) - 1);
    return LocateOffset(text, offset);
}

}  // namespace cmds

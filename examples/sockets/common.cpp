#include "common.h"

#include <charconv>
#include <stdexcept>
#include <string>

namespace example {

cmds::wstring Wide(std::string_view ascii) {
    return cmds::wstring(ascii.begin(), ascii.end());
}

std::uint64_t NumberOption(int argc, char** argv, std::string_view name, std::uint64_t fallback,
                           std::uint64_t max) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] != name) {
            continue;
        }
        const std::string_view text = argv[i + 1];
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value > max) {
            throw std::invalid_argument(std::string(name) + " takes a number from 0 to " +
                                        std::to_string(max));
        }
        return value;
    }
    return fallback;
}

}  // namespace example

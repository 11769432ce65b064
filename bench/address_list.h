// Splitting a host's address text into the list that CHostInfo carries, for the rows that read
// hosts without the library.
#ifndef CMDS_BENCH_ADDRESS_LIST_H
#define CMDS_BENCH_ADDRESS_LIST_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Splits as the library's reader does: at LF, ';', ',', space, TAB and CR, dropping empty pieces.
// Strings that a shorter list drops wait here for the next host, so that a warm reader allocates
// nothing per host.
class AddressList {
public:
    template <typename Char>
    void Split(const Char* text, std::size_t length, std::vector<std::string>& out) {
        std::size_t count = 0;
        std::size_t i = 0;
        while (i < length) {
            while (i < length && IsSeparator(text[i])) {
                ++i;
            }
            const std::size_t start = i;
            while (i < length && !IsSeparator(text[i])) {
                ++i;
            }
            if (i == start) {
                break;
            }
            if (count == out.size()) {
                if (spare_.empty()) {
                    out.emplace_back();
                } else {
                    out.push_back(std::move(spare_.back()));
                    spare_.pop_back();
                }
            }
            out[count++].assign(text + start, text + i);
        }
        while (out.size() > count) {
            spare_.push_back(std::move(out.back()));
            out.pop_back();
        }
    }

private:
    template <typename Char>
    static bool IsSeparator(Char c) {
        return c == '\n' || c == ';' || c == ',' || c == ' ' || c == '\t' || c == '\r';
    }

    std::vector<std::string> spare_;
};

}  // namespace bench

#endif

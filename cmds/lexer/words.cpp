#include <cassert>
#include <cstring>

#include "cmds/lexer/words_internal.h"
#include "cmds/tokens/tables_internal.h"

namespace cmds::detail {

namespace {

// The words of the keyword table and the four value tables, case-folded, in an open-addressing
// hash table. Built once; a word that occurs in several tables keeps its first place in search
// order (keywords, M, P, C, scope).
class WordIndex {
public:
    struct Entry {
        char text[12];       // case-folded, NUL-terminated
        std::size_t length;  // 0 marks a free slot
        WordEntry word;
    };

    static constexpr std::size_t kMaxLength = sizeof(Entry::text) - 1;

    WordIndex() {
        for (int token = 1; token < kKeywordCount; ++token) {
            Add(kKeywordTexts[token], static_cast<tokens::TOKEN>(token), 0);
        }
        AddValueWords(kMTypeTexts, kMTypeCount, tokens::M_VALUE);
        AddValueWords(kPTypeTexts, kPTypeCount, tokens::P_VALUE);
        AddValueWords(kCTypeTexts, kCTypeCount, tokens::C_VALUE);
        AddValueWords(kScopeTypeTexts, kScopeTypeCount, tokens::SCOPE_VALUE);
    }

    // Null when no table holds the word, compared without regard to case.
    const Entry* Find(const char* word, std::size_t length) const {
        if (length == 0 || length > kMaxLength) {
            return nullptr;
        }
        for (std::size_t slot = Hash(word, length);; slot = (slot + 1) % kSlots) {
            const Entry& entry = slots_[slot];
            if (entry.length == 0) {
                return nullptr;
            }
            if (entry.length == length && EqualFolded(entry.text, word, length)) {
                return &entry;
            }
        }
    }

private:
    // Over three times the 74 table words, so probe runs stay short and a free slot always ends
    // a search.
    static constexpr std::size_t kSlots = 256;

    // The length and three letters tell the table words apart; a multiplicative mix spreads
    // them over the slots so that probes stay short.
    static std::size_t Hash(const char* word, std::size_t length) {
        const std::uint32_t key =
            static_cast<std::uint32_t>(length) |
            static_cast<std::uint32_t>(static_cast<unsigned char>(FoldCase(word[0]))) << 8 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(FoldCase(word[length / 2])))
                << 16 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(FoldCase(word[length - 1])))
                << 24;
        return (key * 2654435761u) >> 24;
    }

    static bool EqualFolded(const char* folded, const char* word, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i) {
            if (folded[i] != FoldCase(word[i])) {
                return false;
            }
        }
        return true;
    }

    // Entry 0 of every table is the empty text, which is never matched.
    void AddValueWords(const char* const* table, int count, tokens::TOKEN token) {
        for (int value = 1; value < count; ++value) {
            Add(table[value], token, value);
        }
    }

    void Add(const char* text, tokens::TOKEN token, int value) {
        Entry entry{};
        entry.length = std::strlen(text);
        assert(entry.length <= kLongestWord);
        for (std::size_t i = 0; i < entry.length; ++i) {
            entry.text[i] = FoldCase(text[i]);
        }
        entry.word.token = token;
        entry.word.value = value;
        if (Find(entry.text, entry.length) == nullptr) {
            Insert(entry);
        }
    }

    void Insert(const Entry& entry) {
        std::size_t slot = Hash(entry.text, entry.length);
        while (slots_[slot].length != 0) {
            slot = (slot + 1) % kSlots;
        }
        slots_[slot] = entry;
    }

    std::array<Entry, kSlots> slots_{};
};

// Built when the library is loaded, so that a lookup pays no guard of a function-local static.
const WordIndex kWords;

}  // namespace

const WordEntry* FindWord(const char* word, std::size_t length) {
    const WordIndex::Entry* entry = kWords.Find(word, length);
    return entry == nullptr ? nullptr : &entry->word;
}

}  // namespace cmds::detail

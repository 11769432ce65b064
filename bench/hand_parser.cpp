#include "hand_parser.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "address_list.h"
#include "convert.h"

namespace bench {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsLetter(char c) {
    return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}

bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// Whether `word` is `lower` in any letter case. Setting bit 0x20 lower-cases a letter and leaves
// a digit as it is, and words hold nothing else.
bool Is(std::string_view word, std::string_view lower) {
    if (word.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if ((word[i] | 0x20) != lower[i]) {
            return false;
        }
    }
    return true;
}

int HexDigit(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    const char lower = static_cast<char>(c | 0x20);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// A narrow string's bytes with each %XX taken as one byte.
void DecodeNarrow(std::string_view raw, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size()) {
            const int high = HexDigit(raw[i + 1]);
            const int low = HexDigit(raw[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += raw[i];
    }
}

class Cursor {
public:
    explicit Cursor(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

    // Consumes `c` if it is the next token.
    bool Punct(char c) {
        SkipBlanks();
        if (p_ < end_ && *p_ == c) {
            ++p_;
            return true;
        }
        return false;
    }

    // The next token if it is a word, else an empty view and nothing consumed.
    std::string_view Word() {
        SkipBlanks();
        const char* const start = p_;
        if (p_ < end_ && IsLetter(*p_)) {
            ++p_;
            while (p_ < end_ && (IsLetter(*p_) || IsDigit(*p_))) {
                ++p_;
            }
        }
        return std::string_view(start, static_cast<std::size_t>(p_ - start));
    }

    // Digits without limit, the value modulo 2^64.
    bool Number(std::uint64_t& value) {
        SkipBlanks();
        if (p_ == end_ || !IsDigit(*p_)) {
            return false;
        }
        std::uint64_t v = 0;
        do {
            v = v * 10 + static_cast<std::uint64_t>(*p_++ - '0');
        } while (p_ < end_ && IsDigit(*p_));
        value = v;
        return true;
    }

    bool Wide(cmds::wstring& out) {
        std::string_view raw;
        if (!Quoted('\'', raw)) {
            return false;
        }
        AssignUtf16(raw.data(), raw.size(), out);
        return true;
    }

    // A narrow string's bytes as written, escapes not yet decoded.
    bool Narrow(std::string_view& raw) { return Quoted('"', raw); }

    bool Flag(bool& value) {
        const std::string_view word = Word();
        value = Is(word, "yes");
        return value || Is(word, "no");
    }

private:
    void SkipBlanks() {
        while (p_ < end_ && IsBlank(*p_)) {
            ++p_;
        }
    }

    bool Quoted(char quote, std::string_view& raw) {
        SkipBlanks();
        if (p_ == end_ || *p_ != quote) {
            return false;
        }
        const char* const start = p_ + 1;
        const auto* close = static_cast<const char*>(
            std::memchr(start, quote, static_cast<std::size_t>(end_ - start)));
        if (close == nullptr) {
            return false;
        }
        raw = std::string_view(start, static_cast<std::size_t>(close - start));
        p_ = close + 1;
        return true;
    }

    const char* p_;
    const char* const end_;
};

// File record tags, numbers first, then texts in the order of kTexts.
enum FileTag : int {
    kFolder,
    kId,
    kSize,
    kFile,
    kExt,
    kKeywords,
    kAuthor,
    kSubject,
    kManager,
    kCompany,
    kComments,
    kTitle,
    kCategory,
    kCreator,
    kType,
};

constexpr std::string_view kFileTags[] = {
    "folder",  "id",      "size",     "file",  "ext",      "keywords", "author", "subject",
    "manager", "company", "comments", "title", "category", "creator",  "type",
};

cmds::wstring cmds::CFileInfo::*const kTexts[] = {
    &cmds::CFileInfo::file,     &cmds::CFileInfo::ext,      &cmds::CFileInfo::keywords,
    &cmds::CFileInfo::author,   &cmds::CFileInfo::subject,  &cmds::CFileInfo::manager,
    &cmds::CFileInfo::company,  &cmds::CFileInfo::comments, &cmds::CFileInfo::title,
    &cmds::CFileInfo::category, &cmds::CFileInfo::creator,  &cmds::CFileInfo::type,
};

constexpr unsigned kRequiredFileTags = 1u << kFolder | 1u << kId | 1u << kSize | 1u << kFile;
constexpr unsigned kKeyTags = 1u << kFolder | 1u << kId;

// The tag that `word` names, or -1: the length and one or two letters pick the only candidate.
int FileTagOf(std::string_view word) {
    if (word.size() < 2) {
        return -1;
    }
    const char first = static_cast<char>(word[0] | 0x20);
    const char second = static_cast<char>(word[1] | 0x20);
    int tag = -1;
    switch (word.size()) {
        case 2:
            tag = kId;
            break;
        case 3:
            tag = kExt;
            break;
        case 4:
            tag = first == 'f' ? kFile : first == 's' ? kSize : kType;
            break;
        case 5:
            tag = kTitle;
            break;
        case 6:
            tag = first == 'f' ? kFolder : kAuthor;
            break;
        case 7:
            tag = first == 's'    ? kSubject
                  : first == 'm'  ? kManager
                  : second == 'o' ? kCompany
                                  : kCreator;
            break;
        case 8:
            tag = first == 'k' ? kKeywords : second == 'o' ? kComments : kCategory;
            break;
        default:
            return -1;
    }
    return Is(word, kFileTags[tag]) ? tag : -1;
}

// Reads one file record from after its '[' up to and including its ']'. `allowed` says which
// tags the record may hold. The texts that the record before had and this one lacks are
// emptied, which keeps every text's capacity for the next record.
class FileReader {
public:
    bool Read(Cursor& in, cmds::CFileInfo& file, unsigned allowed, unsigned required) {
        unsigned seen = 0;
        do {
            const int tag = FileTagOf(in.Word());
            if (tag < 0) {
                return false;
            }
            const unsigned bit = 1u << tag;
            if ((allowed & bit) == 0 || (seen & bit) != 0 || !in.Punct(':')) {
                return false;
            }
            seen |= bit;
            bool ok = false;
            switch (tag) {
                case kFolder:
                    ok = in.Number(file.folder);
                    break;
                case kId:
                    ok = in.Number(file.id);
                    break;
                case kSize:
                    ok = in.Number(file.size);
                    break;
                default:
                    ok = in.Wide(file.*kTexts[tag - kFile]);
                    break;
            }
            if (!ok) {
                return false;
            }
        } while (in.Punct(','));
        if ((seen & required) != required || !in.Punct(']')) {
            return false;
        }
        if ((seen & (1u << kSize)) == 0) {
            file.size = 0;
        }
        for (unsigned stale = filled_ & ~seen; stale != 0; stale &= stale - 1) {
            (file.*kTexts[detail::TrailingZeros(stale) - kFile]).clear();
        }
        filled_ = seen & ~kKeyTags & ~(1u << kSize);
        return true;
    }

private:
    unsigned filled_ = 0;
};

// Reads a host record's tag list, up to the token after it.
class HostReader {
public:
    bool Read(Cursor& in, cmds::CHostInfo& host, bool& online) {
        enum : unsigned {
            kHostId = 1,
            kHost = 2,
            kUser = 4,
            kNick = 8,
            kAddress = 16,
            kPort = 32,
            kOnline = 64,
        };
        host.host.clear();
        host.user.clear();
        host.nick.clear();
        host.port = 0;
        online = true;
        unsigned seen = 0;
        do {
            const std::string_view word = in.Word();
            unsigned bit = 0;
            if (Is(word, "id")) {
                bit = kHostId;
            } else if (Is(word, "host")) {
                bit = kHost;
            } else if (Is(word, "user")) {
                bit = kUser;
            } else if (Is(word, "nick")) {
                bit = kNick;
            } else if (Is(word, "address")) {
                bit = kAddress;
            } else if (Is(word, "port")) {
                bit = kPort;
            } else if (Is(word, "online")) {
                bit = kOnline;
            }
            if (bit == 0 || (seen & bit) != 0 || !in.Punct(':')) {
                return false;
            }
            seen |= bit;
            bool ok = false;
            std::uint64_t number = 0;
            std::string_view raw;
            switch (bit) {
                case kHostId:
                    ok = in.Number(host.id);
                    break;
                case kHost:
                    ok = in.Wide(host.host);
                    break;
                case kUser:
                    ok = in.Wide(host.user);
                    break;
                case kNick:
                    ok = in.Wide(host.nick);
                    break;
                case kAddress:
                    ok = in.Narrow(raw);
                    if (ok) {
                        SplitAddresses(raw, host);
                    }
                    break;
                case kPort:
                    ok = in.Number(number);
                    host.port = static_cast<unsigned short>(number);
                    break;
                default:
                    ok = in.Flag(online);
                    break;
            }
            if (!ok) {
                return false;
            }
        } while (in.Punct(','));
        if ((seen & kAddress) == 0) {
            addresses_.Split("", 0, host.address);
        }
        return (seen & kHostId) != 0;
    }

private:
    void SplitAddresses(std::string_view raw, cmds::CHostInfo& host) {
        if (raw.find('%') == std::string_view::npos) {
            addresses_.Split(raw.data(), raw.size(), host.address);
        } else {
            DecodeNarrow(raw, decoded_);
            addresses_.Split(decoded_.data(), decoded_.size(), host.address);
        }
    }

    AddressList addresses_;
    std::string decoded_;
};

tagERROR_CODE ResultCode(std::uint64_t value) {
    return static_cast<tagERROR_CODE>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

}  // namespace

bool HandReadFindOutput(std::string_view text, cmds::IFindOut& sink) {
    Cursor in(text);
    std::uint64_t error = 0;
    if (!Is(in.Word(), "find") || !Is(in.Word(), "output") || !Is(in.Word(), "error") ||
        !in.Punct(':') || !in.Number(error) || !in.Punct('{')) {
        return false;
    }
    static_cast<cmds::IError&>(sink).OnError(ResultCode(error));
    cmds::CHostInfo host;
    cmds::CFileInfo file;
    HostReader hosts;
    FileReader files;
    constexpr unsigned kAllFileTags = (1u << (kType + 1)) - 1;
    while (in.Punct('(')) {
        bool online = true;
        if (!hosts.Read(in, host, online) || !in.Punct('[')) {
            return false;
        }
        static_cast<cmds::IHost&>(sink).OnHost(online, host);
        do {
            if (!files.Read(in, file, kAllFileTags, kRequiredFileTags)) {
                return false;
            }
            static_cast<cmds::IFile&>(sink).OnFile(cmds::FILE_PLUS, file);
        } while (in.Punct('['));
        if (!in.Punct(')')) {
            return false;
        }
    }
    return in.Punct('}') && in.Punct(';');
}

bool HandReadShareInput(std::string_view text, cmds::IShareIn& sink) {
    Cursor in(text);
    if (!Is(in.Word(), "share") || !Is(in.Word(), "input")) {
        return false;
    }
    std::uint64_t user = 0;
    std::string pwd;
    bool haveUser = false;
    bool havePwd = false;
    do {
        const std::string_view word = in.Word();
        if (!in.Punct(':')) {
            return false;
        }
        std::string_view raw;
        if (Is(word, "user") && !haveUser) {
            haveUser = in.Number(user);
            if (!haveUser) {
                return false;
            }
        } else if (Is(word, "pwd") && !havePwd && in.Narrow(raw)) {
            DecodeNarrow(raw, pwd);
            havePwd = true;
        } else {
            return false;
        }
    } while (in.Punct(','));
    if (!haveUser || !havePwd || !in.Punct('{')) {
        return false;
    }
    sink.OnUser(user, pwd);
    if (in.Punct('(')) {
        cmds::CFileInfo file;
        FileReader files;
        constexpr unsigned kAllFileTags = (1u << (kType + 1)) - 1;
        for (;;) {
            cmds::FILE_TYPE_ENUM kind = cmds::FILE_PLUS;
            if (in.Punct('-')) {
                kind = cmds::FILE_MINUS;
            } else if (in.Punct('*')) {
                kind = cmds::FILE_STAR;
            } else {
                in.Punct('+');
            }
            if (in.Punct(')')) {
                break;
            }
            const bool full = kind == cmds::FILE_PLUS;
            if (!in.Punct('[') || !files.Read(in, file, full ? kAllFileTags : kKeyTags,
                                              full ? kRequiredFileTags : kKeyTags)) {
                return false;
            }
            sink.OnFile(kind, file);
        }
    }
    return in.Punct('}') && in.Punct(';');
}

}  // namespace bench

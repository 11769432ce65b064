// The recording sinks: one for every callback interface, each call becoming one readable line, so
// that tests and fuzz targets can compare call order, values and the calls made before a failure.
// Also the feed-stream helpers that run a reader against another thread's insertions. Free of
// any test framework, so the fuzz targets share it.
#ifndef CMDS_TESTS_SINKS_H
#define CMDS_TESTS_SINKS_H

#include <atomic>
#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cmds/cmds.h"

namespace testing_support {

using Calls = std::vector<std::string>;

// Wide text as ASCII with \uXXXX escapes for everything else, in apostrophes.
inline std::string Show(const cmds::wstring& text) {
    std::string out = "'";
    for (unsigned short unit : text) {
        if (unit >= 0x20 && unit < 0x7f) {
            out += static_cast<char>(unit);
        } else {
            static const char kHex[] = "0123456789abcdef";
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out += kHex[(unit >> shift) & 0xf];
            }
        }
    }
    return out + "'";
}

// Narrow text with \xXX escapes for bytes outside printable ASCII, in double quotes.
inline std::string Show(const std::string& text) {
    std::string out = "\"";
    for (unsigned char byte : text) {
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            out += static_cast<char>(byte);
        } else {
            static const char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        }
    }
    return out + "\"";
}

inline std::string Show(bool value) {
    return value ? "yes" : "no";
}

inline std::string Show(const cmds::CFileInfo& f) {
    std::ostringstream out;
    out << "{folder:" << f.folder << ",id:" << f.id << ",file:" << Show(f.file)
        << ",size:" << f.size;
    const std::pair<const char*, const cmds::wstring*> texts[] = {
        {"ext", &f.ext},           {"keywords", &f.keywords}, {"author", &f.author},
        {"subject", &f.subject},   {"manager", &f.manager},   {"company", &f.company},
        {"comments", &f.comments}, {"title", &f.title},       {"category", &f.category},
        {"creator", &f.creator},   {"type", &f.type}};
    for (const auto& [name, text] : texts) {
        if (!text->empty()) {
            out << "," << name << ":" << Show(*text);
        }
    }
    out << "}";
    return out.str();
}

inline std::string Show(const cmds::CHostInfo& h) {
    std::ostringstream out;
    out << "{id:" << h.id << ",host:" << Show(h.host) << ",nick:" << Show(h.nick)
        << ",user:" << Show(h.user) << ",address:[";
    for (std::size_t i = 0; i < h.address.size(); ++i) {
        out << (i ? "," : "") << Show(h.address[i]);
    }
    out << "],port:" << h.port << "}";
    return out.str();
}

inline std::string Kind(cmds::FILE_TYPE_ENUM kind) {
    switch (kind) {
        case cmds::FILE_PLUS:
            return "+";
        case cmds::FILE_MINUS:
            return "-";
        case cmds::FILE_STAR:
            return "*";
    }
    return "?" + std::to_string(kind);
}

class Recorder {
public:
    explicit Recorder(Calls& calls) : calls_(calls) {}

protected:
    template <typename... Parts>
    void Record(const char* name, const Parts&... parts) {
        std::string line = std::string(name) + "(";
        const char* separator = "";
        ((line += separator, line += Text(parts), separator = ","), ...);
        calls_.push_back(line + ")");
    }

private:
    template <typename T>
    static std::string Text(const T& value) {
        if constexpr (std::is_arithmetic_v<T> && !std::is_same_v<T, bool>) {
            return std::to_string(value);
        } else {
            return Show(value);
        }
    }
    Calls& calls_;
};

#define CMDS_RECORD_USER                                               \
    void OnUser(std::uint64_t user, const std::string& pwd) override { \
        Record("OnUser", user, pwd);                                   \
    }
#define CMDS_RECORD_ERROR                           \
    void OnError(tagERROR_CODE error) override {    \
        Record("OnError", static_cast<int>(error)); \
    }
#define CMDS_RECORD_FILE                                                       \
    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) override { \
        Record("OnFile", Kind(kind), record);                                  \
    }
#define CMDS_RECORD_HOST                                             \
    void OnHost(bool online, const cmds::CHostInfo& host) override { \
        Record("OnHost", online, host);                              \
    }

struct ConnectIn : Recorder, cmds::IConnectIn {
    using Recorder::Recorder;
    CMDS_RECORD_USER
    void OnConnectInHost(unsigned short port, const std::string& address,
                         const cmds::wstring& host) override {
        Record("OnConnectInHost", port, address, host);
    }
    void OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) override {
        Record("OnConnectInFlags", browsable, httpproxy, socksproxy);
    }
};
struct ConnectOut : Recorder, cmds::IConnectOut {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
    void OnConnectOut(std::uint64_t file) override { Record("OnConnectOut", file); }
};
struct DisconnectIn : Recorder, cmds::IDisconnectIn {
    using Recorder::Recorder;
    CMDS_RECORD_USER
};
struct DisconnectOut : Recorder, cmds::IDisconnectOut {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
};
struct AliveIn : Recorder, cmds::IAliveIn {
    using Recorder::Recorder;
    CMDS_RECORD_USER
};
struct AliveOut : Recorder, cmds::IAliveOut {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
};
struct ShareIn : Recorder, cmds::IShareIn {
    using Recorder::Recorder;
    CMDS_RECORD_USER
    CMDS_RECORD_FILE
};
struct ShareOut : Recorder, cmds::IShareOut {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
    void OnShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder) override {
        Record("OnShareOutFile", static_cast<int>(error), id, folder);
    }
};
struct UnshareIn : Recorder, cmds::IUnshareIn {
    using Recorder::Recorder;
    CMDS_RECORD_USER
    void OnUnShareIn(std::uint64_t folder) override { Record("OnUnShareIn", folder); }
};
struct UnshareOut : Recorder, cmds::IUnshareOut {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
};
struct ShareDirIn : Recorder, cmds::IShareDirIn {
    using Recorder::Recorder;
    CMDS_RECORD_USER
    void OnShareDirIn(std::uint64_t folder) override { Record("OnShareDirIn", folder); }
};
struct ShareDirOut : Recorder, cmds::IShareDirOut {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
    void OnShareDirOut(std::uint64_t folder) override { Record("OnShareDirOut", folder); }
};
struct Directory : Recorder, cmds::IDirectory {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
    CMDS_RECORD_FILE
    void OnSubDir(cmds::CSubDirInfo& e) override {
        Record("OnSubDir", "{file:" + Show(e.file) + ",id:" + std::to_string(e.id) +
                               ",folder:" + std::to_string(e.folder) +
                               ",protected:" + Show(e.isProtected) + "}");
    }
    void OnDirectoryBegin(const cmds::wstring& folder, std::uint64_t id) override {
        Record("OnDirectoryBegin", folder, id);
    }
};
struct FindIn : Recorder, cmds::IFindIn {
    using Recorder::Recorder;
    CMDS_RECORD_USER
    void OnCase(bool isCase) override { Record("OnCase", isCase); }
    void OnMatch(cmds::eMatch match) override { Record("OnMatch", static_cast<int>(match)); }
    void OnExact(cmds::eExact exact) override { Record("OnExact", static_cast<int>(exact)); }
    void OnMax(std::uint32_t max) override { Record("OnMax", max); }
    void OnKeywords(const cmds::wstring& keywords) override { Record("OnKeywords", keywords); }
    void OnRank(bool rank) override { Record("OnRank", rank); }
    void OnFreetext(bool freetext) override { Record("OnFreetext", freetext); }
    void OnScope(cmds::eScope scope) override { Record("OnScope", static_cast<int>(scope)); }
};
struct FindOut : Recorder, cmds::IFindOut {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
    CMDS_RECORD_FILE
    CMDS_RECORD_HOST
};
struct FriendsIn : Recorder, cmds::IFriendsIn {
    using Recorder::Recorder;
    CMDS_RECORD_USER
    CMDS_RECORD_HOST
};
struct FriendsOut : Recorder, cmds::IFriendsOut {
    using Recorder::Recorder;
    CMDS_RECORD_ERROR
    CMDS_RECORD_HOST
};

#undef CMDS_RECORD_USER
#undef CMDS_RECORD_ERROR
#undef CMDS_RECORD_FILE
#undef CMDS_RECORD_HOST

// Outcome of reading commands: the calls made, then "throws <ErrorName>" when Parse threw.
inline const char* ErrorName(int code) {
    static const char* const kNames[] = {"CLexError",     "CSyntaxError",   "CSemanticError",
                                         "CRuntimeError", "CDeadlockError", "CCancelError"};
    return code >= 0 && code < 6 ? kNames[code] : "unknown error";
}

// Reads `count` commands of the sink's kind from `source` with one parser.
template <typename Sink>
Calls ParseFrom(cmds::CLexerStream& source, int count = 1) {
    Calls calls;
    Sink sink(calls);
    cmds::CParser parser(source);
    try {
        for (int i = 0; i < count; ++i) {
            parser.Parse(sink);
        }
    } catch (const cmds::CCmdError& error) {
        calls.push_back(std::string("throws ") + ErrorName(error.code));
    }
    return calls;
}

inline void Insert(cmds::CMtLexerStream& feed, std::string_view bytes) {
    feed.InsertToStream(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// Fills a feed stream from a thread of its own: the chunks in order, then empty insertions until
// destroyed. An empty insertion wakes a reader that has read every byte and makes it meet the
// end, as a string source's reader does; made before every byte is in, it would end the stream
// early, which is why empty chunks are skipped.
class Feeder {
public:
    Feeder(cmds::CMtLexerStream& feed, std::vector<std::string_view> chunks)
        : thread_([this, &feed, chunks = std::move(chunks)] {
              for (std::string_view chunk : chunks) {
                  if (!chunk.empty()) {
                      Insert(feed, chunk);
                      std::this_thread::yield();
                  }
              }
              while (!stop_) {
                  Insert(feed, {});
                  std::this_thread::sleep_for(std::chrono::microseconds(20));
              }
          }) {}
    ~Feeder() {
        stop_ = true;
        thread_.join();
    }

    Feeder(const Feeder&) = delete;
    Feeder& operator=(const Feeder&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

inline std::vector<std::string_view> SplitAt(std::string_view text, std::size_t position) {
    return {text.substr(0, position), text.substr(position)};
}

inline std::vector<std::string_view> OneByteChunks(std::string_view text) {
    std::vector<std::string_view> chunks;
    for (std::size_t i = 0; i < text.size(); ++i) {
        chunks.push_back(text.substr(i, 1));
    }
    return chunks;
}

// What `read` makes of the chunks inserted into a feed stream by another thread. The stream is
// of the library's own class, as a host's is, so that the lexer reads it as it reads theirs.
template <typename Read>
auto ReadFed(const std::vector<std::string_view>& chunks, Read read) {
    cmds::CMtLexerStream feed;
    Feeder feeder(feed, chunks);
    return read(feed);
}

}  // namespace testing_support

#endif

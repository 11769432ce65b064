// The recording sinks: one for every callback interface, each call becoming one readable line, so
// that tests and fuzz targets can compare call order, values and the calls made before a failure.
// Also the feed-stream helpers that run a reader against another thread's insertions. Free of
// any test framework, so the fuzz targets share it.
#ifndef CMDS_TESTS_SINKS_H
#define CMDS_TESTS_SINKS_H

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include "cmds/cmds.h"

namespace testing_support {

using Calls = std::vector<std::string>;

// `text` between `quote`s; units outside printable ASCII, and `escaped`, as `prefix` and
// `digits` hex digits.
template <typename Text>
std::string Quote(const Text& text, char quote, const char* prefix, int digits, unsigned escaped) {
    std::string out(1, quote);
    for (const auto code : text) {
        const unsigned unit = static_cast<std::make_unsigned_t<decltype(code)>>(code);
        if (unit >= 0x20 && unit < 0x7f && unit != escaped) {
            out += static_cast<char>(unit);
            continue;
        }
        out += prefix;
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
            out += "0123456789abcdef"[(unit >> shift) & 0xf];
        }
    }
    return out + quote;
}

// Wide text in apostrophes with \uXXXX escapes, narrow text in double quotes with \xXX escapes.
inline std::string Show(const cmds::wstring& text) {
    return Quote(text, '\'', "\\u", 4, 0);
}
inline std::string Show(const std::string& text) {
    return Quote(text, '"', "\\x", 2, '\\');
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

inline std::string Show(const cmds::CSubDirInfo& e) {
    return Show("{file:" + Show(e.file) + ",id:" + std::to_string(e.id) +
                ",folder:" + std::to_string(e.folder) + ",protected:" + Show(e.isProtected) + "}");
}

// A file record's marker; a kind outside the three shows as "?" and its number.
inline std::string Kind(cmds::FILE_TYPE_ENUM kind) {
    return kind >= cmds::FILE_PLUS && kind <= cmds::FILE_STAR ? std::string(1, " +-*"[kind])
                                                              : "?" + std::to_string(kind);
}

class Recorder {
public:
    explicit Recorder(Calls& calls) : calls_(calls) {}

protected:
    // One line: the name, then the values (numbers and enumerators as decimal numbers).
    template <typename... Values>
    void Record(const char* name, const Values&... values) {
        std::string line = std::string(name) + "(";
        const char* separator = "";
        ((line += separator, line += Text(values), separator = ","), ...);
        calls_.push_back(line + ")");
    }

private:
    template <typename T>
    static std::string Text(const T& value) {
        if constexpr (std::is_enum_v<T>) {
            return std::to_string(static_cast<std::int64_t>(value));
        } else if constexpr (std::is_arithmetic_v<T> && !std::is_same_v<T, bool>) {
            return std::to_string(value);
        } else {
            return Show(value);
        }
    }
    Calls& calls_;
};

// A sink of any callback interface. It declares every callback of every interface: a
// declaration with a base's signature overrides that base's callback, and the others are plain
// members that the round-trip driver calls to build the calls it expects.
template <typename Interface>
struct Recording : Recorder, Interface {
    using Recorder::Recorder;

    void OnUser(std::uint64_t user, const std::string& pwd) { Record("OnUser", user, pwd); }
    void OnError(tagERROR_CODE error) { Record("OnError", error); }
    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& file) {
        Record("OnFile", Kind(kind), file);
    }
    void OnHost(bool online, const cmds::CHostInfo& host) { Record("OnHost", online, host); }
    void OnConnectInHost(unsigned short port, const std::string& address,
                         const cmds::wstring& host) {
        Record("OnConnectInHost", port, address, host);
    }
    void OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) {
        Record("OnConnectInFlags", browsable, httpproxy, socksproxy);
    }
    void OnConnectOut(std::uint64_t file) { Record("OnConnectOut", file); }
    void OnShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder) {
        Record("OnShareOutFile", error, id, folder);
    }
    void OnUnShareIn(std::uint64_t folder) { Record("OnUnShareIn", folder); }
    void OnShareDirIn(std::uint64_t folder) { Record("OnShareDirIn", folder); }
    void OnShareDirOut(std::uint64_t folder) { Record("OnShareDirOut", folder); }
    void OnSubDir(cmds::CSubDirInfo& entry) { Record("OnSubDir", entry); }
    void OnDirectoryBegin(const cmds::wstring& folder, std::uint64_t id) {
        Record("OnDirectoryBegin", folder, id);
    }
    void OnCase(bool isCase) { Record("OnCase", isCase); }
    void OnMatch(cmds::eMatch match) { Record("OnMatch", match); }
    void OnExact(cmds::eExact exact) { Record("OnExact", exact); }
    void OnMax(std::uint32_t max) { Record("OnMax", max); }
    void OnKeywords(const cmds::wstring& keywords) { Record("OnKeywords", keywords); }
    void OnRank(bool rank) { Record("OnRank", rank); }
    void OnFreetext(bool freetext) { Record("OnFreetext", freetext); }
    void OnScope(cmds::eScope scope) { Record("OnScope", scope); }
};

// ConnectIn, ConnectOut, ...: the recording sink of each command.
#define CMDS_RECORDING_SINK(id, Name, verb, direction) using Name = Recording<cmds::I##Name>;
CMDS_COMMAND_TABLE(CMDS_RECORDING_SINK)
#undef CMDS_RECORDING_SINK

// Reads `count` commands of the sink's kind from `source` with one parser: the calls made, then
// "throws <error type>: <description>" when Parse threw.
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
        calls.push_back(std::string("throws ") + cmds::GetErrorTypeName(error) + ": " +
                        cmds::DescribeError(error));
    }
    return calls;
}

// Reads `count` commands of the sink's kind from `pieces` handed one by one to a push reader,
// then the end; the calls as ParseFrom gives them.
template <typename Sink>
Calls PushFrom(const std::vector<std::string_view>& pieces, int count = 1) {
    struct Enough {};
    struct Handler : cmds::CPushReader::IHandler {
        Handler(Sink& sink, int count) : sink(sink), left(count) {}
        void OnCommand(const cmds::CCommandHeader&, cmds::CSinkChoice& choice) override {
            choice.Use(sink);
        }
        void OnCommandEnd(const cmds::CCommandHeader&) override {
            if (--left == 0) {
                throw Enough();
            }
        }
        Sink& sink;
        int left;
    };
    Calls calls;
    Sink sink(calls);
    Handler handler(sink, count);
    cmds::CPushReader reader(handler);
    try {
        for (std::string_view piece : pieces) {
            reader.Feed(piece);
        }
        reader.Finish();
    } catch (const Enough&) {
    } catch (const cmds::CCmdError& error) {
        calls.push_back(std::string("throws ") + cmds::GetErrorTypeName(error) + ": " +
                        cmds::DescribeError(error));
    }
    return calls;
}

// The calls with the error's description cut, leaving "throws <error type>".
inline Calls Brief(Calls calls) {
    if (!calls.empty() && calls.back().rfind("throws ", 0) == 0) {
        calls.back().erase(std::min(calls.back().find(':'), calls.back().size()));
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

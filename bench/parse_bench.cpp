// Reading rows: the library from each kind of source, and the same content as JSON read by
// RapidJSON's SAX reader and by nlohmann::json, all delivering the same records to the same sinks.
#include <benchmark/benchmark.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>
#include <thread>

#include "sinks.h"
#include "workloads.h"

namespace bench {
namespace {

using rapidjson::SizeType;

void SetRates(benchmark::State& state, std::size_t records, std::size_t bytes) {
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(records),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// Texts built once, outside every timed loop.
template <typename Workload>
struct Texts {
    const Workload& workload;
    std::string command;
    std::string json;
    explicit Texts(const Workload& w) : workload(w), command(CommandText(w)), json(JsonText(w)) {}
};

const Texts<FindReply>& FindTexts() {
    static const Texts<FindReply> texts(FindWorkload());
    return texts;
}
const Texts<ShareRequest>& ShareTexts() {
    static const Texts<ShareRequest> texts(ShareWorkload());
    return texts;
}
const Texts<std::vector<SmallCommand>>& SmallTexts() {
    static const Texts<std::vector<SmallCommand>> texts(SmallWorkload());
    return texts;
}

// ---- The library ----

// Reads the whole sequence of small commands, choosing each reader as a host that knows what
// comes next would.
void ParseSmall(cmds::CParser& parser, const std::vector<SmallCommand>& commands, SmallSink& sink) {
    for (const SmallCommand& command : commands) {
        switch (command.kind) {
            case SmallKind::kConnectIn:
                parser.Parse(static_cast<cmds::IConnectIn&>(sink));
                break;
            case SmallKind::kAliveIn:
                parser.Parse(static_cast<cmds::IAliveIn&>(sink));
                break;
            case SmallKind::kAliveOut:
                parser.Parse(static_cast<cmds::IAliveOut&>(sink));
                break;
            case SmallKind::kShareDirOut:
                parser.Parse(static_cast<cmds::IShareDirOut&>(sink));
                break;
        }
    }
}

template <typename Sink, typename Workload>
void ParseCommand(cmds::CParser& parser, const Workload& workload, Sink& sink) {
    if constexpr (std::is_same_v<Workload, std::vector<SmallCommand>>) {
        ParseSmall(parser, workload, sink);
    } else {
        parser.Parse(sink);
    }
}

template <typename Sink, typename Workload>
void CmdsString(benchmark::State& state, const Texts<Workload>& texts, std::size_t records) {
    Sink sink;
    for (auto _ : state) {
        cmds::CStrLexerStream source(texts.command);
        cmds::CParser parser(source);
        ParseCommand(parser, texts.workload, sink);
    }
    benchmark::DoNotOptimize(sink.value);
    SetRates(state, records, texts.command.size());
}

template <typename Sink, typename Workload>
void CmdsIstream(benchmark::State& state, const Texts<Workload>& texts, std::size_t records) {
    Sink sink;
    for (auto _ : state) {
        std::istringstream stream(texts.command);
        cmds::CLexerStream source(stream);
        cmds::CParser parser(source);
        ParseCommand(parser, texts.workload, sink);
    }
    benchmark::DoNotOptimize(sink.value);
    SetRates(state, records, texts.command.size());
}

// A second thread inserts the text in 4 KiB chunks while this one parses.
void CmdsFeed(benchmark::State& state) {
    const auto& texts = FindTexts();
    const std::string& text = texts.command;
    FindSink sink;
    for (auto _ : state) {
        cmds::CMtLexerStream feed;
        std::thread feeder([&] {
            constexpr std::size_t kChunk = 4096;
            for (std::size_t at = 0; at < text.size(); at += kChunk) {
                feed.InsertToStream(text.data() + at,
                                    static_cast<std::uint32_t>(std::min(kChunk, text.size() - at)));
            }
        });
        cmds::CParser parser(feed);
        parser.Parse(sink);
        feeder.join();
    }
    benchmark::DoNotOptimize(sink.value);
    SetRates(state, texts.workload.Records(), text.size());
}

// ---- RapidJSON SAX ----

enum class Key {
    kOther,
    kError,
    kHosts,
    kId,
    kHost,
    kUser,
    kNick,
    kAddress,
    kPort,
    kFiles,
    kFolder,
    kFile,
    kExt,
    kSize,
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
    kPwd,
    kCmd,
    kBrowsable,
    kHttpproxy,
    kSocksproxy,
};

template <typename Char>
Key KeyOf(const Char* text, std::size_t length) {
    static constexpr std::pair<std::string_view, Key> kKeys[] = {
        {"folder", Key::kFolder},
        {"id", Key::kId},
        {"file", Key::kFile},
        {"size", Key::kSize},
        {"ext", Key::kExt},
        {"keywords", Key::kKeywords},
        {"author", Key::kAuthor},
        {"subject", Key::kSubject},
        {"manager", Key::kManager},
        {"company", Key::kCompany},
        {"comments", Key::kComments},
        {"title", Key::kTitle},
        {"category", Key::kCategory},
        {"creator", Key::kCreator},
        {"type", Key::kType},
        {"host", Key::kHost},
        {"user", Key::kUser},
        {"nick", Key::kNick},
        {"address", Key::kAddress},
        {"port", Key::kPort},
        {"files", Key::kFiles},
        {"error", Key::kError},
        {"hosts", Key::kHosts},
        {"pwd", Key::kPwd},
        {"cmd", Key::kCmd},
        {"browsable", Key::kBrowsable},
        {"httpproxy", Key::kHttpproxy},
        {"socksproxy", Key::kSocksproxy},
    };
    for (const auto& [name, key] : kKeys) {
        if (name.size() == length && static_cast<Char>(name[0]) == text[0] &&
            std::equal(name.begin(), name.end(), text,
                       [](char a, Char b) { return static_cast<Char>(a) == b; })) {
            return key;
        }
    }
    return Key::kOther;
}

cmds::wstring* FileText(cmds::CFileInfo& file, Key key) {
    switch (key) {
        case Key::kFile:
            return &file.file;
        case Key::kExt:
            return &file.ext;
        case Key::kKeywords:
            return &file.keywords;
        case Key::kAuthor:
            return &file.author;
        case Key::kSubject:
            return &file.subject;
        case Key::kManager:
            return &file.manager;
        case Key::kCompany:
            return &file.company;
        case Key::kComments:
            return &file.comments;
        case Key::kTitle:
            return &file.title;
        case Key::kCategory:
            return &file.category;
        case Key::kCreator:
            return &file.creator;
        case Key::kType:
            return &file.type;
        default:
            return nullptr;
    }
}

void SetFileNumber(cmds::CFileInfo& file, Key key, std::uint64_t value) {
    switch (key) {
        case Key::kFolder:
            file.folder = value;
            break;
        case Key::kId:
            file.id = value;
            break;
        case Key::kSize:
            file.size = value;
            break;
        default:
            break;
    }
}

// Empties a record for the next one, keeping the capacity of its texts.
void ClearFile(cmds::CFileInfo& file) {
    file.folder = file.id = file.size = 0;
    for (cmds::wstring* text :
         {&file.file, &file.ext, &file.keywords, &file.author, &file.subject, &file.manager,
          &file.company, &file.comments, &file.title, &file.category, &file.creator, &file.type}) {
        text->clear();
    }
}

// Splits an address text the way the command reader does.
template <typename Char>
void SplitAddresses(const Char* text, std::size_t length, std::vector<std::string>& out) {
    out.clear();
    const auto separator = [](Char c) {
        return c == '\n' || c == ';' || c == ',' || c == ' ' || c == '\t' || c == '\r';
    };
    std::size_t i = 0;
    while (i < length) {
        while (i < length && separator(text[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < length && !separator(text[i])) {
            ++i;
        }
        if (i > start) {
            out.emplace_back(text + start, text + i);
        }
    }
}

using Utf16 = rapidjson::UTF16<char16_t>;

void AssignWide(cmds::wstring& target, const char16_t* text, SizeType length) {
    target.assign(reinterpret_cast<const unsigned short*>(text), length);
}

// The number callbacks all end in Number(); objects are tracked by depth.
template <typename Derived>
class Handler : public rapidjson::BaseReaderHandler<Utf16, Derived> {
public:
    bool Int(int v) {
        return Self().Number(static_cast<std::uint64_t>(static_cast<std::int64_t>(v)));
    }
    bool Uint(unsigned v) { return Self().Number(v); }
    bool Int64(std::int64_t v) { return Self().Number(static_cast<std::uint64_t>(v)); }
    bool Uint64(std::uint64_t v) { return Self().Number(v); }
    bool Key(const char16_t* text, SizeType length, bool) {
        key_ = KeyOf(text, length);
        return Self().KeyRead();
    }
    bool KeyRead() { return true; }
    bool StartObject() {
        ++depth_;
        return Self().ObjectStarted();
    }
    bool EndObject(SizeType) {
        Self().ObjectEnded();
        --depth_;
        return true;
    }

protected:
    Derived& Self() { return static_cast<Derived&>(*this); }
    bench::Key key_ = bench::Key::kOther;
    int depth_ = 0;
};

// {"error", "hosts": [{host tags, "files": [{file tags}]}]}
class FindHandler : public Handler<FindHandler> {
public:
    explicit FindHandler(cmds::IFindOut& sink) : sink_(sink) {}

    bool ObjectStarted() {
        if (depth_ == 2) {
            host_.host.clear();
            host_.user.clear();
            host_.nick.clear();
            host_.address.clear();
            host_.id = 0;
            host_.port = 0;
        } else if (depth_ == 3) {
            ClearFile(file_);
        }
        return true;
    }
    void ObjectEnded() {
        if (depth_ == 3) {
            static_cast<cmds::IFile&>(sink_).OnFile(cmds::FILE_PLUS, file_);
        }
    }
    bool KeyRead() {
        if (depth_ == 2 && key_ == bench::Key::kFiles) {
            static_cast<cmds::IHost&>(sink_).OnHost(true, host_);
        }
        return true;
    }
    bool Number(std::uint64_t value) {
        if (depth_ == 3) {
            SetFileNumber(file_, key_, value);
        } else if (depth_ == 2) {
            if (key_ == bench::Key::kId) {
                host_.id = value;
            } else if (key_ == bench::Key::kPort) {
                host_.port = static_cast<unsigned short>(value);
            }
        } else if (key_ == bench::Key::kError) {
            static_cast<cmds::IError&>(sink_).OnError(
                static_cast<tagERROR_CODE>(static_cast<std::int32_t>(value)));
        }
        return true;
    }
    bool String(const char16_t* text, SizeType length, bool) {
        if (depth_ == 3) {
            if (cmds::wstring* field = FileText(file_, key_)) {
                AssignWide(*field, text, length);
            }
        } else if (key_ == bench::Key::kHost) {
            AssignWide(host_.host, text, length);
        } else if (key_ == bench::Key::kUser) {
            AssignWide(host_.user, text, length);
        } else if (key_ == bench::Key::kNick) {
            AssignWide(host_.nick, text, length);
        } else if (key_ == bench::Key::kAddress) {
            SplitAddresses(text, length, host_.address);
        }
        return true;
    }

private:
    cmds::IFindOut& sink_;
    cmds::CHostInfo host_;
    cmds::CFileInfo file_;
};

// {"user", "pwd", "files": [{file tags}]}
class ShareHandler : public Handler<ShareHandler> {
public:
    explicit ShareHandler(cmds::IShareIn& sink) : sink_(sink) {}

    bool ObjectStarted() {
        if (depth_ == 2) {
            ClearFile(file_);
        }
        return true;
    }
    void ObjectEnded() {
        if (depth_ == 2) {
            static_cast<cmds::IFile&>(sink_).OnFile(cmds::FILE_PLUS, file_);
        }
    }
    bool KeyRead() {
        if (depth_ == 1 && key_ == bench::Key::kFiles) {
            sink_.OnUser(user_, pwd_);
        }
        return true;
    }
    bool Number(std::uint64_t value) {
        if (depth_ == 2) {
            SetFileNumber(file_, key_, value);
        } else if (key_ == bench::Key::kUser) {
            user_ = value;
        }
        return true;
    }
    bool String(const char16_t* text, SizeType length, bool) {
        if (depth_ == 2) {
            if (cmds::wstring* field = FileText(file_, key_)) {
                AssignWide(*field, text, length);
            }
        } else if (key_ == bench::Key::kPwd) {
            pwd_.assign(text, text + length);
        }
        return true;
    }

private:
    cmds::IShareIn& sink_;
    std::uint64_t user_ = 0;
    std::string pwd_;
    cmds::CFileInfo file_;
};

// One small object per command; the "cmd" value names the command.
class SmallHandler : public Handler<SmallHandler> {
public:
    explicit SmallHandler(SmallSink& sink) : sink_(sink) {}

    bool ObjectStarted() {
        flags_ = 0;
        return true;
    }
    void ObjectEnded() {
        switch (kind_) {
            case SmallKind::kConnectIn:
                static_cast<cmds::IConnectIn&>(sink_).OnUser(user_, pwd_);
                sink_.OnConnectInHost(port_, address_, host_);
                sink_.OnConnectInFlags(flags_ & 4, flags_ & 2, flags_ & 1);
                break;
            case SmallKind::kAliveIn:
                static_cast<cmds::IAliveIn&>(sink_).OnUser(user_, pwd_);
                break;
            case SmallKind::kAliveOut:
                static_cast<cmds::IAliveOut&>(sink_).OnError(error_);
                break;
            case SmallKind::kShareDirOut:
                static_cast<cmds::IShareDirOut&>(sink_).OnError(error_);
                sink_.OnShareDirOut(folder_);
                break;
        }
    }
    bool Number(std::uint64_t value) {
        switch (key_) {
            case bench::Key::kUser:
                user_ = value;
                break;
            case bench::Key::kPort:
                port_ = static_cast<unsigned short>(value);
                break;
            case bench::Key::kError:
                error_ = static_cast<tagERROR_CODE>(static_cast<std::int32_t>(value));
                break;
            case bench::Key::kFolder:
                folder_ = value;
                break;
            default:
                break;
        }
        return true;
    }
    bool Bool(bool value) {
        const unsigned bit = key_ == bench::Key::kBrowsable    ? 4
                             : key_ == bench::Key::kHttpproxy  ? 2
                             : key_ == bench::Key::kSocksproxy ? 1
                                                               : 0;
        flags_ = value ? flags_ | bit : flags_ & ~bit;
        return true;
    }
    bool String(const char16_t* text, SizeType length, bool) {
        switch (key_) {
            case bench::Key::kCmd:
                kind_ = KindOf(std::u16string_view(text, length));
                break;
            case bench::Key::kPwd:
                pwd_.assign(text, text + length);
                break;
            case bench::Key::kAddress:
                address_.assign(text, text + length);
                break;
            case bench::Key::kHost:
                AssignWide(host_, text, length);
                break;
            default:
                break;
        }
        return true;
    }

private:
    static SmallKind KindOf(std::u16string_view name) {
        if (name == u"CONNECT INPUT") {
            return SmallKind::kConnectIn;
        }
        if (name == u"ALIVE INPUT") {
            return SmallKind::kAliveIn;
        }
        if (name == u"ALIVE OUTPUT") {
            return SmallKind::kAliveOut;
        }
        return SmallKind::kShareDirOut;
    }

    SmallSink& sink_;
    SmallKind kind_ = SmallKind::kAliveIn;
    std::uint64_t user_ = 0;
    std::string pwd_;
    std::string address_;
    cmds::wstring host_;
    unsigned short port_ = 0;
    unsigned flags_ = 0;
    tagERROR_CODE error_{};
    std::uint64_t folder_ = 0;
};

template <typename Sink, typename HandlerType, typename Workload>
void RapidJsonSax(benchmark::State& state, const Texts<Workload>& texts, std::size_t records) {
    Sink sink;
    for (auto _ : state) {
        HandlerType handler(sink);
        rapidjson::GenericReader<rapidjson::UTF8<>, Utf16> reader;
        rapidjson::StringStream stream(texts.json.c_str());
        bool ok = true;
        if constexpr (std::is_same_v<Workload, std::vector<SmallCommand>>) {
            for (std::size_t i = 0; ok && i < texts.workload.size(); ++i) {
                ok = !reader.Parse<rapidjson::kParseStopWhenDoneFlag>(stream, handler).IsError();
            }
        } else {
            ok = !reader.Parse(stream, handler).IsError();
        }
        if (!ok) {
            state.SkipWithError("JSON text rejected");
            break;
        }
    }
    benchmark::DoNotOptimize(sink.value);
    SetRates(state, records, texts.json.size());
}

// ---- nlohmann::json: parse into a document, then extract the records ----

using nlohmann::json;

void ExtractWide(const json& object, const char* key, cmds::wstring& target) {
    const auto found = object.find(key);
    if (found != object.end()) {
        Utf8To16(found->get_ref<const std::string&>(), target);
    } else {
        target.clear();
    }
}

void ExtractFile(const json& object, cmds::CFileInfo& file) {
    file.folder = object.at("folder").get<std::uint64_t>();
    file.id = object.at("id").get<std::uint64_t>();
    file.size = object.at("size").get<std::uint64_t>();
    ExtractWide(object, "file", file.file);
    static constexpr std::pair<const char*, cmds::wstring cmds::CFileInfo::*> kTexts[] = {
        {"ext", &cmds::CFileInfo::ext},           {"keywords", &cmds::CFileInfo::keywords},
        {"author", &cmds::CFileInfo::author},     {"subject", &cmds::CFileInfo::subject},
        {"manager", &cmds::CFileInfo::manager},   {"company", &cmds::CFileInfo::company},
        {"comments", &cmds::CFileInfo::comments}, {"title", &cmds::CFileInfo::title},
        {"category", &cmds::CFileInfo::category}, {"creator", &cmds::CFileInfo::creator},
        {"type", &cmds::CFileInfo::type}};
    for (const auto& [key, field] : kTexts) {
        ExtractWide(object, key, file.*field);
    }
}

void NlohmannFind(benchmark::State& state) {
    const auto& texts = FindTexts();
    FindSink sink;
    cmds::CHostInfo host;
    cmds::CFileInfo file;
    for (auto _ : state) {
        const json document = json::parse(texts.json);
        sink.OnError(static_cast<tagERROR_CODE>(document.at("error").get<std::int32_t>()));
        for (const json& entry : document.at("hosts")) {
            host.id = entry.at("id").get<std::uint64_t>();
            host.port = entry.at("port").get<unsigned short>();
            ExtractWide(entry, "host", host.host);
            ExtractWide(entry, "user", host.user);
            ExtractWide(entry, "nick", host.nick);
            const std::string& addresses = entry.at("address").get_ref<const std::string&>();
            SplitAddresses(addresses.data(), addresses.size(), host.address);
            static_cast<cmds::IHost&>(sink).OnHost(true, host);
            for (const json& object : entry.at("files")) {
                ExtractFile(object, file);
                static_cast<cmds::IFile&>(sink).OnFile(cmds::FILE_PLUS, file);
            }
        }
    }
    benchmark::DoNotOptimize(sink.value);
    SetRates(state, texts.workload.Records(), texts.json.size());
}

void NlohmannShare(benchmark::State& state) {
    const auto& texts = ShareTexts();
    ShareSink sink;
    cmds::CFileInfo file;
    for (auto _ : state) {
        const json document = json::parse(texts.json);
        sink.OnUser(document.at("user").get<std::uint64_t>(),
                    document.at("pwd").get_ref<const std::string&>());
        for (const json& object : document.at("files")) {
            ExtractFile(object, file);
            static_cast<cmds::IFile&>(sink).OnFile(cmds::FILE_PLUS, file);
        }
    }
    benchmark::DoNotOptimize(sink.value);
    SetRates(state, texts.workload.Records(), texts.json.size());
}

void NlohmannSmall(benchmark::State& state) {
    const auto& texts = SmallTexts();
    const std::string& text = texts.json;
    SmallSink sink;
    cmds::wstring host;
    for (auto _ : state) {
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            const json command = json::parse(text.data() + at, text.data() + end);
            at = end + 1;
            const std::string& name = command.at("cmd").get_ref<const std::string&>();
            if (name == "CONNECT INPUT") {
                static_cast<cmds::IConnectIn&>(sink).OnUser(
                    command.at("user").get<std::uint64_t>(),
                    command.at("pwd").get_ref<const std::string&>());
                Utf8To16(command.at("host").get_ref<const std::string&>(), host);
                sink.OnConnectInHost(command.at("port").get<unsigned short>(),
                                     command.at("address").get_ref<const std::string&>(), host);
                sink.OnConnectInFlags(command.at("browsable").get<bool>(),
                                      command.at("httpproxy").get<bool>(),
                                      command.at("socksproxy").get<bool>());
            } else if (name == "ALIVE INPUT") {
                static_cast<cmds::IAliveIn&>(sink).OnUser(
                    command.at("user").get<std::uint64_t>(),
                    command.at("pwd").get_ref<const std::string&>());
            } else if (name == "ALIVE OUTPUT") {
                static_cast<cmds::IAliveOut&>(sink).OnError(
                    static_cast<tagERROR_CODE>(command.at("error").get<std::int32_t>()));
            } else {
                static_cast<cmds::IShareDirOut&>(sink).OnError(
                    static_cast<tagERROR_CODE>(command.at("error").get<std::int32_t>()));
                sink.OnShareDirOut(command.at("folder").get<std::uint64_t>());
            }
        }
    }
    benchmark::DoNotOptimize(sink.value);
    SetRates(state, texts.workload.size(), text.size());
}

// Rows are named workload/row; scripts/bench.sh sets each row against the workload's RapidJSON
// row. The feed stream row (d) reads workload (a), so it stands in (a)'s group.
void Register() {
    const auto& find = FindTexts();
    const std::size_t findRecords = find.workload.Records();
    benchmark::RegisterBenchmark("a_find/cmds_string", [&find, findRecords](benchmark::State& s) {
        CmdsString<FindSink>(s, find, findRecords);
    });
    benchmark::RegisterBenchmark("a_find/cmds_istream", [&find, findRecords](benchmark::State& s) {
        CmdsIstream<FindSink>(s, find, findRecords);
    });
    benchmark::RegisterBenchmark("a_find/d_cmds_feed_4KiB", CmdsFeed)->UseRealTime();
    benchmark::RegisterBenchmark("a_find/rapidjson_sax", [&find, findRecords](benchmark::State& s) {
        RapidJsonSax<FindSink, FindHandler>(s, find, findRecords);
    });
    benchmark::RegisterBenchmark("a_find/nlohmann", NlohmannFind);

    const auto& share = ShareTexts();
    const std::size_t shareRecords = share.workload.Records();
    benchmark::RegisterBenchmark("b_share/cmds_string",
                                 [&share, shareRecords](benchmark::State& s) {
                                     CmdsString<ShareSink>(s, share, shareRecords);
                                 });
    benchmark::RegisterBenchmark("b_share/cmds_istream",
                                 [&share, shareRecords](benchmark::State& s) {
                                     CmdsIstream<ShareSink>(s, share, shareRecords);
                                 });
    benchmark::RegisterBenchmark("b_share/rapidjson_sax",
                                 [&share, shareRecords](benchmark::State& s) {
                                     RapidJsonSax<ShareSink, ShareHandler>(s, share, shareRecords);
                                 });
    benchmark::RegisterBenchmark("b_share/nlohmann", NlohmannShare);

    const auto& small = SmallTexts();
    const std::size_t smallRecords = small.workload.size();
    benchmark::RegisterBenchmark("c_small/cmds_string",
                                 [&small, smallRecords](benchmark::State& s) {
                                     CmdsString<SmallSink>(s, small, smallRecords);
                                 });
    benchmark::RegisterBenchmark("c_small/cmds_istream",
                                 [&small, smallRecords](benchmark::State& s) {
                                     CmdsIstream<SmallSink>(s, small, smallRecords);
                                 });
    benchmark::RegisterBenchmark("c_small/rapidjson_sax",
                                 [&small, smallRecords](benchmark::State& s) {
                                     RapidJsonSax<SmallSink, SmallHandler>(s, small, smallRecords);
                                 });
    benchmark::RegisterBenchmark("c_small/nlohmann", NlohmannSmall);
}

const bool kRegistered = (Register(), true);

}  // namespace
}  // namespace bench

#include "workloads.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <random>
#include <type_traits>

#include "convert.h"
#include "sinks.h"

namespace bench {
namespace {

// Every value is drawn from one fixed-seed generator with plain modulo arithmetic, so that the
// workloads are the same on every run and every standard library.
class Draw {
public:
    explicit Draw(std::uint64_t seed) : rng_(seed) {}

    std::uint64_t Below(std::uint64_t bound) { return rng_() % bound; }
    std::uint64_t Between(std::uint64_t low, std::uint64_t high) {
        return low + Below(high - low + 1);
    }
    bool OneIn(std::uint64_t n) { return Below(n) == 0; }

    // A name of 8 to 40 units: mostly ASCII, about one unit in twenty beyond it, some of those
    // outside the Basic Multilingual Plane (two units each).
    cmds::wstring Name(std::size_t low = 8, std::size_t high = 40) {
        static constexpr char kAscii[] =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -_.'";
        static constexpr unsigned short kWide[] = {0x00E9, 0x00FC, 0x00F1, 0x00E7, 0x0434,
                                                   0x044F, 0x4E2D, 0x65E5, 0x00DF, 0x20AC};
        const std::size_t length = Between(low, high);
        cmds::wstring name;
        while (name.size() < length) {
            if (!OneIn(20)) {
                name += static_cast<unsigned short>(kAscii[Below(sizeof kAscii - 1)]);
            } else if (OneIn(4) && name.size() + 2 <= length) {
                const std::uint32_t v =
                    static_cast<std::uint32_t>(0x1F300 + Below(0x300)) - 0x10000;
                name += static_cast<unsigned short>(0xD800 | (v >> 10));
                name += static_cast<unsigned short>(0xDC00 | (v & 0x3FF));
            } else {
                name += kWide[Below(std::size(kWide))];
            }
        }
        return name;
    }

    // Sizes spread over every order of magnitude up to 10^10.
    std::uint64_t Size() {
        std::uint64_t bound = 10;
        for (std::uint64_t digits = Below(10); digits > 0; --digits) {
            bound *= 10;
        }
        return Below(bound + 1);
    }

    std::string Address() {
        return std::to_string(Between(1, 223)) + "." + std::to_string(Below(256)) + "." +
               std::to_string(Below(256)) + "." + std::to_string(Between(1, 254)) + ":" +
               std::to_string(Between(1024, 65535));
    }

private:
    std::mt19937_64 rng_;
};

cmds::CFileInfo MakeFile(Draw& draw) {
    cmds::CFileInfo file;
    file.folder = draw.Below(100000);
    file.id = draw.Below(4000000000u);
    file.size = draw.Size();
    file.file = draw.Name();
    // Zero to four of the eleven optional texts.
    cmds::wstring* const optional[] = {
        &file.ext,      &file.keywords, &file.author,   &file.subject, &file.manager, &file.company,
        &file.comments, &file.title,    &file.category, &file.creator, &file.type};
    for (std::uint64_t count = draw.Below(5); count > 0; --count) {
        cmds::wstring& text = *optional[draw.Below(std::size(optional))];
        text = &text == &file.ext ? draw.Name(3, 4) : draw.Name();
    }
    return file;
}

tagERROR_CODE MakeError(Draw& draw) {
    return static_cast<tagERROR_CODE>(draw.OneIn(10) ? -static_cast<int>(draw.Between(1, 9)) : 0);
}

}  // namespace

std::size_t FindReply::Records() const {
    std::size_t records = hosts.size();
    for (const FoundHost& host : hosts) {
        records += host.files.size();
    }
    return records;
}

FindReply MakeFindReply(std::size_t hosts, std::size_t filesPerHost) {
    Draw draw(1);
    FindReply reply;
    reply.error = MakeError(draw);
    reply.hosts.resize(hosts);
    for (FoundHost& found : reply.hosts) {
        cmds::CHostInfo& host = found.host;
        host.id = draw.Below(1000000000);
        host.host = draw.Name();
        host.user = draw.Name();
        host.nick = draw.Name();
        for (std::uint64_t count = draw.Between(1, 3); count > 0; --count) {
            host.address.push_back(draw.Address());
        }
        host.port = static_cast<unsigned short>(draw.Between(1024, 65535));
        for (std::size_t f = 0; f < filesPerHost; ++f) {
            found.files.push_back(MakeFile(draw));
        }
    }
    return reply;
}

ShareRequest MakeShareRequest(std::size_t files) {
    Draw draw(2);
    ShareRequest request;
    request.user = draw.Below(1000000000);
    request.pwd = draw.Name(8, 16);
    request.signature = SignUserPwd(request.pwd);
    for (std::size_t f = 0; f < files; ++f) {
        request.files.push_back(MakeFile(draw));
    }
    return request;
}

std::vector<SmallCommand> MakeSmallCommands(std::size_t count) {
    Draw draw(3);
    std::vector<SmallCommand> commands(count);
    for (std::size_t i = 0; i < count; ++i) {
        SmallCommand& command = commands[i];
        command.kind = static_cast<SmallKind>(i % 4);
        command.user = draw.Below(1000000000);
        command.pwd = draw.Name(8, 16);
        command.signature = SignUserPwd(command.pwd);
        command.address = draw.Address();
        command.host = draw.Name();
        command.port = static_cast<unsigned short>(draw.Between(1024, 65535));
        command.browsable = draw.OneIn(2);
        command.httpproxy = draw.OneIn(4);
        command.socksproxy = draw.OneIn(4);
        command.error = MakeError(draw);
        command.folder = draw.Below(100000);
    }
    return commands;
}

const FindReply& FindWorkload() {
    static const FindReply reply = MakeFindReply(1000, 20);
    return reply;
}

const ShareRequest& ShareWorkload() {
    static const ShareRequest request = MakeShareRequest(20000);
    return request;
}

const ShareRequest& SmallShareWorkload() {
    static const ShareRequest request = MakeShareRequest(400);
    return request;
}

const std::vector<SmallCommand>& SmallWorkload() {
    static const std::vector<SmallCommand> commands = MakeSmallCommands(100000);
    return commands;
}

void Write(cmds::CGenerator& out, const FindReply& reply, std::string& addressScratch) {
    out.GenerateFindOutBegin(reply.error);
    for (const FoundHost& found : reply.hosts) {
        const cmds::CHostInfo& host = found.host;
        addressScratch.clear();
        out.GenerateAddressVect(host.address, addressScratch);
        out.GenerateHostBegin(host.id, host.host, host.user, host.nick, addressScratch, host.port);
        for (const cmds::CFileInfo& file : found.files) {
            out.GenerateFile(file, true);
        }
        out.GenerateHostEnd();
    }
    out.GenerateFindOutEnd();
}

void Write(cmds::CGenerator& out, const ShareRequest& request) {
    out.GenerateShareInBegin(request.user, request.pwd);
    for (const cmds::CFileInfo& file : request.files) {
        out.GenerateFile(cmds::FILE_PLUS, file);
    }
    out.GenerateShareInEnd();
}

void Write(cmds::CGenerator& out, const std::vector<SmallCommand>& commands) {
    for (const SmallCommand& c : commands) {
        switch (c.kind) {
            case SmallKind::kConnectIn:
                out.GenerateConnectIn(c.user, c.pwd, c.address, c.port, c.host, c.browsable,
                                      c.httpproxy, c.socksproxy);
                break;
            case SmallKind::kAliveIn:
                out.GenerateAliveIn(c.user, c.pwd);
                break;
            case SmallKind::kAliveOut:
                out.GenerateAliveOut(c.error);
                break;
            case SmallKind::kShareDirOut:
                out.GenerateShareDirOut(c.error, c.folder);
                break;
        }
    }
}

void Replay(const FindReply& reply, cmds::IFindOut& sink) {
    static_cast<cmds::IError&>(sink).OnError(reply.error);
    cmds::CFileInfo record;
    for (const FoundHost& found : reply.hosts) {
        static_cast<cmds::IHost&>(sink).OnHost(true, found.host);
        for (const cmds::CFileInfo& file : found.files) {
            record = file;
            static_cast<cmds::IFile&>(sink).OnFile(cmds::FILE_PLUS, record);
        }
    }
}

void Replay(const ShareRequest& request, cmds::IShareIn& sink) {
    sink.OnUser(request.user, request.signature);
    cmds::CFileInfo record;
    for (const cmds::CFileInfo& file : request.files) {
        record = file;
        sink.OnFile(cmds::FILE_PLUS, record);
    }
}

void ParseSmall(cmds::CParser& parser, const std::vector<SmallCommand>& commands, SmallSink& sink) {
    for (const SmallCommand& command : commands) {
        UseInterface(kSmallCommands[static_cast<std::size_t>(command.kind)], sink,
                     [&parser](auto& as) { parser.Parse(as); });
    }
}

void Replay(const std::vector<SmallCommand>& commands, SmallSink& sink) {
    for (const SmallCommand& c : commands) {
        switch (c.kind) {
            case SmallKind::kConnectIn:
                static_cast<cmds::IConnectIn&>(sink).OnUser(c.user, c.signature);
                sink.OnConnectInHost(c.port, c.address, c.host);
                sink.OnConnectInFlags(c.browsable, c.httpproxy, c.socksproxy);
                break;
            case SmallKind::kAliveIn:
                static_cast<cmds::IAliveIn&>(sink).OnUser(c.user, c.signature);
                break;
            case SmallKind::kAliveOut:
                static_cast<cmds::IAliveOut&>(sink).OnError(c.error);
                break;
            case SmallKind::kShareDirOut:
                static_cast<cmds::IShareDirOut&>(sink).OnError(c.error);
                sink.OnShareDirOut(c.folder);
                break;
        }
    }
}

namespace {

template <typename Ch>
struct JsonKey {
    const Ch* text;
    rapidjson::SizeType length;
};

template <typename Ch>
constexpr const Ch* Pick(const char* narrow, const char16_t* wide) {
    if constexpr (std::is_same_v<Ch, char>) {
        return narrow;
    } else {
        return wide;
    }
}

// A key or fixed value in the writer's source encoding, its length known when compiled.
#define CMDS_BENCH_JSON(text)                      \
    JsonKey<Ch> {                                  \
        Pick<Ch>(text, u"" text), sizeof(text) - 1 \
    }

// Writes records as JSON objects with the keys of the command text, in the same order; empty
// optional texts are left out as the command text leaves them out. `Source` is the encoding in
// which texts reach the writer.
template <typename Source>
class JsonOut {
public:
    using Ch = typename Source::Ch;

    explicit JsonOut(rapidjson::StringBuffer& buffer) : out_(buffer) {}

    void Key(JsonKey<Ch> key) { out_.Key(key.text, key.length); }
    void Wide(JsonKey<Ch> key, const cmds::wstring& text) {
        Key(key);
        if constexpr (std::is_same_v<Ch, char>) {
            if (utf8_.size() < 3 * text.size()) {
                utf8_.resize(3 * text.size());
            }
            const std::size_t length = Utf16ToUtf8(text.data(), text.size(), utf8_.data());
            out_.String(utf8_.data(), static_cast<rapidjson::SizeType>(length));
        } else {
            out_.String(reinterpret_cast<const char16_t*>(text.data()),
                        static_cast<rapidjson::SizeType>(text.size()));
        }
    }
    void Optional(JsonKey<Ch> key, const cmds::wstring& text) {
        if (!text.empty()) {
            Wide(key, text);
        }
    }
    // Narrow values are ASCII here.
    void Narrow(JsonKey<Ch> key, const std::string& text) {
        Key(key);
        if constexpr (std::is_same_v<Ch, char>) {
            out_.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
        } else {
            utf16_.assign(text.begin(), text.end());
            out_.String(utf16_.data(), static_cast<rapidjson::SizeType>(utf16_.size()));
        }
    }
    void Number(JsonKey<Ch> key, std::uint64_t value) {
        Key(key);
        out_.Uint64(value);
    }
    void Code(JsonKey<Ch> key, tagERROR_CODE value) {
        Key(key);
        out_.Int(value);
    }
    void Flag(JsonKey<Ch> key, bool value) {
        Key(key);
        out_.Bool(value);
    }
    void Name(JsonKey<Ch> name) { out_.String(name.text, name.length); }

    void File(const cmds::CFileInfo& file) {
        out_.StartObject();
        Number(CMDS_BENCH_JSON("folder"), file.folder);
        Number(CMDS_BENCH_JSON("id"), file.id);
        Wide(CMDS_BENCH_JSON("file"), file.file);
        Optional(CMDS_BENCH_JSON("ext"), file.ext);
        Number(CMDS_BENCH_JSON("size"), file.size);
        Optional(CMDS_BENCH_JSON("keywords"), file.keywords);
        Optional(CMDS_BENCH_JSON("author"), file.author);
        Optional(CMDS_BENCH_JSON("subject"), file.subject);
        Optional(CMDS_BENCH_JSON("manager"), file.manager);
        Optional(CMDS_BENCH_JSON("company"), file.company);
        Optional(CMDS_BENCH_JSON("comments"), file.comments);
        Optional(CMDS_BENCH_JSON("title"), file.title);
        Optional(CMDS_BENCH_JSON("category"), file.category);
        Optional(CMDS_BENCH_JSON("creator"), file.creator);
        Optional(CMDS_BENCH_JSON("type"), file.type);
        out_.EndObject();
    }

    void Reply(const FindReply& reply) {
        out_.StartObject();
        Code(CMDS_BENCH_JSON("error"), reply.error);
        Key(CMDS_BENCH_JSON("hosts"));
        out_.StartArray();
        for (const FoundHost& found : reply.hosts) {
            const cmds::CHostInfo& host = found.host;
            out_.StartObject();
            Number(CMDS_BENCH_JSON("id"), host.id);
            Wide(CMDS_BENCH_JSON("host"), host.host);
            Optional(CMDS_BENCH_JSON("user"), host.user);
            Optional(CMDS_BENCH_JSON("nick"), host.nick);
            addresses_.clear();
            for (const std::string& address : host.address) {
                addresses_ += address;
                addresses_ += ';';
            }
            Narrow(CMDS_BENCH_JSON("address"), addresses_);
            Number(CMDS_BENCH_JSON("port"), host.port);
            Key(CMDS_BENCH_JSON("files"));
            out_.StartArray();
            for (const cmds::CFileInfo& file : found.files) {
                File(file);
            }
            out_.EndArray();
            out_.EndObject();
        }
        out_.EndArray();
        out_.EndObject();
    }

    void Request(const ShareRequest& request) {
        out_.StartObject();
        Number(CMDS_BENCH_JSON("user"), request.user);
        Narrow(CMDS_BENCH_JSON("pwd"), request.signature);
        Key(CMDS_BENCH_JSON("files"));
        out_.StartArray();
        for (const cmds::CFileInfo& file : request.files) {
            File(file);
        }
        out_.EndArray();
        out_.EndObject();
    }

    void Command(const SmallCommand& c) {
        out_.StartObject();
        Key(CMDS_BENCH_JSON("cmd"));
        switch (c.kind) {
            case SmallKind::kConnectIn:
                Name(CMDS_BENCH_JSON("CONNECT INPUT"));
                Number(CMDS_BENCH_JSON("user"), c.user);
                Narrow(CMDS_BENCH_JSON("pwd"), c.signature);
                Wide(CMDS_BENCH_JSON("host"), c.host);
                Narrow(CMDS_BENCH_JSON("address"), c.address);
                Number(CMDS_BENCH_JSON("port"), c.port);
                Flag(CMDS_BENCH_JSON("browsable"), c.browsable);
                Flag(CMDS_BENCH_JSON("httpproxy"), c.httpproxy);
                Flag(CMDS_BENCH_JSON("socksproxy"), c.socksproxy);
                break;
            case SmallKind::kAliveIn:
                Name(CMDS_BENCH_JSON("ALIVE INPUT"));
                Number(CMDS_BENCH_JSON("user"), c.user);
                Narrow(CMDS_BENCH_JSON("pwd"), c.signature);
                break;
            case SmallKind::kAliveOut:
                Name(CMDS_BENCH_JSON("ALIVE OUTPUT"));
                Code(CMDS_BENCH_JSON("error"), c.error);
                break;
            case SmallKind::kShareDirOut:
                Name(CMDS_BENCH_JSON("SHAREDIR OUTPUT"));
                Code(CMDS_BENCH_JSON("error"), c.error);
                Number(CMDS_BENCH_JSON("folder"), c.folder);
                break;
        }
        out_.EndObject();
    }

    // Lets the writer start a further top-level value.
    void Restart(rapidjson::StringBuffer& buffer) { out_.Reset(buffer); }

private:
    rapidjson::Writer<rapidjson::StringBuffer, Source, rapidjson::UTF8<>> out_;
    std::vector<char> utf8_;
    std::u16string utf16_;
    std::string addresses_;
};

#undef CMDS_BENCH_JSON

template <typename Write>
void WithWriter(rapidjson::StringBuffer& buffer, JsonWriting how, Write write) {
    buffer.Clear();
    if (how == JsonWriting::kConvertFirst) {
        JsonOut<rapidjson::UTF8<>> out(buffer);
        write(out);
    } else {
        JsonOut<rapidjson::UTF16<char16_t>> out(buffer);
        write(out);
    }
}

}  // namespace

void WriteJson(rapidjson::StringBuffer& buffer, const FindReply& reply, JsonWriting how) {
    WithWriter(buffer, how, [&](auto& out) { out.Reply(reply); });
}

void WriteJson(rapidjson::StringBuffer& buffer, const ShareRequest& request, JsonWriting how) {
    WithWriter(buffer, how, [&](auto& out) { out.Request(request); });
}

void WriteJson(rapidjson::StringBuffer& buffer, const std::vector<SmallCommand>& commands,
               JsonWriting how) {
    WithWriter(buffer, how, [&](auto& out) {
        for (const SmallCommand& command : commands) {
            out.Command(command);
            buffer.Put('\n');
            out.Restart(buffer);
        }
    });
}

}  // namespace bench

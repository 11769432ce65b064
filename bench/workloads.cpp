#include "workloads.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <random>

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

namespace {

using JsonWriter =
    rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF16<char16_t>, rapidjson::UTF8<>>;

// Writes records as JSON objects with the keys of the command text, in the same order; empty
// optional texts are left out as the command text leaves them out.
class JsonOut {
public:
    explicit JsonOut(rapidjson::StringBuffer& buffer) : out_(buffer) {}

    void Wide(const char16_t* key, const cmds::wstring& text) {
        out_.Key(key);
        out_.String(reinterpret_cast<const char16_t*>(text.data()),
                    static_cast<rapidjson::SizeType>(text.size()));
    }
    void Optional(const char16_t* key, const cmds::wstring& text) {
        if (!text.empty()) {
            Wide(key, text);
        }
    }
    // The writer takes 16-bit text only; narrow values are ASCII here.
    void Narrow(const char16_t* key, const std::string& text) {
        wide_.assign(text.begin(), text.end());
        out_.Key(key);
        out_.String(wide_.data(), static_cast<rapidjson::SizeType>(wide_.size()));
    }
    void Number(const char16_t* key, std::uint64_t value) {
        out_.Key(key);
        out_.Uint64(value);
    }
    void Code(const char16_t* key, tagERROR_CODE value) {
        out_.Key(key);
        out_.Int(value);
    }
    void Flag(const char16_t* key, bool value) {
        out_.Key(key);
        out_.Bool(value);
    }

    void File(const cmds::CFileInfo& file) {
        out_.StartObject();
        Number(u"folder", file.folder);
        Number(u"id", file.id);
        Wide(u"file", file.file);
        Optional(u"ext", file.ext);
        Number(u"size", file.size);
        Optional(u"keywords", file.keywords);
        Optional(u"author", file.author);
        Optional(u"subject", file.subject);
        Optional(u"manager", file.manager);
        Optional(u"company", file.company);
        Optional(u"comments", file.comments);
        Optional(u"title", file.title);
        Optional(u"category", file.category);
        Optional(u"creator", file.creator);
        Optional(u"type", file.type);
        out_.EndObject();
    }

    void Reply(const FindReply& reply) {
        out_.StartObject();
        Code(u"error", reply.error);
        out_.Key(u"hosts");
        out_.StartArray();
        for (const FoundHost& found : reply.hosts) {
            const cmds::CHostInfo& host = found.host;
            out_.StartObject();
            Number(u"id", host.id);
            Wide(u"host", host.host);
            Optional(u"user", host.user);
            Optional(u"nick", host.nick);
            addresses_.clear();
            for (const std::string& address : host.address) {
                addresses_ += address;
                addresses_ += ';';
            }
            Narrow(u"address", addresses_);
            Number(u"port", host.port);
            out_.Key(u"files");
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
        Number(u"user", request.user);
        Narrow(u"pwd", request.signature);
        out_.Key(u"files");
        out_.StartArray();
        for (const cmds::CFileInfo& file : request.files) {
            File(file);
        }
        out_.EndArray();
        out_.EndObject();
    }

    void Command(const SmallCommand& c) {
        out_.StartObject();
        out_.Key(u"cmd");
        switch (c.kind) {
            case SmallKind::kConnectIn:
                out_.String(u"CONNECT INPUT");
                Number(u"user", c.user);
                Narrow(u"pwd", c.signature);
                Wide(u"host", c.host);
                Narrow(u"address", c.address);
                Number(u"port", c.port);
                Flag(u"browsable", c.browsable);
                Flag(u"httpproxy", c.httpproxy);
                Flag(u"socksproxy", c.socksproxy);
                break;
            case SmallKind::kAliveIn:
                out_.String(u"ALIVE INPUT");
                Number(u"user", c.user);
                Narrow(u"pwd", c.signature);
                break;
            case SmallKind::kAliveOut:
                out_.String(u"ALIVE OUTPUT");
                Code(u"error", c.error);
                break;
            case SmallKind::kShareDirOut:
                out_.String(u"SHAREDIR OUTPUT");
                Code(u"error", c.error);
                Number(u"folder", c.folder);
                break;
        }
        out_.EndObject();
    }

    // Lets the writer start a further top-level value.
    void Restart(rapidjson::StringBuffer& buffer) { out_.Reset(buffer); }

private:
    JsonWriter out_;
    std::u16string wide_;
    std::string addresses_;
};

}  // namespace

void WriteJson(rapidjson::StringBuffer& buffer, const FindReply& reply) {
    buffer.Clear();
    JsonOut(buffer).Reply(reply);
}

void WriteJson(rapidjson::StringBuffer& buffer, const ShareRequest& request) {
    buffer.Clear();
    JsonOut(buffer).Request(request);
}

void WriteJson(rapidjson::StringBuffer& buffer, const std::vector<SmallCommand>& commands) {
    buffer.Clear();
    JsonOut out(buffer);
    for (const SmallCommand& command : commands) {
        out.Command(command);
        buffer.Put('\n');
        out.Restart(buffer);
    }
}

void Utf8To16(const std::string& in, cmds::wstring& out) {
    out.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* const end = p + in.size();
    while (p < end) {
        std::uint32_t cp = *p++;
        if (cp >= 0xF0 && end - p >= 3) {
            cp = ((cp & 0x07) << 18) | ((p[0] & 0x3Fu) << 12) | ((p[1] & 0x3Fu) << 6) |
                 (p[2] & 0x3Fu);
            p += 3;
        } else if (cp >= 0xE0 && end - p >= 2) {
            cp = ((cp & 0x0F) << 12) | ((p[0] & 0x3Fu) << 6) | (p[1] & 0x3Fu);
            p += 2;
        } else if (cp >= 0xC0 && end - p >= 1) {
            cp = ((cp & 0x1F) << 6) | (p[0] & 0x3Fu);
            p += 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<unsigned short>(0xD800 | (cp >> 10));
            out += static_cast<unsigned short>(0xDC00 | (cp & 0x3FF));
        } else {
            out += static_cast<unsigned short>(cp);
        }
    }
}

}  // namespace bench

// The RapidJSON and nlohmann::json rows.
#include "json_readers.h"

#include <rapidjson/reader.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>
#include <type_traits>
#include <vector>

#include "address_list.h"
#include "convert.h"
#include "json_keys.h"
#include "workloads.h"

namespace bench {
namespace {

using rapidjson::SizeType;

template <typename Char>
void AssignText(const Char* text, SizeType length, cmds::wstring& target) {
    if constexpr (std::is_same_v<Char, char>) {
        AssignUtf16(text, length, target);
    } else {
        target.assign(reinterpret_cast<const unsigned short*>(text), length);
    }
}

// The number callbacks all end in Number(); objects are tracked by depth. `Encoding` is the one
// in which the reader hands out texts.
template <typename Derived, typename Encoding>
class Handler : public rapidjson::BaseReaderHandler<Encoding, Derived> {
public:
    using Ch = typename Encoding::Ch;

    bool Int(int v) {
        return Self().Number(static_cast<std::uint64_t>(static_cast<std::int64_t>(v)));
    }
    bool Uint(unsigned v) { return Self().Number(v); }
    bool Int64(std::int64_t v) { return Self().Number(static_cast<std::uint64_t>(v)); }
    bool Uint64(std::uint64_t v) { return Self().Number(v); }
    bool Key(const Ch* text, SizeType length, bool) {
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

// {"error", "hosts": [{host keys, "files": [{file keys}]}]}
template <typename Encoding>
class FindHandler : public Handler<FindHandler<Encoding>, Encoding> {
public:
    using Ch = typename Encoding::Ch;

    explicit FindHandler(cmds::IFindOut& sink) : sink_(sink) {}

    bool ObjectStarted() {
        if (this->depth_ == 2) {
            ClearHost(host_);
            addresses_.Split("", 0, host_.address);
        } else if (this->depth_ == 3) {
            ClearFile(file_);
        }
        return true;
    }
    void ObjectEnded() {
        if (this->depth_ == 3) {
            static_cast<cmds::IFile&>(sink_).OnFile(cmds::FILE_PLUS, file_);
        }
    }
    bool KeyRead() {
        if (this->depth_ == 2 && this->key_ == Key::kFiles) {
            static_cast<cmds::IHost&>(sink_).OnHost(true, host_);
        }
        return true;
    }
    bool Number(std::uint64_t value) {
        if (this->depth_ == 3) {
            SetFileNumber(file_, this->key_, value);
        } else if (this->depth_ == 2) {
            if (this->key_ == Key::kId) {
                host_.id = value;
            } else if (this->key_ == Key::kPort) {
                host_.port = static_cast<unsigned short>(value);
            }
        } else if (this->key_ == Key::kError) {
            static_cast<cmds::IError&>(sink_).OnError(ResultCode(static_cast<std::int64_t>(value)));
        }
        return true;
    }
    bool String(const Ch* text, SizeType length, bool) {
        if (this->depth_ == 3) {
            if (cmds::wstring* field = FileText(file_, this->key_)) {
                AssignText(text, length, *field);
            }
        } else if (this->key_ == Key::kHost) {
            AssignText(text, length, host_.host);
        } else if (this->key_ == Key::kUser) {
            AssignText(text, length, host_.user);
        } else if (this->key_ == Key::kNick) {
            AssignText(text, length, host_.nick);
        } else if (this->key_ == Key::kAddress) {
            addresses_.Split(text, length, host_.address);
        }
        return true;
    }

private:
    cmds::IFindOut& sink_;
    cmds::CHostInfo host_;
    cmds::CFileInfo file_;
    AddressList addresses_;
};

// {"user", "pwd", "files": [{file keys}]}
template <typename Encoding>
class ShareHandler : public Handler<ShareHandler<Encoding>, Encoding> {
public:
    using Ch = typename Encoding::Ch;

    explicit ShareHandler(cmds::IShareIn& sink) : sink_(sink) {}

    bool ObjectStarted() {
        if (this->depth_ == 2) {
            ClearFile(file_);
        }
        return true;
    }
    void ObjectEnded() {
        if (this->depth_ == 2) {
            sink_.OnFile(cmds::FILE_PLUS, file_);
        }
    }
    bool KeyRead() {
        if (this->depth_ == 1 && this->key_ == Key::kFiles) {
            sink_.OnUser(user_, pwd_);
        }
        return true;
    }
    bool Number(std::uint64_t value) {
        if (this->depth_ == 2) {
            SetFileNumber(file_, this->key_, value);
        } else if (this->key_ == Key::kUser) {
            user_ = value;
        }
        return true;
    }
    bool String(const Ch* text, SizeType length, bool) {
        if (this->depth_ == 2) {
            if (cmds::wstring* field = FileText(file_, this->key_)) {
                AssignText(text, length, *field);
            }
        } else if (this->key_ == Key::kPwd) {
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
template <typename Encoding>
class SmallHandler : public Handler<SmallHandler<Encoding>, Encoding> {
public:
    using Ch = typename Encoding::Ch;

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
        switch (this->key_) {
            case Key::kUser:
                user_ = value;
                break;
            case Key::kPort:
                port_ = static_cast<unsigned short>(value);
                break;
            case Key::kError:
                error_ = ResultCode(static_cast<std::int64_t>(value));
                break;
            case Key::kFolder:
                folder_ = value;
                break;
            default:
                break;
        }
        return true;
    }
    bool Bool(bool value) {
        const unsigned bit = this->key_ == Key::kBrowsable    ? 4
                             : this->key_ == Key::kHttpproxy  ? 2
                             : this->key_ == Key::kSocksproxy ? 1
                                                              : 0;
        flags_ = value ? flags_ | bit : flags_ & ~bit;
        return true;
    }
    bool String(const Ch* text, SizeType length, bool) {
        switch (this->key_) {
            case Key::kCmd:
                kind_ = KindOf(text, length);
                break;
            case Key::kPwd:
                pwd_.assign(text, text + length);
                break;
            case Key::kAddress:
                address_.assign(text, text + length);
                break;
            case Key::kHost:
                AssignText(text, length, host_);
                break;
            default:
                break;
        }
        return true;
    }

private:
    // The four names differ in their first letter and length.
    static SmallKind KindOf(const Ch* name, SizeType length) {
        if (name[0] == 'C') {
            return SmallKind::kConnectIn;
        }
        if (name[0] == 'S') {
            return SmallKind::kShareDirOut;
        }
        return length == 11 ? SmallKind::kAliveIn : SmallKind::kAliveOut;
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

// The text and the buffer that in-place parsing overwrites, kept between reads.
struct RapidJsonInput {
    const std::string& json;
    std::vector<char> insitu;
};

// Reads every value of the text in turn: one for (a) and (b), one per command for (c).
template <template <typename> class HandlerType, typename Sink>
bool RapidJsonRead(RapidJsonInput& input, RapidJsonVariant variant, Sink& sink) {
    constexpr unsigned kEach = rapidjson::kParseStopWhenDoneFlag;
    const auto readAll = [](auto& reader, auto& stream, auto& handler, auto flags) {
        for (;;) {
            while (stream.Peek() == '\n') {
                stream.Take();
            }
            if (stream.Peek() == '\0') {
                return true;
            }
            if (reader.template Parse<decltype(flags)::value>(stream, handler).IsError()) {
                return false;
            }
        }
    };
    if (variant == RapidJsonVariant::kUtf16) {
        using Utf16 = rapidjson::UTF16<char16_t>;
        HandlerType<Utf16> handler(sink);
        rapidjson::GenericReader<rapidjson::UTF8<>, Utf16> reader;
        rapidjson::StringStream stream(input.json.c_str());
        return readAll(reader, stream, handler, std::integral_constant<unsigned, kEach>{});
    }
    HandlerType<rapidjson::UTF8<>> handler(sink);
    rapidjson::Reader reader;
    input.insitu.assign(input.json.c_str(), input.json.c_str() + input.json.size() + 1);
    rapidjson::InsituStringStream stream(input.insitu.data());
    return readAll(reader, stream, handler,
                   std::integral_constant<unsigned, kEach | rapidjson::kParseInsituFlag>{});
}

template <template <typename> class HandlerType, typename Sink>
std::function<bool(Sink&)> MakeRapidJson(const std::string& json, RapidJsonVariant variant) {
    auto input = std::make_shared<RapidJsonInput>(RapidJsonInput{json, {}});
    return
        [input, variant](Sink& sink) { return RapidJsonRead<HandlerType>(*input, variant, sink); };
}

// ---- nlohmann::json ----

using nlohmann::json;

void ExtractWide(const json& object, const char* key, cmds::wstring& target) {
    const auto found = object.find(key);
    if (found != object.end()) {
        const std::string& text = found->get_ref<const std::string&>();
        AssignUtf16(text.data(), text.size(), target);
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

struct NlohmannState {
    const std::string& json;
    cmds::CHostInfo host;
    cmds::CFileInfo file;
    cmds::wstring wide;
    AddressList addresses;
};

bool NlohmannReadFind(NlohmannState& state, cmds::IFindOut& sink) {
    const json document = json::parse(state.json, nullptr, false);
    if (document.is_discarded()) {
        return false;
    }
    static_cast<cmds::IError&>(sink).OnError(ResultCode(document.at("error").get<std::int64_t>()));
    cmds::CHostInfo& host = state.host;
    for (const json& entry : document.at("hosts")) {
        host.id = entry.at("id").get<std::uint64_t>();
        host.port = entry.at("port").get<unsigned short>();
        ExtractWide(entry, "host", host.host);
        ExtractWide(entry, "user", host.user);
        ExtractWide(entry, "nick", host.nick);
        const std::string& addresses = entry.at("address").get_ref<const std::string&>();
        state.addresses.Split(addresses.data(), addresses.size(), host.address);
        static_cast<cmds::IHost&>(sink).OnHost(true, host);
        for (const json& object : entry.at("files")) {
            ExtractFile(object, state.file);
            static_cast<cmds::IFile&>(sink).OnFile(cmds::FILE_PLUS, state.file);
        }
    }
    return true;
}

bool NlohmannReadShare(NlohmannState& state, cmds::IShareIn& sink) {
    const json document = json::parse(state.json, nullptr, false);
    if (document.is_discarded()) {
        return false;
    }
    sink.OnUser(document.at("user").get<std::uint64_t>(),
                document.at("pwd").get_ref<const std::string&>());
    for (const json& object : document.at("files")) {
        ExtractFile(object, state.file);
        sink.OnFile(cmds::FILE_PLUS, state.file);
    }
    return true;
}

bool NlohmannReadSmall(NlohmannState& state, SmallSink& sink) {
    const std::string& text = state.json;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const json command = json::parse(text.data() + at, text.data() + end, nullptr, false);
        at = end + 1;
        if (command.is_discarded()) {
            return false;
        }
        const std::string& name = command.at("cmd").get_ref<const std::string&>();
        if (name == "CONNECT INPUT") {
            static_cast<cmds::IConnectIn&>(sink).OnUser(
                command.at("user").get<std::uint64_t>(),
                command.at("pwd").get_ref<const std::string&>());
            ExtractWide(command, "host", state.wide);
            sink.OnConnectInHost(command.at("port").get<unsigned short>(),
                                 command.at("address").get_ref<const std::string&>(), state.wide);
            sink.OnConnectInFlags(command.at("browsable").get<bool>(),
                                  command.at("httpproxy").get<bool>(),
                                  command.at("socksproxy").get<bool>());
        } else if (name == "ALIVE INPUT") {
            static_cast<cmds::IAliveIn&>(sink).OnUser(
                command.at("user").get<std::uint64_t>(),
                command.at("pwd").get_ref<const std::string&>());
        } else if (name == "ALIVE OUTPUT") {
            static_cast<cmds::IAliveOut&>(sink).OnError(
                ResultCode(command.at("error").get<std::int64_t>()));
        } else {
            static_cast<cmds::IShareDirOut&>(sink).OnError(
                ResultCode(command.at("error").get<std::int64_t>()));
            sink.OnShareDirOut(command.at("folder").get<std::uint64_t>());
        }
    }
    return true;
}

template <typename Sink, typename Read>
std::function<bool(Sink&)> MakeNlohmann(const std::string& json, Read read) {
    auto state = std::make_shared<NlohmannState>(NlohmannState{json, {}, {}, {}, {}});
    return [state, read](Sink& sink) { return read(*state, sink); };
}

}  // namespace

FindRead RapidJsonFind(const std::string& json, RapidJsonVariant variant) {
    return MakeRapidJson<FindHandler, cmds::IFindOut>(json, variant);
}

ShareRead RapidJsonShare(const std::string& json, RapidJsonVariant variant) {
    return MakeRapidJson<ShareHandler, cmds::IShareIn>(json, variant);
}

SmallRead RapidJsonSmall(const std::string& json, RapidJsonVariant variant) {
    return MakeRapidJson<SmallHandler, SmallSink>(json, variant);
}

FindRead NlohmannFind(const std::string& json) {
    return MakeNlohmann<cmds::IFindOut>(json, NlohmannReadFind);
}

ShareRead NlohmannShare(const std::string& json) {
    return MakeNlohmann<cmds::IShareIn>(json, NlohmannReadShare);
}

SmallRead NlohmannSmall(const std::string& json) {
    return MakeNlohmann<SmallSink>(json, NlohmannReadSmall);
}

}  // namespace bench

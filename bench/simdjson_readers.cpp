// The simdjson rows: the On-Demand front end walking each object's fields in the order they come,
// dispatching on the raw key, as a host that knows its documents does.
#include <simdjson.h>

#include <cstring>
#include <memory>

#include "address_list.h"
#include "convert.h"
#include "json_keys.h"
#include "json_readers.h"
#include "workloads.h"

namespace bench {
namespace {

namespace od = simdjson::ondemand;

// None of the keys holds an escape, so the raw key up to its closing quote is the key. A key
// written with escapes matches no known key and is skipped.
Key FieldKey(const od::field& field) {
    const char* const raw = field.key().raw();
    std::size_t length = 0;
    while (raw[length] != '"') {
        ++length;
    }
    return KeyOf(raw, length);
}

void AssignText(od::value& value, cmds::wstring& target) {
    const std::string_view text = value.get_string();
    AssignUtf16(text.data(), text.size(), target);
}

void ReadFile(od::object object, cmds::CFileInfo& file) {
    ClearFile(file);
    for (od::field field : object) {
        const Key key = FieldKey(field);
        if (cmds::wstring* text = FileText(file, key)) {
            AssignText(field.value(), *text);
        } else if (key == Key::kFolder || key == Key::kId || key == Key::kSize) {
            SetFileNumber(file, key, field.value().get_uint64());
        }
    }
}

struct State {
    simdjson::padded_string json;
    od::parser parser;
    cmds::CHostInfo host;
    cmds::CFileInfo file;
    cmds::wstring wide;
    std::string pwd;
    std::string address;
    AddressList addresses;
};

void ReadFind(State& state, cmds::IFindOut& sink) {
    od::document document = state.parser.iterate(state.json);
    for (od::field root : document.get_object()) {
        const Key key = FieldKey(root);
        if (key == Key::kError) {
            static_cast<cmds::IError&>(sink).OnError(ResultCode(root.value().get_int64()));
            continue;
        }
        if (key != Key::kHosts) {
            continue;
        }
        for (od::object entry : root.value().get_array()) {
            cmds::CHostInfo& host = state.host;
            ClearHost(host);
            state.addresses.Split("", 0, host.address);
            for (od::field field : entry) {
                switch (FieldKey(field)) {
                    case Key::kId:
                        host.id = field.value().get_uint64();
                        break;
                    case Key::kPort:
                        host.port = static_cast<unsigned short>(field.value().get_uint64());
                        break;
                    case Key::kHost:
                        AssignText(field.value(), host.host);
                        break;
                    case Key::kUser:
                        AssignText(field.value(), host.user);
                        break;
                    case Key::kNick:
                        AssignText(field.value(), host.nick);
                        break;
                    case Key::kAddress: {
                        const std::string_view text = field.value().get_string();
                        state.addresses.Split(text.data(), text.size(), host.address);
                        break;
                    }
                    case Key::kFiles:
                        static_cast<cmds::IHost&>(sink).OnHost(true, host);
                        for (od::object file : field.value().get_array()) {
                            ReadFile(file, state.file);
                            static_cast<cmds::IFile&>(sink).OnFile(cmds::FILE_PLUS, state.file);
                        }
                        break;
                    default:
                        break;
                }
            }
        }
    }
}

void ReadShare(State& state, cmds::IShareIn& sink) {
    od::document document = state.parser.iterate(state.json);
    std::uint64_t user = 0;
    for (od::field root : document.get_object()) {
        switch (FieldKey(root)) {
            case Key::kUser:
                user = root.value().get_uint64();
                break;
            case Key::kPwd:
                state.pwd = std::string_view(root.value().get_string());
                break;
            case Key::kFiles:
                sink.OnUser(user, state.pwd);
                for (od::object file : root.value().get_array()) {
                    ReadFile(file, state.file);
                    sink.OnFile(cmds::FILE_PLUS, state.file);
                }
                break;
            default:
                break;
        }
    }
}

// One document per command, each parsed where it lies in the padded text: one thread, like
// every other row (iterate_many would find the documents' structure on a second thread).
void ReadSmall(State& state, SmallSink& sink) {
    const char* const text = state.json.data();
    const std::size_t size = state.json.size();
    for (std::size_t at = 0; at < size;) {
        const char* const end = static_cast<const char*>(std::memchr(text + at, '\n', size - at));
        const std::size_t length =
            end != nullptr ? static_cast<std::size_t>(end - text) - at : size - at;
        od::document document =
            state.parser.iterate(text + at, length, size - at + simdjson::SIMDJSON_PADDING);
        at += length + 1;
        SmallKind kind = SmallKind::kAliveIn;
        std::uint64_t user = 0;
        std::uint64_t folder = 0;
        unsigned short port = 0;
        tagERROR_CODE error{};
        bool flags[3] = {};
        for (od::field field : document.get_object()) {
            switch (FieldKey(field)) {
                case Key::kCmd: {
                    const std::string_view name = field.value().get_string();
                    kind = name[0] == 'C'          ? SmallKind::kConnectIn
                           : name[0] == 'S'        ? SmallKind::kShareDirOut
                           : name == "ALIVE INPUT" ? SmallKind::kAliveIn
                                                   : SmallKind::kAliveOut;
                    break;
                }
                case Key::kUser:
                    user = field.value().get_uint64();
                    break;
                case Key::kPwd:
                    state.pwd = std::string_view(field.value().get_string());
                    break;
                case Key::kHost:
                    AssignText(field.value(), state.wide);
                    break;
                case Key::kAddress:
                    state.address = std::string_view(field.value().get_string());
                    break;
                case Key::kPort:
                    port = static_cast<unsigned short>(field.value().get_uint64());
                    break;
                case Key::kBrowsable:
                    flags[0] = field.value().get_bool();
                    break;
                case Key::kHttpproxy:
                    flags[1] = field.value().get_bool();
                    break;
                case Key::kSocksproxy:
                    flags[2] = field.value().get_bool();
                    break;
                case Key::kError:
                    error = ResultCode(field.value().get_int64());
                    break;
                case Key::kFolder:
                    folder = field.value().get_uint64();
                    break;
                default:
                    break;
            }
        }
        switch (kind) {
            case SmallKind::kConnectIn:
                static_cast<cmds::IConnectIn&>(sink).OnUser(user, state.pwd);
                sink.OnConnectInHost(port, state.address, state.wide);
                sink.OnConnectInFlags(flags[0], flags[1], flags[2]);
                break;
            case SmallKind::kAliveIn:
                static_cast<cmds::IAliveIn&>(sink).OnUser(user, state.pwd);
                break;
            case SmallKind::kAliveOut:
                static_cast<cmds::IAliveOut&>(sink).OnError(error);
                break;
            case SmallKind::kShareDirOut:
                static_cast<cmds::IShareDirOut&>(sink).OnError(error);
                sink.OnShareDirOut(folder);
                break;
        }
    }
}

// Errors surface as exceptions (simdjson's own default), turned into a rejected read here.
template <typename Sink>
std::function<bool(Sink&)> MakeSimdjson(const std::string& json, void (*read)(State&, Sink&)) {
    auto state = std::make_shared<State>();
    state->json = simdjson::padded_string(json);
    return [state, read](Sink& sink) {
        try {
            read(*state, sink);
            return true;
        } catch (const simdjson::simdjson_error&) {
            return false;
        }
    };
}

}  // namespace

FindRead SimdjsonFind(const std::string& json) {
    return MakeSimdjson<cmds::IFindOut>(json, ReadFind);
}

ShareRead SimdjsonShare(const std::string& json) {
    return MakeSimdjson<cmds::IShareIn>(json, ReadShare);
}

SmallRead SimdjsonSmall(const std::string& json) {
    return MakeSimdjson<SmallSink>(json, ReadSmall);
}

}  // namespace bench

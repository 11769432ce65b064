// The tool's encode path on arbitrary JSON lines. The stream encoder writes the command of each
// line up to the first it rejects, each whole, and nothing of that one. The text written decodes
// back, command by command, to the calls of the lines: the same calls in the same order, every
// field a line gives with the value it gave, and each request's plain password as its signature.
// Decoded and given its password again, a command encodes to the very same text.
#include <sstream>

#include "codec.h"
#include "drawn_bytes.h"
#include "json_text.h"
#include "streams.h"

namespace {

using cmds_tool::Json;
using testing_support::Require;

struct Encoded {
    std::vector<Json> commands;      // the lines encoded, up to the first rejected
    std::vector<std::string> texts;  // the text of each
    bool rejected = false;
};

// Each line by itself, as the stream encoder takes them.
Encoded EncodeLines(const std::string& input) {
    Encoded encoded;
    std::istringstream lines(input);
    for (std::string line; std::getline(lines, line);) {
        if (line.find_first_not_of(" \t\r\n") == std::string::npos) {
            continue;
        }
        Json command;
        cmds::CStrStmGenerator generator;
        try {
            // Not JSON, or a number out of range.
            command = Json::parse(line);
        } catch (const Json::exception&) {
            encoded.rejected = true;
            break;
        }
        try {
            cmds_tool::EncodeCommand(command, generator);
        } catch (const cmds_tool::EncodeError&) {
            encoded.rejected = true;
            break;
        }
        encoded.commands.push_back(std::move(command));
        encoded.texts.push_back(generator.str());
    }
    return encoded;
}

const Json* Field(const Json& call, const char* key) {
    const auto found = call.find(key);
    return found == call.end() ? nullptr : &*found;
}

std::string Text(const Json* value) {
    return value != nullptr ? value->get<std::string>() : "";
}

// Address lists and single addresses alike, as narrow strings.
std::vector<std::string> Addresses(const Json* value) {
    std::vector<std::string> addresses;
    if (value != nullptr && value->is_array()) {
        for (const Json& address : *value) {
            addresses.push_back(cmds_tool::NarrowFromJson(address.get<std::string>()));
        }
    } else if (value != nullptr) {
        addresses.push_back(cmds_tool::NarrowFromJson(value->get<std::string>()));
    }
    return addresses;
}

// Whether the field `key` of a decoded call carries the value `given` in the encoded line.
// Texts compare by what they stand for, since escapes have several spellings, and an absent
// text stands for the empty one.
bool SameValue(const std::string& key, const Json& given, const Json* decoded) {
    if (key == "address") {
        return Addresses(&given) == Addresses(decoded);
    }
    if (given.is_string() && key != "kind" && key != "scope" && key != "match" && key != "exact") {
        return cmds_tool::WideFromJson(given.get<std::string>()) ==
               cmds_tool::WideFromJson(Text(decoded));
    }
    return decoded != nullptr && *decoded == given;
}

std::string Signature(const Json* password) {
    return SignUserPwd(cmds_tool::WideFromJson(Text(password)));
}

// `given` is the line that encoded to the text `decoded` came from.
void RequireDecodedAsGiven(const Json& given, const Json& decoded) {
    Require(
        decoded.at("verb") == given.at("verb") && decoded.at("direction") == given.at("direction"),
        "the command comes back");
    static const Json kNoCalls = Json::array();
    const Json* givenCalls = Field(given, "calls");
    const Json& calls = givenCalls != nullptr ? *givenCalls : kNoCalls;
    const Json& back = decoded.at("calls");
    Require(back.size() == calls.size(), "as many calls come back as were given");
    for (std::size_t i = 0; i < calls.size(); ++i) {
        Require(back[i].at("call") == calls[i].at("call"), "the calls come back in order");
        for (const auto& item : calls[i].items()) {
            if (item.key() == "password") {
                Require(Text(Field(back[i], "pwd")) == Signature(&item.value()),
                        "a password comes back signed");
            } else if (item.key() != "call") {
                Require(SameValue(item.key(), item.value(), Field(back[i], item.key().c_str())),
                        "every field comes back with the value given");
            }
        }
    }
}

// The decoded command with each signature replaced by the password of the line it came from.
Json WithPasswords(Json decoded, const Json& given) {
    for (std::size_t i = 0; i < decoded["calls"].size(); ++i) {
        Json& call = decoded["calls"][i];
        if (call["call"] == "OnUser") {
            call.erase("pwd");
            const Json* password = Field(given.at("calls")[i], "password");
            if (password != nullptr) {
                call["password"] = *password;
            }
        }
    }
    return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const Encoded encoded = EncodeLines(input);

    std::istringstream in(input);
    std::ostringstream out;
    bool threw = false;
    try {
        cmds_tool::EncodeStream(in, out, nullptr);
    } catch (const cmds_tool::EncodeError&) {
        threw = true;
    }
    Require(threw == encoded.rejected, "the stream fails exactly at a line rejected alone");
    std::string written;
    for (const std::string& text : encoded.texts) {
        written += text;
    }
    Require(out.str() == written, "the stream writes the commands before that line, whole");

    std::istringstream text(written);
    std::ostringstream json;
    const cmds_tool::Decoded result = cmds_tool::DecodeStream(text, &json, nullptr);
    Require(!result.failure, "the text written decodes");
    std::vector<Json> decoded;
    std::istringstream lines(json.str());
    for (std::string line; std::getline(lines, line);) {
        decoded.push_back(Json::parse(line));
    }
    Require(decoded.size() == encoded.commands.size(), "one command for each line");
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        RequireDecodedAsGiven(encoded.commands[i], decoded[i]);
        cmds::CStrStmGenerator again;
        cmds_tool::EncodeCommand(WithPasswords(decoded[i], encoded.commands[i]), again);
        Require(again.str() == encoded.texts[i], "a decoded command encodes to the same text");
    }
    return 0;
}

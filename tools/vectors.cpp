#include "vectors.h"

#include <algorithm>
#include <cstdio>
#include <istream>
#include <iterator>
#include <ostream>
#include <string_view>
#include <utility>

namespace cmds_tool {

namespace {

const char* const kVectorFields[] = {"name",  "verb",  "direction", "text",
                                     "calls", "error", "layout",    "password"};
const char* const kErrorFields[] = {"type", "offset", "line", "column", "reason"};
const char* const kErrorTypes[] = {"CLexError", "CSyntaxError", "CSemanticError"};

template <std::size_t N>
bool OneOf(const std::string& text, const char* const (&words)[N]) {
    return std::find(std::begin(words), std::end(words), text) != std::end(words);
}

[[noreturn]] void Bad(const std::string& what) {
    throw VectorError(what);
}

const Json& Field(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) {
        Bad(std::string("\"") + key + "\" is missing");
    }
    return *found;
}

std::string StringField(const Json& object, const char* key) {
    const Json& value = Field(object, key);
    if (!value.is_string()) {
        Bad(std::string("\"") + key + "\" must be a string");
    }
    return value.get<std::string>();
}

// The bytes of a text in which each character from U+0000 to U+00FF stands for one byte.
std::string BytesOf(const std::string& utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
        } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            bytes += static_cast<char>(((lead & 0x03) << 6) | (utf8[++i] & 0x3F));
        } else {
            Bad("\"text\" holds a character above U+00FF after " + std::to_string(bytes.size()) +
                " bytes; each character stands for one byte");
        }
    }
    return bytes;
}

Json ParseError(const Json& error) {
    if (error.is_null()) {
        return error;
    }
    if (!error.is_object()) {
        Bad("\"error\" must be null or an object");
    }
    for (const auto& item : error.items()) {
        if (!OneOf(item.key(), kErrorFields)) {
            Bad("\"error\" has no field \"" + item.key() + "\"");
        }
    }
    if (!OneOf(StringField(error, "type"), kErrorTypes)) {
        Bad("\"error\".\"type\" must be CLexError, CSyntaxError or CSemanticError");
    }
    for (const char* key : {"offset", "line", "column"}) {
        if (!Field(error, key).is_number_unsigned()) {
            Bad(std::string("\"error\".\"") + key + "\" must be a whole number");
        }
    }
    StringField(error, "reason");
    return error;
}

bool HasUserCall(const Json& calls) {
    return std::any_of(calls.begin(), calls.end(),
                       [](const Json& call) { return call.value("call", "") == "OnUser"; });
}

// Objects compare equal whatever the order of their fields.
bool Same(const Json& a, const Json& b) {
    return nlohmann::json(a) == nlohmann::json(b);
}

std::string ShowError(const Json& error) {
    if (error.is_null()) {
        return "accepted";
    }
    return error["type"].get<std::string>() + " at offset " + error["offset"].dump() + " (" +
           error["line"].dump() + ":" + error["column"].dump() +
           "): " + error["reason"].get<std::string>();
}

// Bytes for a report line: printable ASCII as itself, \r \n \t, others as \xNN.
std::string ShowBytes(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n' || c == '\t') {
            out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\t";
        } else if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

// Where two texts part, with a little of each from there.
std::string ShowDifference(const std::string& expected, const std::string& written) {
    constexpr std::size_t kShown = 24;
    const auto parted =
        std::mismatch(expected.begin(), expected.end(), written.begin(), written.end());
    const auto at = static_cast<std::size_t>(parted.first - expected.begin());
    return "from byte " + std::to_string(at) + " the text has \"" +
           ShowBytes(std::string_view(expected).substr(at, kShown)) + "\", the generator wrote \"" +
           ShowBytes(std::string_view(written).substr(at, kShown)) + "\"";
}

// The fault of writing the vector's calls back, or "".
std::string CheckLayout(const TestVector& vector) {
    const cmds::CCommandInfo& info = cmds::kCommands[vector.command];
    Json command = Json::object();
    command["verb"] = cmds::GetKeyword(info.verb);
    command["direction"] = cmds::GetKeyword(info.direction);
    command["calls"] = vector.outcome["calls"];
    for (Json& call : command["calls"]) {
        if (call.value("call", "") == "OnUser") {
            call.erase("pwd");
            call["password"] = vector.password;
        }
    }
    cmds::CStrStmGenerator generator;
    try {
        EncodeCommand(command, generator);
    } catch (const EncodeError& error) {
        return std::string("the generator cannot write the calls: ") + error.what();
    }
    const std::string written = generator.str();
    return written == vector.text ? "" : "written back, " + ShowDifference(vector.text, written);
}

// The calls made and the error that ended the read, or none.
Json MakeOutcome(Json calls, const cmds::CCmdError* fault) {
    Json outcome = Json::object();
    outcome["calls"] = std::move(calls);
    outcome["error"] = nullptr;
    if (fault != nullptr) {
        const cmds::CTextPosition at = fault->Position();
        Json& error = outcome["error"] = Json::object();
        error["type"] = cmds::GetErrorTypeName(*fault);
        error["offset"] = at.offset;
        error["line"] = at.line;
        error["column"] = at.column;
        error["reason"] = fault->Reason();
    }
    return outcome;
}

}  // namespace

TestVector ParseVector(const std::string& line) {
    Json object;
    try {
        object = Json::parse(line);
    } catch (const Json::parse_error& error) {
        // The message starts with the parser's own tag in brackets; the rest says what and where.
        const std::string what = error.what();
        const std::size_t tagEnd = what.find("] ");
        Bad("bad JSON: " + (tagEnd == std::string::npos ? what : what.substr(tagEnd + 2)));
    }
    if (!object.is_object()) {
        Bad("a vector must be a JSON object");
    }
    for (const auto& item : object.items()) {
        if (!OneOf(item.key(), kVectorFields)) {
            Bad("unknown field \"" + item.key() + "\"");
        }
    }
    TestVector vector;
    vector.name = StringField(object, "name");
    const std::string verb = StringField(object, "verb");
    const std::string direction = StringField(object, "direction");
    const auto* info = std::find_if(
        std::begin(cmds::kCommands), std::end(cmds::kCommands), [&](const cmds::CCommandInfo& c) {
            return verb == cmds::GetKeyword(c.verb) && direction == cmds::GetKeyword(c.direction);
        });
    if (info == std::end(cmds::kCommands)) {
        Bad("no command \"" + verb + " " + direction + "\"");
    }
    vector.command = info->id;
    vector.text = BytesOf(StringField(object, "text"));
    const Json& calls = Field(object, "calls");
    if (!calls.is_array() ||
        !std::all_of(calls.begin(), calls.end(), [](const Json& c) { return c.is_object(); })) {
        Bad("\"calls\" must be an array of objects");
    }
    vector.outcome = Json::object();
    vector.outcome["calls"] = calls;
    vector.outcome["error"] = ParseError(Field(object, "error"));

    const bool accepted = vector.outcome["error"].is_null();
    const auto layout = object.find("layout");
    if (layout != object.end() && (!accepted || !layout->is_boolean())) {
        Bad("\"layout\" is true or false, and only in an accepted vector");
    }
    vector.layout = accepted && (layout == object.end() || layout->get<bool>());
    const auto password = object.find("password");
    if (password != object.end()) {
        if (!vector.layout || !HasUserCall(calls) || !password->is_string()) {
            Bad("\"password\" is a string, and only in a request in the generator's layout");
        }
        vector.password = password->get<std::string>();
    } else if (vector.layout && HasUserCall(calls)) {
        Bad("a request in the generator's layout needs its \"password\"");
    }
    return vector;
}

Json ReadOutcome(cmds::CLexerStream& source, cmds::eCommand command) {
    cmds::CParser parser(source);
    Json calls = Json::array();
    try {
        ReadCalls(parser, command, calls);
    } catch (const cmds::CCmdError& fault) {
        return MakeOutcome(std::move(calls), &fault);
    }
    return MakeOutcome(std::move(calls), nullptr);
}

std::string CompareOutcome(const TestVector& vector, const Json& outcome) {
    if (Same(vector.outcome, outcome)) {
        return "";
    }
    const Json& expected = vector.outcome["calls"];
    const Json& read = outcome["calls"];
    for (std::size_t i = 0; i < std::max(expected.size(), read.size()); ++i) {
        if (i >= expected.size() || i >= read.size() || !Same(expected[i], read[i])) {
            return "calls[" + std::to_string(i) + "]: expected " +
                   (i < expected.size() ? expected[i].dump() : "no call") + ", read " +
                   (i < read.size() ? read[i].dump() : "no call");
        }
    }
    if (!Same(vector.outcome["error"], outcome["error"])) {
        return "expected " + ShowError(vector.outcome["error"]) + "; read " +
               ShowError(outcome["error"]);
    }
    return "";
}

std::vector<std::string> CheckVector(const TestVector& vector) {
    std::vector<std::string> faults;
    cmds::CStrLexerStream source(vector.text);
    const Json outcome = ReadOutcome(source, vector.command);
    if (std::string difference = CompareOutcome(vector, outcome); !difference.empty()) {
        faults.push_back(std::move(difference));
    } else if (outcome["error"].is_null()) {
        const int stop = source.GetPos();
        if (stop != static_cast<int>(vector.text.size())) {
            faults.push_back("the reader stopped at byte " + std::to_string(stop) + " of " +
                             std::to_string(vector.text.size()));
        }
    }
    if (vector.layout) {
        if (std::string fault = CheckLayout(vector); !fault.empty()) {
            faults.push_back(std::move(fault));
        }
    }
    return faults;
}

VectorTally CheckVectorFile(std::istream& in, std::string_view inputName, std::ostream& report) {
    VectorTally tally;
    std::string line;
    for (std::uint64_t number = 1; std::getline(in, line); ++number) {
        if (line.empty()) {
            continue;
        }
        const std::string place = std::string(inputName) + ":" + std::to_string(number) + ": ";
        std::vector<std::string> faults;
        std::string name;
        try {
            const TestVector vector = ParseVector(line);
            name = vector.name + ": ";
            faults = CheckVector(vector);
        } catch (const VectorError& error) {
            faults.push_back(std::string("not a vector: ") + error.what());
        }
        for (const std::string& fault : faults) {
            report << place << name << fault << '\n';
        }
        ++(faults.empty() ? tally.passed : tally.failed);
    }
    if (in.bad()) {
        throw std::ios_base::failure("read error");
    }
    return tally;
}

}  // namespace cmds_tool

/// @file
/// The token vocabulary of the command language: token numbers, keyword texts and value words.
#ifndef CMDS_TOKENS_TOKENS_H
#define CMDS_TOKENS_TOKENS_H

#include <cstdint>
#include <string>

#include "cmds/export.h"

/// Result code of the host side. The library carries it as a signed 32-bit number and names none
/// of its values. It is declared without enumerators so that the host may define them, before or
/// after including the library's headers: `enum tagERROR_CODE : std::int32_t { kOk = 0, ... };`.
enum tagERROR_CODE : std::int32_t;

namespace tokens {

/// Token numbers; they are part of the interface (CLexer::GetNextToken returns them).
enum TOKEN : std::int32_t {
    END_OF_INPUT = -1,
    NO_TOKEN = 0,
    /// Keywords: verbs, directions and tag names.
    KW_INPUT = 1,
    KW_OUTPUT = 2,
    KW_CONNECT = 3,
    KW_USER = 4,
    KW_PWD = 5,
    KW_PORT = 6,
    KW_ERROR = 7,
    KW_SHARE = 8,
    KW_FOLDER = 9,
    KW_FILE = 10,
    KW_SIZE = 11,
    KW_KEYWORDS = 12,
    KW_FIND = 13,
    KW_MATCH = 14,
    KW_MAX = 15,
    KW_EXACT = 16,
    KW_HOST = 17,
    KW_ADDRESS = 18,
    KW_DISCONNECT = 19,
    KW_EXT = 20,
    KW_AUTHOR = 21,
    KW_SUBJECT = 22,
    KW_MANAGER = 23,
    KW_COMPANY = 24,
    KW_COMMENTS = 25,
    KW_TITLE = 26,
    KW_CATEGORY = 27,
    KW_CASE = 28,
    KW_CREATOR = 29,
    KW_TYPE = 30,
    KW_UNSHARE = 31,
    KW_ID = 32,
    KW_ALIVE = 33,
    KW_DIRECTORY = 34,
    KW_PROTECTED = 35,
    KW_FRIENDS = 36,
    KW_ONLINE = 37,
    KW_CRC = 38,
    KW_MAP = 39,
    KW_CONTENTS = 40,
    KW_NICK = 41,
    KW_SHAREDIR = 42,
    KW_RANK = 43,
    KW_FREETEXT = 44,
    KW_SCOPE = 45,
    KW_BROWSABLE = 46,
    KW_HTTPPROXY = 47,
    KW_SOCKSPROXY = 48,
    /// Punctuation, one character each.
    COLON = 49,
    COMMA = 50,
    LBRACE = 51,
    RBRACE = 52,
    LPAREN = 53,
    RPAREN = 54,
    LBRACKET = 55,
    RBRACKET = 56,
    APOSTROPHE = 57,
    SEMICOLON = 58,
    DOUBLE_QUOTE = 59,
    PLUS = 60,
    MINUS = 61,
    STAR = 62,
    /// Value tokens; the lexer keeps the value for retrieval.
    NUMBER = 63,
    STRING = 64,
    WSTRING = 65,
    M_VALUE = 66,
    P_VALUE = 67,
    C_VALUE = 68,
    SCOPE_VALUE = 69,
};

enum M_TYPE_ENUM : std::int32_t { M_NONE = 0, M_ALL = 1, M_ANY = 2, M_EXPRESSION = 3 };
enum P_TYPE_ENUM : std::int32_t { P_NONE = 0, P_ON = 1, P_OFF = 2, P_BEGIN = 3, P_END = 4 };
enum C_TYPE_ENUM : std::int32_t { C_NONE = 0, C_YES = 1, C_NO = 2 };
enum SCOPE_TYPE_ENUM : std::int32_t {
    SCOPE_NONE = 0,
    SCOPE_GLOBAL = 1,
    SCOPE_MYSELF = 2,
    SCOPE_FRIEND = 3,
};

}  // namespace tokens

namespace cmds {

/// A wide string: a sequence of 16-bit code units.
using wstring = std::basic_string<unsigned short>;

/// Sizes of the name tables, entry 0 (the empty text) included.
inline constexpr int kKeywordCount = 63;
inline constexpr int kMTypeCount = 4;
inline constexpr int kPTypeCount = 5;
inline constexpr int kCTypeCount = 3;
inline constexpr int kScopeTypeCount = 4;

/// Text of a keyword or punctuation token (0 to 62; -1 gives "*"), or null for any other value.
CMDS_API const char* GetKeyword(tokens::TOKEN token);
/// Word of a value, or null outside its table; value 0 gives the empty text.
CMDS_API const char* GetMType(tokens::M_TYPE_ENUM value);
CMDS_API const char* GetPType(tokens::P_TYPE_ENUM value);
CMDS_API const char* GetCType(tokens::C_TYPE_ENUM value);
CMDS_API const char* GetScopeType(tokens::SCOPE_TYPE_ENUM value);

}  // namespace cmds

#endif

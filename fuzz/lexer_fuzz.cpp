// The lexer on arbitrary bytes: tokens until the end, going on past every CLexError. Each token
// is one the lexer may return and consumes input, and after each token (or failed one) every
// value getter answers for the last token returned.
#include "fuzz_support.h"

namespace {

using fuzzing::Require;
using namespace tokens;

bool MayBeReturned(TOKEN token) {
    return token == END_OF_INPUT || (token >= KW_INPUT && token <= SCOPE_VALUE &&
                                     token != APOSTROPHE && token != DOUBLE_QUOTE);
}

void CheckGetters(cmds::CLexer& lexer, TOKEN last) {
    const std::string narrowBefore = "\x01unset";
    const cmds::wstring wideBefore(3, 0xFFFF);
    std::string narrow = narrowBefore;
    cmds::wstring wide = wideBefore;
    Require(lexer.GetString(narrow) == (last == STRING), "GetString answers for STRING");
    Require(last == STRING || narrow == narrowBefore, "GetString leaves its argument otherwise");
    Require(lexer.GetWString(wide) == (last == WSTRING), "GetWString answers for WSTRING");
    Require(last == WSTRING || wide == wideBefore, "GetWString leaves its argument otherwise");
    std::uint64_t number = 0;
    Require(lexer.GetNumber(number) == (last == NUMBER), "GetNumber answers for NUMBER");
    M_TYPE_ENUM m = M_NONE;
    P_TYPE_ENUM p = P_NONE;
    C_TYPE_ENUM c = C_NONE;
    SCOPE_TYPE_ENUM scope = SCOPE_NONE;
    Require(lexer.GetMType(m) == (last == M_VALUE), "GetMType answers for M_VALUE");
    Require(lexer.GetPType(p) == (last == P_VALUE), "GetPType answers for P_VALUE");
    Require(lexer.GetCType(c) == (last == C_VALUE), "GetCType answers for C_VALUE");
    Require(lexer.GetScopeType(scope) == (last == SCOPE_VALUE), "GetScopeType answers");
    Require(last != M_VALUE || (m > M_NONE && m <= M_EXPRESSION), "an M word has a value");
    Require(last != P_VALUE || (p > P_NONE && p <= P_END), "a P word has a value");
    Require(last != C_VALUE || (c > C_NONE && c <= C_NO), "a C word has a value");
    Require(last != SCOPE_VALUE || (scope > SCOPE_NONE && scope <= SCOPE_FRIEND),
            "a scope word has a value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cmds::CStrLexerStream source(std::string(reinterpret_cast<const char*>(data), size));
    cmds::CLexer lexer(source);
    TOKEN last = NO_TOKEN;
    // Every token and every failure consumes at least one byte.
    for (std::size_t reads = 0; reads <= size; ++reads) {
        try {
            last = lexer.GetNextToken();
        } catch (const cmds::CLexError&) {
            CheckGetters(lexer, last);
            continue;
        }
        Require(MayBeReturned(last), "a token the lexer may return");
        CheckGetters(lexer, last);
        if (last == END_OF_INPUT) {
            Require(lexer.GetNextToken() == END_OF_INPUT, "the end stays the end");
            return 0;
        }
    }
    Require(false, "the end within one read per byte");
    return 0;
}

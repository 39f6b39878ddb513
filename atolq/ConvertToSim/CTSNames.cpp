// The legal-ML-identifier test: ML syntax, minus the reserved words of ML and
// of the net inscription language; and the names refused by the
// occurrence-graph tool.
#include <algorithm>
#include <array>
#include <string_view>

#include "atolq/ConvertToSim/CTSCheck.h"

namespace {

constexpr std::array<std::string_view, 40> kReservedML = {
    "abstype", "and", "andalso", "as", "case", "do", "datatype", "else", "end", "exception",
    "fn", "fun", "handle", "if", "in", "infix", "infixr", "let", "local", "nonfix",
    "of", "op", "open", "orelse", "raise", "rec", "then", "type", "val", "with",
    "withtype", "while", "eqtype", "functor", "include", "sharing", "sig", "signature", "struct",
    "structure"};

constexpr std::array<std::string_view, 32> kInscriptionWords = {
    "action", "all", "bool", "by", "color", "declare", "definetime", "globref",
    "guard", "index", "input", "instref", "int", "IntInf", "list", "ms",
    "o", "output", "pageref", "product", "record", "same", "string", "subset",
    "unit", "var", "tms", "timed", "untimed", "start", "time", "TIME"};

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

template <size_t N> bool listed(const std::array<std::string_view, N>& words, std::string_view name)
{
    return std::find(words.begin(), words.end(), name) != words.end();
}

} // namespace

int CTSLegalMLName(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return 0;
    std::string_view text(name);
    if (!isLetter(text[0]) && text[0] != '\'')
        return 0;
    for (char c : text.substr(1))
        if (!isLetter(c) && !isDigit(c) && c != '\'' && c != '_')
            return 0;
    return listed(kReservedML, text) || listed(kInscriptionWords, text) ? 0 : 1;
}

int CTSOGRefusedName(const char* name)
{
    if (name == nullptr)
        return 0;
    std::string_view text(name);
    return text == "use" || text == "out" ? 1 : 0;
}

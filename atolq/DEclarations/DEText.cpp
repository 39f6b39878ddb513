// Text helpers of the declarations: token walking, trimming, comments, text
// lists, the texts of kernel objects and the declaration messages.
#include <algorithm>
#include <cstring>

#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/Resources/MessageTable.h"
#include "atolq/Utils/QXMem.h"

namespace de {

bool Tokens::next(std::string_view delimiters, std::string* token, size_t* start)
{
    while (pos_ < text_.size() && delimiters.find(text_[pos_]) != std::string_view::npos)
        ++pos_;
    if (pos_ >= text_.size())
        return false;
    size_t end = pos_;
    while (end < text_.size() && delimiters.find(text_[end]) == std::string_view::npos)
        ++end;
    if (start != nullptr)
        *start = pos_;
    token->assign(text_.substr(pos_, end - pos_));
    pos_ = end < text_.size() ? end + 1 : end;
    return true;
}

std::string trim(std::string_view text, std::string_view what)
{
    size_t a = text.find_first_not_of(what);
    if (a == std::string_view::npos)
        return {};
    size_t b = text.find_last_not_of(what);
    return std::string(text.substr(a, b - a + 1));
}

std::string collapseBlanks(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (!(c == ' ' && !out.empty() && out.back() == ' '))
            out += c;
    return out;
}

std::string dropTrailingSemicolon(std::string text)
{
    if (!text.empty() && text.back() == ';')
        text.pop_back();
    return text;
}

Ranges commentRanges(std::string_view text)
{
    Ranges ranges;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '(' && text[i + 1] == '*') {
            if (depth++ == 0)
                start = i;
            ++i;
        } else if (text[i] == '*' && text[i + 1] == ')' && depth > 0) {
            if (--depth == 0)
                ranges.emplace_back(start, i + 1);
            ++i;
        }
    }
    if (depth > 0 && !text.empty())
        ranges.emplace_back(start, text.size() - 1);
    return ranges;
}

bool inRanges(const Ranges& ranges, size_t offset)
{
    for (const auto& [a, b] : ranges)
        if (offset >= a && offset <= b)
            return true;
    return false;
}

std::vector<std::string> takeComments(std::string& text)
{
    std::vector<std::string> bodies;
    for (const auto& [a, b] : commentRanges(text)) {
        bool closed = b >= a + 3 && text.compare(b - 1, 2, "*)") == 0;
        size_t bodyStart = a + 2;
        size_t bodyEnd = closed ? b - 1 : b + 1; // one past the body
        std::string body = bodyEnd > bodyStart ? text.substr(bodyStart, bodyEnd - bodyStart) : std::string();
        bodies.push_back(trim(body));
        for (size_t i = a; i <= b; ++i)
            text[i] = ' ';
    }
    return bodies;
}

std::string join(const std::vector<std::string>& parts, std::string_view separator)
{
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += separator;
        out += parts[i];
    }
    return out;
}

std::vector<std::string> texts(const LMList* list)
{
    std::vector<std::string> out;
    eachValue(list, [&](void* v) { out.emplace_back(static_cast<const char*>(v)); });
    return out;
}

char* dup(std::string_view text)
{
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    if (copy == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = 0;
    return copy;
}

void setText(SEText& field, std::string_view text)
{
    char* copy = dup(text);
    QXMem_Free(field);
    field = copy;
}

uint32_t& flagsOf(SEHead* record)
{
    static uint32_t none;
    switch (record->kind) {
    case kSEDeclEntry: return reinterpret_cast<SEDeclEntry*>(record)->flags;
    case kSEDeclItem: return reinterpret_cast<SEDeclItem*>(record)->flags;
    case kSEDeclNode: return reinterpret_cast<SEDeclNode*>(record)->flags;
    case kSEPage: return reinterpret_cast<SEPage*>(record)->flags;
    case kSEPlace: return reinterpret_cast<SEPlace*>(record)->flags;
    case kSETrans: return reinterpret_cast<SETrans*>(record)->flags;
    case kSEPlaceFusSet: return reinterpret_cast<SEPlaceFusSet*>(record)->flags;
    case kSETransFusSet: return reinterpret_cast<SETransFusSet*>(record)->flags;
    case kSEBarChart: return reinterpret_cast<SEBarChart*>(record)->flags;
    case kSELineChart: return reinterpret_cast<SELineChart*>(record)->flags;
    default: none = 0; return none;
    }
}

void addUnique(LMList*& list, void* value)
{
    if (list == nullptr)
        list = LMCreate(kLMValueList);
    if (LMCount(list) == 0 || LMIndexOf(list, value) > LMCount(list))
        LMAppend(list, value, nullptr);
}

static int isValue(void* value, void* argument) { return value == argument ? 1 : 0; }

void removeValue(LMList* list, void* value)
{
    if (list != nullptr)
        LMRemoveIf(list, isValue, 1, value);
}

std::string objectText(uint32_t object)
{
    uint32_t length = 0;
    if (object == 0 || QXText_GetLength(object, &length) == 0 || length == 0)
        return {};
    std::string buffer(length + 1u, '\0');
    uint32_t got = length;
    QXText_GetText(object, buffer.data(), &got);
    buffer.resize(std::min<size_t>(got, length));
    if (size_t nul = buffer.find('\0'); nul != std::string::npos)
        buffer.resize(nul);
    return buffer;
}

uint32_t pageOf(uint32_t object)
{
    QXStr_SetCurObject(object);
    return Comm_GetCurrentPage();
}

} // namespace de

const char* DEMessageText(int32_t messageId)
{
    for (const MessageRow& row : MessageTable)
        if (row.id == messageId)
            return row.text;
    return "";
}

void DEShowMessage(const char* text, int16_t messageId)
{
    GE_MessageBoxText(text, messageId);
}

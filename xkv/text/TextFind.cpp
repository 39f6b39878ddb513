// Search and replace in texts: a Knuth-Morris-Pratt matcher over a text's
// characters (wrapped line ends read nothing, hard breaks read as their
// byte), optionally descending into the texts that references point at,
// replacement with hooks 47 and 37, the walk over objects in scope, and the
// pair search in plain buffers used by bracket selection and loading.
#include "xkv/text/TextFind.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextInternal.h"

using namespace textimpl;

namespace {

struct SearchState {
    std::string pattern;
    std::vector<int16_t> fail;
    std::string replacement;
    bool fold = false;
    bool follow = false;
    uint32_t replaceMode = 0;
    uint32_t pass = 0;
    uint32_t replacements = 0;
    bool refused = false;
    std::vector<MemHandle> changedTexts;
    int depth = 0;
};

constexpr int kMaxFollowDepth = 32;

SearchState state;
std::vector<ObjectHandle> pageArray;
size_t pageCursor = 0;

char Fold(char c)
{
    return state.fold ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
}

// Folds the pattern when folding and builds its failure table.
void Text_PreparePattern()
{
    if (state.fold) {
        for (char& c : state.pattern) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    size_t n = state.pattern.size();
    state.fail.assign(n, -1);
    for (size_t i = 1; i < n; ++i) {
        int k = state.fail[i - 1];
        while (k > -1 && state.pattern[k] != state.pattern[i - 1]) {
            k = state.fail[k];
        }
        state.fail[i] = static_cast<int16_t>(k + 1);
    }
}

// The text's characters in mode 1 with the reference of each 0 byte.
struct TextStream {
    std::string bytes;
    std::vector<MemHandle> references;  // one per 0 byte, in order
};

TextStream ReadStream(MemHandle handle)
{
    TextStream stream;
    TextLock text(handle);
    if (!text) {
        return stream;
    }
    for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        for (const Cell& cell : ReadCells(*l)) {
            stream.bytes.push_back(static_cast<char>(cell.c));
            if (cell.c == 0) {
                BlockLock<TextSegment> segment(cell.segment);
                stream.references.push_back(segment ? segment->reference : 0);
            }
        }
        if (IsHardBreak(l->endMark)) {
            stream.bytes.push_back(static_cast<char>(l->endMark));
        }
    }
    return stream;
}

ObjectHandle Text_FindInObject(ObjectHandle object);

// Matches from `from`; the match start in `start`, the end in `end`. A
// reference byte followed into another text that matches ends the search
// with that text's owner in `elsewhere`.
bool Text_MatchNext(const TextStream& stream, uint32_t from, uint32_t* start, uint32_t* end, ObjectHandle* elsewhere)
{
    const std::string& p = state.pattern;
    int k = 0;
    uint32_t zeroIndex = 0;
    for (uint32_t i = 0; i < from && i < stream.bytes.size(); ++i) {
        zeroIndex += stream.bytes[i] == 0 ? 1 : 0;
    }
    uint32_t followed = UINT32_MAX;
    for (uint32_t i = from; i < stream.bytes.size();) {
        char c = stream.bytes[i];
        if (c == 0 && state.follow && state.depth < kMaxFollowDepth && followed != i) {
            followed = i;
            MemHandle reference = zeroIndex < stream.references.size() ? stream.references[zeroIndex] : 0;
            BlockLock<TextRef> r(reference);
            if (r) {
                ++state.depth;
                ObjectHandle found = Text_FindInObject(r->object);
                --state.depth;
                if (found != 0 || state.refused) {
                    *elsewhere = found;
                    return true;
                }
            }
        }
        c = Fold(c);
        if (k >= 0 && c != p[k]) {
            k = state.fail[k];
            continue;
        }
        ++k;
        zeroIndex += stream.bytes[i] == 0 ? 1 : 0;
        ++i;
        if (static_cast<size_t>(k) == p.size()) {
            *end = i;
            *start = i - static_cast<uint32_t>(p.size());
            return true;
        }
    }
    return false;
}

void SetCursorOffset(MemHandle handle, uint32_t offset)
{
    TextLock text(handle);
    TextPosition p = PositionAt(*text, offset);
    text->cursorLine = p.line;
    text->cursorColumn = p.column;
}

// Searches one object's text in the current pass.
ObjectHandle Text_FindInObject(ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return 0;
    }
    auto pass = static_cast<int32_t>(state.pass);
    uint32_t from = 0;
    TextPosition remembered;
    {
        TextLock text(handle);
        if (text->findMark == pass) {
            return 0;
        }
        remembered = {text->cursorLine, text->cursorColumn};
        if (text->findMark != -pass) {
            text->findMark = -pass;
        } else if (text->anchorColumn >= 0) {
            TextPosition start;
            TextPosition end;
            Text_SelectionEnds(text.get(), &start, &end);
            from = OffsetOf(*text, end);
            text->anchorColumn = -1;
            text->anchorLine = 0;
        } else {
            from = OffsetOf(*text, remembered);
        }
    }
    ObjectHandle found = 0;
    bool matchedHere = false;
    while (true) {
        TextStream stream = ReadStream(handle);
        uint32_t start = 0;
        uint32_t end = 0;
        ObjectHandle elsewhere = 0;
        if (!Text_MatchNext(stream, from, &start, &end, &elsewhere)) {
            break;
        }
        if (elsewhere != 0 || state.refused) {
            found = elsewhere;
            break;
        }
        {
            TextLock text(handle);
            TextPosition s = PositionAt(*text, start);
            TextPosition e = PositionAt(*text, end);
            text->cursorLine = s.line;
            text->cursorColumn = s.column;
            text->anchorLine = e.line;
            text->anchorColumn = static_cast<int16_t>(e.column);
        }
        found = object;
        matchedHere = true;
        if (state.replaceMode == 0) {
            break;
        }
        if (Hook_IsRegistered(kHookTextReplace) &&
            Hook_GetHandler(kHookTextReplace)(object, reinterpret_cast<uintptr_t>(state.pattern.c_str()),
                                              reinterpret_cast<uintptr_t>(state.replacement.c_str()), 0, 0, 0) == 0) {
            state.refused = true;
            found = 0;
            matchedHere = false;
            break;
        }
        {
            TextLock text(handle);
            text->anchorColumn = -1;
            text->anchorLine = 0;
        }
        TextPosition at;
        {
            TextLock text(handle);
            at = {text->cursorLine, text->cursorColumn};
        }
        Text_DeleteRange(handle, at, static_cast<uint32_t>(state.pattern.size()), nullptr);
        SetCursorOffset(handle, start);
        if (!state.replacement.empty()) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(state.replacement.data());
            Text_InsertAtCursor(handle, bytes, static_cast<uint32_t>(state.replacement.size()), nullptr);
        }
        if (!IsEdited(handle) &&
            std::find(state.changedTexts.begin(), state.changedTexts.end(), handle) == state.changedTexts.end()) {
            state.changedTexts.push_back(handle);
        }
        state.replacements++;
        if (Hook_IsRegistered(kHookTextReplaced)) {
            Hook_GetHandler(kHookTextReplaced)(object, 0, 0, 0, 0, 0);
        }
        from = start + static_cast<uint32_t>(state.replacement.size());
        if (state.replaceMode != 2) {
            break;
        }
    }
    {
        TextLock text(handle);
        if (!matchedHere) {
            text->cursorLine = remembered.line;
            text->cursorColumn = remembered.column;
        }
        text->findMark = pass;
    }
    if (found == 0 && !state.refused && state.follow) {
        for (ObjectHandle referrer : Text_Referrers(object)) {
            if (state.depth >= kMaxFollowDepth) {
                break;
            }
            ++state.depth;
            found = Text_FindInObject(referrer);
            --state.depth;
            if (found != 0 || state.refused) {
                break;
            }
        }
    }
    return found;
}

void FinishSearch(ObjectHandle object, ObjectHandle found)
{
    MemHandle handle = TextOf(object);
    if (found != 0 && found == object && handle != 0) {
        TextLock text(handle);
        text->findMark = -static_cast<int32_t>(state.pass);
    }
    if (MemHandle foundText = TextOf(found); foundText != 0) {
        TextLock text(foundText);
        if (text->anchorColumn >= 0 && text->anchorLine == text->cursorLine &&
            text->anchorColumn == text->cursorColumn) {
            text->anchorColumn = -1;
            text->anchorLine = 0;
        }
    }
    if (MemHandle edited = TextWidget_CurrentText(); edited != 0) {
        Text_Redisplay(edited, 0);
        Text_ShowSelection(edited);
    }
    for (MemHandle changed : state.changedTexts) {
        Text_DamageTextBox(changed);
    }
    state.changedTexts.clear();
}

struct Visit {
    const FindSettings* settings;
    uint32_t scope;
    ObjectHandle found;
    KernelStatus status;
};

KernelStatus Text_FindVisit(ObjectHandle object, void* argument);

KernelStatus VisitTree(ObjectHandle root, Visit& visit)
{
    uint32_t saved = visit.scope;
    visit.scope = 3;
    Model_WalkTree(1, root, kMaskAll, Text_FindVisit, &visit);
    visit.scope = saved;
    return visit.found != 0 ? kStatusFoundText : kStatusOk;
}

KernelStatus CollectPage(ObjectHandle page, void* argument)
{
    static_cast<std::vector<ObjectHandle>*>(argument)->push_back(page);
    return kStatusOk;
}

// Searches page by page from the last page of the page array towards the
// first; Find Again goes on with the page where the last find stopped.
KernelStatus Text_FindPages(Visit& visit, bool again)
{
    if (!again || pageArray.empty()) {
        pageArray.clear();
        Model_ApplyPages(CollectPage, &pageArray);
        pageCursor = pageArray.size();
    }
    while (pageCursor > 0) {
        ObjectHandle page = pageArray[pageCursor - 1];
        if (Model_IsObject(page) && VisitTree(page, visit) == kStatusFoundText) {
            return kStatusFoundText;
        }
        --pageCursor;
    }
    pageArray.clear();
    pageCursor = 0;
    return kStatusOk;
}

// Visits one object by the scope: its own text (scopes 3, 4), the object and
// everything below it (1, 2), or every page (0). kStatusFoundText stops a walk.
KernelStatus Text_FindVisit(ObjectHandle object, void* argument)
{
    auto& visit = *static_cast<Visit*>(argument);
    if (visit.settings->search[0] == '\0') {
        visit.status = kStatusEmptySearch;
        return kStatusEmptySearch;
    }
    if (visit.scope == 3 || visit.scope == 4) {
        ObjectHandle found = Text_FindInText(object, visit.settings->search, visit.settings->replacement,
                                             visit.settings->matchCase, visit.settings->replaceMode,
                                             visit.scope == 4 ? 1 : 0, 1, state.pass);
        if (found != 0) {
            visit.found = found;
            return kStatusFoundText;
        }
        return state.refused ? kStatusFoundText : kStatusOk;
    }
    return VisitTree(object, visit);
}

std::string Bounded(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

}  // namespace

uint32_t Text_NewFindPass()
{
    return ++state.pass;
}

uint32_t Text_FindReplacementCount()
{
    return state.replacements;
}

ObjectHandle Text_FindInText(ObjectHandle object, const char* pattern, const char* replacement, uint32_t matchCase,
                             uint32_t replaceMode, uint32_t follow, uint32_t continueFlag, uint32_t pass)
{
    state.pattern = pattern != nullptr ? Bounded(pattern, 256) : std::string();
    state.replacement = replacement != nullptr ? Bounded(replacement, 256) : std::string();
    state.fold = matchCase == 0;
    state.replaceMode = replaceMode;
    state.follow = follow != 0;
    state.pass = pass;
    state.refused = false;
    state.depth = 0;
    if (state.pattern.empty()) {
        return 0;
    }
    Text_PreparePattern();
    MemHandle handle = TextOf(object);
    if (continueFlag != 0 && handle != 0) {
        TextLock text(handle);
        TextPosition start;
        TextPosition end;
        if (Text_SelectionEnds(text.get(), &start, &end) != 0) {
            text->cursorLine = end.line;
            text->cursorColumn = end.column;
            text->anchorColumn = -1;
            text->anchorLine = 0;
            text->findMark = -static_cast<int32_t>(pass);
        }
    }
    ObjectHandle found = Text_FindInObject(object);
    FinishSearch(object, found);
    return state.refused ? 0 : found;
}

KernelStatus Text_FindFrom(ObjectHandle start, const FindSettings* settings, uint32_t again, ObjectHandle* found)
{
    *found = 0;
    if (again == 0) {
        pageArray.clear();
        pageCursor = 0;
        Text_NewFindPass();
    } else if (settings->replaceMode == 2) {
        return kStatusOk;
    }
    Visit visit{settings, settings->scope, 0, kStatusOk};
    KernelStatus status = kStatusOk;
    if (visit.scope == 0) {
        status = Text_FindPages(visit, again != 0);
    } else if (start != 0) {
        status = Text_FindVisit(start, &visit);
    }
    *found = visit.found;
    if (visit.status == kStatusEmptySearch) {
        return kStatusEmptySearch;
    }
    return status == kStatusFoundText ? kStatusOk : status;
}

KernelStatus Text_FindInGroup(uint16_t count, const ObjectHandle* members, const FindSettings* settings,
                              ObjectHandle* found)
{
    *found = 0;
    Text_NewFindPass();
    for (uint16_t i = 0; i < count; ++i) {
        Visit visit{settings, settings->scope == 4 ? 4u : 3u, 0, kStatusOk};
        Text_FindVisit(members[i], &visit);
        if (visit.status == kStatusEmptySearch) {
            return kStatusEmptySearch;
        }
        if (visit.found != 0) {
            *found = visit.found;
        }
    }
    return kStatusOk;
}

void Text_ResetFindCount()
{
    state.replacements = 0;
}

KernelStatus Text_SelectToString(ObjectHandle object, const char* string)
{
    if (string == nullptr || string[0] == '\0') {
        return kStatusNoString;
    }
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    TextStream stream = ReadStream(handle);
    TextLock text(handle);
    uint32_t cursor = OffsetOf(*text, {text->cursorLine, text->cursorColumn});
    size_t at = std::string_view(stream.bytes).find(string, cursor);
    if (at != std::string_view::npos) {
        TextPosition end = PositionAt(*text, static_cast<uint32_t>(at + std::strlen(string)));
        text->anchorLine = end.line;
        text->anchorColumn = static_cast<int16_t>(end.column);
    }
    return kStatusOk;
}

KernelStatus Text_FindFromStart(ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    if (IsEdited(handle)) {
        Text_HideSelection(handle);
        Text_ResetScroll(handle);
    }
    TextLock text(handle);
    text->cursorLine = text->firstLine;
    text->cursorColumn = 0;
    text->anchorColumn = -1;
    text->anchorLine = 0;
    return kStatusOk;
}

KernelStatus Text_FindFromStartInGroup(uint16_t group)
{
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        Text_FindFromStart(Group_Member(group, i));
    }
    return kStatusOk;
}

uint32_t Text_FindPair(const char* buffer, uint32_t count, uint32_t* start, const char* open, const char* close,
                       bool* openSeen)
{
    if (openSeen != nullptr) {
        *openSeen = false;
    }
    if (buffer == nullptr || open == nullptr || close == nullptr || open[0] == '\0' || close[0] == '\0') {
        return 0;
    }
    std::string_view text(buffer, count);
    std::string_view o(open);
    std::string_view c(close);
    size_t first = text.find(o);
    if (first == std::string_view::npos) {
        return 0;
    }
    if (openSeen != nullptr) {
        *openSeen = true;
    }
    if (start != nullptr) {
        *start = static_cast<uint32_t>(first);
    }
    size_t position = first + o.size();
    int depth = 1;
    while (depth > 0) {
        size_t nextClose = text.find(c, position);
        if (nextClose == std::string_view::npos) {
            return 0;
        }
        if (o != c) {
            size_t nextOpen = text.find(o, position);
            if (nextOpen != std::string_view::npos && nextOpen < nextClose) {
                ++depth;
                position = nextOpen + o.size();
                continue;
            }
        }
        --depth;
        position = nextClose + c.size();
    }
    return static_cast<uint32_t>(position);
}

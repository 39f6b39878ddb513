// Conversion of declaration node texts: the text is cut into pieces at the
// leading keywords of its declarations, each piece is read by the rule of its
// kind into an entry, and each entry is placed below the node. A node whose
// conversion fails is left as a plain object with its old text and size.
#include <cstring>
#include <memory>

#include "atolq/AEditor/SENet.h"
#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/Utils/QXMem.h"

using namespace de;

namespace {

struct Piece {
    std::string text;
    uint16_t kind;
};

// Conversion state: one conversion at a time.
struct State {
    std::vector<Piece> pieces;
    Ranges comments;
    std::vector<std::string> followUps;
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    uint32_t timing = 0;
    SEDeclEntry* replaced = nullptr;
    int quiet = 0;
};
State state;

constexpr std::pair<const char*, uint16_t> kKeywords[] = {
    {"color", kDEColorSet}, {"colorset", kDEColorSet}, {"fun", kDEFun},     {"val", kDEVal},
    {"statvar", kDEStatvar}, {"globref", kDEGlobref},  {"exception", kDEException}, {"use", kDEUse},
    {"var", kDEVar},         {"definetime", kDEDefinetime}};
const char* const kDeclWords[] = {"var", "msvar", "alias", "declare"};
constexpr std::string_view kWalkDelims = "\r\t\n ;()*";
constexpr size_t kShownPrefix = 30;

void show(std::string_view text, int16_t id) { DEShowMessage(std::string(text).c_str(), id); }

// ---- cutting ----

// Appends the piece from start to end of the pristine text, trailing blanks cut.
void cutPiece(std::string_view pristine, uint16_t kind, size_t start, size_t end)
{
    if (start > pristine.size())
        return;
    end = std::min(end, pristine.size());
    std::string text(pristine.substr(start, end > start ? end - start : 0));
    size_t last = text.find_last_not_of(kBlanks);
    text.resize(last == std::string::npos ? 0 : last + 1);
    if (kind == kDEVar && text.find(':') == std::string::npos) {
        if (!state.pieces.empty() && state.pieces.back().kind == kDEColorSet)
            state.pieces.back().text += " " + text;
        else
            DEShowMessage("A variable must have a color-set", 0);
        return;
    }
    state.pieces.push_back({std::move(text), kind});
}

bool convertPiece(const std::string& text, uint16_t kind, uint32_t* object);

// Converts the pieces in order; the first failure ends it.
int convertPieces(uint32_t* object)
{
    std::vector<Piece> pieces = std::move(state.pieces);
    state.pieces.clear();
    for (const Piece& p : pieces)
        if (!convertPiece(p.text, p.kind, object))
            return 0;
    return 1;
}

// ---- reading pieces ----

void setComment(SEDeclEntry* e, const std::vector<std::string>& comments)
{
    std::vector<std::string> kept;
    for (const std::string& c : comments)
        if (!c.empty())
            kept.push_back(c);
    if (!kept.empty())
        setText(DEComment(e), join(kept, " "));
}

SEDeclEntry* convertValue(std::string text, uint16_t kind)
{
    std::vector<std::string> comments = takeComments(text);
    Tokens t(text);
    std::string keyword;
    size_t start = 0;
    if (!t.next(kBase, &keyword, &start))
        return nullptr;
    size_t afterKeyword = start + keyword.size();
    size_t eq = text.find('=', afterKeyword);
    if (eq == std::string::npos) {
        show(trim(text).substr(0, kShownPrefix), kDEMsgUnrecognized);
        return nullptr;
    }
    std::string head = text.substr(afterKeyword, eq - afterKeyword);
    size_t colon = head.find(':');
    std::string name = trim(head.substr(0, colon));
    if (name.empty())
        return nullptr;
    SEDeclEntry* e = DENewEntry(kind);
    setText(e->name, name);
    std::string body = trim(collapseBlanks(text.substr(eq + 1)), " ");
    body = dropTrailingSemicolon(trim(body));
    setText(e->texts[0], trim(body));
    if (colon != std::string::npos) {
        std::string type = trim(head.substr(colon + 1));
        if (!type.empty())
            setText(e->texts[2], type);
    }
    setComment(e, comments);
    return e;
}

SEDeclEntry* convertNameOnly(std::string text, uint16_t kind)
{
    std::vector<std::string> comments = takeComments(text);
    Tokens t(text);
    std::string keyword, name;
    if (!t.next(kBase, &keyword) || !t.next(kBase, &name) || trim(name).empty())
        return nullptr;
    SEDeclEntry* e = DENewEntry(kind);
    setText(e->name, trim(name));
    setComment(e, comments);
    return e;
}

SEDeclEntry* convertFun(std::string text)
{
    std::string withComments = text;
    takeComments(text);
    Tokens t(text);
    std::string keyword;
    size_t start = 0;
    if (!t.next(kBase, &keyword, &start))
        return nullptr;
    size_t afterKeyword = start + keyword.size();
    size_t eq = text.find('=', afterKeyword);
    if (eq == std::string::npos) {
        show(trim(text).substr(0, kShownPrefix), kDEMsgUnrecognized);
        return nullptr;
    }
    std::string head = trim(collapseBlanks(text.substr(afterKeyword, eq - afterKeyword)));
    size_t nameEnd = head.find_first_of("\r\t\n ;(");
    std::string name = trim(head.substr(0, nameEnd));
    if (name.empty())
        return nullptr;
    SEDeclEntry* e = DENewEntry(kDEFun);
    setText(e->name, name);
    if (nameEnd != std::string::npos) {
        std::string params = head.substr(nameEnd);
        size_t close = params.rfind(')');
        if (close != std::string::npos) {
            size_t colon = params.find(':', close);
            if (colon != std::string::npos) {
                std::string type = trim(params.substr(colon + 1));
                if (!type.empty())
                    setText(e->texts[2], type);
                params.resize(colon);
            }
        }
        if (!trim(params).empty())
            setText(e->texts[1], trim(params));
    }
    size_t eqOriginal = withComments.find('=', afterKeyword);
    std::string body = eqOriginal == std::string::npos ? std::string() : withComments.substr(eqOriginal + 1);
    setText(e->texts[0], trim(dropTrailingSemicolon(trim(body))));
    return e;
}

SEDeclEntry* convertLocalBlock(std::string text)
{
    std::string whole = text;
    takeComments(text);
    Tokens t(text);
    std::string token;
    int depth = 0;
    std::string name;
    bool useName = false;
    std::string useCandidate;
    while (t.next(kBase, &token)) {
        if (token == "local" || token == "let")
            ++depth;
        else if (token == "in")
            --depth;
        else if (depth == 0 && token == "fun") {
            std::string n;
            if (t.next("\r\t\n ;(", &n)) {
                name = n;
                break;
            }
        } else if (depth == 0 && token == "use" && !useName) {
            Tokens copy = t;
            std::string n;
            if (copy.next("\r\t\n ;\"", &n)) {
                useCandidate = n;
                useName = true;
            }
        }
    }
    if (name.empty())
        name = useCandidate;
    if (name.empty())
        return nullptr;
    SEDeclEntry* e = DENewEntry(kDELocalBlock);
    setText(e->name, name);
    setText(e->texts[0], trim(whole));
    return e;
}

// ---- colour sets ----

struct CSReader {
    SEDeclEntry* e;
    std::string delims;
    int part = 1;
    int declWord = 0;
    bool kindStored = false;
    bool firstBodyToken = true;

    void advance() { part = part == 1 ? 2 : 4; }

    bool refuse(int16_t id)
    {
        show(str(e->name), id);
        return false;
    }

    void addToPart(SEText& field, const std::string& token)
    {
        setText(field, present(field) ? str(field) + " " + token : token);
    }

    bool rangeToken(const std::string& token, bool (CSReader::*read)(const std::string&))
    {
        if (token == "with") {
            part = 1;
            return true;
        }
        if (token == "and" || token == "length") {
            part = 3;
            return true;
        }
        if (token == ".." || token == ",") {
            advance();
            return true;
        }
        size_t at = token.find("..");
        size_t width = 2;
        if (at == std::string::npos) {
            at = token.find(',');
            width = 1;
        }
        if (at == std::string::npos)
            return (this->*read)(token);
        std::string left = token.substr(0, at), right = token.substr(at + width);
        if (!left.empty() && !(this->*read)(left))
            return false;
        advance();
        return right.empty() || (this->*read)(right);
    }

    bool readPlain(const std::string& token)
    {
        addToPart(e->texts[part - 1], token);
        return true;
    }
    bool readBool(const std::string& token)
    {
        if (part == 1)
            addToPart(e->texts[0], token.substr(token.front() == '(' ? 1 : 0));
        else
            addToPart(e->texts[1], token.back() == ')' ? token.substr(0, token.size() - 1) : token);
        return true;
    }
    bool readIndexRange(const std::string& token)
    {
        addToPart(e->texts[part == 1 ? 0 : 1], token);
        return true;
    }
    bool readListRange(const std::string& token)
    {
        addToPart(e->texts[part == 1 || part == 3 ? 0 : 1], token);
        return true;
    }

    bool field(const std::string& token, bool unionTags)
    {
        size_t colon = token.find(':');
        if (colon == std::string::npos) {
            if (part == 2) {
                setLastColorSet(token);
                part = 1;
            } else {
                DEAppendText(DELabels(e), token.c_str());
                if (unionTags)
                    DEAppendText(DEColorSets(e), "");
            }
            return true;
        }
        std::string left = token.substr(0, colon), right = token.substr(colon + 1);
        if (!left.empty() && !field(left, unionTags))
            return false;
        part = 2;
        if (!right.empty()) {
            setLastColorSet(right);
            part = 1;
        }
        return true;
    }
    void setLastColorSet(const std::string& name)
    {
        LMList*& sets = DEColorSets(e);
        if (DECSKind(e) == kCSUnion && sets != nullptr && sets->last != nullptr) {
            auto* cell = static_cast<LMValueCell*>(sets->last);
            QXMem_Free(cell->value);
            cell->value = dup(name);
        } else {
            DEAppendText(sets, name.c_str());
        }
    }

    bool bodyToken(const std::string& token)
    {
        if (kindStored)
            return refuse(kDEMsgUnrecognized);
        bool first = firstBodyToken;
        firstBodyToken = false;
        switch (DECSKind(e)) {
        case kCSUnit:
        case kCSInt:
        case kCSReal:
        case kCSString:
        case kCSIntInf: return rangeToken(token, &CSReader::readPlain);
        case kCSBool: return rangeToken(token, &CSReader::readBool);
        case kCSEnumerate: DEAddItem(e, kDEItemValue, token.c_str()); return true;
        case kCSIndex:
            if (first) {
                if (token == "with")
                    return refuse(kDEMsgIndexName);
                DEAddItem(e, kDEItemValue, token.c_str());
                return true;
            }
            return rangeToken(token, &CSReader::readIndexRange);
        case kCSList:
            if (first) {
                if (token == "with")
                    return refuse(kDEMsgIncomplete);
                DEAppendText(DEColorSets(e), token.c_str());
                return true;
            }
            return rangeToken(token, &CSReader::readListRange);
        case kCSProduct: DEAppendText(DEColorSets(e), token.c_str()); return true;
        case kCSRecord: return field(token, false);
        case kCSUnion: return field(token, true);
        case kCSSubsetFun:
        case kCSSubsetList: return subsetToken(token, first);
        default: return refuse(kDEMsgUnrecognized);
        }
    }

    bool subsetToken(const std::string& token, bool first)
    {
        if (first) {
            if (token == "with" || token == "by")
                return refuse(kDEMsgIncomplete);
            DEAppendText(DEColorSets(e), token.c_str());
            return true;
        }
        if (token == "by") {
            DECSKind(e) = kCSSubsetFun;
            delims = std::string(kBase);
            return true;
        }
        if (token == "with") {
            DECSKind(e) = kCSSubsetList;
            delims = std::string(kBase) + ",[]";
            return true;
        }
        if (DECSKind(e) == kCSSubsetFun)
            addToPart(e->texts[0], token);
        else
            DEAppendText(DELabels(e), token.c_str());
        return true;
    }
};

void addFollowUp(const char* format, const std::string& name)
{
    std::string text = format;
    for (size_t at; (at = text.find("%s")) != std::string::npos;)
        text.replace(at, 2, name);
    state.followUps.push_back(text);
}

void addDeclareItem(const std::string& word, int declWord, SEDeclEntry* e)
{
    if (declWord != 4) {
        DEAddItem(e, static_cast<uint16_t>(declWord), word.c_str());
        return;
    }
    struct Row {
        const char* word;
        const char* item;
        const char* followUp;
    };
    static const Row kRows[] = {{"ms", "all", "val %s = %s.all();"},
                                {"lt", "lt", "val lt'%s = %s.lt;"},
                                {"mkst_col", "mkstr", "val mkst_col'%s = %s.mkstr;"},
                                {"mkst_ms", nullptr, "val mkst_ms'%s = mkstr_ms %s.mkstr;"},
                                {"input_col", "input", "val input_col'%s = %s.input;"},
                                {"input_ms", "input", "val input_ms'%s = input_ms %s.input;"},
                                {"output_col", "output", "val output_col'%s = %s.output;"},
                                {"output_ms", nullptr, "val output_ms'%s = output_ms %s.output;"}};
    for (const Row& r : kRows)
        if (word == r.word) {
            if (r.item != nullptr)
                DEAddItem(e, kDEItemDeclare, r.item);
            addFollowUp(r.followUp, str(e->name));
            return;
        }
    DEAddItem(e, kDEItemDeclare, word.c_str());
}

SEDeclEntry* convertColorSet(std::string text)
{
    state.timing = 0;
    SEDeclEntry* e = DENewEntry(kDEColorSet);
    setComment(e, takeComments(text));
    CSReader r{e, std::string(kBase) + "="};
    Tokens t(text);
    std::string keyword, name, kindWord, token;
    if (!t.next(r.delims, &keyword) || !t.next(r.delims, &name)) {
        DEShowMessage(nullptr, kDEMsgNameRequired);
        DEFreeEntry(e);
        return nullptr;
    }
    setText(e->name, name);
    if (!t.next(r.delims, &kindWord)) {
        show(name, kDEMsgIncomplete);
        DEFreeEntry(e);
        return nullptr;
    }
    uint16_t kind = DEColorSetKind(kindWord.c_str());
    if (kind == 0 && kindWord == "with")
        kind = kCSEnumerate;
    if (kind == 0) {
        if (state.replaced != nullptr) {
            show(kindWord, kDEMsgUnknownType);
            DEFreeEntry(e);
            return nullptr;
        }
        kind = kCSDuplicate;
        DEAppendText(DEColorSets(e), kindWord.c_str());
    }
    DECSKind(e) = kind;
    r.delims = std::string(kBase) + (kind == kCSEnumerate ? "|" : kind == kCSProduct || kind == kCSRecord ? "*"
                                                               : kind == kCSUnion                       ? "+"
                                                                                                        : "");
    while (t.next(r.delims, &token)) {
        int word = 0;
        for (int i = 0; i < 4; ++i)
            if (token == kDeclWords[i])
                word = i + 1;
        bool ok = true;
        if (word != 0) {
            r.declWord = word;
            r.kindStored = true;
            if (r.delims.find(',') == std::string::npos)
                r.delims += ",";
        } else if (token == "timed" || token == "untimed") {
            state.timing = token == "timed" ? 256 : 512;
            DETimed(e) = token == "timed" ? 1 : 0;
            r.kindStored = true;
        } else if (r.declWord != 0) {
            addDeclareItem(token, r.declWord, e);
        } else {
            ok = r.bodyToken(token);
        }
        if (!ok) {
            DEFreeEntry(e);
            return nullptr;
        }
    }
    return e;
}

// var a, b : C [ms]: the names become items of the colour set C.
bool convertVar(std::string text)
{
    std::vector<std::string> comments = takeComments(text);
    size_t colon = text.find(':');
    if (colon == std::string::npos) {
        show(trim(text), kDEMsgVarColon);
        return false;
    }
    Tokens after(std::string_view(text).substr(colon + 1));
    std::string csName, second;
    after.next(kBase, &csName);
    after.next(kBase, &second);
    SEDeclEntry* cs = asEntry(DEFindEntry(nullptr, csName.c_str(), 1));
    if (csName.empty() || cs == nullptr || cs->head.subKind != kDEColorSet || SafeStrcmp(cs->name, csName.c_str()) != 0) {
        show(trim(text), kDEMsgVarColorSet);
        return false;
    }
    uint16_t sub = second == "ms" ? kDEItemMsvar : kDEItemVar;
    std::vector<SEDeclItem*> added;
    Tokens names(std::string_view(text).substr(0, colon));
    std::string keyword, name;
    names.next(kBase, &keyword);
    bool ok = true;
    while (ok && names.next(std::string(kBase) + ",", &name)) {
        ok = DELegalName(name.c_str()) && DENameFree(nullptr, name.c_str());
        if (ok) {
            SEDeclItem* item = DEAddItem(cs, sub, name.c_str());
            item->flags |= kDEChanged;
            added.push_back(item);
        }
    }
    if (!ok) {
        for (SEDeclItem* item : added)
            DERemoveItem(item);
        return false;
    }
    std::vector<std::string> all;
    if (present(DEComment(cs)))
        all.push_back(DEComment(cs));
    for (const std::string& c : comments)
        all.push_back(c);
    setComment(cs, all);
    DERewriteEntryText(cs);
    return true;
}

bool convertPiece(const std::string& text, uint16_t kind, uint32_t* object)
{
    if (!state.quiet) {
        int goOn = 1;
        EE_ShowProgress(&goOn, &state.progress);
        if (!goOn)
            return false;
    }
    SEDeclEntry* e = nullptr;
    switch (kind) {
    case kDEColorSet: e = convertColorSet(text); break;
    case kDEFun: e = convertFun(text); break;
    case kDEVal:
    case kDEGlobref:
    case kDEPageref:
    case kDEInstref: e = convertValue(text, kind); break;
    case kDEStatvar:
    case kDEException:
    case kDEUse: e = convertNameOnly(text, kind); break;
    case kDELocalBlock: e = convertLocalBlock(text); break;
    case kDEVar: ++state.progress.counters[3]; return convertVar(text);
    default:
        if (!trim(text).empty())
            show(trim(text).substr(0, kShownPrefix), kDEMsgUnrecognized);
        break;
    }
    ++state.progress.counters[3];
    if (e == nullptr || DEPlaceEntry(e, object) == 0)
        return false;
    std::vector<std::string> followUps = std::move(state.followUps);
    state.followUps.clear();
    for (const std::string& f : followUps)
        if (!convertPiece(f, kDEVal, object))
            return false;
    return true;
}

// ---- walking a node text ----

struct Walk {
    std::string_view pristine;
    uint16_t pendingKind = 0;
    size_t pendingStart = 0;
    bool havePending = false;
    bool sawKeyword = false;
    void close(size_t end)
    {
        if (havePending)
            cutPiece(pristine, pendingKind, pendingStart, end);
        havePending = false;
    }
    void open(uint16_t kind, size_t start)
    {
        pendingKind = kind;
        pendingStart = start;
        havePending = true;
        sawKeyword = true;
    }
};

int finishWalk(Walk& w, size_t textSize, uint32_t* object)
{
    if (w.havePending)
        w.close(textSize);
    else if (!w.sawKeyword)
        cutPiece(w.pristine, 0, 0, textSize);
    return convertPieces(object);
}

} // namespace

int DEQuiet() { return state.quiet; }
void DESetQuiet(int quiet) { state.quiet = quiet; }
uint32_t DETimingWord() { return state.timing; }
SEDeclEntry* DEReplacedEntry() { return state.replaced; }
void DESetReplacedEntry(SEDeclEntry* entry) { state.replaced = entry; }

int DEDeclKeyword(const char* word, uint16_t* kind)
{
    for (const auto& [w, k] : kKeywords)
        if (std::strcmp(w, word) == 0) {
            *kind = k;
            return 1;
        }
    return 0;
}

int DELocalKeyword(const char* word, uint16_t* kind)
{
    if (std::strcmp(word, "pageref") == 0 || std::strcmp(word, "instref") == 0) {
        *kind = word[0] == 'p' ? kDEPageref : kDEInstref;
        return 1;
    }
    return 0;
}

int DEParseGlobalText(char* text, const char* pristine, uint32_t* object)
{
    std::string_view source(text);
    Walk w{pristine};
    Tokens t(source);
    std::string token;
    size_t start = 0;
    int depth = 0;
    bool local = false, blockClosed = false, definetime = false, stopped = false;
    uint16_t kind = 0;
    while (!stopped && t.next(kWalkDelims, &token, &start)) {
        bool inComment = inRanges(state.comments, start);
        if (DELocalKeyword(token.c_str(), &kind)) {
            show(token, kDEMsgRefInGlobal);
            state.pieces.clear();
            return 0;
        }
        if (inComment)
            continue;
        if (DEDeclKeyword(token.c_str(), &kind)) {
            if (depth > 0) {
                stopped = kind != kDEFun && kind != kDEVal;
                continue;
            }
            if ((kind == kDEFun || kind == kDEVal) && local && blockClosed) {
                w.pendingKind = kDELocalBlock; // the block keeps its start
                local = blockClosed = false;
                continue;
            }
            w.close(start);
            if (kind == kDEDefinetime)
                definetime = w.sawKeyword = true;
            else
                w.open(kind, start);
            continue;
        }
        if (token == "local") {
            if (depth == 0) {
                w.close(start);
                w.open(kDELocalBlock, start);
            }
            ++depth;
            local = true;
        } else if (token == "let") {
            ++depth;
        } else if (token == "in") {
            --depth;
            blockClosed = local && depth == 0;
        }
    }
    if (stopped || depth != 0) {
        DEShowMessage("Syntax error.", 0);
        state.pieces.clear();
        return 0;
    }
    int result = finishWalk(w, source.size(), object);
    if (definetime)
        DEShowMessage("The 'definetime' declaration will not be converted. Please use Simulation Options to set the time.", 0);
    return result;
}

int DEParseLocalText(char* text, const char* pristine, uint32_t* object)
{
    std::string_view source(text);
    Walk w{pristine};
    Tokens t(source);
    std::string token;
    size_t start = 0;
    uint16_t kind = 0;
    while (t.next(kWalkDelims, &token, &start)) {
        bool inComment = inRanges(state.comments, start);
        if (DELocalKeyword(token.c_str(), &kind)) {
            if (!inComment) {
                w.close(start);
                w.open(kind, start);
            }
        } else if (DEDeclKeyword(token.c_str(), &kind)) {
            show(token, kDEMsgOnlyRefs);
            state.pieces.clear();
            return 0;
        }
    }
    return finishWalk(w, source.size(), object);
}

namespace {

SEDeclNode* nodeRecord(uint32_t object)
{
    SEHead* record = nullptr;
    if (object == 0 || GE_GetSERecord(object, &record) == 0 || record == nullptr || record->kind != kSEDeclNode)
        return nullptr;
    return reinterpret_cast<SEDeclNode*>(record);
}

// Puts the node back as a plain object holding its old text and size.
void restoreNode(uint32_t object, SEDeclNode* node, const std::string& text, Fixed w, Fixed h)
{
    while (node->entries != nullptr && node->entries->first != nullptr) {
        auto* e = static_cast<SEDeclEntry*>(node->entries->first);
        uint32_t region = DERegion(e);
        DEDeleteEntry(e);
        if (region != 0)
            QXStr_DeleteObject(region);
    }
    uint16_t count = 0;
    ObjectHandle* regions = nullptr;
    if (QXStr_GetRegionList(object, &count, &regions) != 0 && regions != nullptr) {
        for (uint16_t i = 0; i < count; ++i)
            QXStr_DeleteObject(regions[i]);
        QXMem_Free(regions);
    }
    QXStr_SetCurObject(object);
    EE_MakeSelectionAuxiliary();
    QXText_SetText(object, text.c_str());
    QXWtAttr_SetSize(object, w, h);
}

} // namespace

int DEConvertNode(uint32_t object)
{
    SEDeclNode* node = nodeRecord(object);
    std::string text = objectText(object);
    if (node == nullptr || text.empty())
        return 0;
    int cursor = EE_BeginBusy(nullptr);
    std::string pristine = text;
    state.pieces.clear();
    state.followUps.clear();
    state.quiet = 0;
    state.comments = commentRanges(text);
    Fixed w0 = 0, h0 = 0, x = 0, y = 0, w1 = 0, h1 = 0;
    QXRdAttr_GetSize(object, &w0, &h0);
    QXRdAttr_GetPosition(object, &x, &y);
    QXText_SetText(object, str(node->name).c_str());
    QXStr_SetCurObject(object);
    QXUI_DoCommand(kDECmdFitToText);
    QXRdAttr_GetSize(object, &w1, &h1);
    QXWtAttr_SetSize(object, w0, h1);
    static const char* const kFormats[4] = {nullptr, "%d Global Declarations Converted", "%d Local Declarations Converted",
                                            "%d Temporary Declarations Converted"};
    uint16_t sub = node->head.subKind;
    state.progress = ProgressRecord{kFormats[sub <= 3 ? sub : 0], 8, {0, 0, 0, 0, 0}};
    uint32_t out = object;
    int ok = sub == kSEDeclLocal ? DEParseLocalText(text.data(), pristine.c_str(), &out)
                                 : DEParseGlobalText(text.data(), pristine.c_str(), &out);
    if (ok)
        QXWtAttr_SetPosition(object, x, y - (h0 - h1) / 2);
    else
        restoreNode(object, node, pristine, w0, h0);
    state.pieces.clear();
    state.comments.clear();
    EE_EndBusy(cursor);
    return 1;
}

int DEConvertText(char* text, SEDeclNode* node, uint32_t* object)
{
    state.comments = commentRanges(text);
    std::string pristine = text;
    int result = node != nullptr && node->head.subKind == kSEDeclGlobal ? DEParseGlobalText(text, pristine.c_str(), object)
                                                                          : DEParseLocalText(text, pristine.c_str(), object);
    state.comments.clear();
    return result;
}

int DEReconvertNodeText(uint32_t textObject, uint32_t* object)
{
    state.quiet = 1;
    std::string text = objectText(textObject);
    if (text.empty()) {
        state.quiet = 0;
        return 0;
    }
    SEHead* record = nullptr;
    GE_GetSERecord(*object, &record);
    SEDeclNode* node = nodeRecord(*object);
    if (node == nullptr && asEntry(record) != nullptr)
        node = DEOwnerNode(asEntry(record));
    state.comments = commentRanges(text);
    std::string pristine = text;
    int result = node != nullptr && node->head.subKind == kSEDeclGlobal
                     ? DEParseGlobalText(text.data(), pristine.c_str(), object)
                     : DEParseLocalText(text.data(), pristine.c_str(), object);
    state.quiet = 0;
    state.comments.clear();
    QXStr_DeleteObject(textObject);
    *object = QXStr_GetCurObject();
    return result;
}

int DEMergeNodeText(uint32_t source, uint32_t target)
{
    uint32_t length = 0;
    int found = QXText_GetLength(source, &length) != 0 ? 1 : 0;
    if (found == 0 || length == 0)
        return found;
    std::string merged = objectText(target) + "\n" + objectText(source);
    QXText_SetText(target, merged.c_str());
    return QXStr_DeleteObject(source) != 0 ? 1 : 0;
}

namespace {

// Strips the node of its net role, makes its record anew and converts it.
int convertNodeRecord(SEDeclNode* node)
{
    uint32_t object = node->kvObject;
    uint16_t sub = node->head.subKind;
    SEPage* page = node->head.owner != nullptr && node->head.owner->kind == kSEPage
                       ? reinterpret_cast<SEPage*>(node->head.owner)
                       : nullptr;
    EE_RemoveNetInfo(object, 0);
    EE_CreateDeclNode(object, page, sub);
    return DEConvertNode(object);
}

// Converts the first node of the sub-kind that has text: 1 when one was.
int convertFirst(uint16_t sub)
{
    SERoot* r = SECurrentRoot();
    for (void* n = r != nullptr && r->globalDecls != nullptr ? r->globalDecls->first : nullptr; n != nullptr;
         n = static_cast<LMLink*>(n)->next) {
        auto* node = static_cast<SEDeclNode*>(n);
        if (node->head.subKind == sub && !objectText(node->kvObject).empty())
            return convertNodeRecord(node);
    }
    return 0;
}

} // namespace

int DEConvertDeclarations()
{
    QXUI_SetStatusBarMessage("Converting Declaration Nodes...");
    int result = convertFirst(kSEDeclGlobal);
    if (result == 0)
        return 0;
    result = convertFirst(kSEDeclTemporary);
    if (result == 0)
        return 0;
    SERoot* r = SECurrentRoot();
    for (void* p = r->pages != nullptr ? r->pages->first : nullptr; p != nullptr; p = static_cast<LMLink*>(p)->next) {
        std::vector<SEDeclNode*> nodes;
        eachRec(static_cast<SEPage*>(p)->localDecls, [&](SEHead* h) { nodes.push_back(reinterpret_cast<SEDeclNode*>(h)); });
        for (SEDeclNode* node : nodes)
            result = convertNodeRecord(node);
    }
    return result;
}

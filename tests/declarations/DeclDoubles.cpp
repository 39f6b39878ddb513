// Test doubles of the kernel, the net editor and the evaluator steps that the
// declarations call (see DeclDoubles.h).
#include "DeclDoubles.h"

#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/DEclarations/DEclarations.h"
#include "atolq/Utils/QXMem.h"

DeclWorld& world()
{
    static DeclWorld w;
    return w;
}

void resetWorld() { world() = DeclWorld{}; }

uint32_t newObject(const std::string& text, int32_t x, int32_t y, int32_t w, int32_t h)
{
    uint32_t id = world().nextObject++;
    FakeObject& o = world().objects[id];
    o.text = text;
    o.x = x, o.y = y, o.w = w, o.h = h;
    o.page = world().currentPage;
    return id;
}

std::string lastMessage() { return world().messages.empty() ? std::string() : world().messages.back(); }

namespace {
FakeObject* find(uint32_t id)
{
    auto it = world().objects.find(id);
    return it != world().objects.end() ? &it->second : nullptr;
}
int lines(const std::string& t)
{
    int n = 1;
    for (char c : t)
        n += c == '\n';
    return n;
}
} // namespace

// ---- kernel ----
int QXText_GetLength(uint32_t object, uint16_t* length)
{
    FakeObject* o = find(object);
    if (o == nullptr)
        return 0;
    *length = static_cast<uint16_t>(o->text.size());
    return 1;
}
int QXText_GetText(uint32_t object, char* buffer, uint16_t* length)
{
    FakeObject* o = find(object);
    if (o == nullptr)
        return 0;
    *length = static_cast<uint16_t>(std::min<size_t>(*length, o->text.size()));
    std::memcpy(buffer, o->text.data(), *length);
    return 1;
}
int QXText_SetText(uint32_t object, const char* text)
{
    if (FakeObject* o = find(object))
        o->text = text;
    return 1;
}
uint32_t QXStr_CreateNode(uint32_t page, int32_t x, int32_t y, int32_t w, int32_t h, int32_t)
{
    if (world().failRegions > 0) {
        --world().failRegions;
        return 0;
    }
    uint32_t id = newObject("", x, y, w, h);
    world().objects[id].page = page;
    return id;
}
int QXStr_DeleteObject(uint32_t object)
{
    std::vector<uint32_t> regions;
    for (auto& [id, o] : world().objects)
        if (o.parent == object)
            regions.push_back(id);
    for (uint32_t r : regions)
        QXStr_DeleteObject(r);
    if (world().selected == object)
        world().selected = 0;
    return world().objects.erase(object) != 0 ? 1 : 0;
}
uint32_t QXStr_GetCurObject() { return world().selected; }
int QXStr_SetCurObject(uint32_t object)
{
    world().selected = object;
    if (FakeObject* o = find(object))
        world().currentPage = o->page;
    return 1;
}
int QXStr_GetRegionList(uint32_t object, uint16_t* count, uint32_t** regions)
{
    std::vector<uint32_t> found;
    for (auto& [id, o] : world().objects)
        if (o.parent == object)
            found.push_back(id);
    *count = static_cast<uint16_t>(found.size());
    *regions = static_cast<uint32_t*>(QXMem_Alloc(static_cast<uint32_t>(sizeof(uint32_t) * (found.size() + 1))));
    std::copy(found.begin(), found.end(), *regions);
    return 1;
}
uint32_t Comm_GetCurrentPage() { return world().currentPage; }
// Command 802 fits the selected object's height to its lines (10 a line).
int QXUI_DoCommand(int32_t command)
{
    if (FakeObject* o = find(world().selected); o != nullptr && command == kDECmdFitToText)
        o->h = 10 * lines(o->text);
    return 1;
}
// Top to bottom: the object goes right below the reference, same centre x.
int QXUI_AlignObjects(uint32_t object, int32_t, uint32_t a, uint32_t)
{
    FakeObject* o = find(object);
    FakeObject* ref = find(a);
    if (o != nullptr && ref != nullptr) {
        o->x = ref->x;
        o->y = ref->y + ref->h / 2 + o->h / 2;
    }
    return 1;
}
void QXUI_SetStatusBarMessage(const char*) {}
int QXWtAttr_SetLineStyle(uint32_t object, int32_t style)
{
    if (FakeObject* o = find(object))
        o->lineStyle = style;
    return 1;
}
int QXRdAttr_GetSize(uint32_t object, int32_t* w, int32_t* h)
{
    FakeObject* o = find(object);
    if (o == nullptr)
        return 0;
    *w = o->w, *h = o->h;
    return 1;
}
int QXRdAttr_GetPosition(uint32_t object, int32_t* x, int32_t* y)
{
    FakeObject* o = find(object);
    if (o == nullptr)
        return 0;
    *x = o->x, *y = o->y;
    return 1;
}
int QXWtAttr_SetSize(uint32_t object, int32_t w, int32_t h)
{
    if (FakeObject* o = find(object))
        o->w = w, o->h = h;
    return 1;
}
// Regions move with the object they belong to.
int QXWtAttr_SetPosition(uint32_t object, int32_t x, int32_t y)
{
    FakeObject* o = find(object);
    if (o == nullptr)
        return 0;
    int32_t dx = x - o->x, dy = y - o->y;
    for (auto& [id, r] : world().objects)
        if (r.parent == object)
            QXWtAttr_SetPosition(id, r.x + dx, r.y + dy);
    o = find(object);
    o->x = x, o->y = y;
    return 1;
}

// The legal-identifier rule of the syntax check.
int CTSLegalMLName(const char* name)
{
    static const std::set<std::string> kWords = {
        "abstype", "and", "andalso", "as", "case", "do", "datatype", "else", "end", "exception", "fn", "fun",
        "handle", "if", "in", "infix", "infixr", "let", "local", "nonfix", "of", "op", "open", "orelse",
        "raise", "rec", "then", "type", "val", "with", "withtype", "while", "eqtype", "functor", "include",
        "sharing", "sig", "signature", "struct", "structure", "action", "all", "bool", "by", "color",
        "declare", "definetime", "globref", "guard", "index", "input", "instref", "int", "IntInf", "list",
        "ms", "o", "output", "pageref", "product", "record", "same", "string", "subset", "unit", "var", "tms",
        "timed", "untimed", "start", "time", "TIME", "use", "out"};
    if (name == nullptr || *name == 0 || kWords.count(name) != 0)
        return 0;
    if (!std::isalpha(static_cast<unsigned char>(name[0])) && name[0] != '\'')
        return 0;
    for (const char* p = name + 1; *p != 0; ++p)
        if (!std::isalnum(static_cast<unsigned char>(*p)) && *p != '\'' && *p != '_')
            return 0;
    return 1;
}
int CTSStartEvaluator(CTSConfigFn) { return world().evaluatorUp ? 1 : 0; }
int GE_GetMLSettings(int, int*, char**, uint16_t*, char**, char**, char**, char**, char**, int) { return 1; }
int SWithTime() { return world().withTime ? 1 : 0; }

// ---- net editor ----
void EE_ShowProgress(int* goOn, ProgressRecord*)
{
    if (world().stopAfterProgress)
        *goOn = 0;
}
int EE_AddErrorText(uint32_t object, const char* message, MemFile*)
{
    world().errors.emplace_back(object, message);
    return 0;
}
int EE_BeginBusy(const char*) { return 7; }
void EE_EndBusy(int) {}
int EE_RemoveNetInfo(uint32_t object, int)
{
    FakeObject* o = find(object);
    if (o == nullptr || o->record == nullptr)
        return 0;
    if (o->record->kind == kSEDeclNode)
        SEDelDeclNode(reinterpret_cast<SEDeclNode*>(o->record));
    o->record = nullptr;
    return 1;
}
SEDeclNode* EE_CreateDeclNode(uint32_t object, SEPage* page, uint16_t subKind)
{
    SEDeclNode* node = SECreateDeclNode(page, object, subKind);
    if (FakeObject* o = find(object))
        o->record = &node->head;
    return node;
}
int EE_MakeSelectionAuxiliary()
{
    FakeObject* o = find(world().selected);
    if (o == nullptr)
        return 0;
    if (o->record != nullptr && o->record->kind == kSEDeclNode)
        SEDelDeclNode(reinterpret_cast<SEDeclNode*>(o->record));
    o->record = nullptr;
    o->plain = true;
    return 1;
}
void GE_MessageBoxText(const char* text, int32_t id)
{
    std::string shown = text != nullptr ? text : "";
    if (id != 0)
        shown = (text != nullptr ? shown + " " : std::string()) + DEMessageText(id);
    world().messages.push_back(shown);
}
int GE_AttachAsRegion(uint32_t parent, uint32_t region, int32_t kind)
{
    FakeObject* o = find(region);
    if (o == nullptr)
        return 0;
    o->parent = parent;
    o->regionKind = kind;
    return 1;
}
int GE_SetSERecord(uint32_t object, SEHead* record)
{
    if (FakeObject* o = find(object)) {
        o->record = record;
        return 1;
    }
    return 0;
}
int GE_GetSERecord(uint32_t object, SEHead** record)
{
    FakeObject* o = find(object);
    *record = o != nullptr ? o->record : nullptr;
    return o != nullptr ? 1 : 0;
}
void GE_ApplyDefaultAttributes(int32_t, uint32_t) {}

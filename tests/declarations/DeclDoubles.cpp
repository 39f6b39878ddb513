// The kernel the declaration tests run on, readers of its objects, and the
// doubles of the services that exist nowhere yet (see DeclDoubles.h).
#include "DeclDoubles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/DEclarations/DEAsk.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/DEclarations/DEclarations.h"
#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xvfb.h"

// Page windows need the private X server: the current page always has one.
TOLQ_X11_TEST_ENVIRONMENT();

DeclWorld& world()
{
    static DeclWorld w;
    return w;
}

namespace {

// Hook 26: the kernel asks before another page becomes current.
uintptr_t pageChanging(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    if (world().refusePageChanges > 0) {
        --world().refusePageChanges;
        return 0;
    }
    return 1;
}

} // namespace

void startKernel()
{
    world() = DeclWorld{};
    ASSERT_EQ(Comm_Initialize(), 0u);
    QXStatus = 0;
    world().page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    ASSERT_NE(world().page, 0u);
    ASSERT_EQ(Hook_Register(kHookPageChanging, pageChanging), kStatusOk);
}

void stopKernel()
{
    for (HookId id = 0; id < kHookCount; ++id)
        Hook_Unregister(id);
    // Cleared while the page window shows it, so that the window lets go of
    // its copy of the selection before the group table goes.
    Select_Clear();
    Comm_SetCurrentPage(0);
    Core_CloseModel();
}

uint32_t newObject(const std::string& text, int32_t x, int32_t y, int32_t w, int32_t h)
{
    ObjectHandle object = QXStr_CreateNode(world().page, QXUtil_IntToFixed(x), QXUtil_IntToFixed(y),
                                           QXUtil_IntToFixed(w), QXUtil_IntToFixed(h), 1);
    EXPECT_NE(object, 0u);
    if (!text.empty()) {
        EXPECT_EQ(QXText_SetText(object, text.c_str()), 1u);
    }
    return object;
}

Box boxOf(uint32_t object)
{
    Box b;
    QXRdAttr_GetPosition(object, &b.x, &b.y);
    QXRdAttr_GetSize(object, &b.w, &b.h);
    return b;
}

std::string textOf(uint32_t object)
{
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0 || length == 0)
        return {};
    std::string text(length, '\0');
    QXText_GetText(object, text.data(), &length);
    text.resize(length);
    return text;
}

bool exists(uint32_t object) { return QXStr_IsObject(object) != 0; }

ObjectHandle ownerOf(uint32_t region) { return Model_GetRegionOwner(region); }

uint32_t regionKindOf(uint32_t region) { return Model_GetFieldValue(region, Field::kRegionKind); }

uint32_t lineStyleOf(uint32_t object) { return Model_GetFieldValue(object, Field::kLineStyle); }

std::vector<ObjectHandle> regionsOf(uint32_t object)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    std::vector<ObjectHandle> out;
    if (QXStr_GetRegionList(object, &count, &array) != 0 && array != nullptr) {
        out.assign(array, array + count);
        QXMem_Free(array);
    }
    return out;
}

SEHead* recordOf(uint32_t object)
{
    SEHead* record = nullptr;
    GE_GetSERecord(object, &record);
    return record;
}

bool isPlain(uint32_t object) { return world().plain.count(object) != 0; }

std::string lastMessage() { return world().messages.empty() ? std::string() : world().messages.back(); }

// ---- kernel entries not built yet ----

// Command 802 "Fit Box To Text" on the selected object, as its menu item
// issues it: the kernel fits the box to the text.
uint32_t QXUI_DoCommand(int32_t command)
{
    ObjectHandle selected = QXStr_GetCurObject();
    if (command == kDECmdFitToText && selected != 0)
        return Core_FitBoxToText(selected) == kStatusOk ? 1 : 0;
    return 1;
}

// The evaluator's page requests, which these tests never send.
uint32_t QXUI_ShowPage(ObjectHandle, uint32_t) { return 0; }
ObjectHandle QXUI_PickPage() { return 0; }

// Alignment through the kernel; command 908 "Top to Bottom" is its code 11.
uint32_t QXUI_AlignObjects(ObjectHandle object, int32_t command, ObjectHandle a, ObjectHandle)
{
    if (command != kDEAlignTopToBottom || a == 0)
        return 0;
    GroupNumber members = 0;
    GroupNumber reference = 0;
    uint32_t moved = 0;
    if (QXUtil_ArrayToGroup(&members, &object, 1) != 0 && QXUtil_ArrayToGroup(&reference, &a, 1) != 0)
        moved = Core_AlignObjects(members, reference, 11, 0) == kStatusOk ? 1 : 0;
    if (members != 0)
        Group_Free(members);
    if (reference != 0)
        Group_Free(reference);
    return moved;
}

// ---- checker, evaluator start and simulator ----

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
int CTSStartEvaluator(CTSConfigFn)
{
    if (world().onEvaluatorStart)
        world().onEvaluatorStart();
    return world().evaluatorUp ? 1 : 0;
}
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
    SEHead* record = recordOf(object);
    if (record == nullptr)
        return 0;
    if (record->kind == kSEDeclNode)
        SEDelDeclNode(reinterpret_cast<SEDeclNode*>(record));
    GE_DeleteSERecord(object);
    return 1;
}
SEDeclNode* EE_CreateDeclNode(uint32_t object, SEPage* page, uint16_t subKind)
{
    SEDeclNode* node = SECreateDeclNode(page, object, subKind);
    GE_SetSERecord(object, &node->head);
    return node;
}
int EE_MakeSelectionAuxiliary()
{
    ObjectHandle selected = QXStr_GetCurObject();
    if (selected == 0)
        return 0;
    SEHead* record = recordOf(selected);
    if (record != nullptr && record->kind == kSEDeclNode)
        SEDelDeclNode(reinterpret_cast<SEDeclNode*>(record));
    GE_DeleteSERecord(selected);
    world().plain.insert(selected);
    return 1;
}
void GE_MessageBoxText(const char* text, int32_t id)
{
    std::string shown = text != nullptr ? text : "";
    if (id != 0)
        shown = (text != nullptr ? shown + " " : std::string()) + DEMessageText(id);
    world().messages.push_back(shown);
}
// The region becomes the parent's region in the kernel, with the net's kind.
int GE_AttachAsRegion(uint32_t parent, uint32_t region, int32_t kind)
{
    if (QXStr_MakeRegion(region, parent) == 0)
        return 0;
    return QXWtAttr_SetRegionKind(region, static_cast<uint32_t>(kind)) != 0 ? 1 : 0;
}
void GE_ApplyDefaultAttributes(int32_t, uint32_t) {}
int GE_AskWithButton(int16_t id, const char* button)
{
    world().asked.emplace_back(id, button != nullptr ? button : "");
    return world().answer;
}

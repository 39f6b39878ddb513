// The editor's rows of the evaluator's function table (pages, net records of
// kernel objects, regions, names, hierarchy and fusion), the editor's
// numbered requests (mode attributes, flag refresh), and the one place where
// tolq binds every row and request of the net layer. Kernel objects travel as
// their handles, net records as their ids; a record id that names no live
// record of the kind gives 0 without a call.
#include <cstring>
#include <string>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLGramKernel.h"
#include "atolq/SML/SMLInstall.h"
#include "atolq/SML/SMLTable.h"
#include "xkv/kv/QXMem.h"

namespace {

int32_t idOf(const SEHead* record) { return static_cast<int32_t>(SERecordId(record)); }

// The input numbers of slots 1 to n; false refuses the call.
template <size_t N>
bool numbers(const SMLTableCall& call, int32_t (&values)[N]) {
    for (size_t i = 0; i < N; ++i)
        if (!call.number(static_cast<uint32_t>(i + 1), &values[i])) return false;
    return true;
}

ObjectHandle handle(int32_t value) { return static_cast<ObjectHandle>(value); }
uint16_t short16(int32_t value) { return static_cast<uint16_t>(value); }

// (object) -> 1/0: one kernel object handed to a net-layer function.
template <int (*Op)(ObjectHandle)>
bool onObject(SMLTableCall& call) {
    int32_t v[1];
    if (!numbers(call, v)) return false;
    call.result(Op(handle(v[0])));
    return true;
}

// (object, value) and (object, object, object) likewise.
template <int (*Op)(ObjectHandle, uint16_t)>
bool onObjectShort(SMLTableCall& call) {
    int32_t v[2];
    if (!numbers(call, v)) return false;
    call.result(Op(handle(v[0]), short16(v[1])));
    return true;
}

bool newPage(SMLTableCall& call) {
    int32_t v[1];
    if (!numbers(call, v)) return false;
    call.result(static_cast<int32_t>(GE_NewPage(v[0])));
    return true;
}

// (node, page, sub-kind)
bool createDeclNode(SMLTableCall& call) {
    int32_t v[3];
    if (!numbers(call, v)) return false;
    call.result(EE_CreateDeclNode(handle(v[0]), handle(v[1]), short16(v[2])));
    return true;
}

int attachRegionOfKind(ObjectHandle owner, ObjectHandle region, int32_t kind) {
    return GE_AttachAsRegion(owner, region, kind);
}

// (owner, region, net region kind)
bool attachRegion(SMLTableCall& call) {
    int32_t v[3];
    if (!numbers(call, v)) return false;
    call.result(attachRegionOfKind(handle(v[0]), handle(v[1]), v[2]));
    return true;
}

int updateNetFromObject(ObjectHandle object) {
    EE_UpdateNetFromObject(object);
    return 1;
}

// (object, region kind, out region) -> 1 found / 0
template <int (*Find)(ObjectHandle, int32_t, ObjectHandle*)>
bool regionOfKind(SMLTableCall& call) {
    int32_t v[2];
    if (!numbers(call, v)) return false;
    ObjectHandle region = 0;
    int result = Find(handle(v[0]), v[1], &region);
    if (!call.setNumber(3, static_cast<int32_t>(region))) return false;
    call.result(result);
    return true;
}

// (object, out text) -> 1 when the object exists.
bool nameRegionText(SMLTableCall& call) {
    int32_t v[1];
    if (!numbers(call, v)) return false;
    char* text = nullptr;
    int result = EE_GetNameRegionText(handle(v[0]), &text);
    const std::string copy = text != nullptr ? text : "";
    if (text != nullptr) QXMem_Free(text);
    if (!call.setText(2, copy)) return false;
    call.result(result);
    return true;
}

// Names are kept in blocks of 65 bytes: 64 bytes of text and a terminator.
constexpr size_t kNameBlock = 65;

// (name, out copy) -> 1: the name as a name block holds it.
bool copyName(SMLTableCall& call) {
    std::string_view name;
    if (!call.text(1, &name)) return false;
    name = name.substr(0, strnlen(name.data(), std::min(name.size(), kNameBlock - 1)));
    if (!call.setText(2, name)) return false;
    call.result(1);
    return true;
}

// (node, compound kind, out compound record)
bool makeCompound(SMLTableCall& call) {
    int32_t v[2];
    if (!numbers(call, v)) return false;
    SEHead* record = nullptr;
    int result = EE_MakeCompound(handle(v[0]), short16(v[1]), &record);
    if (!call.setNumber(3, idOf(record))) return false;
    call.result(result);
    return true;
}

// (transition, page, automatic port assignment)
bool assignSubpage(SMLTableCall& call) {
    int32_t v[3];
    if (!numbers(call, v)) return false;
    call.result(EE_AssignSubpage(handle(v[0]), handle(v[1]), v[2]));
    return true;
}

// (transition, socket, port)
bool assignPort(SMLTableCall& call) {
    int32_t v[3];
    if (!numbers(call, v)) return false;
    call.result(EE_AssignPort(handle(v[0]), handle(v[1]), handle(v[2])));
    return true;
}

// The reference text of an object fills a block of 88 bytes.
constexpr size_t kRefNameSize = 88;

// (object, out text)
bool objectRefName(SMLTableCall& call) {
    int32_t v[1];
    if (!numbers(call, v)) return false;
    char buffer[kRefNameSize] = {};
    int result = GE_ObjectRefName(handle(v[0]), buffer);
    if (!call.setText(2, std::string_view(buffer, strnlen(buffer, kRefNameSize - 1)))) return false;
    call.result(result);
    return true;
}

// (object, out kind, out sub-kind, out record)
bool objectKind(SMLTableCall& call) {
    int32_t v[1];
    if (!numbers(call, v)) return false;
    uint16_t kind = 0, subKind = 0;
    SEHead* record = nullptr;
    int result = EE_GetObjectKind(handle(v[0]), &kind, &subKind, &record);
    if (!call.setNumber(2, kind) || !call.setNumber(3, subKind) || !call.setNumber(4, idOf(record))) return false;
    call.result(result);
    return true;
}

// (node, fusion set record)
bool addFusionMember(SMLTableCall& call) {
    int32_t v[2];
    if (!numbers(call, v)) return false;
    SEHead* set = v[1] == 0 ? nullptr : SERecordById(static_cast<uint32_t>(v[1]), (1u << kSEPlaceFusSet) | (1u << kSETransFusSet));
    call.result(set != nullptr ? EE_AddFusionMember(handle(v[0]), set) : 0);
    return true;
}

// (object, out record) -> 1 when the object has a net record.
bool recordOfObject(SMLTableCall& call) {
    int32_t v[1];
    if (!numbers(call, v)) return false;
    SEHead* record = nullptr;
    int result = GE_GetSERecord(static_cast<uint32_t>(v[0]), &record);
    if (!call.setNumber(2, idOf(record))) return false;
    call.result(result);
    return true;
}

// ---- numbered requests of the editor ----

// Request 15003: object, the six mode values (simulated, observed, occurrence
// propagated, interactive, code executed, prime count) and a value.
bool setModeAttributes(SMLWireIn& in, SMLWireOut& out) {
    ObjectHandle object = in.u32();
    uint16_t mode[6];
    for (uint16_t& m : mode) m = static_cast<uint16_t>(in.s16());
    uint32_t value = in.u32();
    if (!in.ok()) return false;
    out.u32(static_cast<uint32_t>(
        EE_SetModeAttributes(object, mode[0], mode[1], mode[2], mode[3], mode[4], mode[5], value)));
    return true;
}

// Request 15004: a count and that many objects, each redrawn through its
// flags.
bool refreshObjectFlags(SMLWireIn& in, SMLWireOut&) {
    const std::vector<uint32_t> objects = in.words(in.u32());
    if (!in.ok()) return false;
    for (uint32_t object : objects) GE_RefreshObjectFlags(object);
    return true;
}

void installEditorRows() {
    SMLSetTableRow(0, newPage);
    SMLSetTableRow(1, onObjectShort<EE_CreateNetPage>);
    SMLSetTableRow(2, createDeclNode);
    SMLSetTableRow(3, onObject<EE_BuildDeclRegions>);
    SMLSetTableRow(4, onObject<EE_CreateNetTrans>);
    SMLSetTableRow(5, onObject<EE_CreateNetPlace>);
    SMLSetTableRow(6, onObject<EE_CreateNetArc>);
    SMLSetTableRow(7, onObjectShort<EE_MakePort>);
    SMLSetTableRow(8, attachRegion);
    SMLSetTableRow(9, onObject<GE_RefreshObjectFlags>);
    SMLSetTableRow(10, onObject<updateNetFromObject>);
    SMLSetTableRow(11, regionOfKind<GE_FindChildRegion>);
    SMLSetTableRow(12, regionOfKind<GE_GetRegion>);
    SMLSetTableRow(13, nameRegionText);
    SMLSetTableRow(14, copyName);
    SMLSetTableRow(15, makeCompound);
    SMLSetTableRow(16, assignSubpage);
    SMLSetTableRow(17, assignPort);
    SMLSetTableRow(18, onObject<EE_UpdateHierarchyTag>);
    SMLSetTableRow(19, objectRefName);
    SMLSetTableRow(20, objectKind);
    SMLSetTableRow(23, addFusionMember);
    SMLSetTableRow(39, recordOfObject);
    SMLSetTableRow(51, onObject<EE_UpdatePageNameRegion>);
    SMLSetGramHandler(15003, setModeAttributes);
    SMLSetGramHandler(15004, refreshObjectFlags);
}

} // namespace

void SMLInstallRequests() {
    SMLInstallKernelRequests();
    SMLInstallNetTableRows();
    ASInstallTableRows();
    installEditorRows();
}

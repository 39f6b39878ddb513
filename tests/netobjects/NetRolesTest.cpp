// Net object roles, copies, hierarchy moves and selection descriptions (Part
// 8.130): kinds of objects, stripping and deleting roles, duplicates with
// their rebuilt records, moving nodes between pages and behind a new
// substitution node, merging, compound peers, fusion sets, region creation,
// the text menu, selection checks and the table of selection descriptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "NetObjectFixture.h"
#include "atolq/AEditor/SEIds.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/SelectionQueries.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/Hook.h"

namespace {

class NetRolesTest : public NetObjectTest {
protected:
    ObjectHandle NewPlace(double x, double y, ObjectHandle page = 0)
    {
        ObjectHandle node = QXStr_CreateNode(page != 0 ? page : page_, F(x), F(y), F(20), F(20), 2);
        EXPECT_EQ(EE_CreateNetPlace(node), 1);
        return node;
    }
    ObjectHandle NewTransition(double x, double y, ObjectHandle page = 0)
    {
        ObjectHandle node = QXStr_CreateNode(page != 0 ? page : page_, F(x), F(y), F(30), F(20), 1);
        EXPECT_EQ(EE_CreateNetTrans(node), 1);
        return node;
    }
    ObjectHandle NewArc(ObjectHandle from, ObjectHandle to, uint32_t direction, ObjectHandle page = 0)
    {
        ObjectHandle connector = QXStr_CreateConnector(page != 0 ? page : page_, from, to);
        QXWtAttr_SetDirection(connector, direction);
        EXPECT_EQ(EE_CreateNetArc(connector), 1);
        return connector;
    }
    ObjectHandle NewPage()
    {
        ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        EXPECT_EQ(EE_CreateNetPage(page, 1), 1);
        return page;
    }
    // A substitution transition on the page with the subpage.
    ObjectHandle Substitution(double x, double y, ObjectHandle subpage)
    {
        ObjectHandle node = NewTransition(x, y);
        EXPECT_EQ(EE_MakeCompound(node, kSESubstitution, nullptr), 1);
        EXPECT_EQ(EE_AssignSubpage(node, subpage, 0), 1);
        return node;
    }
    SEHead* NewFusionSet(uint16_t type, const char* name, bool place = true)
    {
        SEHead* set = place ? &SECreatePlaceFusSet(type, type == kSEFusGlobal ? nullptr : net_)->head
                            : &SECreateTransFusSet(type, type == kSEFusGlobal ? nullptr : net_)->head;
        char* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(std::strlen(name) + 1)));
        std::strcpy(copy, name);
        SESetName(set, copy);
        return set;
    }
    static std::string Summary(std::vector<ObjectHandle> objects, int group = 0)
    {
        ObjectHandle* block = nullptr;
        if (!objects.empty()) {
            block = static_cast<ObjectHandle*>(QXMem_Alloc(static_cast<uint32_t>(objects.size() * 4)));
            std::memcpy(block, objects.data(), objects.size() * 4);
        }
        char* text = nullptr;
        EXPECT_EQ(EE_SummarizeSelection(static_cast<uint16_t>(objects.size()), block, group, &text), 1);
        std::string value = text != nullptr ? text : "<null>";
        QXMem_Free(text);
        return value;
    }
    static std::string Name(ObjectHandle object)
    {
        const char* name = SEGetName(Record(object));
        return name != nullptr ? name : "<none>";
    }
    static std::vector<ObjectHandle> NodesOf(ObjectHandle page)
    {
        uint16_t count = 0;
        ObjectHandle* list = nullptr;
        QXStr_GetNodeList(page, &count, &list);
        std::vector<ObjectHandle> nodes(list, list + count);
        if (list != nullptr) {
            QXMem_Free(list);
        }
        return nodes;
    }
    static std::vector<ObjectHandle> ConnectorsOf(ObjectHandle object)
    {
        uint16_t count = 0;
        ObjectHandle* list = nullptr;
        QXStr_GetObjectConnList(object, &count, &list);
        std::vector<ObjectHandle> connectors(list, list + count);
        if (list != nullptr) {
            QXMem_Free(list);
        }
        return connectors;
    }
};

// ---- kinds and roles ----

TEST_F(NetRolesTest, KindsOfObjects)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle plain = QXStr_CreateNode(page_, F(300), F(300), F(10), F(10), 1);
    uint16_t kind = 9, sub = 9;
    SEHead* record = reinterpret_cast<SEHead*>(1);
    EXPECT_EQ(EE_GetObjectKind(plain, &kind, &sub, &record), 0);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(sub, 0);
    EXPECT_EQ(record, nullptr);
    EXPECT_EQ(EE_GetObjectKind(place, &kind, &sub, &record), 1);
    EXPECT_EQ(kind, kSEPlace);
    EXPECT_EQ(EE_IsCompoundNode(place), 0);
    ObjectHandle subpage = NewPage();
    ObjectHandle substitution = Substitution(200, 100, subpage);
    EXPECT_EQ(EE_IsCompoundNode(substitution), 1);
}

TEST_F(NetRolesTest, StrippingAPlaceKeepsItsObjectsAsAuxiliaries)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 1);
    ObjectHandle name = GE_MakeRegion(place, kRegionName);
    const uint32_t placeId = SERecordId(Record(place));
    const uint32_t arcId = SERecordId(Record(arc));
    const uint32_t list[] = {place};
    EE_ConvertObjectsToAux(1, list);
    EXPECT_EQ(QXStr_IsObject(place), 1u);
    EXPECT_EQ(QXStr_IsObject(arc), 1u);
    EXPECT_EQ(SERecordById(placeId), nullptr);
    EXPECT_EQ(SERecordById(arcId), nullptr);
    EXPECT_EQ(GE_IsPlainObject(place), 1);
    EXPECT_EQ(GE_IsPlainObject(arc), 1);
    EXPECT_EQ(GE_RegionKindOf(name), 0);
    EXPECT_NE(Record(transition), nullptr);
    EXPECT_EQ(GE_TestStateFlags(kGEStrippingRegionKinds | kGEConnectorSweep), 0);
}

TEST_F(NetRolesTest, CompoundNodesAreUndoneBeforeTheirRecordGoes)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle substitution = Substitution(100, 100, subpage);
    const uint32_t list[] = {substitution};
    EE_ConvertObjectsToAux(1, list);
    EXPECT_EQ(GE_IsPlainObject(substitution), 1);
    bool dropped = false;
    for (const auto& call : objectLog().hierarchyCalls) {
        dropped = dropped || call == std::make_pair(std::string("droparc"), substitution);
    }
    EXPECT_TRUE(dropped);
}

TEST_F(NetRolesTest, DeletingAnArcDeletesItsLonelyEndTag)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle tag = QXStr_CreateNode(page_, F(110), F(100), F(5), F(5), 1);
    ASSERT_EQ(GE_AttachRegion(place, tag, kRegionAux), 1);
    ObjectHandle connector = QXStr_CreateConnector(page_, tag, transition);
    QXWtAttr_SetDirection(connector, 1);
    ASSERT_EQ(EE_CreateNetArc(connector), 1);
    EXPECT_EQ(EE_RemoveNetInfo(connector, 1), 1);
    EXPECT_EQ(QXStr_IsObject(connector), 0u);
    EXPECT_EQ(QXStr_IsObject(tag), 0u);
    EXPECT_NE(Record(place), nullptr);
}

TEST_F(NetRolesTest, RefusalsOfRemovingRoles)
{
    ObjectHandle chart = QXStr_CreateNode(page_, F(100), F(100), F(80), F(60), 1);
    ObjectHandle region = QXStr_CreateNode(page_, F(100), F(150), F(20), F(10), 1);
    ASSERT_EQ(GE_AttachRegion(chart, region, 4254 + 64), 1);
    EXPECT_EQ(EE_IsProtectedChartRegion(region), 1);
    EXPECT_EQ(EE_RemoveNetInfo(region, 0), 0);
    EXPECT_EQ(EE_RemoveNetInfo(region, 1), 0);
    EXPECT_EQ(objectLog().messageBoxes, (std::vector<int16_t>{kMsgChartRegionToAux, kMsgChartRegionDelete}));
    EXPECT_EQ(QXStr_IsObject(region), 1u);
    // A page's record is no net role of an object.
    EXPECT_EQ(EE_RemoveNetInfo(page_, 0), 0);
    EXPECT_EQ(EE_GetPendingError(), kMsgConvertUnexpected);
    // Declaration entries are only deleted.
    ObjectHandle entry = QXStr_CreateNode(page_, F(300), F(300), F(20), F(10), 1);
    SEDeclEntry* record = SECreateDeclEntry(entry, 1);
    ASSERT_NE(record, nullptr);
    // The entry belongs to a declaration node, which the net releases with it.
    ObjectHandle node = QXStr_CreateNode(page_, F(300), F(400), F(40), F(40), 1);
    ASSERT_EQ(EE_CreateDeclNode(node, page_, kSEDeclLocal), 1);
    auto* declNode = reinterpret_cast<SEDeclNode*>(Record(node));
    if (declNode->entries == nullptr) {
        declNode->entries = LMCreate(kLMRecordList);
    }
    LMPushRec(declNode->entries, record);
    record->head.owner = &declNode->head;
    GE_SetSERecord(entry, &record->head);
    EXPECT_EQ(EE_RemoveNetInfo(entry, 0), 0);
    EXPECT_EQ(objectLog().messageBoxes.back(), kMsgDeclEntryToAux);
    EXPECT_EQ(EE_RemoveNetInfo(entry, 1), 1);
    EXPECT_EQ(objectLog().deletedEntries, std::vector<void*>{record});
}

TEST_F(NetRolesTest, InscriptionRegionsLoseTheirKind)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle colour = GE_MakeRegion(place, kRegionColourSet);
    QXText_SetText(colour, "INT");
    EE_UpdateNetFromRegion(colour);
    EXPECT_EQ(EE_RemoveNetInfo(colour, 0), 1);
    EXPECT_EQ(QXStr_IsObject(colour), 1u);
    EXPECT_EQ(GE_RegionKindOf(colour), 0);
    EXPECT_EQ(SEGetColourSet(Record(place)), nullptr);
    // An auxiliary node is deleted only with the flag.
    ObjectHandle plain = QXStr_CreateNode(page_, F(300), F(300), F(10), F(10), 1);
    EXPECT_EQ(EE_RemoveNetInfo(plain, 0), 1);
    EXPECT_EQ(QXStr_IsObject(plain), 1u);
    EXPECT_EQ(EE_RemoveNetInfo(plain, 1), 1);
    EXPECT_EQ(QXStr_IsObject(plain), 0u);
}

TEST_F(NetRolesTest, ErrorBoxLinkGoesWithItsBox)
{
    ObjectHandle box = QXStr_CreateNode(page_, F(300), F(300), F(50), F(20), 1);
    GE_SetSelfMark(box, box);
    GE_SetAuxWord(page_, box);
    EXPECT_EQ(EE_RemoveNetInfo(box, 1), 1);
    EXPECT_EQ(GE_HasUserData(page_, kTagAuxWord), 0);
}

TEST_F(NetRolesTest, ClipboardCopiesKeepTheirKind)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle colour = GE_MakeRegion(place, kRegionColourSet);
    const uint32_t id = SERecordId(Record(place));
    EXPECT_EQ(EE_StripNodeCopy(place, 0), 1);
    EXPECT_EQ(GE_IsPlainObject(place), 1);
    EXPECT_EQ(GE_GetAuxWord(place) & 0xffff, kSEPlace);
    EXPECT_EQ(GE_GetAuxWord(place) >> 16, kSEPlain);
    EXPECT_EQ(GE_RegionKindOf(colour), 0);
    EXPECT_NE(SERecordById(id), nullptr);
    ObjectHandle decl = QXStr_CreateNode(page_, F(300), F(100), F(40), F(40), 1);
    ASSERT_EQ(EE_CreateDeclNode(decl, ObjectHandle{0}, kSEDeclTemporary), 1);
    const uint32_t declId = SERecordId(Record(decl));
    GE_ClearStateFlags(kGEClipboardHasNet);
    EXPECT_EQ(EE_StripNodeCopy(decl, 1), 1);
    EXPECT_EQ(GE_GetAuxWord(decl), 14u);
    EXPECT_EQ(SERecordById(declId), nullptr);
    EXPECT_EQ(GE_TestStateFlags(kGEClipboardHasNet), 1);
}

TEST_F(NetRolesTest, StrippingAnObjectTree)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 3);
    ObjectHandle name = GE_MakeRegion(place, kRegionName);
    GE_SetAuxWord(place, 5);
    EXPECT_EQ(EE_StripObjectTree(page_), 1);
    for (ObjectHandle object : {place, transition, arc}) {
        EXPECT_EQ(GE_HasUserData(object, kTagNetRecord), 0);
        EXPECT_EQ(GE_HasUserData(object, kTagSecondRecord), 0);
        EXPECT_EQ(GE_HasUserData(object, kTagAuxWord), 0);
    }
    EXPECT_EQ(GE_RegionKindOf(name), 0);
}

TEST_F(NetRolesTest, DeletingStrippedRecords)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 0);
    const uint32_t arcId = SERecordId(Record(arc));
    EXPECT_EQ(EE_DeleteStrippedRecord(arc, 0), 1);
    EXPECT_EQ(SERecordById(arcId), nullptr);
    EXPECT_EQ(GE_HasUserData(arc, kTagSecondRecord), 0);
    GE_MakeRegion(place, kRegionName);
    EXPECT_EQ(EE_DeleteStrippedRecord(place, 1), 1);
    uint32_t net = 0, other = 0;
    GE_CountRegions(place, &net, &other);
    EXPECT_EQ(net, 0u);
    EXPECT_EQ(GE_IsPlainObject(place), 1);
}

// ---- copies ----

TEST_F(NetRolesTest, DuplicatesGetRecordsOfTheirOwn)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 1);
    GE_MakeRegion(place, kRegionName);
    GE_SetRegionText(place, kRegionName, "Buffer");
    GE_MakeRegion(place, kRegionColourSet);
    GE_SetRegionText(place, kRegionColourSet, "INT");
    GE_MakeRegion(arc, kRegionArcExpr);
    GE_SetRegionText(arc, kRegionArcExpr, "x");
    EE_StorePlaceTexts(place);
    EE_SetArcExprFromRegion(arc);
    const ObjectHandle objects[] = {place, transition};
    ObjectHandle copies[2] = {};
    ASSERT_EQ(EE_DuplicateNodes(2, objects, 10, 0, nullptr, copies), 1);
    ASSERT_NE(copies[0], 0u);
    ASSERT_NE(copies[1], 0u);
    SEHead* placeCopy = Record(copies[0]);
    SEHead* transCopy = Record(copies[1]);
    ASSERT_NE(placeCopy, nullptr);
    ASSERT_NE(transCopy, nullptr);
    EXPECT_NE(placeCopy, Record(place));
    EXPECT_EQ(placeCopy->kind, kSEPlace);
    EXPECT_EQ(transCopy->kind, kSETrans);
    EXPECT_EQ(SEGetKVObj(placeCopy), copies[0]);
    EXPECT_EQ(Name(copies[0]), "Buffer");
    EXPECT_STREQ(SEGetColourSet(placeCopy), "INT");
    // The copies lie ten pixels right of and below their sources.
    EXPECT_EQ(X(copies[0]) - X(place), 10 * kPixel);
    EXPECT_EQ(Y(copies[1]) - Y(transition), 10 * kPixel);
    // The arc between them was copied and rebuilt between the copies.
    std::vector<ObjectHandle> arcs = ConnectorsOf(copies[0]);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_NE(arcs[0], arc);
    SEHead* arcCopy = Record(arcs[0]);
    ASSERT_NE(arcCopy, nullptr);
    EXPECT_NE(arcCopy, Record(arc));
    EXPECT_EQ(reinterpret_cast<SEArc*>(arcCopy)->place, reinterpret_cast<SEPlace*>(placeCopy));
    EXPECT_EQ(arcCopy->owner, transCopy);
    EXPECT_STREQ(SEGetArcExpr(arcCopy), "x");
    // The sources keep their records and lose the copy links.
    EXPECT_EQ(SEGetKVObj(Record(place)), place);
    EXPECT_EQ(GE_HasUserData(place, kTagAuxWord), 0);
    EXPECT_EQ(GE_HasUserData(copies[0], kTagAuxWord), 0);
}

TEST_F(NetRolesTest, DuplicatesDropRolesThatTheFlagsDoNotKeep)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle port = NewPlace(50, 50, subpage);
    objectLog().portTexts[port] = "In";
    ASSERT_EQ(EE_MakePort(port, kSEPortInput), 1);
    ObjectHandle fused = NewPlace(100, 300);
    SEHead* set = NewFusionSet(kSEFusPage, "Pool");
    ASSERT_EQ(EE_AddFusionMember(fused, set), 1);
    ObjectHandle substitution = Substitution(300, 300, subpage);
    objectLog().hierarchyTexts[substitution] = "Sub";
    ASSERT_EQ(EE_UpdateHierarchyTag(substitution), 1);
    // Without flags: plain copies without tags.
    {
        const ObjectHandle objects[] = {fused, substitution};
        ObjectHandle copies[2] = {};
        ASSERT_EQ(EE_DuplicateNodes(2, objects, 20, 0, nullptr, copies), 1);
        EXPECT_EQ(SEIsFusMem(Record(copies[0])), 0);
        ObjectHandle tag = 0;
        EXPECT_EQ(GE_GetRegion(copies[0], kRegionFusion, &tag), 0);
        EXPECT_EQ(Record(copies[1])->subKind, kSEPlain);
        EXPECT_EQ(GE_GetRegion(copies[1], kRegionHierarchy, &tag), 0);
        EXPECT_EQ(EE_IsCompoundNode(substitution), 1);
    }
    // Fusion and compound roles kept.
    {
        const ObjectHandle objects[] = {fused, substitution};
        ObjectHandle copies[2] = {};
        ASSERT_EQ(EE_DuplicateNodes(2, objects, 40, kEEKeepFusion | kEEKeepCompound, nullptr, copies), 1);
        EXPECT_EQ(SEGetFusSet(Record(copies[0])), set);
        ObjectHandle tag = 0;
        EXPECT_EQ(GE_GetRegion(copies[0], kRegionFusion, &tag), 1);
        EXPECT_EQ(Record(copies[1])->subKind, kSESubstitution);
        EXPECT_EQ(SEGetSubpageObj(Record(copies[1])), subpage);
    }
    // Port roles.
    {
        const ObjectHandle objects[] = {port};
        ObjectHandle copies[1] = {};
        ASSERT_EQ(EE_DuplicateNodes(1, objects, 10, 0, nullptr, copies), 1);
        EXPECT_EQ(Record(copies[0])->subKind, kSEPlain);
        ObjectHandle tag = 0;
        EXPECT_EQ(GE_GetRegion(copies[0], kRegionPort, &tag), 0);
        ASSERT_EQ(EE_DuplicateNodes(1, objects, 20, kEEKeepPorts, nullptr, copies), 1);
        EXPECT_EQ(Record(copies[0])->subKind, kSEPortInput);
    }
}

TEST_F(NetRolesTest, DuplicatesOnlyWhatTheFilterTakes)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle plain = QXStr_CreateNode(page_, F(300), F(300), F(10), F(10), 1);
    const ObjectHandle objects[] = {plain, place};
    ObjectHandle copies[2] = {99, 99};
    ASSERT_EQ(EE_DuplicateNodes(2, objects, 0, 0, EE_PlacesAndTransitions, copies), 1);
    EXPECT_EQ(copies[0], 0u);
    ASSERT_NE(copies[1], 0u);
    EXPECT_EQ(Record(copies[1])->kind, kSEPlace);
    EXPECT_EQ(X(copies[1]), X(place));
}

TEST_F(NetRolesTest, CopiedSocketsGetTheSocketsPort)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle port = NewPlace(50, 50, subpage);
    ASSERT_EQ(EE_MakePort(port, kSEPortInput), 1);
    ObjectHandle socket = NewPlace(100, 100);
    ObjectHandle substitution = Substitution(300, 100, subpage);
    NewArc(socket, substitution, 1);
    ASSERT_EQ(EE_AssignPort(substitution, socket, port), 1);
    const ObjectHandle objects[] = {socket};
    ObjectHandle copies[1] = {};
    ASSERT_EQ(EE_DuplicateNodes(1, objects, 0, 0, nullptr, copies), 1);
    ASSERT_NE(copies[0], 0u);
    EXPECT_EQ(ConnectorsOf(copies[0]).size(), 1u);
    EXPECT_EQ(EE_GetAssignedNode(substitution, copies[0]), port);
    EXPECT_EQ(EE_GetAssignedNode(substitution, socket), port);
}

TEST_F(NetRolesTest, CopiedCompoundsAssignTheSamePorts)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle port = NewPlace(50, 50, subpage);
    ASSERT_EQ(EE_MakePort(port, kSEPortInput), 1);
    ObjectHandle socket = NewPlace(100, 100);
    ObjectHandle substitution = Substitution(300, 100, subpage);
    NewArc(socket, substitution, 1);
    ASSERT_EQ(EE_AssignPort(substitution, socket, port), 1);
    const ObjectHandle objects[] = {substitution};
    ObjectHandle copies[1] = {};
    ASSERT_EQ(EE_DuplicateNodes(1, objects, 0, kEEKeepCompound, nullptr, copies), 1);
    EXPECT_EQ(EE_IsCompoundNode(copies[0]), 1);
    EXPECT_EQ(EE_GetAssignedNode(copies[0], socket), port);
}

TEST_F(NetRolesTest, ObjectsOfRecords)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    LMList* records = LMCreate(kLMValueList);
    LMAppend(records, Record(transition), nullptr);
    const ObjectHandle objects[] = {place};
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    EXPECT_EQ(EE_ObjectsOfRecords(1, objects, records, &count, &array), 1);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(array[0], place);
    EXPECT_EQ(array[1], transition);
    QXMem_Free(array);
    LMDestroy(records);
}

// ---- moving nodes between pages ----

TEST_F(NetRolesTest, NodesMoveToAnotherPageWithTheirRecords)
{
    ObjectHandle target = NewPage();
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 1);
    GE_MakeRegion(place, kRegionName);
    const ObjectHandle objects[] = {place, transition};
    EXPECT_EQ(EE_MoveNodesToPage(2, objects, nullptr, target, Record(target)), 1);
    EXPECT_EQ(QXStr_GetObjectPage(place), target);
    EXPECT_EQ(QXStr_GetObjectPage(transition), target);
    EXPECT_EQ(QXStr_GetObjectPage(arc), target);
    EXPECT_EQ(Record(place)->owner, Record(target));
    EXPECT_EQ(Record(transition)->owner, Record(target));
    EXPECT_EQ(NodesOf(page_).size(), 0u);
    ObjectHandle name = 0;
    EXPECT_EQ(GE_GetRegion(place, kRegionName, &name), 1);
}

TEST_F(NetRolesTest, MovedPortsRedrawTheNodesThatRefineTheirPage)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle other = NewPage();
    ObjectHandle port = NewPlace(50, 50, subpage);
    ASSERT_EQ(EE_MakePort(port, kSEPortInput), 1);
    ObjectHandle substitution = Substitution(300, 100, subpage);
    objectLog().hierarchyTexts[substitution] = "after";
    const ObjectHandle objects[] = {port};
    EXPECT_EQ(EE_MoveNodesToPage(1, objects, nullptr, other, Record(other)), 1);
    ObjectHandle tag = 0;
    ASSERT_EQ(GE_GetRegion(substitution, kRegionHierarchy, &tag), 1);
    EXPECT_EQ(Text(tag), "after");
}

TEST_F(NetRolesTest, ASingleTransitionBecomesTheSubstitutionNode)
{
    ObjectHandle in = NewPlace(100, 100);
    ObjectHandle out = NewPlace(500, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle a1 = NewArc(in, transition, 1);
    ObjectHandle a2 = NewArc(transition, out, 1);
    GE_MakeRegion(in, kRegionName);
    GE_SetRegionText(in, kRegionName, "In");
    EE_StorePlaceTexts(in);
    const ObjectHandle objects[] = {transition};
    const ObjectHandle border[] = {a1, a2};
    const uint32_t inside[] = {0, 1};
    const ObjectHandle outer[] = {in, out};
    const ObjectHandle innerEnds[] = {transition, transition};
    EEMoveToSubpageArgs args;
    args.count = 1;
    args.objects = objects;
    args.borderCount = 2;
    args.border = border;
    args.insideFlags = inside;
    args.outerEnds = outer;
    args.innerEnds = innerEnds;
    ObjectHandle node = 0;
    EXPECT_EQ(EE_MoveToSubpageHook(args, &node), 0u);
    EXPECT_EQ(node, transition);
    EXPECT_EQ(Record(transition)->subKind, kSESubstitution);
    const ObjectHandle subpage = SEGetSubpageObj(Record(transition));
    ASSERT_NE(subpage, 0u);
    // The subpage holds a port copy of each outside place, assigned to it.
    std::vector<ObjectHandle> ports = NodesOf(subpage);
    ASSERT_EQ(ports.size(), 2u);
    ObjectHandle inPort = EE_GetAssignedNode(transition, in);
    ObjectHandle outPort = EE_GetAssignedNode(transition, out);
    ASSERT_NE(inPort, 0u);
    ASSERT_NE(outPort, 0u);
    EXPECT_EQ(QXStr_GetObjectPage(inPort), subpage);
    EXPECT_EQ(Record(inPort)->subKind, kSEPortInput);
    EXPECT_EQ(Record(outPort)->subKind, kSEPortOutput);
    EXPECT_EQ(Name(inPort), "In");
    // The arcs stay with the transition.
    EXPECT_EQ(Record(a1)->owner, Record(transition));
}

TEST_F(NetRolesTest, SeveralNodesMoveBehindADrawnNode)
{
    ObjectHandle in = NewPlace(100, 100);
    ObjectHandle t1 = NewTransition(300, 100);
    ObjectHandle middle = NewPlace(400, 100);
    ObjectHandle t2 = NewTransition(500, 100);
    ObjectHandle border = NewArc(in, t1, 1);
    NewArc(t1, middle, 1);
    NewArc(middle, t2, 1);
    ObjectHandle drawn = QXStr_CreateNode(page_, F(300), F(300), F(40), F(20), 1);
    ASSERT_EQ(EE_CreateNetTrans(drawn), 1);
    objectLog().drawnNode = drawn;
    const ObjectHandle objects[] = {t1, middle, t2};
    const ObjectHandle borders[] = {border};
    const uint32_t inside[] = {0};
    const ObjectHandle outer[] = {in};
    const ObjectHandle innerEnds[] = {t1};
    EEMoveToSubpageArgs args;
    args.count = 3;
    args.objects = objects;
    args.borderCount = 1;
    args.border = borders;
    args.insideFlags = inside;
    args.outerEnds = outer;
    args.innerEnds = innerEnds;
    ObjectHandle node = 0;
    EXPECT_EQ(EE_MoveToSubpageHook(args, &node), 0u);
    EXPECT_EQ(objectLog().drawnKinds, std::vector<uint16_t>{kSETrans});
    ASSERT_EQ(node, drawn);
    const ObjectHandle subpage = SEGetSubpageObj(Record(drawn));
    ASSERT_NE(subpage, 0u);
    EXPECT_EQ(QXStr_GetObjectPage(t1), subpage);
    EXPECT_EQ(QXStr_GetObjectPage(middle), subpage);
    EXPECT_EQ(Record(t1)->owner, Record(subpage));
    // The border arc now runs from the outside place to the new node.
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(border, 0, &start, &end);
    EXPECT_EQ(start, in);
    EXPECT_EQ(end, drawn);
    EXPECT_EQ(Record(border)->owner, Record(drawn));
    // Inside, a port copy of the place feeds the first transition.
    ObjectHandle port = EE_GetAssignedNode(drawn, in);
    ASSERT_NE(port, 0u);
    EXPECT_EQ(QXStr_GetObjectPage(port), subpage);
    EXPECT_EQ(SEArcDirection(Record(port), Record(t1)), 1);
}

TEST_F(NetRolesTest, MoveToSubpageRefusals)
{
    ObjectHandle in = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(transition, in, 1);
    // A place inside with an arc across the border.
    const ObjectHandle objects[] = {in};
    const ObjectHandle border[] = {arc};
    const uint32_t inside[] = {0};
    const ObjectHandle outer[] = {transition};
    const ObjectHandle innerEnds[] = {in};
    EEMoveToSubpageArgs args;
    args.count = 1;
    args.objects = objects;
    args.borderCount = 1;
    args.border = border;
    args.insideFlags = inside;
    args.outerEnds = outer;
    args.innerEnds = innerEnds;
    ObjectHandle node = 99;
    EXPECT_EQ(EE_MoveToSubpageHook(args, &node), 0u);
    EXPECT_EQ(node, 0u);
    // No border arc at all.
    EEMoveToSubpageArgs none;
    const ObjectHandle alone[] = {transition};
    none.count = 1;
    none.objects = alone;
    EXPECT_EQ(EE_MoveToSubpageHook(none, &node), 0u);
    EXPECT_EQ(objectLog().messageBoxes, (std::vector<int16_t>{kMsgPlacesWithBorderArcs, kMsgNoBorderArc}));
    EXPECT_EQ(Record(transition)->subKind, kSEPlain);
}

TEST_F(NetRolesTest, MergingANodeIntoAnother)
{
    ObjectHandle source = NewPlace(100, 100);
    ObjectHandle target = NewPlace(100, 300);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(source, transition, 1);
    GE_MakeRegion(source, kRegionColourSet);
    GE_SetRegionText(source, kRegionColourSet, "BOOL");
    const ObjectHandle objects[] = {source};
    EXPECT_EQ(EE_MergeNodeInto(1, objects, target, 0), 1);
    EXPECT_EQ(QXStr_IsObject(source), 0u);
    ASSERT_EQ(QXStr_IsObject(arc), 1u);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(arc, 0, &start, &end);
    EXPECT_EQ(start, target);
    EXPECT_EQ(reinterpret_cast<SEArc*>(Record(arc))->place, reinterpret_cast<SEPlace*>(Record(target)));
    char* text = nullptr;
    EXPECT_EQ(GE_GetRegionText(target, kRegionColourSet, &text), 1);
    EXPECT_STREQ(text, "BOOL");
    QXMem_Free(text);
    // Not onto itself, nor two nodes at once.
    const ObjectHandle self[] = {target};
    EXPECT_EQ(EE_MergeNodeInto(1, self, target, 0), 0);
    const ObjectHandle two[] = {target, transition};
    EXPECT_EQ(EE_MergeNodeInto(2, two, target, 0), 0);
}

TEST_F(NetRolesTest, ACopiedPortTakesTheSocketsPlace)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle port = NewPlace(50, 50, subpage);
    ASSERT_EQ(EE_MakePort(port, kSEPortInput), 1);
    ObjectHandle copy = NewPlace(200, 300);
    ObjectHandle socket = NewPlace(100, 100);
    ObjectHandle inner = NewTransition(300, 300);
    ObjectHandle arc = NewArc(copy, inner, 1);
    EXPECT_EQ(EE_MergeCopyIntoSocket(copy, socket, 0), 1);
    EXPECT_EQ(QXStr_IsObject(copy), 0u);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(arc, 0, &start, &end);
    EXPECT_EQ(start, socket);
}

// ---- compound peers, subpages and fusion sets ----

TEST_F(NetRolesTest, CompoundPeersOfASocket)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle socket = NewPlace(100, 100);
    EXPECT_EQ(EE_FindCompoundPeer(socket), 0u);
    ObjectHandle first = Substitution(300, 100, subpage);
    NewArc(socket, first, 1);
    EXPECT_EQ(EE_FindCompoundPeer(socket), first);
    ObjectHandle second = Substitution(300, 300, subpage);
    NewArc(second, socket, 1);
    ObjectHandle plain = NewTransition(500, 500);
    objectLog().pickCandidates = {plain, second};
    EXPECT_EQ(EE_FindCompoundPeer(socket), second);
    EXPECT_EQ(Hook_GetApplicationHandler(65), &EE_TextMenuPickFilter);
}

TEST_F(NetRolesTest, SubpagesAreDeletedOnlyWhenNothingRefinesThem)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle substitution = Substitution(300, 100, subpage);
    EXPECT_EQ(EE_DeleteSubpage(subpage), 0);
    EXPECT_EQ(QXStr_IsObject(subpage), 1u);
    EXPECT_EQ(EE_UnmakeCompound(substitution), 1);
    EXPECT_EQ(EE_DeleteSubpage(subpage), 1);
    EXPECT_EQ(QXStr_IsObject(subpage), 0u);
}

TEST_F(NetRolesTest, FusionSetsVisibleFromAPage)
{
    SEHead* globalPlace = NewFusionSet(kSEFusGlobal, "GP");
    SEHead* globalTrans = NewFusionSet(kSEFusGlobal, "GT", false);
    SEHead* pagePlace = NewFusionSet(kSEFusPage, "PP");
    SEHead* pageTrans = NewFusionSet(kSEFusPage, "PT", false);
    auto collect = [&](uint16_t kind) {
        LMList* list = EE_CollectFusionSets(page_, kind);
        std::vector<SEHead*> sets;
        for (uint16_t n = 1; n <= LMCount(list); ++n) {
            void* value = nullptr;
            LMNth(list, &value, nullptr, n);
            sets.push_back(static_cast<SEHead*>(value));
        }
        LMDestroy(list);
        return sets;
    };
    EXPECT_EQ(collect(0), (std::vector<SEHead*>{globalPlace, globalTrans, pagePlace, pageTrans}));
    EXPECT_EQ(collect(kSEPlace), (std::vector<SEHead*>{globalPlace, pagePlace}));
    EXPECT_EQ(collect(kSETrans), (std::vector<SEHead*>{globalTrans, pageTrans}));
}

TEST_F(NetRolesTest, RenamingAndDroppingFusionSets)
{
    ObjectHandle a = NewPlace(100, 100);
    SEHead* set = NewFusionSet(kSEFusPage, "Old");
    ASSERT_EQ(EE_AddFusionMember(a, set), 1);
    EEFusionChoice choice;
    choice.type = kSEFusGlobal;
    choice.name = "New";
    choice.page = page_;
    EXPECT_EQ(EE_RenameFusionSet(set, 0, &choice), 0);
    EXPECT_EQ(EE_RenameFusionSet(set, 1, &choice), 1);
    EXPECT_STREQ(SEGetName(set), "New");
    EXPECT_EQ(set->subKind, kSEFusGlobal);
    ObjectHandle tag = 0;
    ASSERT_EQ(GE_GetRegion(a, kRegionFusion, &tag), 1);
    EXPECT_EQ(Text(tag), "New");
    EXPECT_EQ(Text(QXStr_GetObjectPage(tag)), "FG");
    EXPECT_EQ(EE_DropFusionSets(set, 0), 0);
    EXPECT_EQ(EE_DropFusionSets(set, 1), 1);
    EXPECT_EQ(SEIsFusMem(Record(a)), 0);
    EXPECT_EQ(GE_GetRegion(a, kRegionFusion, &tag), 0);
}

// ---- region creation and the text menu ----

TEST_F(NetRolesTest, StartingARegionCreation)
{
    ObjectHandle transition = NewTransition(100, 100);
    EXPECT_EQ(EE_StartRegionCreation(transition, kRegionCode), 1);
    EXPECT_EQ(GE_GetCreateKind(), kGECreateRegion);
    ObjectHandle owner = 0;
    EXPECT_EQ(GE_GetPendingRegion(&owner), static_cast<uint32_t>(kRegionCode));
    EXPECT_EQ(owner, transition);
    EXPECT_EQ(EE_StartRegionCreation(transition, kRegionGuard), 1);
    // Cursors by kind, with the shape of the region's default record (1024: box, 1023: text label).
    EXPECT_EQ(objectLog().creations, (std::vector<std::pair<int32_t, int32_t>>{{3005, 1}, {3004, 37}}));
}

TEST_F(NetRolesTest, TextMenuItemByObject)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle name = GE_MakeRegion(place, kRegionName);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    ObjectHandle subpage = NewPage();
    ObjectHandle substitution = Substitution(300, 300, subpage);
    objectLog().hierarchyTexts[substitution] = "Sub";
    EE_UpdateHierarchyTag(substitution);
    ObjectHandle hierarchy = 0;
    GE_GetRegion(substitution, kRegionHierarchy, &hierarchy);
    ObjectHandle feedback = QXStr_CreateNode(page_, F(400), F(400), F(10), F(10), 1);
    GE_AttachRegion(transition, feedback, kRegionFeedback);
    EXPECT_EQ(EE_RefreshTextMenu(place), 1u);
    EXPECT_EQ(EE_RefreshTextMenu(name), 1u);
    EXPECT_EQ(EE_RefreshTextMenu(code), 1u);
    EXPECT_EQ(EE_RefreshTextMenu(QXStr_GetObjectPage(code)), 2u);
    EXPECT_EQ(EE_RefreshTextMenu(hierarchy), 2u);
    EXPECT_EQ(EE_RefreshTextMenu(feedback), 2u);
    EXPECT_EQ(EE_RefreshTextMenu(0), 2u);
    uint32_t flag = 0;
    EXPECT_EQ(EE_TextMenuPickFilter(place, reinterpret_cast<uintptr_t>(&flag), 0, 0, 0, 0), 1u);
    EXPECT_EQ(flag, 1u);
}

// ---- selection classification and checks ----

// Records each object the walk hands over; stops after the given number.
struct Visits {
    std::vector<uint32_t> objects;
    size_t stopAfter = 100;
};

int Visit(uint32_t object, uint32_t, uint32_t, uint32_t, void* argument)
{
    auto* visits = static_cast<Visits*>(argument);
    visits->objects.push_back(object);
    return visits->objects.size() < visits->stopAfter ? 1 : 0;
}

TEST_F(NetRolesTest, ForEachMatchingHandsOverOnlyTheObjectsOfTheMasks)
{
    const ObjectHandle place = NewPlace(100, 100);
    const ObjectHandle transition = NewTransition(300, 100);
    const ObjectHandle fused = NewPlace(500, 100);
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusGlobal, nullptr);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(SEAddFusMem(&set->head, Record(fused)), 1);
    const ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    const uint32_t nodes[] = {place, transition, fused};
    const uint32_t regions[] = {code, place};
    struct Case {
        const char* name;
        const uint32_t* list;
        uint32_t count;
        uint32_t typeBits, net, graphic;
        int result;
        std::vector<uint32_t> visited;
    };
    const Case cases[] = {
        {"plain places", nodes, 3, kQXKindNode, 0x1, 0, 1, {place}},
        {"transitions", nodes, 3, kQXKindNode, 0x1000, 0, 1, {transition}},
        {"fusion members", nodes, 3, kQXKindNode, kEQFusionBits, 0, 1, {fused}},
        {"any place", nodes, 3, kQXKindNode, kEQPlaceBits, 0, 1, {place, fused}},
        {"no masks", nodes, 3, kQXKindNode, 0, 0, 1, {}},
        {"no type bits", nodes, 3, 0, 0x1, 0, 1, {}},
        {"first of another type", nodes, 3, kQXKindConnector, 0x1, 0, 1, {}},
        {"empty list", nodes, 0, kQXKindNode, 0x1, 0, 0, {}},
        // A region list ends at its first non-region.
        {"code regions", regions, 2, kQXKindRegion, 1u << 9, 0xFFFF, 1, {code}},
    };
    for (const Case& c : cases) {
        Visits visits;
        EXPECT_EQ(EQ_ForEachMatching(c.count, c.list, c.typeBits, c.net, c.graphic, Visit, &visits), c.result)
            << c.name;
        EXPECT_EQ(visits.objects, c.visited) << c.name;
    }
    Visits once{{}, 1};
    EXPECT_EQ(EQ_ForEachMatching(3, nodes, kQXKindNode, kEQPlaceBits, 0, Visit, &once), 0);
    EXPECT_EQ(once.objects, std::vector<uint32_t>{place});
    EXPECT_EQ(EQ_ForEachMatching(3, nodes, kQXKindNode, 0x1, 0, nullptr, nullptr), 0);
    // A list of pages is no selection the walk knows.
    const uint32_t pages[] = {page_};
    EXPECT_EQ(EQ_ForEachMatching(1, pages, kQXKindPage, 0x1, 0, Visit, &once), 0);
    EXPECT_EQ(EE_GetPendingError(), 16402);
    EE_ClearPendingError();
}

int CollectMember(uintptr_t result, void* argument)
{
    static_cast<std::vector<uintptr_t>*>(argument)->push_back(result);
    return 1;
}

int StopAtOnce(uintptr_t, void*)
{
    return 0;
}

TEST_F(NetRolesTest, ForEachInQueryWalksTheQueryUntilTheFunctionStops)
{
    const ObjectHandle first = NewPlace(100, 100);
    const ObjectHandle second = NewPlace(300, 100);
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusGlobal, nullptr);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(SEAddFusMem(&set->head, Record(first)), 1);
    ASSERT_EQ(SEAddFusMem(&set->head, Record(second)), 1);
    std::vector<uintptr_t> members;
    SEIter iter{};
    iter.input = &set->head;
    EXPECT_EQ(EQ_ForEachInQuery(5, CollectMember, &iter, &members), 1);
    EXPECT_EQ(members.size(), 2u);
    EXPECT_NE(std::find(members.begin(), members.end(), first), members.end());
    EXPECT_NE(std::find(members.begin(), members.end(), second), members.end());
    iter = SEIter{};
    iter.input = &set->head;
    EXPECT_EQ(EQ_ForEachInQuery(5, StopAtOnce, &iter), 0);
    // No function, or a query that cannot start.
    EXPECT_EQ(EQ_ForEachInQuery(5, nullptr, &iter), 0);
    iter = SEIter{};
    EXPECT_EQ(EQ_ForEachInQuery(0, CollectMember, &iter, &members), 0);
}

TEST_F(NetRolesTest, RoleMasksOfSelections)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    uint32_t type = 0, net = 0, graphic = 0;
    const uint32_t one[] = {place};
    EXPECT_EQ(EQ_MapSpec(1, one, nullptr, nullptr, &type, &net, &graphic), 1);
    EXPECT_EQ(type, kQXKindNode);
    EXPECT_EQ(net, 0x1u);
    EXPECT_EQ(graphic, 0u);
    const uint32_t codeList[] = {code};
    EQ_MapSpec(1, codeList, nullptr, nullptr, &type, &net, &graphic);
    EXPECT_EQ(type, kQXKindRegion);
    EXPECT_EQ(net, 1u << 9);
    const uint32_t keyList[] = {QXStr_GetObjectPage(code)};
    EQ_MapSpec(1, keyList, nullptr, nullptr, &type, &net, &graphic);
    EXPECT_EQ(net, 1u << 10);
    const uint32_t pageList[] = {page_};
    EXPECT_EQ(EQ_MapSpec(1, pageList, nullptr, nullptr, &type, &net, &graphic), 0);
    EXPECT_EQ(type, 0u);
    EXPECT_EQ(net, 0u);
    // A region list with a node in it ends the scan with 0.
    const uint32_t mixed[] = {code, place};
    EXPECT_EQ(EQ_MapSpec(2, mixed, nullptr, nullptr, &type, &net, &graphic), 0);
    EXPECT_EQ(EQ_RegionBit(kQXKindRegion, kRegionLineChart), EQ_RegionBit(kQXKindRegion, kRegionBarChart));
    EXPECT_EQ(EQ_RegionBit(kQXKindRegion, kRegionAux), 2u);
    EXPECT_EQ(EQ_RegionBit(kQXKindNode, kRegionName), 0u);
}

TEST_F(NetRolesTest, TransitionCommandChecks)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 1);
    ObjectHandle guard = GE_MakeRegion(transition, kRegionGuard);
    ObjectHandle time = GE_MakeRegion(transition, kRegionTime);
    ObjectHandle subpage = NewPage();
    ObjectHandle substitution = Substitution(300, 300, subpage);
    auto check = [](std::vector<uint32_t> objects) {
        EECheckRecord record;
        uint32_t type = 0, net = 0, graphic = 0;
        EQ_MapSpec(static_cast<uint32_t>(objects.size()), objects.data(), EE_CheckTransitions, &record, &type,
                   &net, &graphic);
        return record.refusal;
    };
    EXPECT_EQ(check({transition}), 0);
    EXPECT_EQ(check({guard}), 0);
    EXPECT_EQ(check({guard, time}), 11316);
    EXPECT_EQ(check({arc}), 11310);
    EXPECT_EQ(check({place}), 11269);
    EXPECT_EQ(check({transition, place}), 11269);
    EXPECT_EQ(check({substitution}), 11272);
}

TEST_F(NetRolesTest, MoveToSubpageChecks)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 1);
    ObjectHandle subpage = NewPage();
    ObjectHandle port = NewPlace(50, 50, subpage);
    EE_MakePort(port, kSEPortInput);
    ObjectHandle substitution = Substitution(300, 300, subpage);
    ObjectHandle socket = NewPlace(500, 300);
    NewArc(socket, substitution, 1);
    ObjectHandle other = NewTransition(500, 500);
    auto check = [](std::vector<uint32_t> objects) {
        EECheckRecord record;
        uint32_t type = 0, net = 0, graphic = 0;
        EQ_MapSpec(static_cast<uint32_t>(objects.size()), objects.data(), EE_CheckMoveToSubpage, &record, &type,
                   &net, &graphic);
        return record.refusal;
    };
    EXPECT_EQ(check({transition, other}), 0);
    EXPECT_EQ(check({arc}), 11306);
    EXPECT_EQ(check({place, transition}), 11282);
    EXPECT_EQ(check({substitution}), 11283);
    EXPECT_EQ(check({socket}), 11284);
    EXPECT_EQ(check({port}), 11315);
}

// ---- selection descriptions ----

TEST_F(NetRolesTest, SelectionDescriptions)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 1);
    ObjectHandle substitution = Substitution(300, 300, subpage);
    ObjectHandle invocation = NewTransition(300, 500);
    EE_MakeCompound(invocation, kSEInvocation, nullptr);
    EE_AssignSubpage(invocation, subpage, 0);
    ObjectHandle globalFused = NewPlace(100, 500);
    EE_AddFusionMember(globalFused, NewFusionSet(kSEFusGlobal, "G"));
    ObjectHandle pageFused = NewTransition(100, 700);
    EE_AddFusionMember(pageFused, NewFusionSet(kSEFusPage, "P", false));
    ObjectHandle inPort = NewPlace(50, 50, subpage);
    EE_MakePort(inPort, kSEPortInput);
    ObjectHandle exitPort = NewPlace(150, 50, subpage);
    EE_MakePort(exitPort, kSEPortOutput);
    SESetNodeFlag(Record(exitPort));
    ObjectHandle inSocket = NewPlace(500, 300);
    NewArc(inSocket, substitution, 1);
    ObjectHandle ioSocket = NewPlace(500, 400);
    NewArc(ioSocket, substitution, 3);
    ObjectHandle multiSocket = NewPlace(500, 500);
    NewArc(multiSocket, substitution, 1);
    NewArc(invocation, multiSocket, 1);
    ObjectHandle global = QXStr_CreateNode(page_, F(700), F(100), F(40), F(40), 1);
    EE_CreateDeclNode(global, ObjectHandle{0}, kSEDeclGlobal);
    ObjectHandle local = QXStr_CreateNode(page_, F(700), F(200), F(40), F(40), 1);
    EE_CreateDeclNode(local, page_, kSEDeclLocal);
    ObjectHandle temporary = QXStr_CreateNode(page_, F(700), F(300), F(40), F(40), 1);
    EE_CreateDeclNode(temporary, ObjectHandle{0}, kSEDeclTemporary);
    ObjectHandle bar = QXStr_CreateNode(page_, F(700), F(500), F(80), F(60), 1);
    EE_MakeBarChartRecord(bar, 0);
    ObjectHandle line = QXStr_CreateNode(page_, F(900), F(500), F(80), F(60), 1);
    EE_MakeLineChartRecord(line, 0);
    ObjectHandle plain = QXStr_CreateNode(page_, F(900), F(100), F(20), F(20), 1);
    ObjectHandle auxiliary = QXStr_CreateConnector(page_, plain, place);
    ObjectHandle hierarchyPage = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    ObjectHandle pageNode = QXStr_CreateNode(hierarchyPage, F(100), F(100), F(40), F(20), 1);
    objectLog().hierarchyPage = hierarchyPage;
    objectLog().pageNodes[subpage] = pageNode;
    ObjectHandle name = GE_MakeRegion(place, kRegionName);
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    ObjectHandle time = GE_MakeRegion(transition, kRegionTime);
    ObjectHandle expression = GE_MakeRegion(arc, kRegionArcExpr);
    objectLog().hierarchyTexts[substitution] = "Sub";
    EE_UpdateHierarchyTag(substitution);
    ObjectHandle hierarchy = 0;
    GE_GetRegion(substitution, kRegionHierarchy, &hierarchy);
    auto region = [&](int32_t kind) {
        ObjectHandle r = QXStr_CreateNode(page_, F(900), F(900), F(10), F(10), 1);
        GE_AttachRegion(plain, r, kind);
        return r;
    };
    const std::vector<std::pair<std::vector<ObjectHandle>, std::string>> table = {
        {{}, "None."},
        {{place}, "Place"},
        {{transition}, "Transition"},
        {{substitution}, "Sub-Transition"},
        {{invocation}, "Inv-Transition"},
        {{globalFused}, "Place, Glob-Fusion"},
        {{pageFused}, "Transition, Page-Fusion"},
        {{inPort}, "Place, In-Port"},
        {{exitPort}, "Place, Out-Port, Exit"},
        {{inSocket}, "Place, In-Socket"},
        {{ioSocket}, "Place, I/O-Socket"},
        {{multiSocket}, "Place, Mult-Socket"},
        {{global}, "Global Declaration Node"},
        {{local}, "Local Declaration Node"},
        {{temporary}, "Temporary Declaration Node"},
        {{bar}, "Bar Chart"},
        {{line}, "Line Chart"},
        {{plain}, "Auxiliary Node"},
        {{pageNode}, "Page Node"},
        {{arc}, "Arc"},
        {{auxiliary}, "Auxiliary Connector"},
        {{name}, "Name Region"},
        {{code}, "Code Region"},
        {{QXStr_GetObjectPage(code)}, "Code Key Region"},
        {{time}, "Time Region"},
        {{expression}, "Arc Expression Region"},
        {{hierarchy}, "Hierarchy Region"},
        {{QXStr_GetObjectPage(hierarchy)}, "Hierarchy Key Region"},
        {{region(kRegionDeclEntry)}, "Declaration Region"},
        {{region(0)}, "Auxiliary Region"},
        {{region(kRegionAux)}, "Endpoint Region"},
        {{region(kRegionMLResult)}, "ML Region"},
        {{region(kRegionFeedback)}, "Transition Feedback Region"},
    };
    for (const auto& [objects, expected] : table) {
        EXPECT_EQ(Summary(objects), expected) << expected;
    }
    EXPECT_EQ(Summary({place, transition, plain}, 1), "Group of 3 Nodes");
    EXPECT_EQ(Summary({arc}, 1), "Group of 1 Connector");
    EXPECT_EQ(Summary({name, code}, 1), "Group of 2 Regions");
}

}  // namespace

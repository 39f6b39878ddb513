// Net records of editor objects: records of every net element
// kind, arcs by direction, the connector-direction and page hooks, deletion,
// texts from inscription regions, hierarchy, fusion and port tags, and the
// chart regions.
#include <gtest/gtest.h>

#include <cstring>

#include "NetObjectFixture.h"
#include "atolq/AEditor/SEIds.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/Hook.h"

namespace {

class NetObjectsTest : public NetObjectTest {
protected:
    ObjectHandle NewPlace(double x, double y)
    {
        ObjectHandle node = QXStr_CreateNode(page_, F(x), F(y), F(20), F(20), 2);
        EXPECT_EQ(EE_CreateNetPlace(node), 1);
        return node;
    }
    ObjectHandle NewTransition(double x, double y)
    {
        ObjectHandle node = QXStr_CreateNode(page_, F(x), F(y), F(30), F(20), 1);
        EXPECT_EQ(EE_CreateNetTrans(node), 1);
        return node;
    }
    ObjectHandle NewArc(ObjectHandle from, ObjectHandle to, uint32_t direction)
    {
        ObjectHandle connector = Connector(from, to, direction);
        EXPECT_EQ(EE_CreateNetArc(connector), 1);
        return connector;
    }
    // A second page with its record.
    ObjectHandle NewPage()
    {
        ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        EXPECT_EQ(EE_CreateNetPage(page, 1), 1);
        return page;
    }
    static std::string Name(SEHead* record)
    {
        const char* name = SEGetName(record);
        return name != nullptr ? name : "<none>";
    }
    static std::string Str(const char* text) { return text != nullptr ? text : "<none>"; }
    static SEHead* Second(ObjectHandle connector)
    {
        SEHead* record = nullptr;
        GE_GetSecondRecord(connector, &record);
        return record;
    }
    static bool Live(SEHead* record, uint32_t id) { return SERecordById(id) == record; }
};

TEST_F(NetObjectsTest, PlacesAndTransitionsGetRecordsOnTheirPage)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(200, 100);
    SEHead* p = Record(place);
    SEHead* t = Record(transition);
    ASSERT_NE(p, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(p->kind, kSEPlace);
    EXPECT_EQ(p->subKind, kSEPlain);
    EXPECT_EQ(p->owner, &net_->head);
    EXPECT_EQ(SEGetKVObj(p), place);
    EXPECT_EQ(t->kind, kSETrans);
    EXPECT_EQ(SEGetKVObj(t), transition);
    uint16_t kind = 0, sub = 0;
    SEHead* record = nullptr;
    EXPECT_EQ(EE_GetObjectKind(transition, &kind, &sub, &record), 1);
    EXPECT_EQ(kind, kSETrans);
    EXPECT_EQ(sub, kSEPlain);
    EXPECT_EQ(record, t);
}

TEST_F(NetObjectsTest, NodesOnAPageWithoutRecordAreReported)
{
    ObjectHandle bare = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    ObjectHandle node = QXStr_CreateNode(bare, F(50), F(50), F(20), F(20), 2);
    EXPECT_EQ(EE_CreateNetPlace(node), 0);
    EXPECT_EQ(EE_GetPendingError(), kMsgPlaceNotCreated);
    EXPECT_EQ(GE_IsPlainObject(node), 1);
    EE_ClearPendingError();
    EXPECT_EQ(EE_CreateNetTrans(node), 0);
    EXPECT_EQ(EE_GetPendingError(), kMsgTransNotCreated);
    EE_ClearPendingError();
    EXPECT_EQ(EE_CreateDeclNode(node, bare, kSEDeclLocal), 0);
    EXPECT_EQ(EE_GetPendingError(), kMsgNonNetPage);
}

TEST_F(NetObjectsTest, PagesGetRecordsAndPageNodes)
{
    ObjectHandle page = NewPage();
    SEHead* record = Record(page);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, kSEPage);
    EXPECT_EQ(record->subKind, kSEPortsNone);
    EXPECT_EQ(SEGetKVObj(record), page);
    ASSERT_FALSE(objectLog().hierarchyCalls.empty());
    EXPECT_EQ(objectLog().hierarchyCalls.back(), std::make_pair(std::string("add"), page));
}

TEST_F(NetObjectsTest, DeclarationNodesOfEachKind)
{
    ObjectHandle global = QXStr_CreateNode(page_, F(50), F(50), F(40), F(40), 1);
    ObjectHandle temporary = QXStr_CreateNode(page_, F(150), F(50), F(40), F(40), 1);
    ObjectHandle local = QXStr_CreateNode(page_, F(250), F(50), F(40), F(40), 1);
    EXPECT_EQ(EE_CreateDeclNode(global, ObjectHandle{0}, kSEDeclGlobal), 1);
    EXPECT_EQ(EE_CreateDeclNode(temporary, ObjectHandle{0}, kSEDeclTemporary), 1);
    EXPECT_EQ(EE_CreateDeclNode(local, page_, kSEDeclLocal), 1);
    EXPECT_EQ(Record(global)->kind, kSEDeclNode);
    EXPECT_EQ(Record(global)->subKind, kSEDeclGlobal);
    EXPECT_EQ(Record(temporary)->subKind, kSEDeclTemporary);
    EXPECT_EQ(Record(local)->subKind, kSEDeclLocal);
    EXPECT_EQ(Record(local)->owner, &net_->head);
    // The declaration text is the node's own text.
    QXText_SetText(local, "val x = 1;");
    EXPECT_EQ(EE_BuildDeclRegions(local), 1);
    EXPECT_EQ(Str(SEGetDeclText(Record(local))), "val x = 1;");
    EXPECT_EQ(EE_BuildDeclRegions(page_), 0);
}

TEST_F(NetObjectsTest, ChartRecordsWithAndWithoutTheDialog)
{
    ObjectHandle bar = QXStr_CreateNode(page_, F(50), F(50), F(80), F(60), 1);
    ObjectHandle line = QXStr_CreateNode(page_, F(200), F(50), F(80), F(60), 1);
    EXPECT_EQ(EE_MakeBarChartRecord(bar, 0), 1);
    EXPECT_EQ(Record(bar)->kind, kSEBarChart);
    objectLog().selection = {line};
    EXPECT_EQ(EE_MakeLineChartRecord(line, 1), 1);
    EXPECT_EQ(Record(line)->kind, kSELineChart);
    ASSERT_EQ(objectLog().chartsApplied.size(), 1u);
    EXPECT_EQ(objectLog().chartsApplied[0], line);
    EXPECT_EQ(objectLog().busyTexts.back(), "Creating Chart");
    ObjectHandle another = QXStr_CreateNode(page_, F(350), F(50), F(80), F(60), 1);
    objectLog().selection = {another};
    objectLog().chartDialogAnswer = 0;
    EXPECT_EQ(EE_MakeBarChartRecord(another, 1), 0);
    EXPECT_EQ(Record(another)->kind, kSEBarChart);
}

TEST_F(NetObjectsTest, ChartAttributesCheckTheSelection)
{
    ObjectHandle bar = QXStr_CreateNode(page_, F(50), F(50), F(80), F(60), 1);
    ObjectHandle line = QXStr_CreateNode(page_, F(200), F(50), F(80), F(60), 1);
    EE_MakeBarChartRecord(bar, 0);
    EE_MakeLineChartRecord(line, 0);
    ObjectHandle place = NewPlace(300, 300);
    objectLog().selection = {};
    EXPECT_EQ(EE_ChartAttributes(1), 0);
    objectLog().selection = {bar, line};
    EXPECT_EQ(EE_ChartAttributes(1), 0);
    objectLog().selection = {bar, place};
    EXPECT_EQ(EE_ChartAttributes(1), 0);
    EXPECT_EQ(objectLog().messageBoxes, (std::vector<int16_t>{kMsgEmptySelection, kMsgMixedGroup, kMsgChartsOnly}));
    // A region of a chart stands for the chart.
    ObjectHandle region = 0;
    ASSERT_EQ(EE_MakeBarChartRegion(bar, F(60), F(60), F(20), F(10), &region), 1);
    objectLog().selection = {region};
    EXPECT_EQ(EE_ChartAttributes(1), 1);
    EXPECT_EQ(objectLog().chartsApplied, std::vector<uint32_t>{bar});
    EXPECT_EQ(objectLog().busyTexts.back(), "Updating Chart");
}

TEST_F(NetObjectsTest, ArcRecordsFollowTheDirection)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle in = NewArc(place, transition, 1);
    EXPECT_EQ(Record(in)->kind, kSEArc);
    EXPECT_EQ(Record(in)->subKind, kSEPlaceToTrans);
    EXPECT_EQ(Record(in)->owner, Record(transition));
    EXPECT_EQ(Second(in), nullptr);
    ObjectHandle out = NewArc(transition, place, 1);
    EXPECT_EQ(Record(out)->subKind, kSETransToPlace);
    ObjectHandle back = NewArc(place, transition, 2);
    EXPECT_EQ(Record(back)->subKind, kSETransToPlace);
    ObjectHandle both = NewArc(transition, place, 3);
    EXPECT_EQ(Record(both)->subKind, kSEPlaceToTrans);
    ASSERT_NE(Second(both), nullptr);
    EXPECT_EQ(Second(both)->subKind, kSETransToPlace);
    uint16_t kind = 0, sub = 0;
    EXPECT_EQ(EE_GetObjectKind(both, &kind, &sub, nullptr), 1);
    EXPECT_EQ(kind, kSEArc);
    EXPECT_EQ(sub, kEEDoubleArc);
    ObjectHandle none = NewArc(place, transition, 0);
    EXPECT_NE(Second(none), nullptr);
    // Ends without records give no arc and no report.
    ObjectHandle plain = QXStr_CreateNode(page_, F(100), F(300), F(10), F(10), 1);
    ObjectHandle auxiliary = Connector(place, plain);
    EXPECT_EQ(EE_CreateNetArc(auxiliary), 0);
    EXPECT_EQ(EE_GetPendingError(), 0);
    EXPECT_EQ(GE_IsPlainObject(auxiliary), 1);
    // Two places are no arc.
    ObjectHandle other = NewPlace(100, 300);
    ObjectHandle wrong = Connector(place, other);
    EXPECT_EQ(EE_CreateNetArc(wrong), 0);
    EXPECT_EQ(EE_GetPendingError(), kMsgWrongArcEnds);
}

TEST_F(NetObjectsTest, ChangingTheDirectionRebuildsTheArcRecords)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle connector = NewArc(place, transition, 3);
    GE_MakeRegion(connector, kRegionArcExpr);
    GE_SetRegionText(connector, kRegionArcExpr, "x");
    SEHead* old = Record(connector);
    SEHead* oldPartner = Second(connector);
    const uint32_t oldId = SERecordId(old);
    const uint32_t partnerId = SERecordId(oldPartner);
    EXPECT_EQ(EE_ConnectorDirectionHook(connector, 0, 0, 1, 0, 0), 1u);
    EXPECT_EQ(QXRdAttr_GetDirection(connector), 1u);
    EXPECT_EQ(SERecordById(oldId), nullptr);
    EXPECT_EQ(SERecordById(partnerId), nullptr);
    SEHead* now = Record(connector);
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->subKind, kSEPlaceToTrans);
    EXPECT_EQ(Second(connector), nullptr);
    EXPECT_EQ(Str(SEGetArcExpr(now)), "x");
    // -1 and an unchanged direction change nothing.
    EXPECT_EQ(EE_ConnectorDirectionHook(connector, 0, 0, static_cast<uintptr_t>(-1), 0, 0), 1u);
    EXPECT_EQ(EE_ConnectorDirectionHook(connector, 0, 0, 1, 0, 0), 1u);
    EXPECT_EQ(Record(connector), now);
    // Back to both directions: two records, both with the expression.
    EXPECT_EQ(EE_ConnectorDirectionHook(connector, 0, 0, 3, 0, 0), 1u);
    ASSERT_NE(Second(connector), nullptr);
    EXPECT_EQ(Str(SEGetArcExpr(Second(connector))), "x");
}

TEST_F(NetObjectsTest, ArcExpressionsFromRegionOrConnector)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle connector = NewArc(place, transition, 3);
    QXText_SetText(connector, "own");
    EXPECT_EQ(EE_SetArcExprFromRegion(connector), 1);
    EXPECT_EQ(Str(SEGetArcExpr(Record(connector))), "own");
    EXPECT_EQ(Str(SEGetArcExpr(Second(connector))), "own");
    ObjectHandle region = GE_MakeRegion(connector, kRegionArcExpr);
    QXText_SetText(region, "1`x");
    EXPECT_EQ(EE_UpdateNetFromRegion(region), 1);
    EXPECT_EQ(Str(SEGetArcExpr(Record(connector))), "1`x");
    EXPECT_EQ(Str(SEGetArcExpr(Second(connector))), "1`x");
    EXPECT_EQ(EE_DropRegion(region, kRegionArcExpr, 1), 1);
    EXPECT_EQ(QXStr_IsObject(region), 0u);
    EXPECT_EQ(SEGetArcExpr(Record(connector)), nullptr);
    EXPECT_EQ(SEGetArcExpr(Second(connector)), nullptr);
}

TEST_F(NetObjectsTest, InscriptionRegionsStoreTheirTexts)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    struct Case {
        ObjectHandle owner;
        int32_t kind;
        const char* text;
    };
    const Case cases[] = {{place, kRegionColourSet, "INT"},       {place, kRegionInitMark, "1`3"},
                          {transition, kRegionGuard, "[x>1]"},    {transition, kRegionCode, "input (x);"},
                          {transition, kRegionTime, "@+5"}};
    for (const Case& c : cases) {
        ObjectHandle region = GE_MakeRegion(c.owner, c.kind);
        QXText_SetText(region, c.text);
        EXPECT_EQ(EE_UpdateNetFromRegion(region), 1);
    }
    EXPECT_EQ(Str(SEGetColourSet(Record(place))), "INT");
    EXPECT_EQ(Str(SEGetInitMark(Record(place))), "1`3");
    EXPECT_EQ(Str(SEGetGuard(Record(transition))), "[x>1]");
    EXPECT_EQ(Str(SEGetCode(Record(transition))), "input (x);");
    EXPECT_EQ(Str(SEGetTime(Record(transition))), "@+5");
    // A key region stores nothing.
    ObjectHandle codeRegion = 0;
    GE_GetRegion(transition, kRegionCode, &codeRegion);
    EXPECT_EQ(EE_UpdateNetFromRegion(QXStr_GetObjectPage(codeRegion)), 1);
    EXPECT_EQ(Str(SEGetCode(Record(transition))), "input (x);");
    // Removing the colour-set region sets the colour set to none.
    ObjectHandle colour = 0;
    GE_GetRegion(place, kRegionColourSet, &colour);
    EXPECT_EQ(EE_DropRegion(colour, kRegionColourSet, 1), 1);
    EXPECT_EQ(SEGetColourSet(Record(place)), nullptr);
    // Removing the code region takes its key region with it.
    EXPECT_EQ(EE_DropRegion(codeRegion, kRegionCode, 1), 1);
    EXPECT_EQ(SEGetCode(Record(transition)), nullptr);
    ObjectHandle key = 0;
    EXPECT_EQ(GE_FindChildRegion(transition, GE_KeyRegionKind(kRegionCode), &key), 0);
}

TEST_F(NetObjectsTest, NamesComeFromTheNameRegionOrTheNodeText)
{
    ObjectHandle place = NewPlace(100, 100);
    QXText_SetText(place, "  Buffer #1");
    EXPECT_EQ(EE_TakeNameFromRegion(place), 1);
    EXPECT_EQ(Name(Record(place)), "Buffer");
    ObjectHandle name = GE_MakeRegion(place, kRegionName);
    QXText_SetText(name, "Store");
    EXPECT_EQ(EE_UpdateNetFromRegion(name), 1);
    EXPECT_EQ(Name(Record(place)), "Store");
    char* text = nullptr;
    EXPECT_EQ(EE_GetNameRegionText(place, &text), 1);
    EXPECT_EQ(Str(text), "Store");
    QXMem_Free(text);
    // Without the name region the node's own text names it again.
    EXPECT_EQ(EE_DropRegion(name, kRegionName, 1), 1);
    EXPECT_EQ(Name(Record(place)), "Buffer");
    // An empty text gives no name and keeps the old one.
    QXText_SetText(place, "   ");
    EXPECT_EQ(EE_TakeNameFromRegion(place), 0);
    EXPECT_EQ(Name(Record(place)), "Buffer");
    char* none = EE_NameFromText("\"quoted");
    EXPECT_EQ(none, nullptr);
    EE_RefreshNodeName(place);
    EXPECT_EQ(objectLog().updatedFromObject, std::vector<uint32_t>{place});
}

TEST_F(NetObjectsTest, StoringAllTextsOfNodes)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    GE_MakeRegion(place, kRegionName);
    GE_SetRegionText(place, kRegionName, "P");
    GE_MakeRegion(place, kRegionColourSet);
    GE_SetRegionText(place, kRegionColourSet, " BOOL\n");
    QXText_SetText(transition, "T1");
    GE_MakeRegion(transition, kRegionGuard);
    GE_SetRegionText(transition, kRegionGuard, "[b]");
    GE_MakeRegion(transition, kRegionCode);
    GE_SetRegionText(transition, kRegionCode, "action ();");
    EXPECT_EQ(EE_StorePlaceTexts(place), 1);
    EXPECT_EQ(EE_StoreTransTexts(transition), 1);
    EXPECT_EQ(EE_StorePlaceTexts(transition), 0);
    EXPECT_EQ(Name(Record(place)), "P");
    EXPECT_EQ(Str(SEGetColourSet(Record(place))), "BOOL");
    EXPECT_EQ(SEGetInitMark(Record(place)), nullptr);
    EXPECT_EQ(Name(Record(transition)), "T1");
    EXPECT_EQ(Str(SEGetGuard(Record(transition))), "[b]");
    EXPECT_EQ(Str(SEGetCode(Record(transition))), "action ();");
}

TEST_F(NetObjectsTest, FusionTagsShowTheSetAndItsType)
{
    ObjectHandle a = NewPlace(100, 100);
    ObjectHandle b = NewPlace(200, 100);
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusPage, net_);
    ASSERT_NE(set, nullptr);
    char* name = static_cast<char*>(QXMem_Alloc(8));
    std::strcpy(name, "Pool");
    SESetName(&set->head, name);
    EXPECT_EQ(EE_AddFusionMember(a, &set->head), 1);
    EXPECT_EQ(EE_AddFusionMember(b, &set->head), 1);
    ObjectHandle tag = 0;
    ASSERT_EQ(GE_GetRegion(a, kRegionFusion, &tag), 1);
    EXPECT_EQ(Text(tag), "Pool");
    EXPECT_EQ(Text(QXStr_GetObjectPage(tag)), "FP");
    EXPECT_EQ(EE_RemoveFusionMember(a), 1);
    EXPECT_EQ(GE_GetRegion(a, kRegionFusion, &tag), 0);
    EXPECT_EQ(SEIsFusMem(Record(a)), 0);
    EXPECT_EQ(EE_RedrawFusionTags(&set->head, 1), 1);
    EXPECT_EQ(GE_GetRegion(b, kRegionFusion, &tag), 0);
    EXPECT_EQ(EE_RedrawFusionTags(&set->head, 0), 1);
    EXPECT_EQ(GE_GetRegion(b, kRegionFusion, &tag), 1);
    // Deleting the set removes its members' tags and the set.
    const uint32_t id = SERecordId(&set->head);
    EXPECT_EQ(EE_DeleteFusionSet(&set->head), 1);
    EXPECT_EQ(SERecordById(id), nullptr);
    EXPECT_EQ(GE_GetRegion(b, kRegionFusion, &tag), 0);
    EXPECT_EQ(SEIsFusMem(Record(b)), 0);
}

TEST_F(NetObjectsTest, GlobalFusionKeyText)
{
    ObjectHandle a = NewTransition(100, 100);
    SETransFusSet* set = SECreateTransFusSet(kSEFusGlobal, nullptr);
    ASSERT_NE(set, nullptr);
    char* name = static_cast<char*>(QXMem_Alloc(8));
    std::strcpy(name, "Sync");
    SESetName(&set->head, name);
    EXPECT_EQ(EE_AddFusionMember(a, &set->head), 1);
    ObjectHandle tag = 0;
    ASSERT_EQ(GE_GetRegion(a, kRegionFusion, &tag), 1);
    EXPECT_EQ(Text(QXStr_GetObjectPage(tag)), "FG");
    // Removing the tag region removes the membership.
    EXPECT_EQ(EE_DropRegion(tag, kRegionFusion, 1), 1);
    EXPECT_EQ(SEIsFusMem(Record(a)), 0);
}

TEST_F(NetObjectsTest, SubstitutionTransitionsWithTheirHierarchyTag)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle transition = NewTransition(100, 100);
    SEHead* made = nullptr;
    EXPECT_EQ(EE_MakeCompound(transition, kSESubstitution, &made), 1);
    EXPECT_EQ(made, Record(transition));
    EXPECT_EQ(Record(transition)->subKind, kSESubstitution);
    EXPECT_EQ(objectLog().modeAttributeStores, std::vector<uint32_t>{transition});
    EXPECT_EQ(EE_IsCompoundNode(transition), 1);
    EXPECT_EQ(EE_AssignSubpage(transition, subpage, 1), 1);
    EXPECT_EQ(SEGetSubpageObj(Record(transition)), subpage);
    EXPECT_EQ(objectLog().pageNameUpdates, std::vector<uint32_t>{transition});
    objectLog().hierarchyTexts[transition] = "Sub#2";
    EXPECT_EQ(EE_UpdateHierarchyTag(transition), 1);
    ObjectHandle tag = 0;
    ASSERT_EQ(GE_GetRegion(transition, kRegionHierarchy, &tag), 1);
    EXPECT_EQ(Text(tag), "Sub#2");
    EXPECT_EQ(Text(QXStr_GetObjectPage(tag)), "HS");
    // The page's super nodes get their tags again.
    objectLog().hierarchyTexts[transition] = "Sub#3";
    EXPECT_EQ(EE_UpdateSuperNodeTags(subpage), 1);
    EXPECT_EQ(Text(tag), "Sub#3");
    // Removing the tag undoes the substitution.
    EXPECT_EQ(EE_DropRegion(tag, kRegionHierarchy, 1), 1);
    EXPECT_EQ(EE_IsCompoundNode(transition), 0);
    EXPECT_EQ(SEGetSubpageObj(Record(transition)), 0u);
    EXPECT_EQ(GE_GetRegion(transition, kRegionHierarchy, &tag), 0);
    // An empty hierarchy text makes no tag.
    objectLog().hierarchyTexts[transition] = "";
    EXPECT_EQ(EE_UpdateHierarchyTag(transition), 0);
}

TEST_F(NetObjectsTest, InvocationTagAndUnmaking)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle transition = NewTransition(100, 100);
    ASSERT_EQ(EE_MakeCompound(transition, kSEInvocation, nullptr), 1);
    ASSERT_EQ(EE_AssignSubpage(transition, subpage, 0), 1);
    objectLog().hierarchyTexts[transition] = "Inv";
    EXPECT_EQ(EE_UpdateHierarchyTag(transition), 1);
    ObjectHandle tag = 0;
    ASSERT_EQ(GE_GetRegion(transition, kRegionHierarchy, &tag), 1);
    EXPECT_EQ(Text(QXStr_GetObjectPage(tag)), "HI");
    EXPECT_EQ(EE_UnmakeCompound(transition), 1);
    EXPECT_EQ(Record(transition)->subKind, kSEPlain);
    EXPECT_EQ(objectLog().hierarchyCalls.back(), std::make_pair(std::string("update"), subpage));
    EXPECT_EQ(EE_UnmakeCompound(transition), 0);
}

TEST_F(NetObjectsTest, PortsAndTheirAssignments)
{
    ObjectHandle subpage = NewPage();
    ObjectHandle port = QXStr_CreateNode(subpage, F(50), F(50), F(20), F(20), 2);
    ASSERT_EQ(EE_CreateNetPlace(port), 1);
    objectLog().portTexts[port] = "In";
    EXPECT_EQ(EE_MakePort(port, kSEPortInput), 1);
    EXPECT_EQ(Record(port)->subKind, kSEPortInput);
    ObjectHandle tag = 0;
    ASSERT_EQ(GE_GetRegion(port, kRegionPort, &tag), 1);
    EXPECT_EQ(Text(tag), "In");
    ObjectHandle socket = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(200, 100);
    NewArc(socket, transition, 1);
    ASSERT_EQ(EE_MakeCompound(transition, kSESubstitution, nullptr), 1);
    ASSERT_EQ(EE_AssignSubpage(transition, subpage, 0), 1);
    EXPECT_EQ(EE_AssignPort(transition, socket, port), 1);
    EXPECT_EQ(EE_GetAssignedNode(transition, socket), port);
    // The port's peers: the compound nodes that use its page.
    LMList* peers = LMCreate(kLMValueList);
    EXPECT_EQ(EE_CollectPortPeers(peers, port, Record(port)), 1);
    ASSERT_EQ(LMCount(peers), 1u);
    void* value = nullptr;
    LMFirst(peers, &value, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(value), transition);
    // The socket's peers: the compound nodes it is joined to.
    EXPECT_EQ(EE_CollectPortPeers(peers, socket, Record(socket)), 1);
    EXPECT_EQ(LMCount(peers), 2u);
    objectLog().hierarchyTexts[transition] = "Sub\nIn->Socket";
    EXPECT_EQ(EE_UpdateCollectedTags(peers), 1);
    EXPECT_EQ(LMCount(peers), 0u);
    LMDestroy(peers);
    ASSERT_EQ(GE_GetRegion(transition, kRegionHierarchy, &tag), 1);
    // Removing the port tag makes the port plain and drops its assignment.
    ObjectHandle portTag = 0;
    GE_GetRegion(port, kRegionPort, &portTag);
    EXPECT_EQ(EE_DropRegion(portTag, kRegionPort, 1), 1);
    EXPECT_EQ(Record(port)->subKind, kSEPlain);
    EXPECT_EQ(EE_GetAssignedNode(transition, socket), 0u);
    // An empty port text removes the tag.
    objectLog().portTexts[port] = "";
    EXPECT_EQ(EE_UpdatePortTag(port), 1);
    EXPECT_EQ(GE_GetRegion(port, kRegionPort, &tag), 0);
}

TEST_F(NetObjectsTest, DeletingANetObjectTakesItsArcs)
{
    ObjectHandle place = NewPlace(100, 100);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(place, transition, 1);
    GE_MakeRegion(place, kRegionName);
    const uint32_t placeId = SERecordId(Record(place));
    const uint32_t arcId = SERecordId(Record(arc));
    EXPECT_EQ(EE_DeleteNetObject(place), 1);
    EXPECT_EQ(QXStr_IsObject(place), 0u);
    EXPECT_EQ(QXStr_IsObject(arc), 0u);
    EXPECT_EQ(SERecordById(placeId), nullptr);
    EXPECT_EQ(SERecordById(arcId), nullptr);
    EXPECT_NE(Record(transition), nullptr);
    EXPECT_EQ(GE_TestStateFlags(kGEDeletingNetObjects), 0);
}

TEST_F(NetObjectsTest, DeletingANetPage)
{
    ObjectHandle page = NewPage();
    ObjectHandle place = QXStr_CreateNode(page, F(50), F(50), F(20), F(20), 2);
    ASSERT_EQ(EE_CreateNetPlace(place), 1);
    ObjectHandle decl = QXStr_CreateNode(page, F(150), F(50), F(40), F(40), 1);
    ASSERT_EQ(EE_CreateDeclNode(decl, page, kSEDeclLocal), 1);
    ObjectHandle transition = NewTransition(100, 100);
    ASSERT_EQ(EE_MakeCompound(transition, kSESubstitution, nullptr), 1);
    ASSERT_EQ(EE_AssignSubpage(transition, page, 0), 1);
    objectLog().hierarchyTexts[transition] = "Sub";
    EE_UpdateHierarchyTag(transition);
    const uint32_t pageId = SERecordId(Record(page));
    EXPECT_EQ(EE_DeleteNetPage(page), 1);
    EXPECT_EQ(QXStr_IsObject(page), 0u);
    EXPECT_EQ(SERecordById(pageId), nullptr);
    ObjectHandle tag = 0;
    EXPECT_EQ(GE_GetRegion(transition, kRegionHierarchy, &tag), 0);
    EXPECT_EQ(EE_IsCompoundNode(transition), 0);
    EXPECT_EQ(objectLog().hierarchyCalls.back(), std::make_pair(std::string("drop"), page));
}

TEST_F(NetObjectsTest, RenamedPagesKeepTheirRecordsInStep)
{
    ASSERT_EQ(QXWtAttr_SetPageAttr(page_, "", 7, 0, 0, 0), 1u);
    EXPECT_EQ(EE_PageChangedHook(page_, 0, 0, 0, 0, 0), 1u);
    EXPECT_EQ(Name(&net_->head), "Unnamed");
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    ASSERT_EQ(QXRdAttr_GetPageAttr(page_, name, &number, &width, &height, &border), 1u);
    EXPECT_STREQ(name, "Unnamed");
    EXPECT_EQ(SEGetPageNumber(net_), 7);
    EXPECT_EQ(objectLog().hierarchyCalls.back(), std::make_pair(std::string("changed"), page_));
    EXPECT_EQ(Hook_GetApplicationHandler(27), &EE_PageChangedHook);
    ASSERT_EQ(QXWtAttr_SetPageAttr(page_, "Top", 7, 0, 0, 0), 1u);
    EE_PageChangedHook(page_, 0, 0, 0, 0, 0);
    EXPECT_EQ(Name(&net_->head), "Top");
}

TEST_F(NetObjectsTest, ReattachingAnEndRebuildsTheArc)
{
    ObjectHandle first = NewPlace(100, 100);
    ObjectHandle second = NewPlace(100, 300);
    ObjectHandle transition = NewTransition(300, 100);
    ObjectHandle arc = NewArc(transition, first, 1);
    ASSERT_EQ(reinterpret_cast<SEArc*>(Record(arc))->place, reinterpret_cast<SEPlace*>(Record(first)));
    EXPECT_EQ(EE_ReattachEnds(arc, first, second, 0), 1);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(arc, 0, &start, &end);
    EXPECT_EQ(start, transition);
    EXPECT_EQ(end, second);
    EXPECT_EQ(reinterpret_cast<SEArc*>(Record(arc))->place, reinterpret_cast<SEPlace*>(Record(second)));
    EXPECT_EQ(Record(arc)->subKind, kSETransToPlace);
}

TEST_F(NetObjectsTest, ChartCodeRegions)
{
    ObjectHandle chart = QXStr_CreateNode(page_, F(200), F(200), F(100), F(80), 1);
    ASSERT_EQ(EE_MakeBarChartRecord(chart, 0), 1);
    ObjectHandle first = 0;
    ASSERT_EQ(EE_MakeBarChartRegion(chart, F(150), F(150), F(40), F(20), &first), 1);
    EXPECT_EQ(Hook_IsRegistered(kHookCommandEnd), 1u);
    ObjectHandle found = 0;
    ASSERT_EQ(GE_GetRegion(chart, kRegionBarChart, &found), 1);
    EXPECT_EQ(found, first);
    QXText_SetText(first, "fn () => 1");
    EXPECT_EQ(EE_UpdateNetFromRegion(first), 1);
    // A second code region: the old one becomes a plain region of the chart.
    ObjectHandle second = 0;
    ASSERT_EQ(EE_MakeBarChartRegion(chart, F(150), F(250), F(40), F(20), &second), 1);
    EXPECT_EQ(QXStr_GetObjectPage(first), chart);
    EXPECT_EQ(GE_RegionKindOf(first), 0);
    ASSERT_EQ(GE_GetRegion(chart, kRegionBarChart, &found), 1);
    EXPECT_EQ(found, second);
    // Removing the code region clears the chart's text.
    EXPECT_EQ(EE_DropRegion(second, kRegionBarChart, 1), 1);
    EXPECT_EQ(GE_GetRegion(chart, kRegionBarChart, &found), 0);
}

TEST_F(NetObjectsTest, CopyLinksAreDropped)
{
    ObjectHandle place = NewPlace(100, 100);
    GE_SetAuxWord(place, 1234);
    GE_SetNodeCode(place, 3);
    EXPECT_EQ(EE_DropCopyLink(Record(place)), 1);
    EXPECT_EQ(GE_HasUserData(place, kTagAuxWord), 0);
    EXPECT_EQ(GE_HasUserData(place, kTagNodeCode), 0);
    EXPECT_EQ(EE_DropCopyLink(nullptr), 0);
}

}  // namespace

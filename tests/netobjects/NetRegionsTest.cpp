// Regions of net objects: kinds and key regions, making, finding,
// texts, deleting, counting, moving and clearing regions, arc ends, owners
// and the pick of a region's owner.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "NetObjectFixture.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/Hook.h"
#include "xkv/kvud/UserData.h"

namespace {

using NetRegionsTest = NetObjectTest;

std::string Taken(char* text)
{
    std::string value = text != nullptr ? text : "<null>";
    if (text != nullptr) {
        QXMem_Free(text);
    }
    return value;
}

TEST_F(NetRegionsTest, KindArithmetic)
{
    EXPECT_EQ(GE_KeyRegionKind(4113), 268439569);
    EXPECT_EQ(GE_BaseRegionKind(268439569), 4113);
    EXPECT_EQ(GE_IsKeyRegionKind(268439569), 1);
    EXPECT_EQ(GE_IsKeyRegionKind(4113), 0);
    EXPECT_EQ(GE_IsKeyRegionKind(-4113), 0);
    EXPECT_EQ(GE_IsKeyedRegionKind(kRegionCode), 1);
    EXPECT_EQ(GE_IsKeyedRegionKind(kRegionLineChart), 1);
    EXPECT_EQ(GE_IsKeyedRegionKind(kRegionGuard), 0);
    EXPECT_EQ(GE_IsKeyedRegionKind(kRegionDeclEntry), 0);
}

TEST_F(NetRegionsTest, NameRegionOfAPlaceTakesItsDefaults)
{
    ObjectHandle place = Place(100, 100);
    ObjectHandle name = GE_MakeRegion(place, kRegionName);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(QXRdAttr_GetObjectType(name), kQXKindRegion);
    EXPECT_EQ(GE_RegionKindOf(name), kRegionName);
    EXPECT_EQ(QXStr_GetObjectPage(name), place);
    // Built-in record 1015: 45 units left of and 20 units below the place.
    EXPECT_EQ(X(name) - X(place), -45 * kPixel);
    EXPECT_EQ(Y(name) - Y(place), 20 * kPixel);
    ASSERT_FALSE(objectLog().appliedDefaults.empty());
    EXPECT_EQ(objectLog().appliedDefaults.back(), std::make_pair(49, name));
    ObjectHandle found = 0;
    EXPECT_EQ(GE_GetRegion(place, kRegionName, &found), 1);
    EXPECT_EQ(found, name);
}

TEST_F(NetRegionsTest, EachUnkeyedKindHangsOnItsObject)
{
    ObjectHandle place = Place(100, 100);
    ObjectHandle transition = Transition(200, 100);
    ObjectHandle arc = Connector(place, transition);
    const std::array<std::pair<ObjectHandle, int32_t>, 6> cases = {{{place, kRegionColourSet},
                                                                    {place, kRegionInitMark},
                                                                    {transition, kRegionGuard},
                                                                    {transition, kRegionTime},
                                                                    {arc, kRegionArcExpr},
                                                                    {transition, kRegionName}}};
    for (const auto& [owner, kind] : cases) {
        ObjectHandle region = GE_MakeRegion(owner, kind);
        ASSERT_NE(region, 0u) << kind;
        EXPECT_EQ(QXStr_GetObjectPage(region), owner) << kind;
        EXPECT_EQ(GE_RegionKindOf(region), kind);
        ObjectHandle found = 0;
        EXPECT_EQ(GE_GetRegion(owner, kind, &found), 1);
        EXPECT_EQ(found, region);
    }
    EXPECT_EQ(GE_MakeRegion(place, 4200), 0u);
    EXPECT_EQ(GE_MakeRegion(place, kRegionDeclEntry), 0u);
}

TEST_F(NetRegionsTest, InscriptionRegionsSitWhereTheirDefaultsSay)
{
    ObjectHandle place = Place(100, 100);
    ObjectHandle transition = Transition(300, 100);
    struct Case {
        ObjectHandle owner;
        int32_t kind;
        int32_t dx;
        int32_t dy;
        int32_t key;
    };
    // Built-in records 1015, 1016, 1017, 1023, 1044 and 1024.
    const Case cases[] = {{place, kRegionName, -45, 20, 49},       {place, kRegionColourSet, 45, 20, 50},
                          {place, kRegionInitMark, 45, -20, 51},   {transition, kRegionGuard, -45, -20, 57},
                          {transition, kRegionTime, 45, -20, 78}};
    for (const Case& c : cases) {
        objectLog().appliedDefaults.clear();
        ObjectHandle region = GE_MakeRegion(c.owner, c.kind);
        ASSERT_NE(region, 0u) << c.kind;
        EXPECT_EQ(X(region) - X(c.owner), c.dx * kPixel) << c.kind;
        EXPECT_EQ(Y(region) - Y(c.owner), c.dy * kPixel) << c.kind;
        EXPECT_EQ(objectLog().appliedDefaults, (std::vector<std::pair<int32_t, uint32_t>>{{c.key, region}}));
    }
    // The code region keeps its size (60 by 30) below the key region, which
    // sits 45 right and 20 below the transition.
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    ObjectHandle key = QXStr_GetObjectPage(code);
    EXPECT_EQ(X(key) - X(transition), 45 * kPixel);
    EXPECT_EQ(Y(key) - Y(transition), 20 * kPixel);
    EXPECT_EQ(X(code) - X(key), 70 * kPixel);
    Fixed width = 0, height = 0;
    QXRdAttr_GetSize(code, &width, &height);
    EXPECT_EQ(width, F(60));
    EXPECT_EQ(height, F(30));
    // The region tags of the records come with the regions (option bit 4: the
    // region pops up with its owner).
    uint8_t kind = 0, sub = 0;
    uint16_t bits = 0;
    EXPECT_EQ(GE_GetChartTag(code, &kind, &sub, &bits), 1);
    EXPECT_EQ(bits, 4);
}

TEST_F(NetRegionsTest, HiddenRegionsAreNoOwnersUntilShownAgain)
{
    ObjectHandle transition = Transition(300, 100);
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    QXWtAttr_SetFlagQuiet(transition, 0x2, 1);
    QXWtAttr_SetFlagQuiet(code, 0x2, 1);
    objectLog().pickCandidates = {code, transition};
    EXPECT_EQ(GE_PickRegionParent(kRegionGuard), 0u);
    QXWtAttr_SetFlagQuiet(transition, 0x2, 0);
    EXPECT_EQ(GE_PickRegionParent(kRegionGuard), transition);
    // A hidden code region is still found and keeps its text.
    GE_SetRegionText(transition, kRegionCode, "action ();");
    char* text = nullptr;
    EXPECT_EQ(GE_GetRegionText(transition, kRegionCode, &text), 1);
    EXPECT_EQ(Taken(text), "action ();");
}

TEST_F(NetRegionsTest, CodeRegionHangsFromItsKeyRegion)
{
    ObjectHandle transition = Transition(100, 100);
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    ASSERT_NE(code, 0u);
    ObjectHandle key = QXStr_GetObjectPage(code);
    EXPECT_EQ(QXStr_GetObjectPage(key), transition);
    EXPECT_EQ(GE_RegionKindOf(key), GE_KeyRegionKind(kRegionCode));
    EXPECT_EQ(GE_RegionKindOf(code), kRegionCode);
    // The key region shows the key text of record 1025 ("C").
    EXPECT_EQ(Text(key), "C");
    ObjectHandle found = 0;
    EXPECT_EQ(GE_GetRegion(transition, kRegionCode, &found), 1);
    EXPECT_EQ(found, code);
    EXPECT_EQ(GE_FindChildRegion(transition, GE_KeyRegionKind(kRegionCode), &found), 1);
    EXPECT_EQ(found, key);
    // A second code region goes below the same key region.
    ObjectHandle second = GE_MakeRegion(transition, kRegionCode);
    EXPECT_EQ(QXStr_GetObjectPage(second), key);
}

TEST_F(NetRegionsTest, CodeRegionWithoutKeyIsNotFound)
{
    ObjectHandle transition = Transition(100, 100);
    ObjectHandle loose = QXStr_CreateNode(page_, F(120), F(120), F(10), F(10), 1);
    ASSERT_EQ(GE_AttachRegion(transition, loose, kRegionCode), 1);
    ObjectHandle found = 99;
    EXPECT_EQ(GE_GetRegion(transition, kRegionCode, &found), 0);
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(GE_FindChildRegion(transition, kRegionCode, &found), 1);
    EXPECT_EQ(found, loose);
}

TEST_F(NetRegionsTest, KeyRegionThatIsItsOwnRegion)
{
    // A marking key record with placement flag 2: the key region itself holds the marking.
    std::array<uint32_t, kDefAttributeWords> words{};
    const int32_t key = DefRegionKey(GE_KeyRegionKind(kRegionMarking));
    ASSERT_EQ(DefGetByKey(key, words.data(), kDefLevelDiagram), 1);
    words[26] = 2;
    ASSERT_EQ(DefSetByKey(key, words.data(), kDefLevelDiagram), 1);
    ObjectHandle place = Place(100, 100);
    ObjectHandle marking = GE_MakeRegion(place, kRegionMarking);
    ASSERT_NE(marking, 0u);
    EXPECT_EQ(GE_RegionKindOf(marking), GE_KeyRegionKind(kRegionMarking));
    EXPECT_EQ(QXStr_GetObjectPage(marking), place);
    EXPECT_TRUE(GE_RegionsOf(marking).empty());
}

TEST_F(NetRegionsTest, RegionTextsAreSetAndRead)
{
    ObjectHandle place = Place(100, 100);
    char* text = reinterpret_cast<char*>(1);
    EXPECT_EQ(GE_GetRegionText(place, kRegionColourSet, &text), 0);
    EXPECT_EQ(text, nullptr);
    ASSERT_NE(GE_MakeRegion(place, kRegionColourSet), 0u);
    EXPECT_EQ(GE_GetRegionText(place, kRegionColourSet, &text), 1);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(GE_SetRegionText(place, kRegionColourSet, "INT"), 1);
    EXPECT_EQ(GE_GetRegionText(place, kRegionColourSet, &text), 1);
    EXPECT_EQ(Taken(text), "INT");
    EXPECT_EQ(GE_SetRegionText(place, kRegionInitMark, "1`3"), 0);
}

TEST_F(NetRegionsTest, AttachAsRegionByKind)
{
    ObjectHandle transition = Transition(100, 100);
    ObjectHandle guard = QXStr_CreateNode(page_, F(150), F(150), F(10), F(10), 1);
    EXPECT_EQ(GE_AttachAsRegion(transition, guard, kRegionGuard), 1);
    EXPECT_EQ(QXStr_GetObjectPage(guard), transition);
    ObjectHandle code = QXStr_CreateNode(page_, F(150), F(170), F(10), F(10), 1);
    EXPECT_EQ(GE_AttachAsRegion(transition, code, kRegionCode), 1);
    ObjectHandle key = QXStr_GetObjectPage(code);
    EXPECT_EQ(GE_RegionKindOf(key), GE_KeyRegionKind(kRegionCode));
    EXPECT_EQ(QXStr_GetObjectPage(key), transition);
    ObjectHandle other = QXStr_CreateNode(page_, F(150), F(190), F(10), F(10), 1);
    EXPECT_EQ(GE_AttachAsRegion(transition, other, 4200), 0);
    EXPECT_EQ(QXRdAttr_GetObjectType(other), kQXKindNode);
}

TEST_F(NetRegionsTest, DeletingCountingAndNetRegions)
{
    ObjectHandle transition = Transition(100, 100);
    GE_MakeRegion(transition, kRegionName);
    GE_MakeRegion(transition, kRegionGuard);
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    ObjectHandle plain = QXStr_CreateNode(page_, F(150), F(150), F(10), F(10), 1);
    ASSERT_EQ(QXStr_MakeRegion(plain, transition), 1u);
    uint32_t net = 0, other = 0;
    EXPECT_EQ(GE_CountRegions(transition, &net, &other), 1);
    EXPECT_EQ(net, 3u);  // name, guard, code key
    EXPECT_EQ(other, 1u);
    EXPECT_EQ(GE_DeleteRegion(transition, kRegionCode), 1);
    EXPECT_EQ(QXStr_IsObject(code), 0u);
    EXPECT_EQ(GE_DeleteRegion(transition, kRegionCode), 0);
    EXPECT_EQ(GE_DeleteNetRegions(transition), 1);
    EXPECT_EQ(GE_CountRegions(transition, &net, &other), 1);
    EXPECT_EQ(net, 0u);
    EXPECT_EQ(other, 1u);
    EXPECT_EQ(GE_CountRegions(0, &net, &other), 0);
}

TEST_F(NetRegionsTest, NetRegionsMoveToAnotherObject)
{
    ObjectHandle from = Place(100, 100);
    ObjectHandle to = Place(300, 100);
    GE_MakeRegion(from, kRegionName);
    GE_SetRegionText(from, kRegionName, "P1");
    GE_MakeRegion(from, kRegionColourSet);
    GE_SetRegionText(from, kRegionColourSet, "INT");
    ObjectHandle existing = GE_MakeRegion(to, kRegionColourSet);
    GE_SetRegionText(to, kRegionColourSet, "BOOL");
    ObjectHandle plain = QXStr_CreateNode(page_, F(150), F(150), F(10), F(10), 1);
    ASSERT_EQ(QXStr_MakeRegion(plain, from), 1u);
    EXPECT_EQ(GE_MoveNetRegions(from, to), 1);
    char* text = nullptr;
    EXPECT_EQ(GE_GetRegionText(to, kRegionName, &text), 1);
    EXPECT_EQ(Taken(text), "P1");
    ObjectHandle colour = 0;
    EXPECT_EQ(GE_GetRegion(to, kRegionColourSet, &colour), 1);
    EXPECT_EQ(colour, existing);
    EXPECT_EQ(Text(colour), "INT");
    uint32_t net = 0, other = 0;
    GE_CountRegions(from, &net, &other);
    EXPECT_EQ(net, 0u);
    EXPECT_EQ(other, 1u);
}

TEST_F(NetRegionsTest, KeyedRegionsMoveWithTheirTexts)
{
    ObjectHandle from = Transition(100, 100);
    ObjectHandle to = Transition(300, 100);
    GE_MakeRegion(from, kRegionCode);
    GE_SetRegionText(from, kRegionCode, "input (x);");
    EXPECT_EQ(GE_MoveNetRegions(from, to), 1);
    char* text = nullptr;
    EXPECT_EQ(GE_GetRegionText(to, kRegionCode, &text), 1);
    EXPECT_EQ(Taken(text), "input (x);");
    EXPECT_TRUE(GE_RegionsOf(from).empty());
}

TEST_F(NetRegionsTest, ClearingAMarkingNeedsForceToTakeItsKey)
{
    ObjectHandle place = Place(100, 100);
    ObjectHandle marking = GE_MakeRegion(place, kRegionMarking);
    ObjectHandle key = QXStr_GetObjectPage(marking);
    ObjectHandle region = marking;
    ObjectHandle owner = key;
    EXPECT_EQ(GE_ClearRegionKind(&region, kRegionMarking, &owner, 0), 1);
    EXPECT_EQ(GE_RegionKindOf(marking), 0);
    EXPECT_EQ(GE_RegionKindOf(key), GE_KeyRegionKind(kRegionMarking));
    EXPECT_EQ(region, marking);
    // A code region takes its key region with it.
    ObjectHandle transition = Transition(300, 100);
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    ObjectHandle codeKey = QXStr_GetObjectPage(code);
    region = code;
    owner = codeKey;
    EXPECT_EQ(GE_ClearRegionKind(&region, kRegionCode, &owner, 0), 1);
    EXPECT_EQ(GE_RegionKindOf(codeKey), 0);
    EXPECT_EQ(region, codeKey);
    EXPECT_EQ(owner, transition);
    // With force the marking's key goes too.
    QXWtAttr_SetRegionKind(marking, static_cast<uint32_t>(kRegionMarking));
    region = marking;
    owner = key;
    EXPECT_EQ(GE_ClearRegionKind(&region, kRegionMarking, &owner, 1), 1);
    EXPECT_EQ(GE_RegionKindOf(key), 0);
    EXPECT_EQ(region, key);
}

TEST_F(NetRegionsTest, ClearingAllKindsOfAnObject)
{
    ObjectHandle transition = Transition(100, 100);
    ObjectHandle name = GE_MakeRegion(transition, kRegionName);
    ObjectHandle code = GE_MakeRegion(transition, kRegionCode);
    ObjectHandle key = QXStr_GetObjectPage(code);
    EXPECT_EQ(GE_ClearRegionKinds(transition), 1);
    EXPECT_EQ(GE_RegionKindOf(name), 0);
    EXPECT_EQ(GE_RegionKindOf(key), 0);
    EXPECT_EQ(GE_RegionKindOf(code), 0);
    EXPECT_EQ(GE_ClearRegionKinds(0), 0);
}

TEST_F(NetRegionsTest, ClearingADeclarationEntryMergesItsText)
{
    ObjectHandle node = QXStr_CreateNode(page_, F(100), F(100), F(40), F(40), 1);
    ObjectHandle entry = QXStr_CreateNode(page_, F(100), F(150), F(40), F(10), 1);
    ASSERT_EQ(GE_AttachAsRegion(node, entry, kRegionDeclEntry), 1);
    ObjectHandle region = entry;
    ObjectHandle owner = node;
    EXPECT_EQ(GE_ClearRegionKind(&region, kRegionDeclEntry, &owner, 0), 1);
    ASSERT_EQ(objectLog().mergedTexts.size(), 1u);
    EXPECT_EQ(objectLog().mergedTexts[0], std::make_pair(entry, node));
}

TEST_F(NetRegionsTest, UnmakingANetRegion)
{
    ObjectHandle place = Place(100, 100);
    ObjectHandle region = GE_MakeRegion(place, kRegionInitMark);
    GE_SetAuxWord(region, 5);
    GE_SetRegionPair(region, 1, 2);
    GE_SetChartTag(region, 1, 2, 3);
    EXPECT_EQ(GE_UnmakeNetRegion(region), 1);
    EXPECT_EQ(QXRdAttr_GetObjectType(region), kQXKindNode);
    for (uint32_t tag : {kTagAuxWord, kTagRegionPairA, kTagRegionPairB, kTagChartTag}) {
        EXPECT_EQ(GE_HasUserData(region, tag), 0) << tag;
    }
    EXPECT_EQ(GE_UnmakeNetRegion(place), 0);
}

TEST_F(NetRegionsTest, ArcEndsGiveTheTransitionAndPlaceRecords)
{
    ObjectHandle place = Place(100, 100);
    ObjectHandle transition = Transition(200, 100);
    ObjectHandle forward = Connector(place, transition, 1);
    uint32_t direction = 0;
    int fromTransition = -1;
    SEHead* trans = nullptr;
    SEHead* placeRecord = nullptr;
    EXPECT_EQ(GE_ArcEnds(forward, &direction, &fromTransition, &trans, &placeRecord), 1);
    EXPECT_EQ(direction, 1u);
    EXPECT_EQ(fromTransition, 0);
    EXPECT_EQ(trans, Record(transition));
    EXPECT_EQ(placeRecord, Record(place));
    ObjectHandle backward = Connector(transition, place, 3);
    EXPECT_EQ(GE_ArcEnds(backward, &direction, &fromTransition, &trans, &placeRecord), 1);
    EXPECT_EQ(direction, 3u);
    EXPECT_EQ(fromTransition, 1);
    EXPECT_EQ(trans, Record(transition));
    ObjectHandle plain = QXStr_CreateNode(page_, F(100), F(200), F(10), F(10), 1);
    ObjectHandle auxiliary = Connector(place, plain);
    EXPECT_EQ(GE_ArcEnds(auxiliary, &direction, &fromTransition, &trans, &placeRecord), 1);
    EXPECT_EQ(fromTransition, 1);
    EXPECT_EQ(trans, nullptr);
    EXPECT_EQ(placeRecord, nullptr);
    EXPECT_EQ(GE_ArcEnds(place, &direction, &fromTransition, &trans, &placeRecord), 0);
}

TEST_F(NetRegionsTest, OwnersAcceptedDirectly)
{
    ObjectHandle place = Place(100, 100);
    ObjectHandle transition = Transition(200, 100);
    ObjectHandle connector = Connector(place, transition);
    SEArc* arc = SECreateArc(reinterpret_cast<SETrans*>(Record(transition)),
                             reinterpret_cast<SEPlace*>(Record(place)), connector, 1);
    GE_SetSERecord(connector, &arc->head);
    ObjectHandle plain = QXStr_CreateNode(page_, F(100), F(200), F(10), F(10), 1);
    EXPECT_EQ(GE_CanParentRegion(place, kRegionName), 1);
    EXPECT_EQ(GE_CanParentRegion(transition, kRegionName), 1);
    EXPECT_EQ(GE_CanParentRegion(place, kRegionColourSet), 1);
    EXPECT_EQ(GE_CanParentRegion(transition, kRegionColourSet), 0);
    EXPECT_EQ(GE_CanParentRegion(transition, kRegionGuard), 1);
    EXPECT_EQ(GE_CanParentRegion(transition, kRegionCode), 1);
    EXPECT_EQ(GE_CanParentRegion(transition, kRegionTime), 1);
    EXPECT_EQ(GE_CanParentRegion(place, kRegionGuard), 0);
    EXPECT_EQ(GE_CanParentRegion(connector, kRegionArcExpr), 1);
    EXPECT_EQ(GE_CanParentRegion(transition, kRegionTest), 0);
    EXPECT_EQ(GE_CanParentRegion(place, kRegionMarking), 0);
    EXPECT_EQ(GE_CanParentRegion(plain, kRegionName), 0);
}

TEST_F(NetRegionsTest, PickingAnOwnerSkipsHiddenWrongAndDeferredObjects)
{
    ObjectHandle hidden = Place(100, 100);
    QXWtAttr_SetFlagQuiet(hidden, 0x400000, 1);
    ObjectHandle transition = Transition(200, 100);
    ObjectHandle deferred = Place(300, 100);
    ObjectHandle inside = GE_MakeRegion(deferred, kRegionColourSet);
    ObjectHandle wanted = Place(400, 100);
    GE_SetDeferredObject(deferred);
    objectLog().pickCandidates = {hidden, transition, deferred, inside, wanted};
    uintptr_t (*resting)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) =
        [](uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) -> uintptr_t { return 1; };
    Hook_Register(65, resting);
    EXPECT_EQ(GE_PickRegionParent(kRegionColourSet), wanted);
    ASSERT_EQ(objectLog().pickKinds.size(), 1u);
    EXPECT_EQ(objectLog().pickKinds[0], 28);
    EXPECT_EQ(Hook_GetApplicationHandler(65), resting);
    // Names accept places and transitions; auxiliary regions any shown object.
    objectLog().pickCandidates = {hidden, transition};
    EXPECT_EQ(GE_PickRegionParent(kRegionName), transition);
    ObjectHandle plain = QXStr_CreateNode(page_, F(100), F(200), F(10), F(10), 1);
    objectLog().pickCandidates = {plain};
    EXPECT_EQ(GE_PickRegionParent(4200), plain);
    objectLog().pickCandidates = {plain};
    EXPECT_EQ(GE_PickRegionParent(kRegionGuard), 0u);
    Hook_Unregister(65);
    GE_SetDeferredObject(0);
}

TEST_F(NetRegionsTest, TokenKeyRegionsSitAtTheConnectorsEnds)
{
    ObjectHandle place = Place(100, 100);
    ObjectHandle transition = Transition(300, 100);
    ObjectHandle connector = Connector(place, transition);
    ObjectHandle input = GE_MakeRegion(connector, kRegionInputToken);
    ObjectHandle output = GE_MakeRegion(connector, kRegionOutputToken);
    ASSERT_NE(input, 0u);
    ASSERT_NE(output, 0u);
    ObjectHandle inputKey = QXStr_GetObjectPage(input);
    ObjectHandle outputKey = QXStr_GetObjectPage(output);
    EXPECT_EQ(QXStr_GetObjectPage(inputKey), connector);
    EXPECT_LT(X(inputKey), X(outputKey));
    EXPECT_LT(X(inputKey), F(200));
    EXPECT_GT(X(outputKey), F(200));
}

}  // namespace

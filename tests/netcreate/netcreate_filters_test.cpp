// Selection filters on real kernel objects with real abstract-net records:
// what each filter accepts, what it refuses with which message, and what it
// collects for its command.
#include <gtest/gtest.h>

#include <vector>

#include "NetCreateDoubles.h"
#include "QXFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/SelectionFilters.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"

namespace {

class FilterTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        createLog() = NetCreateLog{};
        SEInitPools();
        SEStart();
        EE_ClearPendingError();
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        net_ = SECreatePage(page_, 1);
    }
    void TearDown() override
    {
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        EE_ClearPendingError();
        QXDiagramTest::TearDown();
    }
    ObjectHandle Place(Fixed x = F(50))
    {
        const ObjectHandle node = Node(x, F(50), 2);
        GE_SetSERecord(node, reinterpret_cast<SEHead*>(SECreatePlace(net_, node)));
        return node;
    }
    ObjectHandle Trans(Fixed x = F(150))
    {
        const ObjectHandle node = Node(x, F(50), 1);
        GE_SetSERecord(node, reinterpret_cast<SEHead*>(SECreateTrans(net_, node)));
        return node;
    }
    ObjectHandle Region(ObjectHandle parent)
    {
        const ObjectHandle region = Node(F(300), F(300));
        EXPECT_EQ(QXStr_MakeRegion(region, parent), 1u);
        return region;
    }
    // Runs the classifier with the filter; the record's refusal tells the message.
    EEFilterRecord Run(EQFilter filter, const std::vector<ObjectHandle>& objects, int expect)
    {
        EEFilterRecord record;
        uint32_t type = 0, net = 0, graphic = 0;
        EXPECT_EQ(EQ_MapSpec(static_cast<uint32_t>(objects.size()), objects.data(), filter, &record, &type, &net,
                             &graphic),
                  expect);
        return record;
    }
    SEPage* net_ = nullptr;
};

TEST_F(FilterTest, ConvertCountsAuxiliaryArcsBetweenAPlaceAndATransition)
{
    const ObjectHandle place = Place();
    const ObjectHandle trans = Trans();
    const ObjectHandle there = QXStr_CreateConnector(page_, place, trans);
    const ObjectHandle back = QXStr_CreateConnector(page_, trans, place);
    const EEFilterRecord record = Run(EE_FilterConvert, {there, back}, 1);
    EXPECT_EQ(record.arcCount, 2u);
    EXPECT_EQ(record.refusal, 0);
}

TEST_F(FilterTest, ConvertRefusesArcsBetweenNodesOfOneKindOrAuxiliaryNodes)
{
    const ObjectHandle place = Place(F(50));
    const ObjectHandle place2 = Place(F(250));
    const ObjectHandle trans = Trans(F(150));
    const ObjectHandle trans2 = Trans(F(350));
    const ObjectHandle box = Node(F(400), F(200));
    struct Case {
        ObjectHandle from, to;
        int16_t message;
    };
    const Case cases[] = {
        {place, place2, 11286}, {trans, trans2, 11286}, {place, box, 11285}, {box, trans, 11285},
    };
    for (const Case& c : cases) {
        const ObjectHandle connector = QXStr_CreateConnector(page_, c.from, c.to);
        ASSERT_NE(connector, 0u);
        EXPECT_EQ(Run(EE_FilterConvert, {connector}, 0).refusal, c.message);
    }
    // An arc end that is a region of a place counts as the place.
    const ObjectHandle endRegion = Region(place);
    const ObjectHandle viaRegion = QXStr_CreateConnector(page_, endRegion, trans);
    EXPECT_EQ(Run(EE_FilterConvert, {viaRegion}, 1).arcCount, 1u);
}

TEST_F(FilterTest, ConvertRefusesNetObjectsAndChecksRegionParents)
{
    const ObjectHandle place = Place();
    const ObjectHandle trans = Trans();
    const ObjectHandle box = Node(F(400), F(200));
    EXPECT_EQ(Run(EE_FilterConvert, {box}, 1).count, 1u);
    EXPECT_EQ(Run(EE_FilterConvert, {box, place}, 0).refusal, 11297);

    const ObjectHandle onPlace = Region(place);
    const ObjectHandle onPlace2 = Region(place);
    const ObjectHandle onTrans = Region(trans);
    const ObjectHandle onBox = Region(box);
    const ObjectHandle nested = Region(onPlace);
    EXPECT_EQ(Run(EE_FilterConvert, {onPlace, onPlace2}, 1).parentKind, 2u);
    EXPECT_EQ(Run(EE_FilterConvert, {onPlace, onTrans}, 0).refusal, 11343);
    EXPECT_EQ(Run(EE_FilterConvert, {onBox}, 0).refusal, 11343);
    EXPECT_EQ(Run(EE_FilterConvert, {nested}, 0).refusal, 11342);
    createLog().graphicMasks[onPlace] = 2;  // an auxiliary text region
    EXPECT_EQ(Run(EE_FilterConvert, {onPlace}, 0).refusal, 11297);
}

struct MaskCase {
    uint32_t type;
    uint32_t net;
    uint32_t graphic;
    int16_t message;  // 0: accepted
};

EEFilterRecord Direct(EQFilter filter, const MaskCase& c)
{
    EEFilterRecord record;
    EXPECT_EQ(filter(0, c.type, c.net, c.graphic, &record), c.message == 0 ? 1 : 0) << c.net;
    EXPECT_EQ(record.refusal, c.message) << c.net;
    return record;
}

TEST(FilterMasks, PortTypeAcceptsPlainAndPortPlacesOnly)
{
    const MaskCase cases[] = {
        {4, 0x1, 0, 0},      {4, 0x4, 0, 0},       {4, 0x1000, 0, 11317}, {4, 0x1000000, 0, 11317},
        {4, 0, 0x2, 11317},  {4, 0x41, 0, 11278},  {4, 0x100, 0, 11278},  {8, 0x1, 0, 11310},
    };
    for (const MaskCase& c : cases)
        Direct(EE_FilterPortType, c);
    EEFilterRecord record;
    EE_FilterPortType(0, 4, 0x4, 0, &record);
    EE_FilterPortType(0, 4, 0x10, 0, &record);
    EXPECT_EQ(record.portTypes, kEQPortType1 | kEQPortType3);
    EXPECT_EQ(record.count, 2u);
}

TEST(FilterMasks, FusionKeepsOneClassAndNotesTheMembersFusionType)
{
    EEFilterRecord places;
    EXPECT_EQ(EE_FilterFusion(0, 4, 0x41, 0, &places), 1);
    EXPECT_EQ(EE_FilterFusion(0, 4, 0x41, 0, &places), 1);
    EXPECT_EQ(places.nodeKind, 2);
    EXPECT_TRUE(places.fusionFlag);
    EXPECT_EQ(places.fusionType, 1);
    EXPECT_EQ(EE_FilterFusion(0, 4, 0x1000, 0, &places), 0);
    EXPECT_EQ(places.refusal, 11317);

    EEFilterRecord mixed;
    EE_FilterFusion(0, 4, 0x101000, 0, &mixed);
    EE_FilterFusion(0, 4, 0x1000, 0, &mixed);
    EXPECT_EQ(mixed.nodeKind, 3);
    EXPECT_FALSE(mixed.fusionFlag);
    EXPECT_EQ(mixed.fusionType, 0);

    const MaskCase refused[] = {{8, 0x1, 0, 11310}, {4, 0x2000000, 0, 11317}, {4, 0x1, 0x40, 11317}};
    for (const MaskCase& c : refused)
        Direct(EE_FilterFusion, c);
}

TEST(FilterMasks, SubstitutionSameKindAuxAndMakeNode)
{
    const MaskCase substitution[] = {{4, 0x200000, 0, 0}, {4, 0x400000, 0, 0}, {4, 0x1000, 0, 11276},
                                     {8, 0, 0xff00, 11310}};
    for (const MaskCase& c : substitution)
        Direct(EE_FilterSubstitution, c);
    const MaskCase aux[] = {{4, 0, 0x1, 0}, {4, 0x1, 0, 11297}, {4, 0, 0x1000, 11297}, {16, 0, 0x1, 0},
                            {16, 0, 0x2, 11297}, {8, 0, 0xff00, 11310}, {2, 0, 0, 16428}};
    for (const MaskCase& c : aux)
        Direct(EE_FilterAuxTextRegion, c);
    const MaskCase makeNode[] = {{16, 0, 1, 0}, {16, 0x1, 0, 11297}, {16, 0, 2, 11297}, {4, 0, 1, 11320}};
    for (const MaskCase& c : makeNode)
        Direct(EE_FilterMakeNode, c);

    EEFilterRecord same;
    EXPECT_EQ(EE_FilterSameKind(0, 4, 0x1, 0, &same), 1);
    EXPECT_EQ(EE_FilterSameKind(0, 4, 0x41, 0, &same), 1);      // still a place
    EXPECT_EQ(EE_FilterSameKind(0, 4, 0x1000, 0, &same), 0);    // a transition: no message
    EXPECT_EQ(same.refusal, 0);
    EEFilterRecord aux2;
    EE_FilterSameKind(0, 4, 0, 0x2, &aux2);
    EXPECT_EQ(EE_FilterSameKind(0, 4, 0, 0x4, &aux2), 0);
}

TEST_F(FilterTest, RegionsStandForTheirBaseObjectUntilTwoAreCounted)
{
    const ObjectHandle place = Place();
    const ObjectHandle onPlace = Region(place);
    const EEFilterRecord record = Run(EE_FilterPortType, {onPlace}, 1);
    EXPECT_EQ(record.count, 1u);
    const ObjectHandle place2 = Place(F(250));
    EXPECT_EQ(Run(EE_FilterPortType, {place, place2, onPlace}, 0).refusal, 11316);
}

// The chart region filter keeps the first region's placement (tag bits,
// sized with its owner, offset from its owner) and marks each setting a later
// region has otherwise; an object that is no region is refused.
TEST_F(FilterTest, ChartRegionsKeepTheFirstPlacementAndMarkDifferences)
{
    const ObjectHandle owner = Place();
    const ObjectHandle first = Region(owner);
    const ObjectHandle second = Region(owner);
    GE_SetChartTag(first, 0, 0, 8 | 1);
    GE_SetChartTag(second, 0, 0, 8 | 2);
    // Both are sized with their owner; another flag of the second does not
    // count.
    QXWtAttr_SetFlag(first, 16, 0);
    QXWtAttr_SetFlag(second, 16, 0);
    QXWtAttr_SetFlag(second, 128, 1);
    EEChartRegionRecord record;
    uint32_t type = 0, net = 0, graphic = 0;
    const ObjectHandle regions[] = {first, second};
    ASSERT_EQ(EQ_MapSpec(2, regions, EE_FilterChartRegions, &record, &type, &net, &graphic), 1);
    EXPECT_EQ(record.count, 2u);
    EXPECT_FALSE(record.masksDiffer);
    EXPECT_EQ(record.ownerColours, 8);
    EXPECT_EQ(record.shownBits, -1);
    EXPECT_EQ(record.sizedWithOwner, 1);
    Fixed rx = 0, ry = 0, ox = 0, oy = 0;
    QXRdAttr_GetPosition(first, &rx, &ry);
    QXRdAttr_GetPosition(owner, &ox, &oy);
    EXPECT_EQ(record.dx, QXUtil_FixedToInt(rx - ox));
    EXPECT_EQ(record.dy, QXUtil_FixedToInt(oy - ry));

    QXWtAttr_SetFlag(second, 16, 1);
    EEChartRegionRecord apart;
    ASSERT_EQ(EQ_MapSpec(2, regions, EE_FilterChartRegions, &apart, &type, &net, &graphic), 1);
    EXPECT_EQ(apart.sizedWithOwner, -1);

    EEChartRegionRecord refused;
    const ObjectHandle mixed[] = {owner, first};
    EXPECT_EQ(EQ_MapSpec(2, mixed, EE_FilterChartRegions, &refused, &type, &net, &graphic), 0);
    EXPECT_EQ(refused.refusal, 11320);
}

}  // namespace

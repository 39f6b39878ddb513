// The kernel and net-editor services that the XML path relies on, on real
// objects: re-attaching connector ends, mode attributes, flag refreshes, the
// page-name region of a page node, region placement and edited texts.
#include <gtest/gtest.h>

#include "XmlFixture.h"

namespace {

using XmlServices = XmlTest;

TEST_F(XmlServices, ConnectorEndsAreAttachedAnewToNodesOrTheirRegions)
{
    const ObjectHandle a = QXStr_CreateNode(page_, 50 * kPx, 50 * kPx, 20 * kPx, 20 * kPx, 1);
    const ObjectHandle b = QXStr_CreateNode(page_, 150 * kPx, 50 * kPx, 20 * kPx, 20 * kPx, 1);
    const ObjectHandle c = QXStr_CreateNode(page_, 50 * kPx, 150 * kPx, 20 * kPx, 20 * kPx, 1);
    const ObjectHandle d = QXStr_CreateNode(page_, 150 * kPx, 150 * kPx, 20 * kPx, 20 * kPx, 1);
    const ObjectHandle tag = QXStr_CreateNode(page_, 160 * kPx, 160 * kPx, 6 * kPx, 6 * kPx, 1);
    ASSERT_EQ(QXStr_MakeRegion(tag, d), 1u);
    const ObjectHandle connector = QXStr_CreateConnector(page_, a, b);
    ASSERT_NE(connector, 0u);

    ASSERT_EQ(QXWtAttr_SetConnEnds(connector, c, 0, d, tag), 1u);
    ObjectHandle e1 = 0, e2 = 0;
    QXRdAttr_GetConnEnds(connector, 1, &e1, &e2);
    EXPECT_EQ(e1, c);
    EXPECT_EQ(e2, tag);
    QXRdAttr_GetConnEnds(connector, 0, &e1, &e2);
    EXPECT_EQ(e1, c);
    EXPECT_EQ(e2, d);
    EXPECT_EQ(Regions(d), std::vector<ObjectHandle>{tag});

    // A region of another node, a region given as node and a non-connector are refused.
    EXPECT_EQ(QXWtAttr_SetConnEnds(connector, a, tag, b, 0), 0u);
    EXPECT_EQ(QXWtAttr_SetConnEnds(connector, tag, 0, b, 0), 0u);
    EXPECT_EQ(QXWtAttr_SetConnEnds(a, c, 0, d, 0), 0u);
    EXPECT_EQ(QXStatus, 37u);
    QXRdAttr_GetConnEnds(connector, 1, &e1, &e2);
    EXPECT_EQ(e1, c) << "a refused call changes nothing";
}

TEST_F(XmlServices, ModeAttributesOfPagesAndSubstitutionNodes)
{
    // Stored values are non-zero when the attribute is off; 65535 keeps one.
    ASSERT_EQ(EE_SetModeAttributes(page_, 0, 1, 0, 1, 0, 3, 1), 1);
    uint16_t v[6] = {};
    ASSERT_EQ(EE_GetModeAttributes(page_, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 1);
    EXPECT_EQ((std::vector<uint16_t>{v, v + 6}), (std::vector<uint16_t>{0, 1, 0, 1, 0, 3}));
    SEHead* record = nullptr;
    ASSERT_EQ(GE_GetSERecord(page_, &record), 1);
    EXPECT_EQ(reinterpret_cast<SEPage*>(record)->modeFlags & 31u, 1u | 2u | 16u);
    ASSERT_EQ(EE_SetModeAttributes(page_, kEEModeKeep, 0, kEEModeKeep, kEEModeKeep, 1, kEEModeKeep, 1), 1);
    EE_GetModeAttributes(page_, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    EXPECT_EQ((std::vector<uint16_t>{v, v + 6}), (std::vector<uint16_t>{0, 0, 0, 1, 1, 3}));
    // The prime flag follows the prime count, which is what the switch to the
    // simulator makes instances from.
    EXPECT_NE(reinterpret_cast<SEPage*>(record)->flags & kSEBit0, 0u);
    ASSERT_EQ(EE_SetModeAttributes(page_, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 0, 1), 1);
    EXPECT_EQ(reinterpret_cast<SEPage*>(record)->flags & kSEBit0, 0u);
    EXPECT_EQ(reinterpret_cast<SEPage*>(record)->primeCount, 0);

    const ObjectHandle transition = Transition(100 * kPx, 100 * kPx, "T");
    EXPECT_EQ(EE_GetModeAttributes(transition, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0)
        << "a plain transition has none";
    ASSERT_EQ(EE_MakeCompound(transition, 6, nullptr), 1);
    ASSERT_EQ(EE_SetModeAttributes(transition, 1, 0, 0, 0, 0, 9, 1), 1);
    ASSERT_EQ(EE_GetModeAttributes(transition, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 1);
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], 0);
    EXPECT_EQ(v[5], 0) << "only pages have a prime count";
    EXPECT_EQ(EE_GetModeAttributes(0, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
}

TEST_F(XmlServices, FlagRefreshHidesAndClearingShows)
{
    const ObjectHandle node = QXStr_CreateNode(page_, 50 * kPx, 50 * kPx, 20 * kPx, 20 * kPx, 1);
    uint32_t hidden = 0;
    ASSERT_EQ(GE_RefreshObjectFlags(node), 1);
    QXRdAttr_GetFlag(node, 1, &hidden);
    EXPECT_NE(hidden, 0u);
    ASSERT_EQ(GE_ClearObjectFlags(node), 1);
    QXRdAttr_GetFlag(node, 1, &hidden);
    EXPECT_EQ(hidden, 0u);
    EXPECT_EQ(GE_RefreshObjectFlags(0), 0);
}

TEST_F(XmlServices, ThePageNodeShowsThePageModeText)
{
    const ObjectHandle node = PGFindPageNode(page_);
    ASSERT_NE(node, 0u);
    // Prime once, with observe (O) and execute code (R) off.
    SEHead* record = nullptr;
    ASSERT_EQ(GE_GetSERecord(page_, &record), 1);
    reinterpret_cast<SEPage*>(record)->modeFlags = 1 | 2 | 8;
    reinterpret_cast<SEPage*>(record)->primeCount = 1;
    ASSERT_EQ(EE_UpdatePageNameRegion(page_), 1);
    ObjectHandle region = 0;
    ASSERT_EQ(GE_GetRegion(node, kRegionPageMode, &region), 1);
    EXPECT_EQ(Text(region), "Prime\nnot OR");
    // All attributes on and no prime count: nothing to show.
    reinterpret_cast<SEPage*>(record)->modeFlags = 1 | 2 | 4 | 8 | 16;
    reinterpret_cast<SEPage*>(record)->primeCount = 0;
    ASSERT_EQ(EE_UpdatePageNameRegion(page_), 1);
    EXPECT_EQ(GE_GetRegion(node, kRegionPageMode, &region), 0) << "an empty text takes the region away";
    const ObjectHandle plain = QXStr_CreateNode(page_, 50 * kPx, 50 * kPx, 20 * kPx, 20 * kPx, 1);
    EXPECT_EQ(EE_UpdatePageNameRegion(plain), 0);
}

TEST_F(XmlServices, RegionPlacementIsReadFromTheRegion)
{
    const ObjectHandle owner = QXStr_CreateNode(page_, 100 * kPx, 100 * kPx, 20 * kPx, 20 * kPx, 1);
    const ObjectHandle region = QXStr_CreateNode(page_, 110 * kPx, 90 * kPx, 10 * kPx, 10 * kPx, 1);
    ASSERT_EQ(QXStr_MakeRegion(region, owner), 1u);
    ASSERT_EQ(GE_SetChartTag(region, 0, 0, 8 | 1), 1);
    QXWtAttr_SetFlag(region, 16, 0);
    CERegionAttr attr;
    ASSERT_EQ(CE_RegionAttrCheck(region, 16, 0, 1, &attr), 1);
    EXPECT_EQ(attr.colorap, 8u);
    EXPECT_EQ(attr.popup, 1u);
    EXPECT_EQ(attr.sizewp, 1u);
    EXPECT_EQ(attr.dx, 10 * kPx);
    EXPECT_EQ(attr.dy, 10 * kPx);
    QXWtAttr_SetFlag(region, 16, 1);
    CE_RegionAttrCheck(region, 16, 0, 1, &attr);
    EXPECT_EQ(attr.sizewp, 0u);

    EXPECT_EQ(CE_RegionAttrCheck(owner, 16, 0, 0, &attr), 0);
    EXPECT_EQ(xmlLog().messageBoxes, std::vector<int16_t>{11320});
}

TEST_F(XmlServices, EditedTextsReachTheNet)
{
    const ObjectHandle place = Place(100 * kPx, 100 * kPx, "P1");
    ObjectHandle name = 0;
    ASSERT_EQ(GE_GetRegion(place, kRegionName, &name), 1);
    QXText_SetText(name, "Renamed");
    EE_UpdateNetFromObject(place);
    SEHead* record = nullptr;
    ASSERT_EQ(GE_GetSERecord(place, &record), 1);
    EXPECT_STREQ(SEGetName(record), "Renamed");
    // Objects of the hierarchy page and non-objects are left alone.
    EE_UpdateNetFromObject(PGFindPageNode(page_));
    EE_UpdateNetFromObject(0);
}

}  // namespace

namespace {

TEST_F(XmlServices, PagesOfACommandComeFromTheCurrentPageOrTheSelectedPageNodes)
{
    const ObjectHandle sub = NetPage("Sub", 2);
    ASSERT_EQ(QXStr_SetCurPage(page_), 1u);
    uint16_t count = 0;
    ObjectHandle* pages = nullptr;
    const auto take = [&]() {
        std::vector<ObjectHandle> out(pages, pages + count);
        if (pages != nullptr)
            QXMem_Free(pages);
        pages = nullptr;
        return out;
    };
    ASSERT_EQ(EE_GetPagesOfCommand(&count, &pages), 1);
    EXPECT_EQ(take(), std::vector<ObjectHandle>{page_});

    const ObjectHandle hierarchy = PGGetHierarchyPage();
    ASSERT_EQ(QXStr_SetCurPage(hierarchy), 1u);
    ASSERT_EQ(EE_GetPagesOfCommand(&count, &pages), 1) << "nothing selected";
    EXPECT_TRUE(take().empty());
    xmlLog().selection = {PGFindPageNode(sub), PGFindPageNode(page_)};
    ASSERT_EQ(EE_GetPagesOfCommand(&count, &pages), 1);
    EXPECT_EQ(take(), (std::vector<ObjectHandle>{sub, page_})) << "in selection order, never the hierarchy page";

    const ObjectHandle plain = QXStr_CreateNode(hierarchy, 10 * kPx, 10 * kPx, 5 * kPx, 5 * kPx, 1);
    xmlLog().selection = {PGFindPageNode(sub), plain};
    EXPECT_EQ(EE_GetPagesOfCommand(&count, &pages), 0);
    EXPECT_EQ(count, 0);
    xmlLog().selection = {page_};
    EXPECT_EQ(EE_GetPagesOfCommand(&count, &pages), 0);
    EXPECT_EQ(xmlLog().messageBoxes, (std::vector<int16_t>{11299, 11323}));
    EXPECT_EQ(pages, nullptr);
}

}  // namespace

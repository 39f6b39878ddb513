// Key-region texts of ports, fusion members and compound nodes, the mode
// text of a page, connectors made from default keys, the defaults of a new
// page, the popped-up state of key regions, and the colour-set comparison
// behind the port-assignment check, on the real kernel and abstract net.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "QXFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/Utils/HashTable.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"

ObjectHandle GE_CreateConnectorByKeyDir(ObjectHandle page, ObjectHandle from, ObjectHandle to, int32_t direction,
                                        int32_t key);
int GE_ApplyPageDefaults(ObjectHandle page);

namespace {

constexpr Fixed kUnit = 0x10000;

char* Copy(const std::string& text)
{
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// Takes a text made by the net layer and frees it; "<none>" for no text.
std::string Take(char* text)
{
    if (text == nullptr) {
        return "<none>";
    }
    std::string value = text;
    QXMem_Free(text);
    return value;
}

class NetTextsTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        SEInitPools();
        SEStart();
        EE_ClearPendingError();
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        top_ = Adopt(page_, "Top", 1);
    }
    void TearDown() override
    {
        SEFreeDB();
        EE_ClearPendingError();
        QXDiagramTest::TearDown();
    }
    SEPage* Adopt(ObjectHandle page, const std::string& name, uint16_t number)
    {
        SEPage* net = SECreatePage(page, 1);
        EXPECT_NE(net, nullptr);
        EXPECT_EQ(GE_SetSERecord(page, &net->head), 1);
        SEPutName(&net->head, Copy(name));
        SESetPageNumber(&net->head, number);
        return net;
    }
    ObjectHandle NewPage(const std::string& name, uint16_t number, SEPage** net)
    {
        const ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        EXPECT_NE(page, 0u);
        *net = Adopt(page, name, number);
        return page;
    }
    SEPlace* Place(ObjectHandle page, SEPage* net, const std::string& name, ObjectHandle* node = nullptr)
    {
        const ObjectHandle made = QXStr_CreateNode(page, 50 * kUnit, 50 * kUnit, 20 * kUnit, 20 * kUnit, 2);
        SEPlace* place = SECreatePlace(net, made);
        EXPECT_EQ(GE_SetSERecord(made, &place->head), 1);
        if (!name.empty()) {
            SEPutName(&place->head, Copy(name));
        }
        if (node != nullptr) {
            *node = made;
        }
        return place;
    }
    SETrans* Trans(ObjectHandle page, SEPage* net, const std::string& name, ObjectHandle* node = nullptr)
    {
        const ObjectHandle made = QXStr_CreateNode(page, 80 * kUnit, 50 * kUnit, 20 * kUnit, 20 * kUnit, 1);
        SETrans* trans = SECreateTrans(net, made);
        EXPECT_EQ(GE_SetSERecord(made, &trans->head), 1);
        if (!name.empty()) {
            SEPutName(&trans->head, Copy(name));
        }
        if (node != nullptr) {
            *node = made;
        }
        return trans;
    }
    static void Arc(SETrans* trans, SEPlace* place, uint16_t direction)
    {
        ASSERT_NE(SECreateArc(trans, place, 0, direction), nullptr);
    }
    // A colour-table entry: the name of a colour set and its second text.
    static void ColourEntry(const std::string& name, const std::string& second)
    {
        SERoot* root = SECurrentRoot();
        if (root->declHashTable == nullptr) {
            root->declHashTable = HashCreate(10, kHashStringKeys);
        }
        auto* entry = static_cast<SETableEntry*>(QXMem_Alloc(sizeof(SETableEntry)));
        *entry = SETableEntry{Copy(name), Copy(second), 0};
        ASSERT_EQ(HashStore(root->declHashTable, entry->key, entry), 1);
    }

    SEPage* top_ = nullptr;
};

// ---- port texts ----

struct PortCase {
    uint16_t portType;  // 0: no port
    bool flag;
    const char* text;
};

class PortTextTest : public NetTextsTest, public ::testing::WithParamInterface<PortCase> {};

TEST_P(PortTextTest, PortKindAndExitFlagGiveTheText)
{
    const PortCase c = GetParam();
    ObjectHandle node = 0;
    SEPlace* place = Place(page_, top_, "P", &node);
    if (c.portType != 0) {
        ASSERT_EQ(SEMakePort(&place->head, c.portType), 1);
    }
    if (c.flag) {
        ASSERT_EQ(SESetNodeFlag(&place->head), 1);
    }
    char* text = nullptr;
    EE_PortText(node, &text);
    EXPECT_EQ(Take(text), c.text);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PortTextTest,
                         ::testing::Values(PortCase{kSEPortGeneral, false, "Gen"}, PortCase{kSEPortInput, false, "In"},
                                           PortCase{kSEPortOutput, false, "Out"},
                                           PortCase{kSEPortInOut, false, "I/O"},
                                           PortCase{kSEPortInput, true, "In\nExit"}, PortCase{0, true, "Exit"},
                                           PortCase{0, false, "<none>"}));

TEST_F(NetTextsTest, ObjectsWithoutANetRecordHaveNoTagTexts)
{
    const ObjectHandle plain = QXStr_CreateNode(page_, 10 * kUnit, 10 * kUnit, 10 * kUnit, 10 * kUnit, 1);
    char* text = reinterpret_cast<char*>(1);
    EE_PortText(plain, &text);
    EXPECT_EQ(text, nullptr);
    text = reinterpret_cast<char*>(1);
    EE_FusionText(plain, &text);
    EXPECT_EQ(text, nullptr);
    text = reinterpret_cast<char*>(1);
    EE_HierarchyText(plain, &text);
    EXPECT_EQ(text, nullptr);
}

// ---- fusion texts ----

TEST_F(NetTextsTest, FusionMemberShowsItsSetNameCutAtSixtyFourCharacters)
{
    ObjectHandle member = 0;
    SEPlace* place = Place(page_, top_, "P", &member);
    SEPlaceFusSet* set = SECreatePlaceFusSet(kSEFusGlobal, top_);
    ASSERT_NE(set, nullptr);
    SEPutName(&set->head, Copy("Shared"));
    ASSERT_EQ(SEAddFusMem(&set->head, &place->head), 1);
    char* text = nullptr;
    EE_FusionText(member, &text);
    EXPECT_EQ(Take(text), "Shared");

    SEPutName(&set->head, Copy(std::string(70, 'x')));
    EE_FusionText(member, &text);
    EXPECT_EQ(Take(text), std::string(64, 'x'));

    ObjectHandle outsider = 0;
    Place(page_, top_, "Q", &outsider);
    EE_FusionText(outsider, &text);
    EXPECT_EQ(text, nullptr);
}

// ---- hierarchy texts ----

TEST_F(NetTextsTest, SubstitutionNodeListsItsSubpageAndEverySocketAssignment)
{
    SEPage* subNet = nullptr;
    NewPage("Sub", 2, &subNet);
    ObjectHandle node = 0;
    SETrans* trans = Trans(page_, top_, "T", &node);
    SEPlace* in = Place(page_, top_, "A");
    SEPlace* out = Place(page_, top_, "");
    Arc(trans, in, kSEPlaceToTrans);
    Arc(trans, out, kSETransToPlace);
    SEPlace* port = Place(SEGetKVObj(&subNet->head), subNet, "PIn");
    ASSERT_EQ(SEMakePort(&port->head, kSEPortInput), 1);
    ASSERT_NE(SEMakeCompound(&trans->head, kSESubstitution), nullptr);
    ASSERT_EQ(SEMakeSubpage(&trans->head, subNet), 1);
    ASSERT_EQ(SEAssignPort(&trans->head, &in->head, &port->head), 1);

    char* text = nullptr;
    EE_HierarchyText(node, &text);
    const std::string value = Take(text);
    EXPECT_EQ(value.substr(0, value.find('\n')), "Sub#2");
    EXPECT_NE(value.find("\nPIn->A"), std::string::npos) << value;
    EXPECT_NE(value.find("\n??" "?->***"), std::string::npos) << "the nameless socket has no assignment: " << value;
    EXPECT_EQ(std::count(value.begin(), value.end(), '\n'), 2) << value;
}

TEST_F(NetTextsTest, PlainNodeHasNoHierarchyText)
{
    ObjectHandle node = 0;
    Trans(page_, top_, "T", &node);
    char* text = nullptr;
    EE_HierarchyText(node, &text);
    EXPECT_EQ(text, nullptr);
}

// ---- page mode texts ----

TEST_F(NetTextsTest, PageModeTextShowsPrimeCountFlagsOffAndDifferingReferrers)
{
    constexpr uint32_t kAllOn = 1 | 2 | 4 | 8 | 16;
    top_->modeFlags = kAllOn;
    EXPECT_EQ(EE_PageModeString(page_), "") << "a page with all attributes on and no prime count shows nothing";
    top_->primeCount = 1;
    EXPECT_EQ(EE_PageModeString(page_), "Prime");
    top_->primeCount = 3;
    EXPECT_EQ(EE_PageModeString(page_), "Prime:3");
    // Observe (4) and execute code (16) off: letters O and R, in I O P R C order.
    top_->modeFlags = kAllOn & ~(4u | 16u);
    EXPECT_EQ(EE_PageModeString(page_), "Prime:3\nnot OR");
    top_->primeCount = 0;
    top_->modeFlags = 0;
    EXPECT_EQ(EE_PageModeString(page_), "None");

    // A substitution node refining the page with other attributes gets a line.
    SEPage* superNet = nullptr;
    const ObjectHandle super = NewPage("Up", 4, &superNet);
    ObjectHandle node = 0;
    SETrans* trans = Trans(super, superNet, "", &node);
    ASSERT_NE(SEMakeCompound(&trans->head, kSESubstitution), nullptr);
    ASSERT_EQ(SEMakeSubpage(&trans->head, top_), 1);
    SEGetCompound(&trans->head)->modeFlags = kAllOn & ~8u;
    EXPECT_EQ(EE_PageModeString(page_), "None\n(***@Up#4) = not C");
    top_->modeFlags = kAllOn;
    SEGetCompound(&trans->head)->modeFlags = 0;
    EXPECT_EQ(EE_PageModeString(page_), "(***@Up#4) = None") << "no line break before the first line";
    SEGetCompound(&trans->head)->modeFlags = kAllOn;
    EXPECT_EQ(EE_PageModeString(page_), "") << "a node with the page's own attributes gets no line";
    EXPECT_EQ(EE_PageModeString(0), "");
}

// ---- the colour sets of a port assignment ----

struct ColourCase {
    const char* socket;  // null: no colour set
    const char* port;
    int same;
};

class SameNameTest : public NetTextsTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(SameNameTest, AssignedPortAndSocketCompareTheirColourSets)
{
    const ColourCase c = GetParam();
    ColourEntry("INT", "int");
    ColourEntry("NUM", "int");
    ColourEntry("BOOL", "bool");
    SEPage* subNet = nullptr;
    NewPage("Sub", 2, &subNet);
    SETrans* trans = Trans(page_, top_, "T");
    SEPlace* socket = Place(page_, top_, "S");
    Arc(trans, socket, kSEPlaceToTrans);
    SEPlace* port = Place(SEGetKVObj(&subNet->head), subNet, "P");
    ASSERT_EQ(SEMakePort(&port->head, kSEPortInput), 1);
    ASSERT_NE(SEMakeCompound(&trans->head, kSESubstitution), nullptr);
    ASSERT_EQ(SEMakeSubpage(&trans->head, subNet), 1);
    ASSERT_EQ(SEAssignPort(&trans->head, &socket->head, &port->head), 1);
    if (c.socket != nullptr) {
        SESetColourSet(&socket->head, Copy(c.socket));
    }
    if (c.port != nullptr) {
        SESetColourSet(&port->head, Copy(c.port));
    }
    SEHead* assigned = SEGetAssignment(&trans->head, &socket->head);
    ASSERT_EQ(assigned, &port->head);
    EXPECT_EQ(ASSameName(&socket->head, assigned), c.same);
}

INSTANTIATE_TEST_SUITE_P(Pairs, SameNameTest,
                         ::testing::Values(ColourCase{"INT", "INT", 1}, ColourCase{"INT", "BOOL", 0},
                                           ColourCase{"INT", "NUM", 0}, ColourCase{nullptr, nullptr, 1},
                                           ColourCase{"INT", nullptr, 0}, ColourCase{"Unknown", "Unknown", 1},
                                           ColourCase{"Unknown", "Other", 0}));

// ---- connectors from default keys ----

TEST_F(NetTextsTest, ConnectorOfAKeyTakesItsDirectionAndArrowHead)
{
    const ObjectHandle a = QXStr_CreateNode(page_, 20 * kUnit, 20 * kUnit, 10 * kUnit, 10 * kUnit, 1);
    const ObjectHandle b = QXStr_CreateNode(page_, 80 * kUnit, 20 * kUnit, 10 * kUnit, 10 * kUnit, 1);
    // Key 12 (substitution arcs of the hierarchy page) holds a connector shape.
    const ObjectHandle arc = GE_CreateConnectorByKey(page_, a, b, 12);
    ASSERT_NE(arc, 0u);
    ObjectHandle start = 0, end = 0;
    QXRdAttr_GetConnEnds(arc, 0, &start, &end);
    EXPECT_EQ(start, a);
    EXPECT_EQ(end, b);
    EXPECT_EQ(QXRdAttr_GetDirection(arc), 1u);
    int16_t width = 0, height = 0, textWidth = 0, textHeight = 0;
    int32_t shape = 0;
    ASSERT_EQ(QXRdAttr_GetConnAttr(arc, &width, &height, &shape, &textWidth, &textHeight), 1u);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 4);

    const ObjectHandle both = GE_CreateConnectorByKeyDir(page_, b, a, 3, 12);
    ASSERT_NE(both, 0u);
    EXPECT_EQ(QXRdAttr_GetDirection(both), 3u);

    // Key 13 (invocation arcs) has no connector shape of its own and still
    // gives a forward connector.
    const ObjectHandle invocation = GE_CreateConnectorByKey(page_, a, b, 13);
    ASSERT_NE(invocation, 0u);
    EXPECT_EQ(QXRdAttr_GetDirection(invocation), 1u);
    EXPECT_EQ(GE_CreateConnectorByKey(page_, a, 0, 12), 0u) << "no connector without an end";
}

// ---- new-page defaults ----

// A net page takes the mode switches of the diagram's defaults: with the
// built-in ones it is in the simulation (so the check looks at it); switches
// turned off in the defaults are off, and the prime count is left alone.
TEST_F(NetTextsTest, PageDefaultsGiveTheModeSwitches)
{
    top_->modeFlags = 0;
    top_->primeCount = 3;
    ASSERT_EQ(GE_ApplyPageDefaults(page_), 1);
    EXPECT_EQ(top_->modeFlags & 31u, 31u);

    uint32_t switches[8] = {};
    ASSERT_EQ(DefGetModeAttributes(switches, kDefLevelDiagram), 1);
    switches[0] = 0;  // not in the simulation
    switches[3] = 0;  // not interactive
    ASSERT_EQ(DefSetSwitches(switches, kDefLevelDiagram), 1);
    ASSERT_EQ(GE_ApplyPageDefaults(page_), 1);
    EXPECT_EQ(top_->modeFlags & 31u, 31u & ~1u & ~8u);
    EXPECT_EQ(top_->primeCount, 3);
}

TEST_F(NetTextsTest, PageDefaultsGiveSizeAndSwitchesAndNameOnlyAnUnnamedPage)
{
    ASSERT_EQ(DefSetPageTitle(500, 300, 1, 0, "Fresh", kDefLevelDiagram), 1);
    ASSERT_EQ(QXWtAttr_SetPageAttr(page_, "Mine", 1, 0, 0, 1), 1u);
    ASSERT_EQ(GE_ApplyPageDefaults(page_), 1);
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 9, palette = 9;
    ASSERT_EQ(QXRdAttr_GetPageAttr(page_, name, &number, &width, &height, &border), 1u);
    EXPECT_STREQ(name, "Mine") << "a named page keeps its name";
    EXPECT_EQ(number, 1);
    EXPECT_EQ(width, 500);
    EXPECT_EQ(height, 300);
    EXPECT_EQ(border, 0u);
    ASSERT_EQ(QXRdAttr_GetPaletteOption(page_, &palette), 1u);
    EXPECT_EQ(palette, 1u);

    ASSERT_EQ(QXWtAttr_SetPageAttr(page_, "", 1, 0, 0, 1), 1u);
    EE_ApplyPageTitle(page_);
    ASSERT_EQ(QXRdAttr_GetPageAttr(page_, name, nullptr, nullptr, nullptr, nullptr), 1u);
    EXPECT_STREQ(name, "Fresh") << "an unnamed page takes the default name";

    const ObjectHandle node = QXStr_CreateNode(page_, 10 * kUnit, 10 * kUnit, 10 * kUnit, 10 * kUnit, 1);
    EXPECT_EQ(GE_ApplyPageDefaults(node), 0);
}

// ---- popped-up state of key regions ----

TEST_F(NetTextsTest, RegionStateSetsAndClearsTagBits)
{
    const ObjectHandle node = QXStr_CreateNode(page_, 30 * kUnit, 30 * kUnit, 10 * kUnit, 10 * kUnit, 1);
    const ObjectHandle region = QXStr_CreateNode(page_, 40 * kUnit, 30 * kUnit, 5 * kUnit, 5 * kUnit, 1);
    ASSERT_EQ(QXStr_MakeRegion(region, node), 1u);
    ASSERT_EQ(GE_SetChartTag(region, 3, 4, 0x2 | 0x4 | 0x8), 1);
    EE_SetRegionState(region, 1, 2);
    uint8_t kind = 0, sub = 0;
    uint16_t bits = 0;
    ASSERT_EQ(GE_GetChartTag(region, &kind, &sub, &bits), 1);
    EXPECT_EQ(kind, 3);
    EXPECT_EQ(sub, 4);
    EXPECT_EQ(bits, 0x1 | 0x4 | 0x8);
    uint32_t follows = 9;
    QXRdAttr_GetFlag(region, 16, &follows);
    EXPECT_EQ(follows, 0u) << "a popup that changes with its parent does not follow the owner's state";

    EE_SetRegionState(region, 0, 0x4);
    ASSERT_EQ(GE_GetChartTag(region, &kind, &sub, &bits), 1);
    EXPECT_EQ(bits, 0x1 | 0x8);
    QXRdAttr_GetFlag(region, 16, &follows);
    EXPECT_NE(follows, 0u);

    EE_SetRegionState(node, 1, 0);  // not a region: nothing
    EXPECT_EQ(GE_GetChartTag(node, &kind, &sub, &bits), 0);
}

}  // namespace

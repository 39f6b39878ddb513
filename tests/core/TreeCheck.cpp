// The tree checker and the shared fixture of the diagram-operation tests.
#include "TreeCheck.h"

#include <set>
#include <sstream>

#include "xkv/default/Default.h"
#include "xkv/model/Model.h"
#include "xkv/text/TextEdit.h"
#include "xkv/types/PtArray.h"

namespace {

bool Live(ObjectHandle o)
{
    return o != 0 && Model_GetSerial(o) != 0;
}

void CheckConnector(ObjectHandle c, std::ostringstream& out)
{
    ObjectHandle s = Model_GetFieldValue(c, Field::kStartObject);
    ObjectHandle e = Model_GetFieldValue(c, Field::kEndObject);
    if (!Live(s) || !Live(e)) {
        out << "connector " << c << " has a dead end\n";
        return;
    }
    if (Model_GetFieldValue(c, Field::kStartBase) != Model_GetBaseObject(s) ||
        Model_GetFieldValue(c, Field::kEndBase) != Model_GetBaseObject(e)) {
        out << "connector " << c << " base objects disagree with its ends\n";
    }
    PtArray path = 0;
    Model_GetField(c, Field::kPath, &path);
    if (PtArray_Count(path) < 2) {
        out << "connector " << c << " has a path of " << PtArray_Count(path) << " points\n";
    }
    ObjectHandle partner = Model_GetFieldValue(c, Field::kConnectorBorderMark);
    if (partner != 0 && !Live(partner)) {
        out << "connector " << c << " has a dead partner\n";
    }
}

void CheckObject(ObjectHandle o, std::set<ObjectHandle>& seen, std::ostringstream& out)
{
    if (!seen.insert(o).second) {
        out << "object " << o << " reached twice\n";
        return;
    }
    uint32_t type = Model_GetType(o);
    if (type == kTypeConnector) {
        CheckConnector(o, out);
    }
    if (type == kTypeNode && Model_IsCoarseNode(o)) {
        ObjectHandle sub = Model_GetFieldValue(o, Field::kSubpage);
        if (!Live(sub) || !Model_IsPage(sub) || Model_GetFieldValue(sub, Field::kRefinedNode) != o) {
            out << "coarse node " << o << " and its subpage disagree\n";
        }
    }
    if (type == kTypeNode && Model_IsBorderNode(o) && !Live(Model_GetFieldValue(o, Field::kBorderMark))) {
        out << "border node " << o << " stands for a dead object\n";
    }
    if (type == kTypeRegion && Model_GetType(Model_GetParent(o)) != kTypeRegionList) {
        out << "region " << o << " is not in a region list\n";
    }
    int guard = 100000;
    for (ObjectHandle c = Model_GetFirstChild(o); c != 0 && guard-- > 0; c = Model_GetNextSibling(c)) {
        if (!Live(c)) {
            out << "object " << o << " has a dead child " << c << "\n";
            return;
        }
        if (Model_GetParent(c) != o) {
            out << "child " << c << " names " << Model_GetParent(c) << " as parent, not " << o << "\n";
        }
        CheckObject(c, seen, out);
    }
}

}  // namespace

std::string CheckTree()
{
    std::ostringstream out;
    std::set<ObjectHandle> seen;
    ObjectHandle root = Model_GetRoot();
    if (root != 0) {
        CheckObject(root, seen, out);
    }
    return out.str();
}

void CoreTest::SetUp()
{
    KernelTest::SetUp();
    ASSERT_EQ(Core_AddPage(&page_), kStatusOk);
}

void CoreTest::TearDown()
{
    for (HookId id = 0; id < kHookCount; ++id) {
        Hook_Unregister(id);
    }
    // A label made for typing starts an edit; it ends with the test.
    Text_Shutdown();
    Core_CloseModel();
    KernelTest::TearDown();
}

ObjectHandle CoreTest::Node(Fixed cx, Fixed cy, Fixed w, Fixed h, uint32_t kind, ObjectHandle page)
{
    ObjectHandle node = 0;
    FixRect box{cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2};
    EXPECT_EQ(Core_AddNode(page != 0 ? page : page_, box, kind, 0, &node), kStatusOk);
    return node;
}

ObjectHandle CoreTest::Connect(ObjectHandle from, ObjectHandle to, ObjectHandle page)
{
    ObjectHandle c = 0;
    EXPECT_EQ(Core_AddConnector(page != 0 ? page : Model_GetPage(from), from, to, 0, &c, 1), kStatusOk);
    // No arrow heads unless a test asks for them: the ends stay on the outlines.
    Model_SetFieldValue(c, Field::kDirection, 0);
    RebuildRequest request;
    Core_RebuildObject(c, &request);
    return c;
}

void CoreTest::SetCoarsenOptions(bool deletePartners, bool borderNodes, bool hide)
{
    uint32_t words[9] = {};
    Default_Get(0, kDefaultLevelNew, 28, words);
    words[6] = deletePartners;
    words[7] = borderNodes;
    words[8] = hide;
    ASSERT_EQ(Default_Set(0, kDefaultLevelNew, 28, words), kStatusOk);
}

FixPoint CoreTest::PositionOf(ObjectHandle o)
{
    FixPoint p;
    Model_GetField(o, Field::kPosition, &p);
    return p;
}

PtArray CoreTest::Path(ObjectHandle connector)
{
    PtArray path = 0;
    Model_GetField(connector, Field::kPath, &path);
    return path;
}

// Graph nodes and arcs on a diagram built in the test: the evaluator's real
// library reaches function-table rows 52 to 55 as it does in tolq, and the
// tool's own tests of graph numbers, labels, arc directions and paste work
// on the kernel's objects.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "KernelFixture.h"
#include "atolq/OGA/OGAUtils.h"
#include "atolq/SML/SMLTable.h"
#include "sml_fixture.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kvud/UserData.h"

namespace {

using namespace sml_test;

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

std::string textOf(ObjectHandle object)
{
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0)
        return {};
    std::string text(length + 1, '\0');
    QXText_GetText(object, text.data(), &length);
    text.resize(length);
    return text;
}

class GraphObjectsTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(page_, 0u);
    }
    ObjectHandle node(double x)
    {
        const ObjectHandle n = QXStr_CreateNode(page_, F(x), F(100), F(40), F(30), 1);
        EXPECT_NE(n, 0u);
        return n;
    }
    ObjectHandle connector(ObjectHandle from, ObjectHandle to, uint32_t direction)
    {
        const ObjectHandle c = QXStr_CreateConnector(page_, from, to);
        EXPECT_NE(c, 0u);
        QXWtAttr_SetDirection(c, direction);
        return c;
    }
    ObjectHandle page_ = 0;
};

// The library's calls of the rows, through the real evaluator.
class TableRowsTest : public GraphObjectsTest {
protected:
    void SetUp() override
    {
        GraphObjectsTest::SetUp();
        OGAInstallTableRows();
        ASSERT_EQ(SMLConnect(1, nullptr, 0, kHeap.c_str(), kRuntime.c_str(), nullptr, nullptr), 0);
    }
    void TearDown() override
    {
        SMLStopProcess();
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        Core_CloseModel();
        GraphObjectsTest::TearDown();
    }
    // The row's result as TolqOGDraw.row answers it.
    long row(int r, const std::vector<long>& args)
    {
        std::string list;
        for (long a : args)
            list += (list.empty() ? "" : ",") + std::to_string(a);
        File request("TOLQ'Edit.out_val (Int.toString (TolqOGDraw.row " + std::to_string(r) + " [" + list + "]));"),
            reply("\r");
        const int16_t result = SMLEvaluate(request.get(), reply.get());
        EXPECT_EQ(result, 0) << reply.text();
        const std::string text = reply.text();
        const auto open = text.find('\006');
        if (open == std::string::npos)
            return -1;
        return std::stol(text.substr(open + 1));
    }
};

TEST_F(TableRowsTest, NodeIsTaggedOnceAndFoundOnItsPage)
{
    const ObjectHandle n = node(100);
    EXPECT_EQ(row(52, {12, static_cast<long>(n), 0, 3, 4}), 1);
    EXPECT_EQ(textOf(n), "12\"\r3:4");
    uint32_t number = 0;
    ASSERT_EQ(OGAGetNumber(n, &number), 1);
    EXPECT_EQ(number, 12u);
    // A second tag neither changes the number nor the label.
    EXPECT_EQ(row(52, {13, static_cast<long>(n), 1, 5, 6}), 0);
    EXPECT_EQ(textOf(n), "12\"\r3:4");
    EXPECT_EQ(row(53, {12, static_cast<long>(page_)}), static_cast<long>(n));
    EXPECT_EQ(row(53, {13, static_cast<long>(page_)}), 0);
}

TEST_F(TableRowsTest, ArcsAreTaggedOnlyOnConnectors)
{
    const ObjectHandle a = node(100), b = node(300);
    const ObjectHandle c = connector(a, b, 1);
    EXPECT_EQ(row(54, {7, static_cast<long>(c)}), 1);
    EXPECT_EQ(row(55, {7, static_cast<long>(page_)}), static_cast<long>(c));
    // A node is no arc, a connector no node.
    EXPECT_EQ(row(54, {8, static_cast<long>(a)}), 0);
    EXPECT_EQ(row(52, {8, static_cast<long>(c), 0, 0, 0}), 0);
    EXPECT_EQ(OGAHasOccGraph(a), 0);
}

TEST_F(TableRowsTest, InvalidHandlesGiveZero)
{
    EXPECT_EQ(row(52, {1, 999999, 0, 0, 0}), 0);
    EXPECT_EQ(row(54, {1, 999999}), 0);
    EXPECT_EQ(row(53, {1, 999999}), 0);
    EXPECT_EQ(row(55, {1, 0}), 0);
}

TEST_F(GraphObjectsTest, LabelMarks)
{
    const ObjectHandle n = node(100);
    const struct {
        long mark;
        const char* label;
    } cases[] = {{1, "5'\r1:2"}, {0, "5\"\r1:2"}, {2, "5 \r1:2"}, {-3, "5 \r1:2"}};
    for (const auto& c : cases) {
        OGASetLabel(n, 5, c.mark, 1, 2);
        EXPECT_EQ(textOf(n), c.label) << c.mark;
    }
}

TEST_F(GraphObjectsTest, OnlyAFourByteFieldIsAGraphNumber)
{
    const ObjectHandle n = node(100);
    const std::array<uint8_t, 3> three{0, 0, 9};
    ASSERT_NE(UD_SetField(n, kOGANumberTag, three.data(), 3), 0u);
    EXPECT_EQ(OGAHasOccGraph(n), 0);
    uint32_t number = 0;
    EXPECT_EQ(OGAGetNumber(n, &number), 0);
    ASSERT_EQ(OGASetNumber(n, 0x01020304), 1);
    ASSERT_EQ(OGAGetNumber(n, &number), 1);
    EXPECT_EQ(number, 0x01020304u);
    // Stored big-endian.
    std::array<uint8_t, 4> bytes{};
    UD_GetField(n, kOGANumberTag, bytes.data());
    EXPECT_EQ(bytes, (std::array<uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(OGAClearNumber(n), 1);
    EXPECT_EQ(OGAHasOccGraph(n), 0);
    EXPECT_EQ(OGAClearNumber(n), 1);
}

TEST_F(GraphObjectsTest, SuccessorAndPredecessorArcsFollowDirection)
{
    const ObjectHandle n = node(100), other = node(300);
    struct Arc {
        uint32_t number;
        ObjectHandle from, to;
        uint32_t direction;
    };
    const Arc arcs[] = {
        {1, n, other, 1},     // out
        {2, other, n, 1},     // in
        {3, n, other, 2},     // drawn from n, pointing back: in
        {4, other, n, 2},     // pointing away from n: out
        {5, n, n, 1},         // loop: both
        {6, n, n, 2},         // loop the other way: out only
        {7, n, other, 0},     // no direction: neither
    };
    for (const Arc& a : arcs)
        ASSERT_EQ(OGASetNumber(connector(a.from, a.to, a.direction), a.number), 1);
    // An untagged connector counts for nothing.
    connector(n, other, 1);
    auto sorted = [](std::vector<uint32_t> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(OGASuccessorArcs(n)), (std::vector<uint32_t>{1, 4, 5, 6}));
    EXPECT_EQ(sorted(OGAPredecessorArcs(n)), (std::vector<uint32_t>{2, 3, 5}));
}

TEST_F(GraphObjectsTest, PastedCopiesAreNoGraphObjects)
{
    const ObjectHandle a = node(100), b = node(300), outside = node(500);
    const ObjectHandle inner = connector(a, b, 1), outer = connector(b, outside, 1);
    for (ObjectHandle o : {a, b, outside, inner, outer})
        ASSERT_EQ(OGASetNumber(o, 3), 1);
    const std::array<ObjectHandle, 2> pasted{a, b};
    OGAPasteCleanup(pasted);
    EXPECT_EQ(OGAHasOccGraph(a), 0);
    EXPECT_EQ(OGAHasOccGraph(b), 0);
    EXPECT_EQ(OGAHasOccGraph(inner), 0);
    EXPECT_EQ(OGAHasOccGraph(outer), 1);
    EXPECT_EQ(OGAHasOccGraph(outside), 1);
}

TEST_F(GraphObjectsTest, FindAndClearAll)
{
    const ObjectHandle a = node(100), b = node(300);
    const ObjectHandle c = connector(a, b, 1);
    OGASetNumber(a, 4);
    OGASetNumber(b, 4);
    OGASetNumber(c, 4);
    ObjectHandle found = 0;
    ASSERT_EQ(OGAFindNodeOnPage(page_, 4, &found), 1);
    EXPECT_EQ(found, a); // the first in the page's order
    ASSERT_EQ(OGAFindArcOnPage(page_, 4, &found), 1);
    EXPECT_EQ(found, c);
    OGAClearAll();
    EXPECT_EQ(OGAFindNodeOnPage(page_, 4, &found), 0);
    EXPECT_EQ(OGAFindArcOnPage(page_, 4, &found), 0);
}

} // namespace

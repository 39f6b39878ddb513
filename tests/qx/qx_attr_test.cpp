// QX object attributes: every word attribute written through its writer is
// read back through its mirrored reader; defaults and the edge cases.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "QXFixture.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"

namespace {

enum Target { kNode, kConnector, kRegion, kPage };

struct RoundTrip {
    std::string name;
    Target target;
    uint32_t value;
    std::function<uint32_t(ObjectHandle, uint32_t)> write;
    std::function<uint32_t(ObjectHandle, uint32_t*)> read;
};

class QXAttrTest : public QXDiagramTest {
protected:
    ObjectHandle Make(Target t)
    {
        a_ = Node(0, 0);
        b_ = Node(F(100), 0);
        switch (t) {
        case kNode: return a_;
        case kConnector: return QXStr_CreateConnector(page_, a_, b_);
        case kRegion: {
            ObjectHandle r = Node(F(5), F(5));
            EXPECT_EQ(QXStr_MakeRegion(r, a_), 1u);
            return r;
        }
        default: return page_;
        }
    }
    ObjectHandle a_ = 0;
    ObjectHandle b_ = 0;
};

class QXRoundTripTest : public QXAttrTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(QXRoundTripTest, WriterAndReaderMirrorEachOther)
{
    const RoundTrip& t = GetParam();
    ObjectHandle object = Make(t.target);
    ASSERT_NE(object, 0u);
    ASSERT_EQ(t.write(object, t.value), 1u) << t.name << " status " << QXStatus;
    uint32_t back = ~t.value;
    ASSERT_EQ(t.read(object, &back), 1u) << t.name;
    EXPECT_EQ(back, t.value) << t.name;
}

RoundTrip Word(std::string name, Target target, uint32_t value, uint32_t (*write)(ObjectHandle, uint32_t),
               uint32_t (*read)(ObjectHandle, uint32_t*))
{
    return {std::move(name), target, value, write, read};
}

const RoundTrip kRoundTrips[] = {
    Word("region kind", kRegion, 4098, QXWtAttr_SetRegionKind, QXRdAttr_GetRegionKind),
    Word("node border flag", kNode, 1, QXWtAttr_SetBorderFlag, QXRdAttr_GetBorderFlag),
    Word("connector border flag", kConnector, 1, QXWtAttr_SetBorderFlag, QXRdAttr_GetBorderFlag),
    Word("refine state", kNode, 3, QXWtAttr_SetRefineState, QXRdAttr_GetRefineState),
    Word("layering logic", kNode, 2, QXWtAttr_SetLayeringLogic, QXRdAttr_GetLayeringLogic),
    {"shape bit", kNode, 0, QXWtAttr_SetShapeBit,
     [](ObjectHandle o, uint32_t* v) { *v = QXRdAttr_GetShapeBit(o); return 1u; }},
    {"direction", kConnector, 2, QXWtAttr_SetDirection,
     [](ObjectHandle o, uint32_t* v) { *v = QXRdAttr_GetDirection(o); return 1u; }},
    {"start end value", kConnector, 77, [](ObjectHandle o, uint32_t v) { return QXWtAttr_SetConnEndAttr(o, 0, v); },
     [](ObjectHandle o, uint32_t* v) { *v = QXRdAttr_GetConnEndAttr(o, 0); return 1u; }},
    {"end end value", kConnector, 78, [](ObjectHandle o, uint32_t v) { return QXWtAttr_SetConnEndAttr(o, 1, v); },
     [](ObjectHandle o, uint32_t* v) { *v = QXRdAttr_GetConnEndAttr(o, 1); return 1u; }},
    {"hidden connector", kConnector, 1, QXWtAttr_SetConnHidden,
     [](ObjectHandle o, uint32_t* v) { *v = QXRdAttr_GetConnHidden(o); return 1u; }},
    {"inverted flag", kConnector, 1, QXWtAttr_SetInvertedFlag,
     [](ObjectHandle o, uint32_t* v) { uint32_t b = 0; return QXRdAttr_GetInvertedFlag(o, v, &b); }},
    {"flag bits", kNode, 1, [](ObjectHandle o, uint32_t v) { return QXWtAttr_SetFlag(o, 0x40, v); },
     [](ObjectHandle o, uint32_t* v) { return QXRdAttr_GetFlag(o, 0x40, v); }},
    {"quiet flag bits", kNode, 1, [](ObjectHandle o, uint32_t v) { return QXWtAttr_SetFlagQuiet(o, 0x80, v); },
     [](ObjectHandle o, uint32_t* v) { return QXRdAttr_GetFlag(o, 0x80, v); }},
    {"sub page", kNode, 5, [](ObjectHandle o, uint32_t v) { return QXWtAttr_SetSubPage(o, v); },
     [](ObjectHandle o, uint32_t* v) { *v = QXRdAttr_GetSubPage(o); return 1u; }},
    {"super node", kPage, 0, [](ObjectHandle o, uint32_t v) { return QXWtAttr_SetSuperNode(o, v); },
     [](ObjectHandle o, uint32_t* v) { *v = QXRdAttr_GetSuperNode(o); return 1u; }},
    {"line style", kNode, 3, QXWtAttr_SetLineStyle,
     [](ObjectHandle o, uint32_t* v) { int16_t w; uint32_t p, vis; return QXRdAttr_GetLineAttr(o, v, &w, &p, &vis); }},
    {"line pattern", kConnector, 4, QXWtAttr_SetLinePattern,
     [](ObjectHandle o, uint32_t* v) { int16_t w; uint32_t s, vis; return QXRdAttr_GetLineAttr(o, &s, &w, v, &vis); }},
    {"line width", kNode, 3, [](ObjectHandle o, uint32_t v) { return QXWtAttr_SetLineWidth(o, QXUtil_IntToFixed(v)); },
     [](ObjectHandle o, uint32_t* v) {
         int16_t w = 0; uint32_t s, p, vis;
         uint32_t r = QXRdAttr_GetLineAttr(o, &s, &w, &p, &vis);
         *v = static_cast<uint32_t>(w);
         return r;
     }},
};

INSTANTIATE_TEST_SUITE_P(Attributes, QXRoundTripTest, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n) {
                                 if (c == ' ') c = '_';
                             }
                             return n;
                         });

struct WrongKind {
    std::string name;
    Target target;
    std::function<uint32_t(ObjectHandle)> call;
    KernelStatus status;
};

class QXWrongKindTest : public QXAttrTest, public ::testing::WithParamInterface<WrongKind> {};

TEST_P(QXWrongKindTest, RefusedWithTheStatusAndNothingWritten)
{
    ObjectHandle object = Make(GetParam().target);
    const uint32_t flagsBefore = Model_GetFieldValue(object, Field::kFlags);
    EXPECT_EQ(GetParam().call(object), 0u) << GetParam().name;
    EXPECT_EQ(QXStatus, GetParam().status) << GetParam().name;
    EXPECT_EQ(Model_GetFieldValue(object, Field::kFlags), flagsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, QXWrongKindTest,
    ::testing::Values(
        WrongKind{"region kind of node", kNode, [](ObjectHandle o) { return QXWtAttr_SetRegionKind(o, 1); }, 37},
        WrongKind{"conn ends of node", kNode,
                  [](ObjectHandle o) { return QXRdAttr_GetConnEnds(o, 0, nullptr, nullptr); }, 34},
        WrongKind{"end value of node", kNode, [](ObjectHandle o) { return QXWtAttr_SetConnEndAttr(o, 0, 1); }, 34},
        WrongKind{"shape bit of connector", kConnector, [](ObjectHandle o) { return QXWtAttr_SetShapeBit(o, 1); }, 37},
        WrongKind{"page scale of node", kNode, [](ObjectHandle o) { return QXRdAttr_GetPageScale(o, nullptr, nullptr); }, 34},
        WrongKind{"position of connector", kConnector, [](ObjectHandle o) { return QXWtAttr_SetPosition(o, 0, 0); }, 32},
        WrongKind{"direction code 4", kConnector, [](ObjectHandle o) { return QXWtAttr_SetDirection(o, 4); }, 6}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n) {
            if (c == ' ') c = '_';
        }
        return n;
    });

TEST_F(QXAttrTest, InvisibleLineStoresStyleSevenAndPatternZero)
{
    ObjectHandle node = Make(kNode);
    ASSERT_EQ(QXWtAttr_SetLineAttr(node, 2, 3, 5, 0), 1u);
    uint32_t style = 0, pattern = 9, visible = 9;
    int16_t width = 0;
    ASSERT_EQ(QXRdAttr_GetLineAttr(node, &style, &width, &pattern, &visible), 1u);
    EXPECT_EQ(style, 7u);
    EXPECT_EQ(pattern, 0u);
    EXPECT_EQ(visible, 0u);
    EXPECT_EQ(width, 3);
}

TEST_F(QXAttrTest, NegativeSizeChangesNothing)
{
    ObjectHandle node = Make(kNode);
    Fixed w0 = 0, h0 = 0, w = 0, h = 0;
    QXRdAttr_GetSize(node, &w0, &h0);
    EXPECT_EQ(QXWtAttr_SetSize(node, -F(5), F(40)), 0u);
    QXRdAttr_GetSize(node, &w, &h);
    EXPECT_EQ(w, w0);
    EXPECT_EQ(h, h0);
    ASSERT_EQ(QXWtAttr_SetSize(node, F(40), F(30)), 1u);
    QXRdAttr_GetSize(node, &w, &h);
    EXPECT_EQ(w, F(40));
    EXPECT_EQ(h, F(30));
}

TEST_F(QXAttrTest, PositionRoundTrip)
{
    ObjectHandle node = Make(kNode);
    ASSERT_EQ(QXWtAttr_SetPosition(node, F(70), F(-30)), 1u);
    Fixed x = 0, y = 0;
    ASSERT_EQ(QXRdAttr_GetPosition(node, &x, &y), 1u);
    EXPECT_EQ(x, F(70));
    EXPECT_EQ(y, F(-30));
}

TEST_F(QXAttrTest, DefaultsThroughHandleZero)
{
    ASSERT_EQ(QXWtAttr_SetDirection(0, 3), 1u);
    EXPECT_EQ(QXRdAttr_GetDirection(0), 3u);
    ASSERT_EQ(QXWtAttr_SetInvertedFlag(0, 0), 1u);
    uint32_t a = 0, b = 0;
    QXRdAttr_GetInvertedFlag(0, &a, &b);
    EXPECT_EQ(a, 0u);
    ASSERT_EQ(QXWtAttr_SetLineAttr(0, 3, 2, 1, 1), 1u);
    uint32_t style = 0, pattern = 0, visible = 0;
    int16_t width = 0;
    ASSERT_EQ(QXRdAttr_GetLineAttr(0, &style, &width, &pattern, &visible), 1u);
    EXPECT_EQ(style, 3u);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(pattern, 1u);
    EXPECT_EQ(visible, 1u);
}

TEST_F(QXAttrTest, DefaultTextAttributes)
{
    EXPECT_EQ(QXWtAttr_SetDefaultTextAttr(1, 12, 0, 3, 0), 0u);
    EXPECT_EQ(QXStatus, 34u);
    ASSERT_EQ(QXWtAttr_SetDefaultTextAttr(5, 14, 2, 2, 9), 1u);
    int32_t font = 0, size = 0, style = 0, justification = 0;
    uint32_t word = 0;
    QXRdAttr_GetDefaultTextAttr(&font, &size, &style, &justification, &word);
    EXPECT_EQ(font, 5);
    EXPECT_EQ(size, 14);
    EXPECT_EQ(style, 2);
    EXPECT_EQ(justification, 2);
    EXPECT_EQ(word, 9u);
    ASSERT_EQ(QXText_SetDefaultJustification(7), 1u);
    QXRdAttr_GetDefaultTextAttr(nullptr, nullptr, nullptr, &justification, nullptr);
    EXPECT_EQ(justification, 1);
}

TEST_F(QXAttrTest, ObjectTypeBits)
{
    EXPECT_EQ(QXRdAttr_GetObjectType(page_), 2u);
    EXPECT_EQ(QXRdAttr_GetObjectType(Make(kNode)), 4u);
    EXPECT_EQ(QXRdAttr_GetObjectType(Make(kConnector)), 8u);
    EXPECT_EQ(QXRdAttr_GetObjectType(Make(kRegion)), 16u);
    EXPECT_EQ(QXRdAttr_GetObjectType(Model_GetPageList()), 1u);
    EXPECT_EQ(QXRdAttr_GetObjectType(424242), 0u);
    EXPECT_EQ(QXStatus, 37u);
    EXPECT_EQ(QXText_CanHaveText(page_), 0u);
    EXPECT_EQ(QXStatus, 32u);
}

}  // namespace

// QX attributes of shapes and pages and the picture and bucket entries of the
// structure family, on diagrams built through the interface.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "QXFixture.h"
#include "xkv/default/Default.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/model/Model.h"

namespace {

class QXShapeAttrTest : public QXDiagramTest {
protected:
    ObjectHandle Connector()
    {
        a_ = Node(0, 0);
        b_ = Node(F(100), F(40));
        return QXStr_CreateConnector(page_, a_, b_);
    }
    ObjectHandle a_ = 0;
    ObjectHandle b_ = 0;
};

TEST_F(QXShapeAttrTest, ConnectorAttributesRoundTripInInterfaceUnits)
{
    ObjectHandle c = Connector();
    ASSERT_NE(c, 0u);
    ASSERT_EQ(QXWtAttr_SetConnAttr(c, 7, 5, Model_ConvertCode(9, 2, 2), 30, 12), 1u) << QXStatus;
    int16_t aw = 0, ah = 0, tw = 0, th = 0;
    int32_t shape = 0;
    ASSERT_EQ(QXRdAttr_GetConnAttr(c, &aw, &ah, &shape, &tw, &th), 1u);
    EXPECT_EQ(aw, 7);
    EXPECT_EQ(ah, 5);
    EXPECT_EQ(Model_GetFieldValue(c, Field::kArrowWidth), static_cast<uint32_t>(QXUtil_IntToFixed(7)));
    EXPECT_EQ(tw, 30);
    EXPECT_EQ(th, 12);
}

TEST_F(QXShapeAttrTest, ConnectorAttributeDefaultsAndWrongKinds)
{
    int16_t aw = 0, ah = 0, tw = 0, th = 0;
    int32_t shape = 0;
    ASSERT_EQ(QXRdAttr_GetConnAttr(0, &aw, &ah, &shape, &tw, &th), 1u);
    EXPECT_EQ(aw, 4);   // built-in arrow width 0x20000
    EXPECT_EQ(tw, 64);  // built-in text width 0x200000, shifted right by 15
    ASSERT_EQ(QXWtAttr_SetConnAttr(0, 9, 9, shape, 10, 10), 1u);
    QXRdAttr_GetConnAttr(0, &aw, &ah, &shape, &tw, &th);
    EXPECT_EQ(aw, 9);
    EXPECT_EQ(tw, 10);
    ObjectHandle node = Node(0, 0);
    QXStatus = 0;
    aw = 77;
    EXPECT_EQ(QXRdAttr_GetConnAttr(node, &aw, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(QXStatus, 34u);
    EXPECT_EQ(aw, 77);
    EXPECT_EQ(QXWtAttr_SetConnAttr(123456, 1, 1, 1, 1, 1), 0u);
}

TEST_F(QXShapeAttrTest, ConnectorPointsReplaceCornersAndReadBackEnds)
{
    ObjectHandle c = Connector();
    ASSERT_NE(c, 0u);
    const FixPoint corners[] = {{0, 0}, {F(50), F(0)}, {F(50), F(40)}, {F(100), F(40)}};
    ASSERT_EQ(QXWtAttr_SetConnPoints(c, 4, corners), 1u) << QXStatus;
    FixPoint back[61] = {};
    uint16_t count = 0;
    ASSERT_EQ(QXRdAttr_GetConnPoints(c, &count, back), 1u);
    EXPECT_EQ(QXStatus, 0u);
    ASSERT_EQ(count, 4u);
    EXPECT_EQ(back[1].x, F(50));
    EXPECT_EQ(back[2].y, F(40));
}

TEST_F(QXShapeAttrTest, ConnectorPointCountsOutsideTwoToSixtyOneAreRefused)
{
    ObjectHandle c = Connector();
    std::vector<FixPoint> many(62, FixPoint{F(1), F(1)});
    for (uint32_t n : {0u, 1u, 62u, 0xffffffffu}) {
        QXStatus = 0;
        EXPECT_EQ(QXWtAttr_SetConnPoints(c, n, many.data()), 0u) << n;
        EXPECT_EQ(QXStatus, 6u) << n;
    }
    QXStatus = 0;
    EXPECT_EQ(QXWtAttr_SetConnPoints(c, 3, nullptr), 0u);
    EXPECT_NE(QXStatus, 0u);
    uint16_t count = 0;
    EXPECT_EQ(QXRdAttr_GetConnPoints(a_, &count, nullptr), 0u);
    EXPECT_EQ(QXStatus, 6u);
}

TEST_F(QXShapeAttrTest, PolygonAndLinePointsRoundTrip)
{
    const FixPoint tri[] = {{0, 0}, {F(40), 0}, {F(20), F(30)}};
    ObjectHandle poly = QXStr_CreatePolygon(page_, 3, tri);
    ASSERT_NE(poly, 0u);
    const FixPoint quad[] = {{0, 0}, {F(40), 0}, {F(40), F(40)}, {0, F(40)}};
    ASSERT_EQ(QXWtAttr_SetPolyPoints(poly, 4, quad), 1u) << QXStatus;
    uint16_t count = 0;
    ASSERT_EQ(QXRdAttr_GetPolyPointCount(poly, &count), 1u);
    ASSERT_EQ(count, 4u);
    FixPoint back[4] = {};
    ASSERT_EQ(QXRdAttr_GetPolyPoints(poly, back), 1u);
    EXPECT_EQ(back[2].x, F(40));
    EXPECT_EQ(back[3].y, F(40));
    EXPECT_EQ(QXWtAttr_SetPolyPoints(poly, 2, quad), 0u);

    ObjectHandle line = QXStr_CreateLine(page_, 2, quad);
    ASSERT_NE(line, 0u);
    ASSERT_EQ(QXWtAttr_SetLinePoints(line, 3, quad), 1u);
    FixPoint* points = nullptr;
    ASSERT_EQ(QXRdAttr_GetLinePoints(line, &count, &points), 1u);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(points[2].y, F(40));
    QXMem_Free(points);
    QXStatus = 0;
    EXPECT_EQ(QXWtAttr_SetLinePoints(line, 1, quad), 0u);
    EXPECT_EQ(QXStatus, 39u);
    EXPECT_EQ(QXWtAttr_SetLinePoints(poly, 3, quad), 0u);
    EXPECT_EQ(QXRdAttr_GetLinePoints(poly, &count, &points), 0u);
}

TEST_F(QXShapeAttrTest, WedgeAnglesOfWedgesAndDefault)
{
    ObjectHandle wedge = Node(0, 0, 5);
    ASSERT_NE(wedge, 0u);
    ASSERT_EQ(QXWtAttr_SetWedgeAngles(wedge, 30, 120), 1u) << QXStatus;
    int32_t start = 0, extent = 0;
    ASSERT_EQ(QXRdAttr_GetWedgeAngles(wedge, &start, &extent), 1u);
    EXPECT_EQ(start, 30);
    EXPECT_EQ(extent, 120);
    ASSERT_EQ(QXRdAttr_GetWedgeAngles(0, &start, &extent), 1u);
    EXPECT_EQ(extent, 180);
    EXPECT_EQ(QXWtAttr_SetWedgeAngles(Node(0, 0), 1, 2), 0u);
    EXPECT_EQ(QXStatus, 37u);
}

TEST_F(QXShapeAttrTest, PageAttributesRoundTripAndTruncateLongNames)
{
    ASSERT_EQ(QXWtAttr_SetPageAttr(page_, "Top", 7, 300, 200, 0), 1u) << QXStatus;
    char name[256] = {};
    uint16_t number = 0;
    int16_t w = 0, h = 0;
    uint32_t border = 9;
    ASSERT_EQ(QXRdAttr_GetPageAttr(page_, name, &number, &w, &h, &border), 1u);
    EXPECT_STREQ(name, "Top");
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(border, 0u);
    const std::string longName(400, 'n');
    ASSERT_EQ(QXWtAttr_SetPageAttr(page_, longName.c_str(), 7, 0, 0, 1), 1u);
    QXRdAttr_GetPageAttr(page_, name, nullptr, &w, nullptr, &border);
    // The kernel keeps a shorter prefix of the name; the reader never overruns.
    EXPECT_GT(std::strlen(name), 0u);
    EXPECT_LE(std::strlen(name), 255u);
    EXPECT_EQ(std::string(name), longName.substr(0, std::strlen(name)));
    EXPECT_EQ(w, 300);  // size 0 keeps the size
    EXPECT_EQ(border, 1u);
    QXStatus = 0;
    EXPECT_EQ(QXRdAttr_GetPageAttr(Node(0, 0), name, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(QXStatus, 37u);
}

TEST_F(QXShapeAttrTest, PaletteOptionIsOneWordOfThePageGroup)
{
    uint32_t flag = 5;
    ASSERT_EQ(QXStr_SetPageAttrValue(page_, 1), 1u);
    ASSERT_EQ(QXStr_GetPaletteOption(page_, &flag), 1u);
    EXPECT_EQ(flag, 1u);
    ASSERT_EQ(QXStr_SetPageAttrValue(page_, 0), 1u);
    QXStr_GetPaletteOption(page_, &flag);
    EXPECT_EQ(flag, 0u);
    EXPECT_EQ(QXStr_GetPaletteOption(Node(0, 0), &flag), 0u);
}

TEST_F(QXShapeAttrTest, DefaultsByCode)
{
    ASSERT_EQ(QXWtAttr_SetDefault(10, -5), 1u);
    uint32_t word = 1;
    ASSERT_EQ(QXRdAttr_GetNodeDefault(10, &word), 1u);
    EXPECT_EQ(word, 0u);  // negatives stored as 0
    ASSERT_EQ(QXWtAttr_SetDefault(1, 1234), 1u);
    QXRdAttr_GetNodeDefault(1, &word);
    EXPECT_EQ(word, 1234u);
    ASSERT_EQ(QXWtAttr_SetDefault(18, 3), 1u);
    EXPECT_EQ(QXRdAttr_GetDirection(0), 3u);
    ASSERT_EQ(QXWtAttr_SetDefault(15, QXUtil_IntToFixed(6)), 1u);
    int16_t aw = 0, ah = 0;
    QXRdAttr_GetConnAttr(0, &aw, &ah, nullptr, nullptr, nullptr);
    EXPECT_EQ(aw, 6);
    EXPECT_EQ(ah, 6);

    char text[16] = {};
    ASSERT_EQ(QXWtAttr_SetNodeDefault(11, "a-very-long-bracket-text"), 1u);
    ASSERT_EQ(QXRdAttr_GetNodeDefault(11, text), 1u);
    EXPECT_EQ(std::string(text), std::string("a-very-long-bra"));
    uint8_t block[80];
    std::memset(block, 0x5a, sizeof block);
    ASSERT_EQ(QXWtAttr_SetNodeDefault(14, block), 1u);
    uint8_t back[80] = {};
    ASSERT_EQ(QXRdAttr_GetNodeDefault(14, back), 1u);
    EXPECT_EQ(std::memcmp(block, back, 80), 0);
    EXPECT_EQ(QXWtAttr_SetNodeDefault(9, block), 0u);
    EXPECT_EQ(QXRdAttr_GetNodeDefault(99, back), 0u);

    ASSERT_EQ(QXWtAttr_SetDefault16(7, 0xdeadbeef), 1u);
    uint16_t a = 0;
    uint32_t b = 0;
    ASSERT_EQ(QXRdAttr_GetDefault16(&a, &b), 1u);
    EXPECT_EQ(a, 7u);
    EXPECT_EQ(b, 0xdeadbeefu);
}

TEST_F(QXShapeAttrTest, BoxWordsComeFirstThirdSecondFourth)
{
    ObjectHandle n = QXStr_CreateNode(page_, F(100), F(50), F(20), F(10), 1);
    Fixed a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(QXRdAttr_GetBoxWords(n, &a, &b, &c, &d), 1u);
    EXPECT_EQ(a, F(90));
    EXPECT_EQ(b, F(110));
    EXPECT_EQ(c, F(45));
    EXPECT_EQ(d, F(55));
    EXPECT_EQ(QXRdAttr_GetFontSize(n), 0u);  // no text yet
}

// A node whose centre lies at the edge of the coordinate range keeps its box
// inside the range instead of wrapping around to the other side.
TEST_F(QXShapeAttrTest, BoxesAtTheEdgeOfTheRangeSaturate)
{
    const Fixed top = 0x7fff0000;
    ObjectHandle n = QXStr_CreateNode(page_, top, -top, F(20), F(10), 1);
    ASSERT_NE(n, 0u);
    Fixed a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(QXRdAttr_GetBoxWords(n, &a, &b, &c, &d), 1u);
    EXPECT_EQ(a, top - F(10));
    EXPECT_GE(b, a) << "the right edge stays right of the left edge";
    EXPECT_LE(c, -top + F(5)) << "the top edge stays above the centre";
    EXPECT_GE(d, -top);
}

// A picture file: 512 bytes of header, a big-endian length counting itself, data.
std::string WritePictureFile(const std::vector<uint8_t>& data, int lengthAdjust = 0)
{
    char path[] = "/tmp/qxpictXXXXXX";
    int fd = mkstemp(path);
    std::vector<uint8_t> bytes(512, 0);
    const uint32_t length = static_cast<uint32_t>(data.size() + 2 + lengthAdjust);
    bytes.push_back(static_cast<uint8_t>(length >> 8));
    bytes.push_back(static_cast<uint8_t>(length));
    bytes.insert(bytes.end(), data.begin(), data.end());
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
    return path;
}

TEST_F(QXShapeAttrTest, LoadPictureReadsTheDataAfterTheHeader)
{
    const std::string path = WritePictureFile({1, 2, 3, 4, 5, 6, 7, 8});
    ObjectHandle p = QXStr_LoadPicture(page_, F(50), F(50), F(20), F(10), path.c_str());
    ASSERT_NE(p, 0u) << QXStatus;
    FixRect box{};
    Model_GetField(p, Field::kBox, &box);
    EXPECT_EQ(box.left, F(40));
    EXPECT_EQ(box.bottom, F(55));
    // A length that promises more than the file holds fails cleanly.
    const std::string shortFile = WritePictureFile({1, 2, 3}, 100);
    QXStatus = 0;
    EXPECT_EQ(QXStr_LoadPicture(page_, 0, 0, F(1), F(1), shortFile.c_str()), 0u);
    EXPECT_EQ(QXStatus, 1u);
    EXPECT_EQ(QXStr_LoadPicture(page_, 0, 0, F(1), F(1), "/nonexistent/picture"), 0u);
    EXPECT_EQ(QXStr_LoadPicture(page_, 0, 0, F(1), F(1), nullptr), 0u);
    EXPECT_EQ(QXStr_LoadPicture(p, 0, 0, F(1), F(1), path.c_str()), 0u);
    EXPECT_EQ(QXStatus, 32u);
    // Extreme centres and sizes do not overflow the box.
    ObjectHandle far = QXStr_LoadPicture(page_, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, path.c_str());
    EXPECT_NE(far, 0u);
    unlink(path.c_str());
    unlink(shortFile.c_str());
}

TEST_F(QXShapeAttrTest, CreatePictureWithoutDisplayFails)
{
    QXStatus = 0;
    EXPECT_EQ(QXStr_CreatePicture(page_, 0, 0, 0, 0, "/nonexistent.png"), 0u);
    EXPECT_EQ(QXStatus, 1u);
}

TEST_F(QXShapeAttrTest, SetConnListsHoldTheObjectsConnectors)
{
    ObjectHandle c = Connector();
    uint16_t count = 0;
    ObjectHandle* list = nullptr;
    ASSERT_EQ(QXStr_GetSetConnLists(a_, &count, &list), 1u);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(list[0], c);
    QXMem_Free(list);
    EXPECT_EQ(QXStr_GetSetConnLists(page_ + 100000, &count, &list), 0u);
    EXPECT_EQ(count, 0u);
}

}  // namespace

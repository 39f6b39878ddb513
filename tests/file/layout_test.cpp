// Files of older layouts and of the older drawing tool, built byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "KernelFixture.h"
#include "TextFixture.h"
#include "xkv/text/Text.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"

namespace {

// Big-endian bytes of the fixtures.
struct Bytes {
    std::vector<uint8_t> data;
    Bytes& U16(uint32_t v) { data.push_back(uint8_t(v >> 8)); data.push_back(uint8_t(v)); return *this; }
    Bytes& U32(uint32_t v) { U16(v >> 16); return U16(v & 0xFFFF); }
    Bytes& Raw(std::initializer_list<uint8_t> bytes) { data.insert(data.end(), bytes); return *this; }
    Bytes& Zeros(size_t n) { data.insert(data.end(), n, 0); return *this; }
    Bytes& Text(const std::string& s) { data.insert(data.end(), s.begin(), s.end()); return *this; }
};

class LayoutTest : public KernelTest {
protected:
    LayoutTest() { withDiagram_ = false; }
    void SetUp() override
    {
        KernelTest::SetUp();
        TextFontSource source{texttest::LoadFixedWidth, texttest::ReleaseFixedWidth, nullptr};
        Text_SetFontSource(&source);
    }
    void TearDown() override
    {
        Text_Shutdown();
        KernelTest::TearDown();
        Text_SetFontSource(nullptr);
    }
    KernelStatus Read(const Bytes& bytes)
    {
        std::string path = dir_.path + "/f.dia";
        WriteBytes(path, bytes.data);
        FileHandle file = 0;
        EXPECT_EQ(File_Open(path.c_str(), kOpenRead, &file), kStatusOk);
        ObjectGroup open = 0;
        KernelStatus status = File_ReadDiagram(file, 0, &open);
        Group_Free(open);
        File_Close(file);
        return status;
    }
    TempDir dir_;
};

// One object item of version 776: handle, then 35 words.
void Record776(Bytes* b, uint32_t handle, std::vector<std::pair<int, uint32_t>> words)
{
    uint32_t record[35] = {};
    for (auto [index, value] : words) {
        record[index] = value;
    }
    b->U32(handle);
    for (uint32_t w : record) {
        b->U32(w);
    }
}

TEST_F(LayoutTest, Version776RecordsShiftIntoTheCurrentLayout)
{
    Bytes b;
    b.U32(0xFFFFFFFF).U32(0x0808).U32(776).U32(0);
    b.U32(0).U32(0).U32(0).U32(3).U32(0).U32(0).U32(4).U32(0).U32(0);
    b.U32(1).U32(4 * 144).U32(4).U32(30);
    Record776(&b, 10, {{0, 15}, {11, kTypeDiagram}});
    Record776(&b, 15, {{1, 20}, {2, 10}, {11, kTypePart}});
    Record776(&b, 20, {{0, 30}, {2, 10}, {11, kTypePageList}});
    // Word 15 of the file is field 11's word 16 after the shift; the last
    // word lands in word 35; the page number (word 26 now) is word 25 here.
    Record776(&b, 30, {{2, 20}, {11, kTypePage}, {15, 7}, {25, 4}, {34, 99}});
    b.U32(0).Text("");  // the page's empty name
    b.U32(2).U32(0);
    ASSERT_EQ(Read(b), kStatusOk);
    ObjectHandle page = Model_GetFirstPage();
    ASSERT_NE(page, 0u);
    ObjectRecord* record = nullptr;
    Model_GetRecord(page, &record);
    EXPECT_EQ(record->words[15], 0u);
    EXPECT_EQ(record->words[16], 7u);
    EXPECT_EQ(record->words[35], 99u);
    EXPECT_EQ(Model_GetFieldValue(page, Field::kPageNumber), 4u);
}

TEST_F(LayoutTest, UnencodedBigEndianFile)
{
    Bytes b;
    b.U16(0).U16(0x0202).U16(1024).U32(0);
    b.U32(0).U32(0).U32(0).U32(3).U32(0).U32(0).U32(4).U32(0).U32(0);
    b.U32(1).U32(0).U32(2).U32(2);
    auto record = [&](uint32_t handle, std::vector<std::pair<int, uint32_t>> words) {
        uint32_t r[36] = {};
        for (auto [i, v] : words) r[i] = v;
        b.U32(handle);
        for (uint32_t w : r) b.U32(w);
    };
    record(1, {{0, 2}, {11, kTypeDiagram}});
    record(2, {{2, 1}, {11, kTypePart}, {13, 0x01020304}});
    b.U32(2).U32(0);
    ASSERT_EQ(Read(b), kStatusOk);
    ObjectHandle list = Model_GetFirstChild(Model_GetRoot());
    EXPECT_EQ(Model_GetType(list), kTypePart);
    EXPECT_EQ(Model_GetFieldValue(list, Field::kLineWidth), 0x01020304u);
}

// One item of the older tool: 16-bit handle, then the 112-byte record.
struct OldGeometry {
    uint32_t x = 40 << 16, y = 20 << 16, height = 20 << 16, width = 40 << 16;
};

void OldItem(Bytes* b, uint16_t handle, uint16_t child, uint16_t sibling, uint16_t parent, uint32_t typeCode,
             uint32_t shapeCode = 0, uint32_t textMarker = 0, OldGeometry g = {})
{
    b->U16(handle).U16(child).U16(sibling).U16(parent).U16(0x100).U16(0x100).U16(12).U32(textMarker);
    b->U16(10).U16(20).U16(30).U16(60);  // top, left, bottom, right
    b->U32(typeCode);
    b->U32(0).U32(0x10000).U32(0).U32(0).U32(0).U32(shapeCode).U32(0);
    b->U32(g.x).U32(g.y).U32(g.height).U32(g.width);
    b->Zeros(40);
}

// The older tool's file of one page; `textNode` is the geometry of the node
// that holds the text.
Bytes ForeignFile(uint16_t version, OldGeometry textNode = {})
{
    Bytes b;
    b.U16(version).U32(9).Zeros(196).U32(0).Zeros(96).Zeros(120).Zeros(404);
    OldItem(&b, 1, 7, 0, 0, 512);
    OldItem(&b, 7, 0, 2, 1, 0);
    OldItem(&b, 2, 3, 0, 1, 1);
    OldItem(&b, 3, 8, 0, 2, 2);
    b.Raw({1}).Text("Q");
    OldItem(&b, 8, 0, 4, 3, 0);
    OldItem(&b, 4, 6, 5, 3, 0);
    OldItem(&b, 5, 0, 0, 3, 0);
    OldItem(&b, 6, 0, 9, 4, 4, 2, 1, textNode);
    // The text: t0..t4 (t3 the count), style, a dropped byte, u0..u3.
    std::string characters = "A\xC7\xC7" "9\xC8\xC8" "B";
    b.U16(0).U16(0).U16(0).U16(uint16_t(characters.size())).U16(0).Raw({0, 0}).U16(0).U16(0).U16(1).U16(1);
    b.Text(characters);
    OldItem(&b, 9, 0, 0, 4, 4);
    return b;
}

TEST_F(LayoutTest, OlderToolFileBecomesADiagram)
{
    ASSERT_EQ(Read(ForeignFile(23)), kStatusOk);
    ObjectHandle page = Model_GetFirstPage();
    ASSERT_NE(page, 0u);
    EXPECT_EQ(Model_GetType(Model_GetPageList()), kTypePageList);
    char name[kPageNameSize] = {};
    Model_GetPageName(page, name);
    EXPECT_STREQ(name, "Q");
    EXPECT_EQ(Model_GetType(Model_GetNodeList(page)), kTypeNodeList);
    EXPECT_EQ(Model_GetType(Model_GetConnectorList(page)), kTypeConnectorList);
    ObjectHandle node = Model_GetFirstNode(page);
    ASSERT_NE(node, 0u);
    EXPECT_EQ(Model_GetType(node), kTypeNode);
    // The marker became one 0 byte standing for a reference to node 9.
    auto [characters, references] = TextOf(node);
    EXPECT_EQ(characters, std::string("A\0B", 3));
    ASSERT_EQ(references.size(), 1u);
    ObjectHandle referred = Model_GetNextSibling(node);
    EXPECT_EQ(references[0], referred);
    EXPECT_EQ(Text_Referrers(referred), std::vector<ObjectHandle>{node});
}

// A text's frame comes from the node's position and size in the file; words
// at the ends of the range give a frame held to the coordinate range, not one
// that wrapped round.
TEST_F(LayoutTest, OlderToolTextFrameFromExtremeGeometry)
{
    const OldGeometry cases[] = {
        {0x7FFF0000, 0x7FFF0000, 0x7FFF0000, 0x7FFF0000},
        {0x80000000, 0x80000000, 0x7FFFFFFF, 0x7FFFFFFF},
        {0x7FFFFFFF, 0x80000000, 0x80000000, 0x7FFFFFFF},
    };
    for (const OldGeometry& g : cases) {
        SCOPED_TRACE(g.x);
        ASSERT_EQ(Read(ForeignFile(23, g)), kStatusOk);
        ObjectHandle node = Model_GetFirstNode(Model_GetFirstPage());
        ASSERT_NE(node, 0u);
        EXPECT_EQ(TextOf(node).first, std::string("A\0B", 3));
        Model_DestroyTree(Model_GetRoot());
    }
}

TEST_F(LayoutTest, OlderToolVersionsAndTruncation)
{
    EXPECT_EQ(Read(ForeignFile(17)), kStatusUnknownPlatform);
    Bytes whole = ForeignFile(23);
    // Cut inside the object list: the list ends there and what came before
    // is read; cut inside the preamble: the read fails.
    for (size_t length : {size_t{100}, size_t{700}}) {
        Bytes cut;
        cut.data.assign(whole.data.begin(), whole.data.begin() + length);
        KernelStatus status = Read(cut);
        EXPECT_NE(status, kStatusOk) << length;
    }
}

}  // namespace

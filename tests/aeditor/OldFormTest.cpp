// The old raw form of the net data base file, built from its record layouts:
// native numbers, 2-byte counts and text lengths, 32-bit record images.
#include "NetFixture.h"

#include "atolq/CEditor/EditorState.h"
#include "atolq/Utils/HashTable.h"

namespace {

using Bytes = std::vector<uint8_t>;
using se::count;

struct RawOut {
    Bytes b;
    RawOut& raw(const void* p, size_t n)
    {
        auto* bytes = static_cast<const uint8_t*>(p);
        b.insert(b.end(), bytes, bytes + n);
        return *this;
    }
    RawOut& u32(uint32_t v) { return raw(&v, 4); }
    RawOut& u16(uint16_t v) { return raw(&v, 2); }
    RawOut& text(const char* t)
    {
        if (t == nullptr)
            return u16(0);
        u16(static_cast<uint16_t>(std::strlen(t)));
        return raw(t, std::strlen(t));
    }
    RawOut& texts(int n)
    {
        for (int i = 0; i < n; ++i)
            text(nullptr);
        return *this;
    }
    // Record id, image size and an image of the 32-bit layout.
    RawOut& record(uint32_t id, uint16_t kind, uint16_t subKind, std::vector<std::pair<size_t, uint32_t>> words,
                   uint16_t size)
    {
        Bytes image(size, 0);
        std::memcpy(image.data() + 8, &kind, 2);
        std::memcpy(image.data() + 10, &subKind, 2);
        for (auto [offset, value] : words)
            std::memcpy(image.data() + offset, &value, 4);
        u32(id).u16(size);
        return raw(image.data(), image.size());
    }
};

Bytes buildOld(const char* version, uint32_t memberId = 20, uint16_t rootImage = 624)
{
    RawOut w;
    w.raw(version, 4);
    w.record(1, kSERoot, 0, {{32, 1u << 16}}, rootImage);
    // global place fusion set 30
    w.u16(1).record(30, kSEPlaceFusSet, kSEFusGlobal, {{20, 0}}, 60);
    w.text("F").u16(1).u32(memberId).text("dropped").text(nullptr).texts(4);
    w.u16(0);
    // page 10
    w.u16(1).record(10, kSEPage, kSEPortsNone, {{16, 0xe0}, {48, 500}, {84, 3}}, 112);
    w.text("P").u16(0).u16(0).u16(0);
    w.u16(1).record(20, kSEPlace, kSEPlain, {{16, 0x610}, {20, 30}, {40, 501}}, 84);
    w.text("p").text("1`1").text("INT").u16(0).u16(1).u32(40).u16(0).text(nullptr).text(nullptr).texts(4);
    w.u16(1).record(21, kSETrans, kSEPlain, {{16, 0xc}, {44, 502}}, 116);
    w.text("t").text("g").text(nullptr).text(nullptr).text(nullptr).text("old code");
    w.u16(1).record(40, kSEArc, kSEPlaceToTrans, {{16, 20}, {24, 503}}, 64);
    w.text("dropped").text("x").text(nullptr).texts(4);
    w.u16(0).u16(0);
    w.text(nullptr).text(nullptr).u16(1).text("v").text("INT").u32(7).text(nullptr).text("ml").texts(4);
    w.u16(0).u16(0).u16(0).u16(0).text(nullptr).texts(4);
    w.u16(0); // code entries
    w.u16(1).record(50, kSEDeclNode, kSEDeclGlobal, {{16, 504}, {24, 0x1000}}, 76);
    if (std::strcmp(version, "1.0") == 0)
        w.u16(3).raw("abc", 3);
    else
        w.text("D");
    w.text("colset A = int;").text(nullptr).text(nullptr).text(nullptr).texts(4);
    w.u16(0); // check entries
    w.u16(1).u32(12); // value list
    w.u16(1).text("k");
    if (std::strcmp(version, "1.0") != 0 && std::strcmp(version, "1.1") != 0)
        w.text("v");
    w.u32(1).u32(0).text("kept?");
    return w.b;
}

int restore(const Bytes& bytes)
{
    FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    int result = SERestoreDB(f);
    std::fclose(f);
    return result;
}

class OldFormTest : public NetTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(OldFormTest, SmallNetLoads)
{
    const char* version = GetParam();
    ASSERT_EQ(restore(buildOld(version)), 1);
    EXPECT_EQ(SERelinkDB(nullptr), 1);
    EXPECT_STREQ(SEGetDBVersion(), std::string(version, 4).c_str());
    EXPECT_TRUE(root()->flags & kSERootIntegerTime);
    auto* p = reinterpret_cast<SEPage*>(records(root()->pages).front());
    EXPECT_STREQ(p->name, "P");
    EXPECT_EQ(p->pageNumber, 3);
    auto* pl = reinterpret_cast<SEPlace*>(records(p->places).front());
    EXPECT_STREQ(pl->colourSet, "INT");
    EXPECT_STREQ(pl->initMark, "1`1");
    EXPECT_STREQ(pl->fusionSet->name, "F");
    auto* tr = reinterpret_cast<SETrans*>(records(p->transitions).front());
    auto* arc = reinterpret_cast<SEArc*>(records(tr->inputArcs).front());
    EXPECT_EQ(arc->place, pl);
    EXPECT_STREQ(arc->expression, "x");
    EXPECT_STREQ(tr->mlName, "ml");
    bool first = std::strcmp(version, "1.0") == 0;
    EXPECT_STREQ(tr->code, first ? "old code" : nullptr);
    EXPECT_STREQ(tr->text4, first ? nullptr : "old code");
    auto* decl = reinterpret_cast<SEDeclNode*>(records(root()->globalDecls).front());
    EXPECT_STREQ(decl->name, first ? nullptr : "D");
    bool early = first || std::strcmp(version, "1.1") == 0;
    EXPECT_EQ((decl->flags & 0x1000) != 0, !early);
    auto* entry = static_cast<SETableEntry*>(HashLookup(root()->declHashTable, "k"));
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->second, early ? nullptr : "v");
    EXPECT_EQ(DeclsCompiled, 1u);
    // The loaded net saves in the XDR form.
    FILE* f = std::tmpfile();
    EXPECT_EQ(SESaveDB(f), 1);
    std::fclose(f);
}

INSTANTIATE_TEST_SUITE_P(RawVersions, OldFormTest,
                         ::testing::Values("1.0\0", "1.1\0", "1.2\0", "1.51"));

TEST_F(NetTest, DamagedOldFilesFailCleanly)
{
    SERoot* before = root();
    Bytes good = buildOld("1.2\0");
    for (size_t length = 4; length < good.size(); length += 3) {
        EXPECT_EQ(restore(Bytes(good.begin(), good.begin() + length)), 0);
        EXPECT_EQ(takeError(), kSEMsgLoadFailed);
    }
    EXPECT_EQ(restore(buildOld("1.2\0", 99)), 0); // a member that is no record
    EXPECT_EQ(takeError(), kSEMsgLoadFailed);
    EXPECT_EQ(restore(buildOld("1.2\0", 20, 700)), 0); // image larger than the record
    EXPECT_EQ(takeError(), kSEMsgLoadFailed);
    EXPECT_EQ(root(), before);
}

} // namespace

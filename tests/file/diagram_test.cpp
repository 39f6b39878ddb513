// Writing and reading diagram files: round trips of every object kind,
// header and section checks, and damaged or truncated files.
#include <gtest/gtest.h>
#include <wraster.h>

#include <cstring>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "KernelFixture.h"
#include "TextFixture.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kvud/UserData.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/ModelInternal.h"
#include "xkv/model/Picture.h"
#include "xkv/text/Text.h"
#include "xkv/types/PtArray.h"

namespace {

uint32_t ObjectsInUse()
{
    uint32_t count = 0;
    for (ObjectHandle object = 1; object < Model_SlotCount(); ++object) {
        count += ModelInternal_IsInUse(object);
    }
    return count;
}

uint32_t BigEndianWord(const std::vector<uint8_t>& bytes, size_t offset)
{
    return uint32_t{bytes[offset]} << 24 | uint32_t{bytes[offset + 1]} << 16 | uint32_t{bytes[offset + 2]} << 8 |
           bytes[offset + 3];
}

class DiagramFileTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        TextFontSource source{texttest::LoadFixedWidth, texttest::ReleaseFixedWidth, nullptr};
        Text_SetFontSource(&source);
    }
    void TearDown() override
    {
        for (HookId hook : {32u, 38u, 42u, 48u, 59u, 78u, 83u}) {
            Hook_Unregister(hook);
        }
        Text_Shutdown();
        KernelTest::TearDown();
        Text_SetFontSource(nullptr);
    }

    static void Put(ObjectHandle object, const std::string& characters, uint32_t mode)
    {
        ASSERT_EQ(Text_PutString(object, characters.data(), static_cast<uint32_t>(characters.size()), mode),
                  kStatusOk);
    }

    // Gives the object a text of `characters` whose 0 bytes refer to
    // `referred`, as an import would, without the editor's checks.
    static void ImportText(ObjectHandle object, const std::string& characters, std::vector<ObjectHandle> referred)
    {
        uint32_t header[kExportWords] = {};
        header[2] = F(100);
        header[3] = F(40);
        header[7] = static_cast<uint32_t>(referred.size());
        header[9] = 0xFFFFFFFF;
        header[12] = 3;
        header[13] = 12;
        MemHandle bytes = 0, references = 0;
        Mem_AllocCopy(&bytes, characters.data(), characters.size());
        if (!referred.empty()) {
            Mem_AllocCopy(&references, referred.data(), referred.size() * sizeof(ObjectHandle));
        }
        // The import forgets the referrer list; it is freed here.
        if (MemHandle list = Model_GetFieldValue(object, Field::kReferrers); list != 0) {
            Model_SetFieldValue(object, Field::kReferrers, 0);
            Mem_Free(list);
        }
        MemHandle record = 0;
        ASSERT_EQ(Text_Import(object, &record, header, 0, bytes, static_cast<uint32_t>(characters.size()),
                              references),
                  kStatusOk);
        Model_SetFieldValue(object, Field::kText, record);
        Mem_Free(bytes);
        if (references != 0) {
            Mem_Free(references);
        }
    }

    // The nodes of the first page in their order.
    static std::vector<ObjectHandle> Nodes()
    {
        std::vector<ObjectHandle> nodes;
        for (ObjectHandle node = Model_GetFirstNode(Model_GetFirstPage()); node != 0;
             node = Model_GetNextSibling(node)) {
            nodes.push_back(node);
        }
        return nodes;
    }

    static std::vector<ObjectHandle> SortedReferrers(ObjectHandle object)
    {
        std::vector<ObjectHandle> list = Text_Referrers(object);
        std::sort(list.begin(), list.end());
        return list;
    }

    // A diagram with a named page holding every kind of object.
    void BuildSample()
    {
        page_ = Model_NewPage();
        Model_SetFieldValue(page_, Field::kPageNumber, 1);
        Mem_Free(Model_GetFieldValue(page_, Field::kPageName));
        MemHandle name = 0;
        Mem_AllocCopy(&name, "P1", 3);
        Model_SetFieldValue(page_, Field::kPageName, name);

        box_ = NewNodeAt(page_, F(10), F(10), F(50), F(30), 0);
        other_ = NewNodeAt(page_, F(100), F(10), F(140), F(30), 1);
        Put(box_, "ab", 0);
        ASSERT_EQ(Text_InsertReference(box_, other_), kStatusOk);
        Put(box_, "cd", 1);
        MemHandle text = Model_GetFieldValue(box_, Field::kText);
        Text_SetSelection(text, 2, 2);
        Text_SetField77(text, 1000);
        const uint8_t tagged[] = {1, 2, 3, 4, 5};
        ASSERT_TRUE(UD_SetField(box_, 0xF901, tagged, sizeof(tagged)));
        ASSERT_TRUE(UD_SetField(box_, 0xF909, nullptr, 0));

        ObjectHandle raw = NewNodeAt(page_, F(10), F(60), F(30), F(80), 4);
        const uint8_t data[10] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
        Model_SetShapeData(raw, Picture_NewRaw(data, sizeof(data)));

        ObjectHandle image = NewNodeAt(page_, F(40), F(60), F(60), F(80), 4);
        RImage* pixels = RCreateImage(3, 2, 1);
        for (int i = 0; i < 3 * 2 * 4; ++i) {
            pixels->data[i] = static_cast<unsigned char>(i * 10);
        }
        Model_SetShapeData(image, Picture_NewImage(pixels));

        ObjectHandle polygon = NewNodeAt(page_, F(70), F(60), F(90), F(80), 5);
        PtArray points = PtArray_New();
        for (FixPoint p : {FixPoint{F(70), F(60)}, FixPoint{F(90), F(60)}, FixPoint{F(80), F(80)}}) {
            PtArray_Append(points, p);
        }
        Model_SetShapeData(polygon, points);

        connector_ = Model_NewConnector(page_);
        Model_SetFieldValue(connector_, Field::kShapeKind, 9);
        Model_SetConnectorEnds(connector_, box_, other_);
        PtArray path = PtArray_New();
        PtArray_Append(path, FixPoint{F(50), F(20)});
        PtArray_Append(path, FixPoint{F(100), F(20)});
        Model_SetField(connector_, Field::kPath, &path);

        region_ = Model_NewObject(kTypeRegion);
        Model_AppendChild(Model_GetRegionList(other_), region_);
    }

    std::vector<uint8_t> Write(const std::string& path)
    {
        FileHandle file = 0;
        EXPECT_EQ(File_Open(path.c_str(), kOpenWrite, &file), kStatusOk);
        EXPECT_EQ(File_WriteDiagram(file), kStatusOk);
        EXPECT_EQ(File_Close(file), kStatusOk);
        return ReadBytes(path);
    }

    KernelStatus Read(const std::string& path, uint32_t mode, ObjectGroup* open = nullptr)
    {
        FileHandle file = 0;
        EXPECT_EQ(File_Open(path.c_str(), kOpenRead, &file), kStatusOk);
        ObjectGroup group = 0;
        KernelStatus status = File_ReadDiagram(file, mode, &group);
        File_Close(file);
        if (open != nullptr) {
            *open = group;
        } else if (group != 0) {
            Group_Free(group);
        }
        return status;
    }

    // Empties the table so that a read starts as in a fresh session.
    void FreshTable()
    {
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
        Model_DestroyTable();
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
    }

    ObjectHandle FindByShape(ObjectHandle page, uint32_t kind)
    {
        for (ObjectHandle node = Model_GetFirstNode(page); node != 0; node = Model_GetNextSibling(node)) {
            if (Model_GetKind(node) == kind) {
                return node;
            }
        }
        return 0;
    }

    TempDir dir_;
    ObjectHandle page_ = 0, box_ = 0, other_ = 0, connector_ = 0, region_ = 0;
};

TEST_F(DiagramFileTest, RoundTripIsByteIdenticalAndKeepsEveryKind)
{
    BuildSample();
    std::vector<uint8_t> first = Write(dir_.path + "/a.dia");
    ASSERT_GT(first.size(), 16u);
    EXPECT_EQ(BigEndianWord(first, 0), 0xFFFFFFFFu);
    EXPECT_EQ(BigEndianWord(first, 4), 0x0808u);
    EXPECT_EQ(BigEndianWord(first, 8), 1024u);
    EXPECT_EQ(BigEndianWord(first, 12), 0u);

    FreshTable();
    ASSERT_EQ(Read(dir_.path + "/a.dia", 0), kStatusOk);
    std::vector<uint8_t> second = Write(dir_.path + "/b.dia");
    FreshTable();
    ASSERT_EQ(Read(dir_.path + "/b.dia", 0), kStatusOk);
    std::vector<uint8_t> third = Write(dir_.path + "/c.dia");
    EXPECT_EQ(second, third);

    ObjectHandle page = Model_GetFirstPage();
    char name[kPageNameSize] = {};
    Model_GetPageName(page, name);
    EXPECT_STREQ(name, "P1");

    ObjectHandle box = FindByShape(page, 0);
    ObjectHandle other = FindByShape(page, 1);
    ASSERT_NE(box, 0u);
    auto [characters, references] = TextOf(box);
    EXPECT_EQ(characters, std::string("ab\0cd", 5));
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(references[0], other);
    EXPECT_EQ(Text_ReferrerCount(other), 1u);
    EXPECT_EQ(Text_Referrers(other), std::vector<ObjectHandle>{box});
    uint32_t cursor = 0, selectionEnd = 0;
    Text_CursorOffset(box, &cursor, &selectionEnd);
    EXPECT_EQ(cursor, 2u);
    EXPECT_EQ(BlockLock<TextRec>(Model_GetFieldValue(box, Field::kText))->attributeWord, 1000u);
    uint8_t tagged[5] = {};
    EXPECT_TRUE(UD_GetField(box, 0xF901, tagged));
    EXPECT_EQ(tagged[4], 5);
    EXPECT_EQ(UD_CountFields(box), 2u);

    ObjectHandle polygon = FindByShape(page, 5);
    EXPECT_EQ(PtArray_Count(Model_GetFieldValue(polygon, Field::kShapeData)), 3u);

    ObjectHandle connector = Model_GetFirstConnector(page);
    ObjectHandle start = 0, end = 0;
    Model_GetConnectorEnds(connector, &start, &end, 1);
    EXPECT_EQ(start, box);
    EXPECT_EQ(end, other);
    EXPECT_NE(Model_GetFirstChild(Model_GetFirstChild(other)), 0u);  // the region
}

TEST_F(DiagramFileTest, PageNameAndEmptySections)
{
    BuildSample();
    std::vector<uint8_t> bytes = Write(dir_.path + "/a.dia");
    // Section 3 follows section 0: no page has a window.
    uint32_t defaultsLength = BigEndianWord(bytes, 20);
    size_t openPages = 16 + 12 + defaultsLength;
    EXPECT_EQ(BigEndianWord(bytes, openPages), 3u);
    EXPECT_EQ(BigEndianWord(bytes, openPages + 4), 0u);
    EXPECT_EQ(BigEndianWord(bytes, openPages + 12), 4u);
    const uint8_t name[] = {0, 0, 0, 2, 'P', '1', 0, 0};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(name), std::end(name)), bytes.end());
    // The object section's fourth word is the highest handle written.
    size_t objects = openPages + 24;
    EXPECT_EQ(BigEndianWord(bytes, objects), 1u);
    EXPECT_GE(BigEndianWord(bytes, objects + 12), region_);
}

TEST_F(DiagramFileTest, EveryTruncationFailsCleanly)
{
    BuildSample();
    std::vector<uint8_t> bytes = Write(dir_.path + "/a.dia");
    FreshTable();
    std::string path = dir_.path + "/cut.dia";
    const uint32_t before = ObjectsInUse();
    // The last 8 bytes are section 2's header: cutting there fails too.
    for (size_t length = 0; length < bytes.size(); ++length) {
        WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + length));
        ObjectGroup open = 0;
        KernelStatus status = Read(path, 0, &open);
        ASSERT_NE(status, kStatusOk) << "length " << length;
        EXPECT_EQ(open, 0u);
        ASSERT_EQ(ObjectsInUse(), before) << "length " << length;
    }
}

TEST_F(DiagramFileTest, DamagedBytesNeverCrashOrLeak)
{
    BuildSample();
    std::vector<uint8_t> bytes = Write(dir_.path + "/a.dia");
    std::string path = dir_.path + "/bad.dia";
    for (size_t at = 16; at < bytes.size(); ++at) {
        for (uint8_t value : {uint8_t{0xFF}, uint8_t{0x7F}}) {
            std::vector<uint8_t> damaged = bytes;
            damaged[at] = value;
            WriteBytes(path, damaged);
            FreshTable();
            if (Read(path, 0) != kStatusOk) {
                ASSERT_EQ(ObjectsInUse(), 0u) << "byte " << at;
            }
        }
    }
}

struct HeaderCase {
    std::vector<uint8_t> header;
    KernelStatus expected;
};

TEST_F(DiagramFileTest, HeaderChecks)
{
    const HeaderCase cases[] = {
        {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 8, 8, 0, 0, 2, 0xBC, 0, 0, 0, 0}, 12},    // version 700
        {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 8, 8, 0, 0, 4, 0, 0, 0, 0, 3}, 9},        // subset 3
        {{0, 0, 9, 9, 4, 0, 0, 0, 0, 0}, 9},                                      // platform 0x0909
        {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 8, 8, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 5}, 11},  // section type 5
        {{0x17, 0x00, 'x'}, 26},                                                  // older tool, cut short
        {{0x00, 0x05}, 9},                                                        // older tool, version 5
    };
    std::string path = dir_.path + "/h.dia";
    for (const HeaderCase& c : cases) {
        WriteBytes(path, c.header);
        EXPECT_EQ(Read(path, 0), c.expected);
    }
}

uintptr_t gOldVersion[2];
uintptr_t RecordOldVersion(uintptr_t version, uintptr_t current, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    gOldVersion[0] = version;
    gOldVersion[1] = current;
    return 1;
}

uintptr_t Refuse(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

TEST_F(DiagramFileTest, HooksRefuseAndReportOldVersions)
{
    BuildSample();
    Hook_Register(48, Refuse);
    FileHandle file = 0;
    ASSERT_EQ(File_Open((dir_.path + "/r.dia").c_str(), kOpenWrite, &file), kStatusOk);
    EXPECT_EQ(File_WriteDiagram(file), kStatusRefusedByHook);
    File_Close(file);
    Hook_Unregister(48);

    std::vector<uint8_t> bytes = Write(dir_.path + "/a.dia");
    bytes[10] = 0x03;  // version 1000
    bytes[11] = 0xE8;
    WriteBytes(dir_.path + "/old.dia", bytes);
    Hook_Register(59, RecordOldVersion);
    FreshTable();
    EXPECT_EQ(Read(dir_.path + "/old.dia", 0), kStatusOk);
    EXPECT_EQ(gOldVersion[0], 1000u);
    EXPECT_EQ(gOldVersion[1], 1024u);

    Hook_Register(42, Refuse);
    FreshTable();
    EXPECT_EQ(Read(dir_.path + "/a.dia", 0), kStatusRefusedByHook);
    EXPECT_EQ(ObjectsInUse(), 0u);
}

TEST_F(DiagramFileTest, PageFileHoldsSubpagesOnly)
{
    BuildSample();
    ObjectHandle subpage = Model_NewPage();
    Model_SetFieldValue(subpage, Field::kPageNumber, 2);
    ObjectHandle stranger = Model_NewPage();
    Model_SetFieldValue(stranger, Field::kPageNumber, 3);
    NewNodeAt(stranger, F(1), F(1), F(5), F(5), 2);
    Model_SetFieldValue(box_, Field::kSubpage, subpage);

    ObjectGroup pages = Group_NewWith(page_);
    FileHandle file = 0;
    std::string path = dir_.path + "/pages.dia";
    ASSERT_EQ(File_Open(path.c_str(), kOpenWrite, &file), kStatusOk);
    ASSERT_EQ(File_WritePages(file, pages), kStatusOk);
    File_Close(file);
    Group_Free(pages);
    std::vector<uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(BigEndianWord(bytes, 12), 1u);

    // Loaded into the open diagram, its pages take free numbers.
    ASSERT_EQ(Read(path, 1), kStatusOk);
    EXPECT_EQ(Model_CountPages(), 5u);
    std::vector<uint32_t> numbers;
    for (ObjectHandle page = Model_GetFirstPage(); page != 0; page = Model_GetNextSibling(page)) {
        numbers.push_back(Model_GetFieldValue(page, Field::kPageNumber));
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<uint32_t>{1, 2, 3, 4, 5}));
}

// Texts are imported one after another; the referrer counts and lists come
// out right whether a referring text stands before or after the text it
// refers to, and for several references from one text.
TEST_F(DiagramFileTest, ReferrersAreRebuiltAfterTheWholeFileIsRead)
{
    page_ = Model_NewPage();
    std::vector<ObjectHandle> n;
    for (int i = 0; i < 4; ++i) {
        n.push_back(NewNodeAt(page_, F(10 + 50 * i), F(10), F(50 + 50 * i), F(30)));
        Put(n.back(), "t" + std::to_string(i), 0);
    }
    // n0 refers forward to n2 twice, n3 back to n2, n2 back to n1.
    ASSERT_EQ(Text_InsertReference(n[0], n[2]), kStatusOk);
    ASSERT_EQ(Text_InsertReference(n[0], n[2]), kStatusOk);
    ASSERT_EQ(Text_InsertReference(n[3], n[2]), kStatusOk);
    ASSERT_EQ(Text_InsertReference(n[2], n[1]), kStatusOk);
    Write(dir_.path + "/r.dia");

    FreshTable();
    ASSERT_EQ(Read(dir_.path + "/r.dia", 0), kStatusOk);
    std::vector<uint8_t> second = Write(dir_.path + "/s.dia");
    std::vector<ObjectHandle> m = Nodes();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(TextOf(m[0]).second, (std::vector<ObjectHandle>{m[2], m[2]}));
    EXPECT_EQ(TextOf(m[3]).second, (std::vector<ObjectHandle>{m[2]}));
    EXPECT_EQ(TextOf(m[2]).second, (std::vector<ObjectHandle>{m[1]}));
    const uint32_t counts[] = {0, 1, 3, 0};
    std::vector<ObjectHandle> expected[] = {{}, {m[2]}, {m[0], m[0], m[3]}, {}};
    std::sort(expected[2].begin(), expected[2].end());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Text_ReferrerCount(m[i]), counts[i]) << "node " << i;
        EXPECT_EQ(SortedReferrers(m[i]), expected[i]) << "node " << i;
    }
    // The editor goes on from the rebuilt lists: a reference back along the
    // chain is refused, and removing one updates the counts.
    EXPECT_EQ(Text_InsertReference(m[1], m[0]), kStatusReferenceLoop);
    ASSERT_EQ(Text_Unlink(m[2], m[3]), kStatusOk);
    EXPECT_EQ(Text_ReferrerCount(m[2]), 2u);
    EXPECT_EQ(Text_Referrers(m[2]), (std::vector<ObjectHandle>{m[0], m[0]}));
    // Read again, the texts write the same bytes.
    FreshTable();
    ASSERT_EQ(Read(dir_.path + "/s.dia", 0), kStatusOk);
    EXPECT_EQ(Write(dir_.path + "/t.dia"), second);
}

// References that no edit can make come out of a file: to the text's own
// object, and one closing a loop; the first reference of a loop in file order
// stays.
TEST_F(DiagramFileTest, ReferencesClosingALoopAreDroppedOnReading)
{
    page_ = Model_NewPage();
    ObjectHandle a = NewNodeAt(page_, F(10), F(10), F(50), F(30));
    ObjectHandle b = NewNodeAt(page_, F(60), F(10), F(90), F(30));
    ObjectHandle c = NewNodeAt(page_, F(100), F(10), F(140), F(30));
    Put(a, "a", 0);
    ASSERT_EQ(Text_InsertReference(a, b), kStatusOk);
    ImportText(b, std::string("b\0", 2), {a});
    ImportText(c, std::string("c\0\0", 3), {c, c});
    Write(dir_.path + "/loop.dia");

    FreshTable();
    ASSERT_EQ(Read(dir_.path + "/loop.dia", 0), kStatusOk);
    std::vector<ObjectHandle> m = Nodes();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(TextOf(m[0]), (std::pair<std::string, std::vector<ObjectHandle>>{std::string("a\0", 2), {m[1]}}));
    EXPECT_EQ(TextOf(m[1]), (std::pair<std::string, std::vector<ObjectHandle>>{"b", {}}));
    EXPECT_EQ(TextOf(m[2]), (std::pair<std::string, std::vector<ObjectHandle>>{"c", {}}));
    EXPECT_EQ(Text_ReferrerCount(m[0]), 0u);
    EXPECT_EQ(Text_ReferrerCount(m[1]), 1u);
    EXPECT_EQ(Text_ReferrerCount(m[2]), 0u);
    EXPECT_TRUE(Text_Referrers(m[0]).empty());
    EXPECT_TRUE(Text_Referrers(m[2]).empty());
    // The whole text of a can be taken out without running round a loop.
    EXPECT_EQ(Text_Length(m[0], 1, kRefWholeText), 2u);
}

// A page file leaves out pages that are not below the saved ones: a
// reference into them is taken out when the file is loaded.
TEST_F(DiagramFileTest, PageFileReferenceToAPageLeftOutIsDropped)
{
    ObjectHandle saved = Model_NewPage();
    Model_SetFieldValue(saved, Field::kPageNumber, 1);
    ObjectHandle left = Model_NewPage();
    Model_SetFieldValue(left, Field::kPageNumber, 2);
    ObjectHandle a = NewNodeAt(saved, F(10), F(10), F(50), F(30));
    ObjectHandle b = NewNodeAt(saved, F(60), F(10), F(90), F(30));
    ObjectHandle outside = NewNodeAt(left, F(10), F(10), F(50), F(30));
    Put(a, "x", 0);
    ASSERT_EQ(Text_InsertReference(a, outside), kStatusOk);
    ASSERT_EQ(Text_InsertReference(a, b), kStatusOk);
    ObjectGroup pages = Group_NewWith(saved);
    FileHandle file = 0;
    std::string path = dir_.path + "/page.dia";
    ASSERT_EQ(File_Open(path.c_str(), kOpenWrite, &file), kStatusOk);
    ASSERT_EQ(File_WritePages(file, pages), kStatusOk);
    File_Close(file);
    Group_Free(pages);

    FreshTable();
    ASSERT_EQ(Model_NewDiagram(), kStatusOk);
    ASSERT_EQ(Read(path, 1), kStatusOk);
    std::vector<ObjectHandle> m = Nodes();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(TextOf(m[0]), (std::pair<std::string, std::vector<ObjectHandle>>{std::string("x\0", 2), {m[1]}}));
    EXPECT_EQ(Text_ReferrerCount(m[1]), 1u);
    EXPECT_EQ(Text_Referrers(m[1]), std::vector<ObjectHandle>{m[0]});
}

// A picture keeps its stored pixels through load and save cycles, whatever
// display gamma the environment names: gamma is for showing, not for the data.
TEST_F(DiagramFileTest, PicturesSurviveLoadAndSaveCycles)
{
    const char* gammas[] = {nullptr, "1.0", "3.5"};
    for (const char* gamma : gammas) {
        SCOPED_TRACE(gamma != nullptr ? gamma : "unset");
        if (gamma != nullptr) {
            setenv("DISPLAY_GAMMA", gamma, 1);
        } else {
            unsetenv("DISPLAY_GAMMA");
        }
        FreshTable();
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        page_ = Model_NewPage();
        std::vector<std::vector<unsigned char>> pixels;
        for (int alpha : {0, 1}) {
            ObjectHandle node = NewNodeAt(page_, F(10 + 40 * alpha), F(10), F(40 + 40 * alpha), F(40), 4);
            RImage* image = RCreateImage(7, 5, alpha);
            const int size = 7 * 5 * (alpha ? 4 : 3);
            for (int i = 0; i < size; ++i) {
                image->data[i] = static_cast<unsigned char>((i * 37 + 11) % 256);
            }
            pixels.emplace_back(image->data, image->data + size);
            Model_SetShapeData(node, Picture_NewImage(image));
        }
        std::string path = dir_.path + "/p0.dia";
        Write(path);
        std::vector<uint8_t> previous;
        for (int cycle = 1; cycle <= 4; ++cycle) {
            FreshTable();
            ASSERT_EQ(Read(path, 0), kStatusOk) << "cycle " << cycle;
            std::vector<ObjectHandle> nodes = Nodes();
            ASSERT_EQ(nodes.size(), 2u);
            for (size_t i = 0; i < nodes.size(); ++i) {
                BlockLock<PictureRecord> record(Model_GetFieldValue(nodes[i], Field::kShapeData));
                ASSERT_TRUE(record && record->image != nullptr);
                EXPECT_EQ(std::vector<unsigned char>(record->image->data, record->image->data + pixels[i].size()),
                          pixels[i])
                    << "cycle " << cycle << " picture " << i;
            }
            path = dir_.path + "/p" + std::to_string(cycle) + ".dia";
            std::vector<uint8_t> bytes = Write(path);
            if (!previous.empty()) {
                EXPECT_EQ(bytes, previous) << "cycle " << cycle;
            }
            previous = bytes;
        }
    }
    unsetenv("DISPLAY_GAMMA");
}

TEST_F(DiagramFileTest, SaveKeepsTheOldFileAsBackup)
{
    BuildSample();
    std::string path = dir_.path + "/net.dia";
    WriteBytes(path, {1, 2, 3});
    ASSERT_EQ(File_SaveDiagram(path.c_str()), kStatusOk);
    EXPECT_EQ(ReadBytes(path + "~"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(BigEndianWord(ReadBytes(path), 0), 0xFFFFFFFFu);
    EXPECT_FALSE(File_Exists((path + ".tmp").c_str()));
    // A save that fails leaves both files as they were.
    Hook_Register(48, Refuse);
    std::vector<uint8_t> saved = ReadBytes(path);
    EXPECT_EQ(File_SaveDiagram(path.c_str()), kStatusRefusedByHook);
    EXPECT_EQ(ReadBytes(path), saved);
    EXPECT_EQ(ReadBytes(path + "~"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(File_Exists((path + ".tmp").c_str()));
}

}  // namespace

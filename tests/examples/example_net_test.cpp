// The example net of `make run`: make-example-net writes exactly the committed
// bytes (so a change of either file format is noticed), and the committed
// files hold a real net: the net data base names every place, transition,
// arc and declaration node with its texts, and each record's kernel object in
// the diagram file has the shape, text, ends and inscription regions to match.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "process.h"
#include "atolq/AEditor/SENet.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"

namespace tolq::test {
namespace {

const std::string kGenerator = std::string(TOLQ_BIN_DIR) + "/make-example-net";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// ---- regenerating ----

TEST(ExampleFiles, GeneratorWritesTheCommittedBytes)
{
    TempDir dir;
    const std::string path = dir.file("producer-consumer.tolq");
    const ProcessResult r = run_process({kGenerator, path});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    for (const std::string suffix : {"", ".DB"}) {
        const std::string made = read_file(path + suffix);
        ASSERT_FALSE(made.empty()) << suffix;
        EXPECT_TRUE(made == read_file(kExample + suffix))
            << "examples/producer-consumer.tolq" << suffix
            << " differs from what make-example-net writes now; if the format change is intended, run "
               "make-example-net examples/producer-consumer.tolq and commit both files";
    }
}

TEST(ExampleFiles, GeneratorKeepsTheOldFileAsBackup)
{
    TempDir dir;
    const std::string path = dir.file("producer-consumer.tolq");
    write_file(path, "old diagram");
    write_file(path + ".DB", "old net");
    ASSERT_EQ(run_process({kGenerator, path}).exit_status, 0);
    EXPECT_EQ(read_file(path + "~"), "old diagram");
    EXPECT_EQ(read_file(path + ".DB~"), "old net");
    EXPECT_EQ(read_file(path), read_file(kExample));
}

TEST(ExampleFiles, GeneratorRefusesAMissingDirectoryAndWrongArguments)
{
    TempDir dir;
    const ProcessResult missing = run_process({kGenerator, dir.file("no/such/net.tolq")});
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_NE(missing.err.find("make-example-net: the diagram file could not be written"), std::string::npos)
        << missing.err;
    const ProcessResult none = run_process({kGenerator});
    EXPECT_EQ(none.exit_status, 2);
    EXPECT_NE(none.err.find("Usage: make-example-net diagram-file"), std::string::npos) << none.err;
}

// ---- reading the committed net back ----

// One record of the net data base with the kernel object it names (the
// handle as written, and the handle it was read in as).
struct Linked {
    SEHead* record;
    uint32_t written;
    ObjectHandle object = 0;
};

std::vector<Linked>& linked()
{
    static std::vector<Linked> list;
    return list;
}

int CollectLink(uint32_t* object, SEHead* record)
{
    linked().push_back({record, *object});
    return 1;
}

// Hook 32: the diagram's objects are read; the handle map is still alive.
uintptr_t MapLinks(uintptr_t, uintptr_t, uintptr_t, uintptr_t map, uintptr_t, uintptr_t)
{
    for (Linked& link : linked()) {
        link.object = QXStr_MapHandle(static_cast<MemHandle>(map), link.written);
    }
    return 1;
}

std::string Text(ObjectHandle object)
{
    std::string text(1024, '\0');
    uint32_t length = static_cast<uint32_t>(text.size());
    if (QXText_GetText(object, text.data(), &length) == 0) {
        return {};
    }
    text.resize(std::min<size_t>(length, text.size()));
    return text;
}

// A text of the abstract net (kept by the net; null is empty).
std::string Owned(const char* text)
{
    return text != nullptr ? text : "";
}

// The texts of an object's regions by region kind.
std::map<uint32_t, std::string> RegionTexts(ObjectHandle object)
{
    std::map<uint32_t, std::string> texts;
    uint16_t count = 0;
    ObjectHandle* regions = nullptr;
    if (QXStr_GetRegionList(object, &count, &regions) == 0 || regions == nullptr) {
        return texts;
    }
    for (uint16_t i = 0; i < count; ++i) {
        uint32_t kind = 0;
        QXRdAttr_GetRegionKind(regions[i], &kind);
        texts[kind] = Text(regions[i]);
    }
    QXMem_Free(regions);
    return texts;
}

class CommittedNet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        SEInitPools();
        ASSERT_NE(SEStart(), nullptr);
        linked().clear();

        FILE* db = std::fopen((kExample + ".DB").c_str(), "rb");
        ASSERT_NE(db, nullptr);
        const int restored = SERestoreDB(db);
        std::fclose(db);
        ASSERT_EQ(restored, 1);
        ASSERT_EQ(SERelinkDB(CollectLink), 1);

        Hook_Register(32, MapLinks);
        FileHandle file = 0;
        ASSERT_EQ(File_Open(kExample.c_str(), kOpenRead, &file), kStatusOk);
        ObjectGroup pages = 0;
        const KernelStatus read = File_ReadDiagram(file, 0, &pages);
        File_Close(file);
        if (pages != 0) {
            Group_Free(pages);
        }
        ASSERT_EQ(read, kStatusOk);
        for (const Linked& link : linked()) {
            byKind_[link.record->kind].push_back(link);
        }
    }
    void TearDown() override
    {
        Hook_Unregister(32);
        SEFreeDB();
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }

    // The linked record of the kind whose name is `name`.
    const Linked* Named(uint16_t kind, const std::string& name)
    {
        for (const Linked& link : byKind_[kind]) {
            if (Owned(SEGetName(link.record)) == name) {
                return &link;
            }
        }
        return nullptr;
    }

    std::map<uint16_t, std::vector<Linked>> byKind_;
};

TEST_F(CommittedNet, HasOnePageNamedAfterTheFile)
{
    ASSERT_EQ(byKind_[kSEPage].size(), 1u);
    const Linked& page = byKind_[kSEPage][0];
    EXPECT_EQ(Owned(SEGetName(page.record)), "producer-consumer");
    EXPECT_EQ(QXRdAttr_GetObjectType(page.object), kQXKindPage);
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    ASSERT_EQ(QXRdAttr_GetPageAttr(page.object, name, &number, &width, &height, &border), 1u);
    EXPECT_STREQ(name, "producer-consumer");
    EXPECT_EQ(number, 1);
}

struct PlaceCase {
    const char* name;
    const char* colourSet;
    const char* initialMarking;
};

TEST_F(CommittedNet, PlacesAreEllipsesWithColourSetAndInitialMarking)
{
    const PlaceCase cases[] = {{"Next", "INT", "1`1"}, {"Buffer", "INT", "1`0"}};
    EXPECT_EQ(byKind_[kSEPlace].size(), std::size(cases));
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Linked* place = Named(kSEPlace, c.name);
        ASSERT_NE(place, nullptr);
        EXPECT_EQ(Owned(SEGetColourSet(place->record)), c.colourSet);
        EXPECT_EQ(Owned(SEGetInitMark(place->record)), c.initialMarking);
        ASSERT_NE(place->object, 0u);
        EXPECT_EQ(QXRdAttr_GetShape(place->object), 2);
        EXPECT_EQ(Text(place->object), c.name);
        const std::map<uint32_t, std::string> regions = RegionTexts(place->object);
        EXPECT_EQ(regions.at(4097), c.colourSet);
        EXPECT_EQ(regions.at(4098), c.initialMarking);
    }
}

TEST_F(CommittedNet, TransitionsAreBoxesAndProduceHasItsGuard)
{
    const std::pair<const char*, const char*> cases[] = {{"Produce", "[n < 10]"}, {"Consume", ""}};
    EXPECT_EQ(byKind_[kSETrans].size(), std::size(cases));
    for (const auto& [name, guard] : cases) {
        SCOPED_TRACE(name);
        const Linked* trans = Named(kSETrans, name);
        ASSERT_NE(trans, nullptr);
        EXPECT_EQ(Owned(SEGetGuard(trans->record)), guard);
        ASSERT_NE(trans->object, 0u);
        EXPECT_EQ(QXRdAttr_GetShape(trans->object), 1);
        EXPECT_EQ(Text(trans->object), name);
        const std::map<uint32_t, std::string> regions = RegionTexts(trans->object);
        if (guard[0] != '\0') {
            EXPECT_EQ(regions.at(4104), guard);
        } else {
            EXPECT_EQ(regions.count(4104), 0u);
        }
    }
}

struct ArcCase {
    const char* from;
    const char* to;
    const char* expression;
};

TEST_F(CommittedNet, ArcsJoinTheirPlaceAndTransitionInTheirDirection)
{
    const ArcCase cases[] = {
        {"Next", "Produce", "n"}, {"Produce", "Next", "n + 1"}, {"Produce", "Buffer", "n"}, {"Buffer", "Consume", "n"}};
    ASSERT_EQ(byKind_[kSEArc].size(), std::size(cases));
    for (const ArcCase& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        const bool fromPlace = Named(kSEPlace, c.from) != nullptr;
        const Linked* place = Named(kSEPlace, fromPlace ? c.from : c.to);
        const Linked* trans = Named(kSETrans, fromPlace ? c.to : c.from);
        ASSERT_NE(place, nullptr);
        ASSERT_NE(trans, nullptr);
        const Linked* found = nullptr;
        for (const Linked& arc : byKind_[kSEArc]) {
            const auto* record = reinterpret_cast<const SEArc*>(arc.record);
            if (&record->place->head == place->record && record->head.owner == trans->record &&
                record->head.subKind == (fromPlace ? kSEPlaceToTrans : kSETransToPlace)) {
                found = &arc;
            }
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(Owned(SEGetArcExpr(found->record)), c.expression);
        ASSERT_NE(found->object, 0u);
        EXPECT_EQ(QXRdAttr_GetObjectType(found->object), kQXKindConnector);
        ObjectHandle start = 0, end = 0;
        ASSERT_EQ(QXRdAttr_GetConnEnds(found->object, 0, &start, &end), 1u);
        EXPECT_EQ(start, fromPlace ? place->object : trans->object);
        EXPECT_EQ(end, fromPlace ? trans->object : place->object);
        EXPECT_EQ(QXRdAttr_GetDirection(found->object), 1u);  // an arrow head at the second end
        EXPECT_EQ(RegionTexts(found->object).at(4108), c.expression);
    }
}

TEST_F(CommittedNet, GlobalDeclarationNodeHoldsTheDeclarations)
{
    const std::string declarations = "color INT = int;\nvar n : INT;";
    ASSERT_EQ(byKind_[kSEDeclNode].size(), 1u);
    const Linked& node = byKind_[kSEDeclNode][0];
    EXPECT_EQ(node.record->subKind, 1);  // global
    EXPECT_EQ(Owned(SEGetDeclText(node.record)), declarations);
    ASSERT_NE(node.object, 0u);
    EXPECT_EQ(Text(node.object), declarations);
}

}  // namespace
}  // namespace tolq::test

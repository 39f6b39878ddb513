// The text engine without X: references with their referrer lists and cycle
// refusal (the referrer count always equals the number of references),
// re-pointing after a copy, search and replace, bracket and pair search,
// export and import round trips with untrusted input, loading into nodes,
// and the hooks of edit sessions and fitting.
#include "TextFixture.h"

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/ModelMap.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextFind.h"

using namespace texttest;

namespace {

class EngineTest : public TextFixture {
protected:
    void TearDown() override
    {
        for (HookId hook : {HOOK_TEXT_END_EDIT, HOOK_TEXT_FIT, kHookTextReplace, kHookTextReplaced}) {
            Hook_Unregister(hook);
        }
        Text_LeaveEditing();
        TextFixture::TearDown();
    }

    std::string Marker(ObjectHandle object) { return "<<" + std::to_string(object & 0xffff) + ">>"; }

    void SetCursor(ObjectHandle object, int32_t offset)
    {
        ASSERT_EQ(Text_SetSelection(TextOf(object), offset, offset), kStatusOk);
    }
};

// ---- References ----

TEST_F(EngineTest, AReferenceShowsItsObjectAndListsItsReferrer)
{
    ObjectHandle a = NodeWithText(40);
    ObjectHandle b = NodeWithText(40);
    Put(a, "see ");
    ASSERT_EQ(Text_InsertReference(a, b), kStatusOk);
    EXPECT_EQ(Whole(a), "see " + Marker(b));
    EXPECT_EQ(Whole(a, kRefZeroByte), std::string("see \0", 5));
    EXPECT_EQ(Text_ReferrerCount(b), 1u);
    EXPECT_EQ(Text_Referrers(b), std::vector<ObjectHandle>{a});
    EXPECT_EQ(Text_OwnReferenceCount(a), 1u);
    SetCursor(a, 4);
    EXPECT_EQ(Text_ReferenceAtCursor(a), b);
    SetCursor(a, 3);
    EXPECT_EQ(Text_ReferenceAtCursor(a), 0u);
}

TEST_F(EngineTest, ReferencesThatWouldCloseACycleAreRefused)
{
    ObjectHandle a = NodeWithText(40);
    ObjectHandle b = NodeWithText(40);
    ObjectHandle c = NodeWithText(40);
    ASSERT_EQ(Text_InsertReference(a, b), kStatusOk);
    ASSERT_EQ(Text_InsertReference(b, c), kStatusOk);
    EXPECT_EQ(Text_InsertReference(b, a), kStatusReferenceLoop);
    EXPECT_EQ(Text_InsertReference(c, a), kStatusReferenceLoop) << "through b";
    EXPECT_EQ(Text_InsertReference(a, a), kStatusReferenceLoop);
    EXPECT_EQ(Text_InsertReference(a, c), kStatusOk) << "a second path is no cycle";
    EXPECT_EQ(Text_InsertReference(0, c), kStatusFailed) << "nothing is being edited";
    for (ObjectHandle o : {a, b, c}) {
        ExpectReferrersConsistent(o);
    }
}

TEST_F(EngineTest, ReferrerListsFollowInsertionAndRemoval)
{
    ObjectHandle a = NodeWithText(40);
    ObjectHandle b = NodeWithText(40);
    ObjectHandle d = NodeWithText(40);
    ASSERT_EQ(Text_InsertReference(a, b), kStatusOk);
    ASSERT_EQ(Text_InsertReference(d, b), kStatusOk);
    EXPECT_EQ(Text_Referrers(b), (std::vector<ObjectHandle>{d, a}));
    EXPECT_EQ(Text_ReferrerCount(b), 2u);
    SetCursor(d, 0);
    ObjectHandle removed = 0;
    ASSERT_EQ(Text_RemoveReference(d, &removed), kStatusOk);
    EXPECT_EQ(removed, b);
    EXPECT_EQ(Whole(d), "");
    EXPECT_EQ(Text_Referrers(b), std::vector<ObjectHandle>{a});
    EXPECT_EQ(Text_ReferrerCount(b), 1u);
    Put(d, "plain");
    SetCursor(d, 1);
    EXPECT_EQ(Text_RemoveReference(d, &removed), kStatusNoReference);
    EXPECT_EQ(Whole(d), "plain");
    EXPECT_EQ(Text_RemoveReference(Model_NewNode(page), &removed), kStatusNoText);
    ExpectReferrersConsistent(b);
}

TEST_F(EngineTest, TheReferrerCountAlwaysEqualsTheNumberOfReferences)
{
    ObjectHandle target = NodeWithText(40);
    std::vector<ObjectHandle> texts;
    for (int i = 0; i < 4; ++i) {
        texts.push_back(NodeWithText(13));
        Put(texts.back(), "word word ");
    }
    // Several references from one text, references moved by cutting and
    // clearing, texts cleared and objects deleted.
    for (ObjectHandle t : texts) {
        ASSERT_EQ(Text_InsertReference(t, target), kStatusOk);
        ASSERT_EQ(Text_InsertReference(t, target), kStatusOk);
        ExpectReferrersConsistent(target);
    }
    ASSERT_EQ(Text_SelectAll(texts[0]), kStatusOk);
    Text_Clear(TextOf(texts[0]));  // a selection holding references stays
    ExpectReferrersConsistent(target);
    Put(texts[1], "", 0);
    ExpectReferrersConsistent(target);
    ASSERT_EQ(Text_Delete(texts[2]), kStatusOk);
    ExpectReferrersConsistent(target);
    ASSERT_EQ(Core_DeleteObject(texts[3], 0), kStatusOk);
    ExpectReferrersConsistent(target);
    EXPECT_EQ(Text_ReferrerCount(target), 2u);
    ASSERT_EQ(Core_DeleteObject(target, 0), kStatusOk);
    EXPECT_EQ(Whole(texts[0]).find("<<"), std::string::npos) << "references to a deleted object go";
}

TEST_F(EngineTest, CopyingReferringTextsRepointsThemAtTheCopies)
{
    ObjectHandle a = NodeWithText(40);
    ObjectHandle b = NodeWithText(40);
    ObjectHandle c = NodeWithText(40);
    Put(a, "to ");
    ASSERT_EQ(Text_InsertReference(a, b), kStatusOk);
    Put(a, " and ");
    ASSERT_EQ(Text_InsertReference(a, c), kStatusOk);
    // Copy a and b together; c stays behind.
    ObjectHandle aCopy = NewNodeAt(page, 0, 0, F(40), F(100));
    ObjectHandle bCopy = NewNodeAt(page, 0, 0, F(40), F(100));
    ASSERT_EQ(Text_CopyToObject(a, aCopy), kStatusOk);
    ASSERT_EQ(Text_CopyToObject(b, bCopy), kStatusOk);
    MemHandle map = 0;
    ASSERT_EQ(ModelMap_Create(&map, 4), kStatusOk);
    ModelMap_Add(map, a, aCopy);
    ModelMap_Add(map, b, bCopy);
    ASSERT_EQ(Text_RemapReferences(map, aCopy, TextOf(aCopy)), kStatusOk);
    ASSERT_EQ(Text_RemapReferences(map, bCopy, TextOf(bCopy)), kStatusOk);
    ModelMap_Destroy(map);
    EXPECT_EQ(Whole(aCopy), "to " + Marker(bCopy) + " and ");
    EXPECT_EQ(Whole(a), "to " + Marker(b) + " and " + Marker(c));
    EXPECT_EQ(Text_Referrers(bCopy), std::vector<ObjectHandle>{aCopy});
    for (ObjectHandle o : {a, b, c, aCopy, bCopy}) {
        ExpectReferrersConsistent(o);
    }
    EXPECT_EQ(Text_ReferrerCount(c), 1u) << "dropping the copied reference to c counts down once";
}

TEST_F(EngineTest, MovingTheSelectionCarriesItsReferences)
{
    ObjectHandle a = NodeWithText(40);
    ObjectHandle b = NodeWithText(40);
    ObjectHandle target = NodeWithText(40);
    Put(a, "x ");
    ASSERT_EQ(Text_InsertReference(a, b), kStatusOk);
    Put(a, " y");
    Text_StartEdit(a);
    ASSERT_EQ(Text_SetSelection(TextOf(a), 2, 3), kStatusOk);
    EXPECT_EQ(Text_MoveSelectionTo(b), kStatusReferenceLoop) << "b would refer to itself";
    ASSERT_EQ(Text_MoveSelectionTo(target), kStatusOk);
    EXPECT_EQ(Whole(a), "x  y");
    EXPECT_EQ(Whole(target), Marker(b));
    EXPECT_EQ(Text_Referrers(b), std::vector<ObjectHandle>{target});
    ExpectReferrersConsistent(b);
}

TEST_F(EngineTest, BracketSelectionFindsThePairingClose)
{
    std::vector<uint8_t> settings(244, 0);
    std::memcpy(settings.data() + 84, "(", 1);
    std::memcpy(settings.data() + 164, ")", 1);
    ObjectHandle node = NodeWithText(40);
    Put(node, "f(a(b)c)d");
    SetCursor(node, 1);
    ASSERT_EQ(Text_SelectBracketed(node, settings.data()), kStatusOk);
    EXPECT_EQ(Cursor(node), 1u);
    EXPECT_EQ(SelectionEnd(node), 8u);
    SetCursor(node, 0);
    ASSERT_EQ(Text_SelectBracketed(node, settings.data()), kStatusOk);
    EXPECT_EQ(SelectionEnd(node), 0u) << "no open bracket at the cursor";

    uint32_t start = 0;
    bool seen = false;
    EXPECT_EQ(Text_FindPair("x{a{b}c}y", 9, &start, "{", "}", &seen), 8u);
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(Text_FindPair("x|ab|c", 6, &start, "|", "|", &seen), 5u) << "equal markers: the next one closes";
    EXPECT_EQ(Text_FindPair("x{ab", 4, &start, "{", "}", &seen), 0u);
    EXPECT_TRUE(seen);
}

// ---- Search and replace ----

TEST_F(EngineTest, TheMatcherFindsTheShortestTrailingMatch)
{
    ObjectHandle node = NodeWithText(40);
    Put(node, "aab");
    uint32_t pass = Text_NewFindPass();
    EXPECT_EQ(Text_FindInText(node, "ab", nullptr, 1, 0, 0, 0, pass), node);
    EXPECT_EQ(Cursor(node), 1u);
    EXPECT_EQ(SelectionEnd(node), 3u);
    pass = Text_NewFindPass();
    EXPECT_EQ(Text_FindInText(node, "ab", "X", 1, 1, 0, 0, pass), node);
    EXPECT_EQ(Whole(node), "aX");
}

TEST_F(EngineTest, SearchFoldsCaseOnlyWhenAsked)
{
    ObjectHandle node = NodeWithText(60);
    Put(node, "hello HELLO HeLLo");
    struct Case {
        uint32_t matchCase;
        uint32_t start;
    };
    for (Case c : {Case{0, 0}, Case{1, 12}}) {
        SetCursor(node, 0);
        EXPECT_EQ(Text_FindInText(node, "HeLLo", nullptr, c.matchCase, 0, 0, 0, Text_NewFindPass()), node);
        EXPECT_EQ(Cursor(node), c.start);
    }
}

TEST_F(EngineTest, MatchesCrossWrappedAndHardLineEnds)
{
    ObjectHandle node = NodeWithText(13);
    Put(node, "hello world\nnext");
    ASSERT_EQ(Lines(node).front(), (Line{"hello ", kEndWrapped}));
    EXPECT_EQ(Text_FindInText(node, "o w", nullptr, 1, 0, 0, 0, Text_NewFindPass()), node);
    EXPECT_EQ(Cursor(node), 4u);
    EXPECT_EQ(Text_FindInText(node, "d\nn", nullptr, 1, 0, 0, 0, Text_NewFindPass()), node);
    EXPECT_EQ(Cursor(node), 10u);
    EXPECT_EQ(Text_FindInText(node, "xyz", nullptr, 1, 0, 0, 0, Text_NewFindPass()), 0u);
}

TEST_F(EngineTest, FindAgainContinuesAfterTheMatchThenMovesOn)
{
    ObjectHandle first = NodeWithText(40);
    ObjectHandle second = NodeWithText(40);
    Put(first, "ab ab");
    Put(second, "ab");
    FindSettings settings{};
    std::strcpy(settings.search, "ab");
    settings.scope = 1;
    settings.matchCase = 1;
    ObjectHandle found = 0;
    ASSERT_EQ(Text_FindFrom(page, &settings, 0, &found), kStatusOk);
    ObjectHandle firstFound = found;
    ASSERT_NE(firstFound, 0u);
    uint32_t firstCursor = Cursor(firstFound);
    std::vector<std::pair<ObjectHandle, uint32_t>> hits{{found, Cursor(found)}};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(Text_FindFrom(page, &settings, 1, &found), kStatusOk);
        if (found == 0) {
            break;
        }
        hits.emplace_back(found, Cursor(found));
    }
    EXPECT_EQ(hits.size(), 3u) << "three matches in the page, each once";
    EXPECT_EQ(hits[0], (std::pair<ObjectHandle, uint32_t>{firstFound, firstCursor}));
    std::sort(hits.begin(), hits.end());
    EXPECT_EQ(hits, (std::vector<std::pair<ObjectHandle, uint32_t>>{{first, 0}, {first, 3}, {second, 0}}));
}

TEST_F(EngineTest, ReplaceAllReplacesEveryMatchInScopeAndCountsThem)
{
    ObjectHandle first = NodeWithText(40);
    ObjectHandle second = NodeWithText(40);
    Put(first, "cat and cat");
    Put(second, "a cat");
    FindSettings settings{};
    std::strcpy(settings.search, "cat");
    std::strcpy(settings.replacement, "dog");
    settings.scope = 0;
    settings.matchCase = 1;
    settings.replaceMode = 2;
    ObjectHandle found = 0;
    Text_ResetFindCount();
    ASSERT_EQ(Text_FindFrom(0, &settings, 0, &found), kStatusOk);
    ASSERT_EQ(Text_FindFrom(0, &settings, 0, &found), kStatusOk);  // the second page run finds nothing new
    EXPECT_EQ(Whole(first), "dog and dog");
    EXPECT_EQ(Whole(second), "a dog");
    EXPECT_EQ(Text_FindReplacementCount(), 3u);
    ASSERT_EQ(Text_FindFrom(0, &settings, 1, &found), kStatusOk);
    EXPECT_EQ(found, 0u) << "Find Again after Replace All does nothing";
}

uintptr_t Refuse(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

int replacedCalls = 0;
uintptr_t CountReplaced(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    ++replacedCalls;
    return 1;
}

TEST_F(EngineTest, HooksAroundReplacement)
{
    ObjectHandle node = NodeWithText(40);
    Put(node, "one one");
    ASSERT_EQ(Hook_Register(kHookTextReplace, Refuse), kStatusOk);
    EXPECT_EQ(Text_FindInText(node, "one", "two", 1, 2, 0, 0, Text_NewFindPass()), 0u);
    EXPECT_EQ(Whole(node), "one one");
    Hook_Unregister(kHookTextReplace);
    replacedCalls = 0;
    ASSERT_EQ(Hook_Register(kHookTextReplaced, CountReplaced), kStatusOk);
    EXPECT_EQ(Text_FindInText(node, "one", "two", 1, 2, 0, 0, Text_NewFindPass()), node);
    EXPECT_EQ(Whole(node), "two two");
    EXPECT_EQ(replacedCalls, 2);
}

TEST_F(EngineTest, SearchFollowsReferencesWhenAsked)
{
    ObjectHandle outer = NodeWithText(40);
    ObjectHandle inner = NodeWithText(40);
    Put(inner, "needle");
    Put(outer, "hay ");
    ASSERT_EQ(Text_InsertReference(outer, inner), kStatusOk);
    SetCursor(outer, 0);
    EXPECT_EQ(Text_FindInText(outer, "needle", nullptr, 1, 0, 0, 0, Text_NewFindPass()), 0u);
    EXPECT_EQ(Text_FindInText(outer, "needle", nullptr, 1, 0, 1, 0, Text_NewFindPass()), inner);
    EXPECT_EQ(Cursor(inner), 0u);
    EXPECT_EQ(SelectionEnd(inner), 6u);
}

TEST_F(EngineTest, SelectToString)
{
    ObjectHandle node = NodeWithText(40);
    Put(node, "abc def ghi");
    SetCursor(node, 2);
    ASSERT_EQ(Text_SelectToString(node, "ef"), kStatusOk);
    EXPECT_EQ(Cursor(node), 2u);
    EXPECT_EQ(SelectionEnd(node), 7u);
    EXPECT_EQ(Text_SelectToString(node, ""), kStatusNoString);
    EXPECT_EQ(Text_SelectToString(node, nullptr), kStatusNoString);
    EXPECT_EQ(Text_SelectToString(Model_NewNode(page), "x"), kStatusNoText);
}

// ---- Export and import ----

struct Exported {
    uint32_t header[17]{};
    std::string characters;
    std::vector<ObjectHandle> references;
};

Exported ExportText(MemHandle text)
{
    Exported out;
    uint32_t second = 1;
    MemHandle characters = 0;
    MemHandle references = 0;
    uint32_t count = 0;
    EXPECT_EQ(Text_Export(text, out.header, &second, &characters, &count, &references), kStatusOk);
    EXPECT_EQ(second, 0u);
    if (characters != 0) {
        char* bytes = nullptr;
        Mem_LockAs(characters, &bytes);
        out.characters.assign(bytes, count);
        Mem_Unlock(characters);
        Mem_Free(characters);
    }
    if (references != 0) {
        ObjectHandle* handles = nullptr;
        Mem_LockAs(references, &handles);
        out.references.assign(handles, handles + out.header[7]);
        Mem_Unlock(references);
        Mem_Free(references);
    }
    return out;
}

KernelStatus ImportText(ObjectHandle object, const Exported& in, uint32_t count)
{
    MemHandle characters = 0;
    MemHandle references = 0;
    if (!in.characters.empty()) {
        Mem_AllocCopy(&characters, in.characters.data(), in.characters.size());
    }
    if (!in.references.empty()) {
        Mem_AllocCopy(&references, in.references.data(), in.references.size() * sizeof(ObjectHandle));
    }
    MemHandle made = 0;
    KernelStatus status = Text_Import(object, &made, in.header, 0, characters, count, references);
    if (characters != 0) {
        Mem_Free(characters);
    }
    if (references != 0) {
        Mem_Free(references);
    }
    return status;
}

TEST_F(EngineTest, ExportAndImportRoundTrip)
{
    ObjectHandle referred = NodeWithText(40);
    ObjectHandle other = NodeWithText(40);
    struct Case {
        const char* name;
        std::string text;
        int32_t from;
        int32_t to;
        bool references;
    };
    const Case cases[] = {
        {"empty", "", 0, 0, false},
        {"cursor only", "abc\ndef", 5, 5, false},
        {"selection over a line break", "first line\nsecond", 3, 14, false},
        {"wrapped lines", "several words that wrap in a narrow frame", 10, 20, false},
        {"with references", "x y z", 2, 4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ObjectHandle source = NodeWithText(13, 2);
        Put(source, c.text);
        if (c.references) {
            SetCursor(source, 1);
            ASSERT_EQ(Text_InsertReference(source, referred), kStatusOk);
            SetCursor(source, 4);
            ASSERT_EQ(Text_InsertReference(source, other), kStatusOk);
        }
        ASSERT_EQ(Text_SetSelection(TextOf(source), c.from, c.to), kStatusOk);
        Text_SetField77(TextOf(source), 0x1234);
        Exported out = ExportText(TextOf(source));
        EXPECT_EQ(out.header[9], c.to > c.from ? uint32_t(c.to - c.from) : 0xffffffffu);
        EXPECT_EQ(out.header[12], 3u);
        EXPECT_EQ(out.header[13], 12u);
        EXPECT_EQ(out.header[15], 2u);
        EXPECT_EQ(out.header[16], 0x1234u);
        if (c.references) {
            EXPECT_EQ(out.header[7], 2u);
            EXPECT_EQ(out.references, (std::vector<ObjectHandle>{referred, other}));
            EXPECT_EQ(std::count(out.characters.begin(), out.characters.end(), '\0'), 2);
        }
        ObjectHandle copy = NewNodeAt(page, 0, 0, F(13), F(100));
        ASSERT_EQ(ImportText(copy, out, static_cast<uint32_t>(out.characters.size())), kStatusOk);
        EXPECT_EQ(Whole(copy, kRefDisplay), Whole(source, kRefDisplay));
        EXPECT_EQ(Lines(copy), Lines(source));
        EXPECT_EQ(Cursor(copy), Cursor(source));
        EXPECT_EQ(SelectionEnd(copy), SelectionEnd(source));
        uint32_t alignment = 0;
        Text_GetAlignment(TextOf(copy), &alignment);
        EXPECT_EQ(alignment, 2u);
        EXPECT_EQ(Rec(TextOf(copy))->attributeWord, 0x1234u);
    }
    ExpectReferrersConsistent(referred);
    ExpectReferrersConsistent(other);
}

TEST_F(EngineTest, ImportChecksWhatTheFileSays)
{
    ObjectHandle referred = NodeWithText(40);
    ObjectHandle source = NodeWithText(40);
    Put(source, "abcdef");
    SetCursor(source, 3);
    ASSERT_EQ(Text_InsertReference(source, referred), kStatusOk);
    Exported good = ExportText(TextOf(source));
    auto count = static_cast<uint32_t>(good.characters.size());

    Exported tooManyReferences = good;
    tooManyReferences.header[7] = 5;
    tooManyReferences.references.assign(5, referred);
    ObjectHandle copy = NewNodeAt(page, 0, 0, F(40), F(100));
    EXPECT_EQ(ImportText(copy, tooManyReferences, count), kStatusBadArgument);
    EXPECT_EQ(TextOf(copy), 0u) << "nothing half-built stays";

    Exported missingReferences = good;
    missingReferences.references.clear();
    EXPECT_EQ(ImportText(copy, missingReferences, count), kStatusBadArgument);

    EXPECT_EQ(ImportText(copy, good, count + 100), kStatusBadArgument) << "count beyond the characters";

    Exported farCursor = good;
    farCursor.header[8] = 1000;
    farCursor.header[9] = 0xffffffff;
    ASSERT_EQ(ImportText(copy, farCursor, count), kStatusOk);
    EXPECT_EQ(Cursor(copy), count);

    Exported longSelection = good;
    longSelection.header[8] = 2;
    longSelection.header[9] = 500;
    ASSERT_EQ(ImportText(copy, longSelection, count), kStatusOk);
    EXPECT_EQ(Cursor(copy), 2u);
    EXPECT_EQ(SelectionEnd(copy), count) << "the selection is clipped to the end of the text";
}

// ---- Loading into nodes ----

std::vector<uint8_t> LoadSettings(double width, uint32_t maxBlock, const char* open, const char* close,
                                  uint32_t threshold)
{
    std::vector<uint8_t> record(244, 0);
    Fixed w = F(width);
    Fixed h = F(width);
    std::memcpy(record.data() + 24, &w, 4);
    std::memcpy(record.data() + 28, &h, 4);
    std::memcpy(record.data() + 44, &maxBlock, 4);
    std::memcpy(record.data() + 48, open, std::strlen(open));
    std::memcpy(record.data() + 64, close, std::strlen(close));
    std::memcpy(record.data() + 80, &threshold, 4);
    return record;
}

TEST_F(EngineTest, LoadingInBlocksMakesARowOfReferredNodes)
{
    ObjectHandle node = NodeWithText(40);
    std::vector<uint8_t> settings = LoadSettings(0.5, 100, "", "", 30);
    std::string file(250, 'x');
    file[10] = '\x01';  // dropped
    ASSERT_EQ(Text_LoadBlocks(node, settings.data(), file.data(), static_cast<uint32_t>(file.size())), kStatusOk);
    std::string shown = Whole(node, kRefZeroByte);
    ASSERT_EQ(shown, std::string(3, '\0'));
    std::vector<ObjectHandle> blocks;
    for (ObjectHandle o = 1; o < Model_SlotCount(); ++o) {
        if (Model_IsObject(o) && Model_IsNode(o) && o != node && TextOf(o) != 0 && Text_FirstReferrer(o) == node) {
            blocks.push_back(o);
        }
    }
    ASSERT_EQ(blocks.size(), 3u);
    std::vector<size_t> lengths;
    Fixed left = 0;
    for (ObjectHandle block : blocks) {
        lengths.push_back(Whole(block).size());
        FixRect box{};
        Model_GetField(block, Field::kBox, &box);
        EXPECT_EQ(box.top, F(103));
        EXPECT_EQ(box.right - box.left, F(20)) << "width 0.5 gives 20.0 by 20.0";
        EXPECT_EQ(box.left, left);
        left = box.right + F(3);
        ExpectReferrersConsistent(block);
    }
    std::sort(lengths.begin(), lengths.end());
    EXPECT_EQ(lengths, (std::vector<size_t>{49, 100, 100}));
}

TEST_F(EngineTest, StructuredLoadingMovesLongRegionsIntoNodes)
{
    ObjectHandle node = NodeWithText(40);
    std::vector<uint8_t> settings = LoadSettings(30, 10000, "{", "}", 8);
    std::string file = "a{short}b{long region {inner region}}c";
    ASSERT_EQ(Text_LoadStructured(node, settings.data(), file.data(), static_cast<uint32_t>(file.size())),
              kStatusOk);
    std::string top = Whole(node, kRefZeroByte);
    EXPECT_EQ(top, std::string("a{short}b\0c", 11));
    ObjectHandle block = 0;
    for (ObjectHandle o = 1; o < Model_SlotCount(); ++o) {
        if (Model_IsObject(o) && TextOf(o) != 0 && Text_FirstReferrer(o) == node) {
            block = o;
        }
    }
    ASSERT_NE(block, 0u);
    EXPECT_EQ(Whole(block, kRefZeroByte), std::string("{long region \0}", 15));

    ObjectHandle unclosed = NodeWithText(40);
    std::string broken = "x{never closed";
    EXPECT_EQ(Text_LoadStructured(unclosed, settings.data(), broken.data(), static_cast<uint32_t>(broken.size())),
              kStatusUnpairedMarkers);
    EXPECT_EQ(Whole(unclosed), broken) << "loaded all the same";
}

TEST_F(EngineTest, DeeplyNestedRegionsDoNotRecurseWithoutBound)
{
    ObjectHandle node = NodeWithText(40);
    std::vector<uint8_t> settings = LoadSettings(30, 10000, "(", ")", 0);
    std::string file = std::string(300, '(') + "core" + std::string(300, ')');
    EXPECT_EQ(Text_LoadStructured(node, settings.data(), file.data(), static_cast<uint32_t>(file.size())), kStatusOk);
}

// ---- Sessions and hooks ----

std::vector<std::pair<uintptr_t, uintptr_t>> endEdits;
uintptr_t RecordEndEdit(uintptr_t object, uintptr_t changed, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    endEdits.emplace_back(object, changed);
    return 1;
}

TEST_F(EngineTest, Hook76FiresOnceAtTheEndOfEachEdit)
{
    ObjectHandle a = NodeWithText(40);
    ObjectHandle b = NodeWithText(40);
    endEdits.clear();
    ASSERT_EQ(Hook_Register(HOOK_TEXT_END_EDIT, RecordEndEdit), kStatusOk);
    Text_StartEdit(a);
    EXPECT_EQ(Text_EditingState(), kEditingText);
    EXPECT_EQ(TextWidget_EditedObject(), a);
    Text_StartEdit(a);
    EXPECT_TRUE(endEdits.empty()) << "the text already edited: no hook";
    Put(a, "typed");
    Text_StartEdit(b);
    ASSERT_EQ(endEdits.size(), 1u);
    EXPECT_EQ(endEdits[0], (std::pair<uintptr_t, uintptr_t>{a, 1}));
    Text_LeaveEditing();
    ASSERT_EQ(endEdits.size(), 2u);
    EXPECT_EQ(endEdits[1], (std::pair<uintptr_t, uintptr_t>{b, 0}));
    EXPECT_EQ(Text_EditingState(), kEditingNone);
    Text_LeaveEditing();
    EXPECT_EQ(endEdits.size(), 2u);
}

uintptr_t NarrowTheBox(uintptr_t, uintptr_t box, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    reinterpret_cast<FixRect*>(box)->right = F(13);
    return 1;
}

TEST_F(EngineTest, Hook56MayChangeTheBoxATextIsFittedTo)
{
    ObjectHandle node = NodeWithText(40);
    Put(node, "hello world");
    ASSERT_EQ(Lines(node).size(), 1u);
    ASSERT_EQ(Hook_Register(HOOK_TEXT_FIT, NarrowTheBox), kStatusOk);
    ASSERT_EQ(Text_FitToObject(node), kStatusOk);
    EXPECT_EQ(Rec(TextOf(node))->frameWidth, F(13));
    EXPECT_EQ(Lines(node).size(), 2u);
    Hook_Unregister(HOOK_TEXT_FIT);
    FixRect tiny{0, 0, 0x100, 0x100};
    Model_SetField(node, Field::kBox, &tiny);
    ASSERT_EQ(Text_FitToObject(node), kStatusOk);
    EXPECT_EQ(Rec(TextOf(node))->frameWidth, 0x8000);
}

TEST_F(EngineTest, CutCopyAndPasteThroughTheSelectionBuffer)
{
    ObjectHandle a = NodeWithText(40);
    ObjectHandle b = NodeWithText(40);
    Put(a, "copy me");
    ASSERT_EQ(Text_SetSelection(TextOf(a), 5, 7), kStatusOk);
    ASSERT_EQ(Text_CopyObject(a), kStatusOk);
    EXPECT_EQ(std::string(Text_SelectionBuffer().begin(), Text_SelectionBuffer().end()), "me");
    ASSERT_EQ(Text_PasteObject(b), kStatusOk);
    EXPECT_EQ(Whole(b), "me");
    ASSERT_EQ(Text_SetSelection(TextOf(a), 0, 5), kStatusOk);
    ASSERT_EQ(Text_CutObject(a), kStatusOk);
    EXPECT_EQ(Whole(a), "me");
    EXPECT_EQ(std::string(Text_SelectionBuffer().begin(), Text_SelectionBuffer().end()), "copy ");
    ASSERT_EQ(Text_CopyObject(a), kStatusOk);  // no selection: the buffer is marked empty
    EXPECT_EQ(Text_SelectionBufferEmpty(), 1u);
    ASSERT_EQ(Text_PasteObject(b), kStatusOk);
    EXPECT_EQ(Whole(b), "me");
}

}  // namespace

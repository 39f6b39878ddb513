// Colour-set texts built from entries, and what a colour set keeps when its
// kind changes.
#include "DeclFixture.h"

namespace {

SEDeclEntry* colorSet(const char* name, uint16_t kind)
{
    SEDeclEntry* e = DENewEntry(kDEColorSet);
    e->name = static_cast<char*>(QXMem_Alloc(64));
    std::snprintf(e->name, 64, "%s", name);
    DECSKind(e) = kind;
    return e;
}

void setPart(SEDeclEntry* e, int i, const char* text)
{
    e->texts[i] = static_cast<char*>(QXMem_Alloc(64));
    std::snprintf(e->texts[i], 64, "%s", text);
}

std::vector<std::string> list(LMList* l)
{
    std::vector<std::string> out;
    if (l != nullptr)
        for (void* c = l->first; c != nullptr; c = static_cast<LMLink*>(c)->next)
            out.emplace_back(static_cast<const char*>(static_cast<LMValueCell*>(c)->value));
    return out;
}

using ColorSetTest = DeclTest;

TEST_F(ColorSetTest, BoolWithOnlyTheFalseNameLeavesTheParenthesisOpen)
{
    SEDeclEntry* e = colorSet("B", kCSBool);
    setPart(e, 0, "no");
    EXPECT_EQ(DEColorSetText(e), "colorset B = bool with (no;");
    setPart(e, 1, "yes");
    EXPECT_EQ(DEColorSetText(e), "colorset B = bool with (no, yes);");
    DEFreeEntry(e);
}

TEST_F(ColorSetTest, IntInfIsWrittenByItsWord)
{
    EXPECT_STREQ(DEColorSetWord(kCSIntInf), "IntInf");
    EXPECT_EQ(DEColorSetKind("IntInf"), kCSIntInf);
    EXPECT_EQ(DEColorSetKind("subset"), kCSSubsetFun);
    EXPECT_EQ(DEColorSetKind(""), 0);
    EXPECT_EQ(DEColorSetKind("INT"), 0);
}

TEST_F(ColorSetTest, RecordPartsNeedEqualCounts)
{
    SEDeclEntry* e = colorSet("R", kCSRecord);
    DEAppendText(DELabels(e), "a");
    DEAppendText(DELabels(e), "b");
    DEAppendText(DEColorSets(e), "A");
    EXPECT_EQ(DEColorSetText(e), "colorset R = record;");
    DEAppendText(DEColorSets(e), "B");
    EXPECT_EQ(DEColorSetText(e), "colorset R = record a:A * b:B;");
    DEFreeEntry(e);
}

TEST_F(ColorSetTest, CommentIsWrappedUnlessItIsOne)
{
    SEDeclEntry* e = colorSet("T", kCSTime);
    DEComment(e) = static_cast<char*>(QXMem_Alloc(32));
    std::snprintf(DEComment(e), 32, "the clock");
    EXPECT_EQ(DEColorSetText(e), "colorset T = time;\n(* the clock *)");
    std::snprintf(DEComment(e), 32, "(* as is *)");
    EXPECT_EQ(DEColorSetText(e), "colorset T = time;\n(* as is *)");
    DEFreeEntry(e);
}

TEST_F(ColorSetTest, RecordToUnionKeepsRowsAndToIntDropsThem)
{
    SEDeclEntry* e = colorSet("R", kCSRecord);
    DEAppendText(DELabels(e), "a");
    DEAppendText(DEColorSets(e), "A");
    DEAppendText(DELabels(e), "b");
    DEAppendText(DEColorSets(e), "B");
    DEChangeColorSetKind(e, kCSUnion);
    EXPECT_EQ(DEColorSetText(e), "colorset R = union a:A + b:B;");
    DEChangeColorSetKind(e, kCSProduct);
    EXPECT_EQ(DEColorSetText(e), "colorset R = product A * B;") << "a product keeps only the colour sets";
    DEChangeColorSetKind(e, kCSRecord);
    EXPECT_EQ(list(DELabels(e)), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(list(DEColorSets(e)), (std::vector<std::string>{"", ""}));
    DEChangeColorSetKind(e, kCSInt);
    EXPECT_EQ(DELabels(e), nullptr);
    EXPECT_EQ(DEColorSets(e), nullptr);
    EXPECT_EQ(DEColorSetText(e), "colorset R = int;");
    DEFreeEntry(e);
}

TEST_F(ColorSetTest, SubsetsKeepTheirBaseAndDropValuesAndTexts)
{
    SEDeclEntry* e = colorSet("S", kCSSubsetList);
    DEAppendText(DEColorSets(e), "INT");
    DEAppendText(DELabels(e), "1");
    DEChangeColorSetKind(e, kCSSubsetFun);
    EXPECT_EQ(list(DEColorSets(e)), (std::vector<std::string>{"INT"}));
    EXPECT_EQ(DELabels(e), nullptr);
    setPart(e, 0, "even");
    EXPECT_EQ(DEColorSetText(e), "colorset S = subset INT by even;");
    DEChangeColorSetKind(e, kCSList);
    EXPECT_EQ(e->texts[0], nullptr);
    EXPECT_EQ(DEColorSets(e), nullptr);
    DEFreeEntry(e);
}

TEST_F(ColorSetTest, ConvertedKindChangeRewritesTheRegion)
{
    convert("colorset A = int; colorset R = record a:A * b:A;");
    SEDeclEntry* r = entryNamed("R");
    ASSERT_NE(r, nullptr);
    DEChangeColorSetKind(r, kCSUnion);
    DERewriteEntryText(r);
    EXPECT_EQ(textOf(r->kvObject), "colorset R = union a:A + b:A;");
}

} // namespace

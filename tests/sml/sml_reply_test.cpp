// Readers of reply texts and the classification of an older evaluator's
// messages, on reply files built in memory.
#include "atolq/Utils/QXMem.h"
#include "sml_fixture.h"

namespace {

using sml_test::File;

// A string from the readers, freed with the reader memory.
struct Text {
    char* text = nullptr;
    ~Text() { QXMem_Free(text); }
    std::string value() const { return text ? text : "<null>"; }
};

struct IntCase {
    const char* name;
    std::string reply;
    int result;
    uint32_t value;
};

class GetIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(GetIntTest, ReadsDigitsBetweenMarkers) {
    File reply(GetParam().reply);
    uint32_t value = 12345;
    EXPECT_EQ(SMLGetInt(reply.get(), &value), GetParam().result);
    if (GetParam().result == 0) {
        EXPECT_EQ(value, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, GetIntTest,
    ::testing::Values(IntCase{"Plain", "noise\00642\006", 0, 42}, IntCase{"Empty", "\006\006", 0, 0},
                      IntCase{"Largest", "\0064294967295\006", 0, 4294967295u},
                      IntCase{"Overflow", "\0064294967296\006", -8, 0}, IntCase{"Letter", "\0064x2\006", -8, 0},
                      IntCase{"Sign", "\006~3\006", -8, 0}, IntCase{"Unended", "\00642", -8, 0},
                      IntCase{"NoMarker", "42", -9, 0}, IntCase{"EmptyReply", "", -9, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyReaders, GetTextReadsSuccessiveValues) {
    File reply("\r\006first\006 and \006\006\006unended");
    Text a, b, c;
    EXPECT_EQ(SMLGetText(reply.get(), &a.text), 0);
    EXPECT_EQ(a.value(), "first");
    EXPECT_EQ(SMLGetText(reply.get(), &b.text), 0);
    EXPECT_EQ(b.value(), "");
    EXPECT_EQ(SMLGetText(reply.get(), &c.text), -8);
    EXPECT_EQ(SMLGetText(reply.get(), &c.text), -9);
    EXPECT_EQ(c.text, nullptr);
}

TEST(ReplyReaders, ReadStringGivesTheLength) {
    File reply(std::string("x\005two words\005", 12));
    Text text;
    EXPECT_EQ(SMLReadString(reply.get(), &text.text, 5, 5), 9);
    EXPECT_EQ(text.value(), "two words");
}

TEST(ReplyReaders, TripleReadsTwoTextsAndANumber) {
    File reply("\006INT\006\006int\006\0060\006");
    SMLTriple triple{};
    ASSERT_EQ(SMLReadTriple(reply.get(), &triple), 0);
    EXPECT_STREQ(triple.first, "INT");
    EXPECT_STREQ(triple.second, "int");
    EXPECT_EQ(triple.number, 0u);
    QXMem_Free(triple.first);
    QXMem_Free(triple.second);
}

TEST(ReplyReaders, FailedTripleFreesWhatItRead) {
    // The leak checker catches strings left behind.
    File reply("\006INT\006\006int\006\006zero\006");
    SMLTriple triple{};
    EXPECT_EQ(SMLReadTriple(reply.get(), &triple), -8);
    EXPECT_EQ(triple.first, nullptr);
    EXPECT_EQ(triple.second, nullptr);
}

TEST(ReplyReaders, SectionStringLiesBetweenOpenAndClose) {
    struct Case {
        std::string reply;
        int result;
        const char* text;
    } cases[] = {
        {"pre\002 Unhandled \006Div\006 raised\002 post", 3, "Div"},
        {"\002 no value \002 later \006x\006", -9, nullptr},
        {"no open \006x\006", -8, nullptr},
        {"\002 \006unended", -8, nullptr},
        {"\002 \006x\006 unclosed", -8, nullptr},
    };
    for (const Case& c : cases) {
        File reply(c.reply);
        Text text;
        EXPECT_EQ(SMLReadSectionString(reply.get(), &text.text, 2, 2, 6, 6), c.result) << c.reply;
        if (c.text) {
            EXPECT_EQ(text.value(), c.text);
        }
    }
}

TEST(ReplyReaders, ReaderAllocatorIsUsed) {
    static int allocations = 0;
    SMLSetReaderAllocator(
        [](uint32_t size) {
            ++allocations;
            return QXMem_Alloc(size);
        },
        QXMem_Free);
    File reply("\006v\006");
    Text text;
    EXPECT_EQ(SMLGetText(reply.get(), &text.text), 0);
    SMLSetReaderAllocator(nullptr, nullptr);
    EXPECT_EQ(allocations, 1);
}

struct ClassifyCase {
    const char* name;
    std::string reply;
    int result;
    const char* restOfReply; // what the caller reads from the moved position
};

class ClassifyTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyTest, LinesAreMatchedAgainstTheTable) {
    File reply(GetParam().reply);
    EXPECT_EQ(SMLClassifyReply(reply.get()), GetParam().result);
    if (GetParam().restOfReply) {
        std::string rest;
        for (int c = MemFileGetc(reply.get()); c != -1; c = MemFileGetc(reply.get())) rest += static_cast<char>(c);
        EXPECT_EQ(rest, GetParam().restOfReply);
    }
}

INSTANTIATE_TEST_SUITE_P(
    OldEvaluator, ClassifyTest,
    ::testing::Values(
        ClassifyCase{"ErrorWithColon", "\rval x\rError in decl: unbound x\rmore", -4, "bound x\rmore"},
        ClassifyCase{"ErrorFollowedByLineNumber", "\rError:12 unbound\r", 0, nullptr},
        ClassifyCase{"ErrorWithoutColon", "\rError in decl\r", 0, nullptr},
        ClassifyCase{"Lexical", "\r\r\rLexical analysis error at 3: bad char\rx", -2, nullptr},
        ClassifyCase{"Parse", "\rParse error: near val\r", -2, nullptr},
        ClassifyCase{"ParseWithoutError", "\rParse ok: fine\r", 0, nullptr},
        ClassifyCase{"Failure", "\rFailure raised: Div", -5, "e raised: Div"},
        ClassifyCase{"System", "\r  System Error: Io\r", -5, nullptr},
        ClassifyCase{"TypeClash", "\rType clash in f: int and bool", -2, nullptr},
        ClassifyCase{"TypeChecking", "\r\tType checking error in g: x", -2, nullptr},
        ClassifyCase{"TypeOther", "\rType is: int\r", 0, nullptr},
        ClassifyCase{"FileNotOpened", "\r[File \"a.sml\" cannot be opened]: x", -5, nullptr},
        ClassifyCase{"FileNameOverLine", "\r[File \"a\rb\" cannot be opened]", 0, nullptr},
        ClassifyCase{"FirstLineIsNotALine", "Error in x: y", 0, nullptr},
        ClassifyCase{"LongWordIsCut", "\rErrorsAndMore in x: y", 0, nullptr},
        ClassifyCase{"NothingToFind", "\rval x = 1 : int\r", 0, nullptr},
        ClassifyCase{"Empty", "", 0, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

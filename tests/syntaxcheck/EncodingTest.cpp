// The encodings of texts sent to the evaluator: the input channel's pieces
// and the ML string literal.
#include <gtest/gtest.h>

#include <string>

#include "atolq/ConvertToSim/CTSCheck.h"

namespace {
std::string contents(MemFile* f)
{
    std::string out;
    MemFileRewind(f);
    for (int c; (c = MemFileGetc(f)) >= 0;)
        out += static_cast<char>(c);
    return out;
}
std::string input(const std::string& text)
{
    MemFile* f = MemFileCreate();
    CTSWriteInputText(text.data(), static_cast<uint32_t>(text.size()), f);
    std::string s = contents(f);
    MemFileDestroy(f);
    return s;
}
std::string literal(const std::string& text)
{
    MemFile* f = MemFileCreate();
    CTSWriteMLString(text.data(), static_cast<uint32_t>(text.size()), f);
    std::string s = contents(f);
    MemFileDestroy(f);
    return s;
}
} // namespace

TEST(InputText, PiecesOf253Bytes)
{
    EXPECT_EQ(input(""), "\004\n");
    EXPECT_EQ(input(std::string(252, 'a')), std::string(252, 'a') + "\004\n");
    EXPECT_EQ(input(std::string(253, 'a')), std::string(253, 'a') + "\006\n\004\n");
    EXPECT_EQ(input(std::string(300, 'b')), std::string(253, 'b') + "\006\n" + std::string(47, 'b') + "\004\n");
}

TEST(InputText, OnlyPrintableAsciiTabsAndLineEndsPass)
{
    EXPECT_EQ(input("a\tb\nc\rd\001e\x7f" "f\xc3\xa9g\006"), "a\tb\nc\rdefg\004\n");
}

TEST(InputText, LongerThan65535Bytes)
{
    std::string text(70000, 'z');
    std::string out = input(text);
    size_t pieces = 70000 / 253;
    EXPECT_EQ(out.size(), 70000 + pieces * 2 + 2);
    EXPECT_EQ(out.substr(out.size() - 2), "\004\n");
}

TEST(MLString, QuotesAndBackslashesAreEscaped)
{
    EXPECT_EQ(literal("a\"b\\c"), "(\"a\\\"b\\\\c\")");
    EXPECT_EQ(literal(""), "(\"\")");
}

TEST(MLString, LongTextsAreContinued)
{
    std::string out = literal(std::string(300, 'q'));
    EXPECT_EQ(out, "(\"" + std::string(253, 'q') + "\"^\n\"" + std::string(47, 'q') + "\")");
}

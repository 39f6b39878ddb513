// The reader's scanner on a table of inputs: tokens and values, skipped
// comments, root tags and ignored regions, entities, line counting, overflow.
#include <gtest/gtest.h>

#include "Interchange/XmlScanner.h"

#include <string>

namespace {

// The tokens of an input, one word each, and the final line counter.
std::string scanAll(const std::string& input, int* line = nullptr) {
    XmlScanner scanner(input);
    std::string out;
    for (int guard = 0; guard < 100000; ++guard) {
        int token = scanner.next();
        std::string word;
        switch (token) {
            case kXmlTokEnd: if (line) *line = scanner.line(); return out;
            case kXmlTokError: if (line) *line = scanner.line(); return out + "ERR";
            case kXmlTokStartTag: word = "S:" + scanner.value(); break;
            case kXmlTokEndTag: word = "E:" + scanner.value(); break;
            case kXmlTokOptId: word = "I:" + scanner.value(); break;
            case kXmlTokOptVal: word = "V:" + scanner.value(); break;
            case kXmlTokTextBegin: word = "TB"; break;
            case kXmlTokTextEnd: word = "TE"; break;
            case kXmlTokTextLine: word = "TL:" + scanner.value(); break;
            default: word = std::string(1, static_cast<char>(token));
        }
        out += word + "|";
    }
    return out + "LOOP";
}

struct ScanCase {
    const char* what;
    std::string input;
    std::string tokens;
    int line;
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.what; }

class ScannerCases : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScannerCases, GivesTokensAndLines) {
    const auto& c = GetParam();
    int line = 0;
    EXPECT_EQ(scanAll(c.input, &line), c.tokens);
    EXPECT_EQ(line, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScannerCases,
    ::testing::Values(
        ScanCase{"start tag with quoted attributes", "<place id=\"id7\" x='1'>", "S:place|I:id|=|V:id7|I:x|=|V:1|>|", 1},
        ScanCase{"empty element ends with >", "<posattr x=\"1.5\"/>", "S:posattr|I:x|=|V:1.5|>|", 1},
        ScanCase{"end tag", "</place>", "E:place|", 1},
        ScanCase{"declaration and root tags are skipped",
                 "<?xml version=\"1.0\"?>\n<tolqet>\n<page>\n</page>\n</TolqET>\n", "S:page|>|E:page|", 6},
        ScanCase{"root tag in mixed case is skipped", "<ToLqEt><a></a>", "S:a|>|E:a|", 1},
        ScanCase{"root tag with a blank is a start tag", "<tolqet >", "S:tolqet|>|", 1},
        ScanCase{"comment is skipped and counts its lines", "<!-- one\ntwo -->\n<a>", "S:a|>|", 3},
        ScanCase{"comment ends at the last marker on its line", "<!-- x --> <b> <!-- y --><a>", "S:a|>|", 1},
        ScanCase{"ignored region is skipped with its end tag", "<ignore><a>\n</a></ignore><b>", "S:b|>|", 2},
        ScanCase{"ignored region in any case", "<IGNORE><a></Ignore><b>", "S:b|>|", 1},
        ScanCase{"text block on one line", "<text>a &lt; b</text>", "TB|TL:a < b|TE|", 1},
        ScanCase{"TEXT in capitals opens a text block", "<TEXT>x</TEXT>", "TB|TL:x|TE|", 1},
        ScanCase{"text lines keep their newlines", "<text>one\ntwo\n</text>", "TB|TL:one\n|TL:two\n|TE|", 3},
        ScanCase{"text block ends at the last end marker", "<text>a</text>b</text>", "TB|TL:a</text>b|TE|", 1},
        ScanCase{"unquoted value stops before >", "<a x=abc/>", "S:a|I:x|=|V:abc/|>|", 1},
        ScanCase{"unquoted wedge angles", "<wedge startAngle=30 endAngle=90/>",
                 "S:wedge|I:startAngle|=|V:30|I:endAngle|=|V:90/|>|", 1},
        ScanCase{"quoted value over two lines does not count", "<a x=\"1\n2\">\n", "S:a|I:x|=|V:1\n2|>|", 2},
        ScanCase{"closed quote wins over a longer bare value", "<a x='1'2>", "S:a|I:x|=|V:1|I:2|>|", 1},
        ScanCase{"unclosed quote reads as bare value", "<a x=\"1 y>", "S:a|I:x|=|V:\"1|I:y|>|", 1},
        ScanCase{"entities in values; other ampersands stay", "<a v=\"&quot;&amp;lt;&apos;&gt;&x\"/>",
                 "S:a|I:v|=|V:\"&lt;'&gt;&x|>|", 1},
        ScanCase{"underscore in a tag name", "<a_b>", "S:a|I:b|>|", 1},
        ScanCase{"end tag with a blank is skipped", "</a b>", "", 1},
        ScanCase{"stray characters between tags are skipped", "x > = \" <a>", "S:a|>|", 1},
        ScanCase{"names keep their case", "<Page ID=\"x\"></PAGE>", "S:Page|I:ID|=|V:x|>|E:PAGE|", 1},
        ScanCase{"unfinished comment at the end", "<!-- never closed", "", 1},
        ScanCase{"unfinished text block drops its last line", "<text>abc", "TB|", 0}));

TEST(Scanner, OverlongTextLineFailsCleanly) {
    XmlScanner scanner("<text>" + std::string(20000, 'x') + "</text>");
    EXPECT_EQ(scanner.next(), kXmlTokTextBegin);
    EXPECT_EQ(scanner.next(), kXmlTokError);
    EXPECT_EQ(scanner.error(), kXmlOverflowMessage);
    EXPECT_EQ(scanner.next(), kXmlTokError);
}

TEST(Scanner, LongestTokenThatFitsIsAccepted) {
    std::string value(kXmlMaxTokenLength - 2, 'v');
    EXPECT_EQ(scanAll("<a x=\"" + value + "\">"), "S:a|I:x|=|V:" + value + "|>|");
    EXPECT_EQ(scanAll("<a x=\"" + value + "vv\">"), "S:a|I:x|=|ERR");
}

TEST(Scanner, OverlongCommentLineFailsButManyShortLinesDoNot) {
    EXPECT_EQ(scanAll("<!--" + std::string(20000, 'c') + "-->"), "ERR");
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "comment line\n";
    int line = 0;
    EXPECT_EQ(scanAll("<!--" + many + "--><a>", &line), "S:a|>|");
    EXPECT_EQ(line, 3001);
}

}  // namespace

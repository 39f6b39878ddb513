// xmlfilter as a program: standard input in, standard output and exit status out.
#include <gtest/gtest.h>

#include "process.h"

#include <string>

namespace tolq::test {
namespace {

ProcessResult filter(const std::string& input) {
    ProcessOptions options;
    options.stdin_data = input;
    return run_process({std::string(TOLQ_BIN_DIR) + "/xmlfilter"}, options);
}

struct FilterCase {
    const char* what;
    std::string input;
    std::string output;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.what; }

class XmlFilterCases : public ::testing::TestWithParam<FilterCase> {};

TEST_P(XmlFilterCases, FiltersAsExpected) {
    const auto& c = GetParam();
    auto r = filter(c.input);
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.out, c.output);
    EXPECT_EQ(r.err, "");
}

const FilterCase kCases[] = {
    {"empty input", "", ""},
    {"declaration and stray text pass", "<?xml version=\"1.0\"?>\n&lt; x > y\n", "<?xml version=\"1.0\"?>\n&lt; x > y\n"},
    {"root tags vanish in any case", "<ToLqEt>\n<page>\n</page>\n</TOLQET>\n", "\n<page>\n</page>\n\n"},
    {"root tag with a blank is an ordinary tag", "<tolqet >\n</tolqet >\n", "<tolqet >\n</tolqet >\n"},
    {"attribute value is un-escaped", "<page name=\"a&lt;b\">", "<page name=\"a<b\">"},
    {"single-quoted value", "<page name='&apos;x&apos; &amp; y'>", "<page name=''x' & y'>"},
    {"unquoted value", "<wedge start=a&amp;b end=60>", "<wedge start=a&b end=60>"},
    {"quoted value spans lines", "<a b=\"x\n&amp;\">", "<a b=\"x\n&\">"},
    {"element and attribute names untouched", "<a&lt; b&amp;=\"1\">", "<a&lt; b&amp;=\"1\">"},
    {"empty element without attributes", "<label/>\n", "<label>\n"},
    {"empty element after a blank", "<node id=\"1\" />\n", "<node id=\"1\" >\n"},
    {"empty element right after a quoted value", "<port type=\"in\"/>\n", "<port type=\"in\">\n"},
    {"empty element right after an unquoted value", "<wedge start=30 end=60/>\n", "<wedge start=30 end=60>\n"},
    {"end tags are copied", "</page>\n", "</page>\n"},
    {"text block line with quotes", "<text>&quot;x&quot;</text>\n", "<text>\"x\"</text>\n"},
    {"text block over several lines", "<text>a &amp;\nb &lt;\n</text>\n", "<text>a &\nb <\n</text>\n"},
    {"text block ends at the last end tag of a line", "<text>a&lt;</text>b&amp;</text>\n",
     "<text>a<</text>b&</text>\n"},
    {"replaced characters are not examined again", "<text>&amp;lt; &gt; &x;</text>", "<text>&lt; &gt; &x;</text>"},
    {"escapes outside text and values are copied", "<page>&lt;&amp;</page>", "<page>&lt;&amp;</page>"},
    {"comments are copied unchanged", "<!-- a=\"&lt;\" <text>&amp;</text> -->\n", "<!-- a=\"&lt;\" <text>&amp;</text> -->\n"},
    {"comment over several lines", "<!-- &lt;\n&amp; --><text>&lt;</text>", "<!-- &lt;\n&amp; --><text><</text>"},
    {"ignored region is copied and not nested", "<ignore>&lt;<ignore>\n<text>&amp;</text></ignore><text>&amp;</text>",
     "<ignore>&lt;<ignore>\n<text>&amp;</text></ignore><text>&</text>"},
    {"unterminated quoted value", "<a b=\"abc", "<a b=\"abc"},
    {"tags after a comment end on the same line", "<!-- x --><a b=\"&lt;\"/>", "<!-- x --><a b=\"<\">"},
};

INSTANTIATE_TEST_SUITE_P(Rules, XmlFilterCases, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FilterCase>& info) {
                             std::string name = info.param.what;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// A single token that does not fit into the scanner's fixed buffer is fatal.
TEST(XmlFilter, LongTokenOverflowsBuffer) {
    const char* kinds[][2] = {
        {"<!-- ", " -->\n"},
        {"<text>", "</text>\n"},
        {"<ignore>", "</ignore>\n"},
        {"<a b=\"", "\">\n"},
    };
    for (const auto& kind : kinds) {
        auto r = filter(std::string(kind[0]) + std::string(20000, 'a') + kind[1]);
        EXPECT_EQ(r.exit_status, 2) << kind[0];
        EXPECT_EQ(r.err, "input buffer overflow, can't enlarge buffer because scanner uses REJECT\n") << kind[0];
    }
}

// Long input made of short tokens streams through the fixed buffer.
TEST(XmlFilter, LongInputOfShortTokens) {
    std::string line = "<text>a &amp; b</text><n v=\"&lt;\"/>\n";
    std::string expected_line = "<text>a & b</text><n v=\"<\">\n";
    std::string input, expected;
    for (int i = 0; i < 5000; ++i) {
        input += line;
        expected += expected_line;
    }
    input += std::string(100000, 'z');
    expected += std::string(100000, 'z');
    auto r = filter(input);
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out, expected);
}

// A line just under the buffer size still fits.
TEST(XmlFilter, TextLineNearBufferSizeFits) {
    std::string body(16000, 'q');
    auto r = filter("<text>" + body + "&lt;\n</text>");
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.out, "<text>" + body + "<\n</text>");
}

} // namespace
} // namespace tolq::test

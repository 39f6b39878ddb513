// The grammar and the tag-cell tree, from small files made here: pairing of
// tags, attribute elements, text blocks, unknown and badly nested elements,
// parse errors and the option walk's order.
#include "fixture.h"

namespace interchange_test {
namespace {

using TreeTest = ReaderFixture;

const char* kSmallNet =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
    "<tolqet>\n"
    "<generator tool=\"Velkor/TOLQ\" version=\"4.0.4\"/>\n"
    "<!-- 1 page(s) were found -->\n"
    "<page id=\"id1\">\n"
    "  <pageattr name=\"Top &amp; Bottom\" number=\"3\" visbor=\"TRUE\"/>\n"
    "  <place id=\"id2\">\n"
    "    <posattr x=\"10.00000\" y=\"5.00000\"/>\n"
    "    <name id=\"id3\">\n"
    "      <regattr colorap=\"TRUE\" hoffset=\"1.00000\"/>\n"
    "      <text>P1</text>\n"
    "    </name>\n"
    "    <text>line one\nline &lt;two&gt;</text>\n"
    "  </place>\n"
    "  <arc id=\"id4\" orientation=\"PtoT\">\n"
    "    <placeend idref=\"id2\"/>\n"
    "    <transend idref=\"id5\" endpoint=\"id6\"/>\n"
    "  </arc>\n"
    "</page>\n"
    "</tolqet>\n";

TEST_F(TreeTest, BuildsTheCellTreeOfASmallNet) {
    auto l = load(kSmallNet);
    ASSERT_EQ(l->parse, 0);
    ASSERT_TRUE(l->root);
    const XmlCell& root = *l->root;
    EXPECT_EQ(root.code, kXmlRootCode);
    ASSERT_EQ(root.attributes.size(), 1u);
    EXPECT_EQ(root.attributes[0].code, kXmlGeneratorCode);
    ASSERT_EQ(root.children.size(), 1u);
    const XmlCell& page = *root.children[0];
    EXPECT_EQ(page.code, 0);
    EXPECT_EQ(page.line, 5);
    ASSERT_EQ(page.children.size(), 2u);
    const XmlCell& place = *page.children[0];
    EXPECT_EQ(place.code, 1);
    ASSERT_EQ(place.lines.size(), 2u);
    EXPECT_EQ(place.lines[0].text, "line one\n");
    EXPECT_EQ(place.lines[1].text, "line <two&gt;");
    ASSERT_EQ(place.children.size(), 1u);
    EXPECT_EQ(place.children[0]->code, 2);
    EXPECT_EQ(place.children[0]->lines.at(0).text, "P1");
    EXPECT_EQ(page.children[1]->code, 16);

    // The records: own parts and slots filled from the attributes.
    EXPECT_EQ(page.record->own.id, "id1");
    auto* pageAttr = page.record->slot<XmlPageSlot>(52);
    ASSERT_TRUE(pageAttr);
    EXPECT_EQ(pageAttr->name, "Top & Bottom");
    EXPECT_EQ(pageAttr->number, 3);
    EXPECT_TRUE(pageAttr->visibleBorder);
    auto* pos = place.record->slot<XmlPositionSlot>(45);
    EXPECT_EQ(pos->x, XmlMmToFixed(10.0));
    EXPECT_EQ(pos->y, -XmlMmToFixed(5.0));  // the file's y points up
    auto* region = place.children[0]->record->slot<XmlRegionSlot>(51);
    EXPECT_TRUE(region->colorap);
    EXPECT_EQ(region->hoffset, XmlMmToFixed(1.0));
    const XmlCell& arc = *page.children[1];
    EXPECT_EQ(arc.record->own.orientation, 1);
    EXPECT_EQ(arc.record->slot<XmlEndSlot>(47)->idref, "id2");
    EXPECT_EQ(arc.record->slot<XmlEndSlot>(48)->endpoint, "id6");
    EXPECT_TRUE(shownMessages().empty());
    EXPECT_FALSE(logExists());
}

TEST_F(TreeTest, EndTagNamesCompareInLowerCase) {
    auto l = load("<tolqet><Page id='p'></PAGE></tolqet>");
    ASSERT_TRUE(l->root);
    ASSERT_EQ(l->root->children.size(), 1u);
    EXPECT_EQ(l->root->children[0]->code, 0);
}

TEST_F(TreeTest, RootWithOnlyTheGeneratorHasNoChildren) {
    auto l = load("<tolqet>\n<generator tool=\"x\" version=\"1\"/>\n</tolqet>\n");
    ASSERT_TRUE(l->root);
    EXPECT_EQ(l->root->attributes.size(), 1u);
    EXPECT_TRUE(l->root->children.empty());
}

TEST_F(TreeTest, UnknownElementIsDroppedWithEverythingInsideSilently) {
    auto l = load("<page id='p'><wrapper><place id='a'></place></wrapper><place id='b'></place></page>");
    ASSERT_TRUE(l->root);
    const XmlCell& page = *l->root->children.at(0);
    ASSERT_EQ(page.children.size(), 1u);
    EXPECT_EQ(page.children[0]->record->own.id, "b");
    EXPECT_TRUE(shownMessages().empty());
}

TEST_F(TreeTest, UnknownStartTagWithoutEndTagIsPassedOver) {
    auto l = load("<page id='p'><stray a='1'><place id='b'></place></page>");
    ASSERT_TRUE(l->root);
    EXPECT_EQ(l->root->children.at(0)->children.size(), 1u);
}

TEST_F(TreeTest, TwoTextBlocksKeepTheFirst) {
    auto l = load("<aux id='a'><text>first</text>\n<text>second</text></aux>");
    ASSERT_TRUE(l->root);
    const XmlCell& aux = *l->root->children.at(0);
    ASSERT_EQ(aux.lines.size(), 1u);
    EXPECT_EQ(aux.lines[0].text, "first");
}

// Each structure error names the tag that does not fit and the line it
// stands on.
struct BadNesting {
    const char* what;
    std::string text;
    std::string at;
};

class TreeStructureErrors : public ReaderFixture, public ::testing::WithParamInterface<BadNesting> {};

TEST_P(TreeStructureErrors, GiveTheStructureMessageAndNoTree) {
    auto l = load(GetParam().text);
    EXPECT_EQ(l->parse, 0);
    EXPECT_FALSE(l->root);
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0], kStructureMessage + "\nat " + GetParam().at) << GetParam().what;
}

std::string deepNesting(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<aux-std>";
    for (int i = 0; i < depth; ++i) text += "</aux-std>";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TreeStructureErrors,
    ::testing::Values(
        BadNesting{"object start tag without end tag inside another", "<page>\n<place>\n</page>",
                   "</page> in line 3"},
        BadNesting{"object start tag without end tag at the root", "<page></page>\n\n<place>", "<place> in line 3"},
        BadNesting{"crossed elements", "<page><place>\n</page></place>", "</page> in line 2"},
        BadNesting{"end tag without start tag", "<page></page></place>", "</place> in line 1"},
        BadNesting{"attribute element closed by an end tag", "<page>\n<posattr>\n</posattr></page>",
                   "</posattr> in line 3"},
        BadNesting{"file starting with an end tag", "\n</page>", "</page> in line 2"},
        BadNesting{"file starting with text", "<text>x</text><page></page>", "<text> in line 1"},
        BadNesting{"mismatched end tag after a text block over several lines",
                   "<page id='p'>\n<place id='a'><text>one\ntwo\nthree</text>\n</trans>\n</page>",
                   "</trans> in line 5"},
        BadNesting{"nesting deeper than the bound", deepNesting(kXmlMaxNesting + 1), "<aux-std> in line 1"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(TreeTest, NestingUpToTheBoundIsAccepted) {
    auto l = load("<aux id='a'>" + deepNesting(kXmlMaxNesting - 1) + "</aux>");
    ASSERT_TRUE(l->root);
}

TEST_F(TreeTest, ParseErrorShowsTokenAndLineAndIsLogged) {
    auto l = load("<page>\n<place id>\n</place></page>");
    EXPECT_NE(l->parse, 0);
    EXPECT_FALSE(l->root);
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0], "Parse error:\nparse error at > in line 2");
    EXPECT_EQ(logText(), "Line 2: parse error at >\n");
}

TEST_F(TreeTest, ScannerOverflowEndsTheParseWithItsMessage) {
    auto l = load("<aux><text>" + std::string(20000, 'x') + "</text></aux>");
    EXPECT_NE(l->parse, 0);
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0].rfind("Parse error:\n" + std::string(kXmlOverflowMessage), 0), 0u);
}

// A parse error names the token that no rule accepts and the line of the
// file it stands on; a file that ends inside a start tag or a text block
// names the construct left open where it began.
struct BadToken {
    const char* what;
    std::string text;
    std::string shown;
};

class ParseErrors : public ReaderFixture, public ::testing::WithParamInterface<BadToken> {};

TEST_P(ParseErrors, NameTheTokenAndItsLine) {
    auto l = load(GetParam().text);
    EXPECT_NE(l->parse, 0);
    EXPECT_FALSE(l->root);
    ASSERT_EQ(shownMessages().size(), 1u) << GetParam().what;
    EXPECT_EQ(shownMessages()[0], "Parse error:\n" + GetParam().shown) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseErrors,
    ::testing::Values(
        BadToken{"attribute without value", "<page x y='1'></page>", "parse error at y in line 1"},
        BadToken{"attribute without value after text lines", "<page>\n<text>a\nb</text>\n<place x\n>",
                 "parse error at > in line 5"},
        BadToken{"text block closed by a misspelt tag", "<page>\n<aux id='a'>\n<text>one\ntwo</txet>\n</aux>\n</page>\n",
                 "unexpected end of file at <text> in line 3"},
        BadToken{"start tag cut off by the end of the file", "<page>\n\n<place id='a'", "unexpected end of file at <place in line 3"},
        BadToken{"value spanning lines before the bad token", "<page name='a\nb' =\n></page>", "parse error at = in line 2"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(TreeTest, AttributeWrittenTwiceKeepsTheFirstValue) {
    auto l = load("<place id='first' id='second'><posattr x='1' x='2'/></place>");
    ASSERT_TRUE(l->root);
    const XmlCell& place = *l->root->children.at(0);
    EXPECT_EQ(place.record->own.id, "first");
    EXPECT_EQ(place.record->slot<XmlPositionSlot>(45)->x, XmlMmToFixed(1.0));
}

TEST_F(TreeTest, AttributeElementsThatAreNotAllowedArePassedOver) {
    auto l = load("<place id='a'><winattr width='9'/><port type='out'/></place>");
    ASSERT_TRUE(l->root);
    const XmlCell& place = *l->root->children.at(0);
    EXPECT_EQ(place.record->slot<XmlWindowSlot>(54), nullptr);
    EXPECT_EQ(place.record->slot<XmlPortSlot>(57)->type, 2);
    EXPECT_FALSE(logExists());
}

TEST_F(TreeTest, LaterShapeElementResetsTheShape) {
    auto l = load("<aux id='a'><wedge h='2' w='3' startAngle=10 endAngle=20/><box h='4'/></aux>");
    ASSERT_TRUE(l->root);
    auto* shape = l->root->children.at(0)->record->slot<XmlShapeSlot>(46);
    EXPECT_EQ(shape->kind, kXmlShapeBox);
    EXPECT_EQ(shape->height, XmlMmToFixed(4.0));
    EXPECT_EQ(shape->width, 2 * 19 * 0x10000);  // the box defaults (key 19)
    EXPECT_EQ(shape->startAngle, 0);
}

TEST_F(TreeTest, UnknownOptionsGoIntoTheLogWithTheirLine) {
    auto l = load("<aux id='a'>\n<textattr bogus='1'/>\n<flags odd='TRUE'/>\n<posattr z='1'/></aux>");
    ASSERT_TRUE(l->root);
    EXPECT_EQ(logText(),
              "Line 2: unknown option 'bogus' in textattr.\n\n"
              "Line 3: unknown option 'odd' in attribute flag.\n\n"
              "Line: 4: unknown option 'z' in position attribute\n\n");
}

TEST(TagTable, NamesAndLists) {
    EXPECT_EQ(XmlTagRows().size(), 67u);
    EXPECT_STREQ(XmlTagName(0), "page");
    EXPECT_STREQ(XmlTagName(36), "substtag");
    EXPECT_EQ(XmlTagName(46), nullptr);
    EXPECT_EQ(XmlTagName(70), nullptr);
    XmlTagLookup lookup;
    EXPECT_EQ(lookup.find("seg-conn")->code, 46);
    EXPECT_EQ(lookup.find("nothing"), nullptr);
    EXPECT_EQ(lookup.registerUnknown("foo"), 63);
    EXPECT_EQ(lookup.registerUnknown("bar"), 64);
    EXPECT_EQ(lookup.registerUnknown("foo"), 63);
    EXPECT_EQ(XmlCodePosition(57, XmlAllowedAttributes(1)), 7);
    EXPECT_FALSE(XmlCodeInList(57, XmlAllowedAttributes(5)));
}

}  // namespace
}  // namespace interchange_test

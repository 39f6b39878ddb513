// The element records: defaults from the net editor's built-in records, the
// option parsers' conversions and the messages of their lost values.
#include "fixture.h"

#include "Interchange/XmlFormat.h"

namespace interchange_test {
namespace {

using RecordsTest = ReaderFixture;

const XmlCell& firstElement(const Loaded& l) { return *l.root->children.at(0); }

TEST_F(RecordsTest, PlaceWithoutAttributeElementsGetsThePlaceDefaults) {
    auto l = load("<place id='p'></place>");
    ASSERT_TRUE(l->root);
    auto& rec = *firstElement(*l).record;
    auto* shape = rec.slot<XmlShapeSlot>(46);
    EXPECT_EQ(shape->kind, kXmlShapeBox);
    EXPECT_EQ(shape->height, 3 * 0x10000);
    EXPECT_EQ(shape->width, 6 * 0x10000);
    EXPECT_EQ(rec.slot<XmlPositionSlot>(45)->x, 0);
    EXPECT_EQ(rec.slot<XmlFillSlot>(42)->pattern, 6);
    EXPECT_EQ(rec.slot<XmlFillSlot>(42)->colour, 4);
    EXPECT_EQ(rec.slot<XmlLineSlot>(41)->type, 5);
    EXPECT_EQ(rec.slot<XmlLineSlot>(41)->thick, 2);
    EXPECT_EQ(rec.slot<XmlTextSlot>(43)->font, 5);
    EXPECT_EQ(rec.slot<XmlTextSlot>(43)->colour, -1);
    auto* flags = rec.slot<XmlFlagsSlot>(44);
    EXPECT_TRUE(flags->mask);  // the negation of the record's mask word 0
    EXPECT_TRUE(flags->visible);
    EXPECT_FALSE(flags->omit);
    EXPECT_EQ(rec.slot<XmlLayeringSlot>(61)->mode, 1);
    EXPECT_EQ(rec.slot<XmlPortSlot>(57)->type, 0);
    EXPECT_TRUE(rec.own.hasId);
    EXPECT_EQ(rec.own.id, "p");
}

TEST_F(RecordsTest, EndPointRegionIsAFivePixelSquareWithoutLine) {
    auto l = load("<aux id='a'><aux-endp id='e'></aux-endp></aux>");
    ASSERT_TRUE(l->root);
    auto& rec = *firstElement(*l).children.at(0)->record;
    auto* shape = rec.slot<XmlShapeSlot>(46);
    EXPECT_EQ(shape->kind, kXmlShapeBox);
    EXPECT_EQ(shape->height, 0x28000);
    EXPECT_EQ(shape->width, 0x28000);
    EXPECT_EQ(rec.slot<XmlLineSlot>(41)->type, 7);
    EXPECT_EQ(rec.slot<XmlLineSlot>(41)->thick, 0);
    EXPECT_FALSE(rec.slot<XmlFlagsSlot>(44)->mask);
    EXPECT_TRUE(rec.slot<XmlFlagsSlot>(44)->visible);
}

TEST_F(RecordsTest, RegionDefaultsTakeThePlacementBits) {
    auto l = load("<place id='p'><name id='n'></name></place>");
    auto* region = firstElement(*l).children.at(0)->record->slot<XmlRegionSlot>(51);
    EXPECT_TRUE(region->colorap);
    EXPECT_TRUE(region->sizewp);
    EXPECT_FALSE(region->popup);
    EXPECT_EQ(region->hoffset, 0x8000);
}

TEST_F(RecordsTest, PageDefaultsComeFromTheNewPageSettings) {
    auto l = load("<page id='p'></page>");
    auto& rec = *firstElement(*l).record;
    EXPECT_EQ(rec.slot<XmlShapeSlot>(46)->height, 600 * 0x8000);
    EXPECT_EQ(rec.slot<XmlShapeSlot>(46)->width, 400 * 0x8000);
    EXPECT_EQ(rec.slot<XmlPageSlot>(52)->name, "New Page");
    EXPECT_TRUE(rec.slot<XmlPageSlot>(52)->palette);
    EXPECT_FALSE(rec.slot<XmlPageSlot>(52)->numberGiven);
    EXPECT_EQ(rec.slot<XmlWindowSlot>(54)->width, -1);
    EXPECT_TRUE(rec.slot<XmlWindowSlot>(54)->open);
    EXPECT_TRUE(rec.slot<XmlModeSlot>(55)->execcode);
}

TEST_F(RecordsTest, ConnectorDefaultsAndOwnAttributes) {
    auto l = load("<page id='p'><arc id='a' orientation='bothdir'><connattr txtwidth='12'/></arc>"
                  "<aux-conn id='c' orientation='sideways'></aux-conn></page>");
    const XmlCell& page = firstElement(*l);
    auto& arc = *page.children.at(0)->record;
    EXPECT_EQ(arc.own.orientation, 3);
    EXPECT_EQ(arc.slot<XmlShapeSlot>(46)->kind, kXmlShapeSegConn);
    EXPECT_EQ(arc.slot<XmlConnSlot>(53)->headHeight, 5 * 0x10000);
    EXPECT_EQ(arc.slot<XmlConnSlot>(53)->textWidth, 12);
    EXPECT_EQ(arc.slot<XmlConnSlot>(53)->textHeight, 7);
    EXPECT_EQ(page.children.at(1)->record->own.orientation, -1);
    EXPECT_FALSE(logExists());
}

TEST_F(RecordsTest, FusionTypeAndPageReference) {
    auto l = load("<place id='p'><fus-key id='k'><fusion id='f' type='PAGE'></fusion></fus-key></place>"
                  "<pagenode id='n' pageref='id9'></pagenode>");
    EXPECT_EQ(firstElement(*l).children.at(0)->children.at(0)->record->own.fusionType, 2);
    EXPECT_EQ(l->root->children.at(1)->record->own.pageRef, "id9");
}

TEST_F(RecordsTest, PointsKeepTheirFileYAndLoseMalformedPairsWithALogLine) {
    auto l = load("<aux id='a'><poly points=\"(1.0,2.0)(x,3)(4.5,-5.5)\"/></aux>");
    auto* shape = firstElement(*l).record->slot<XmlShapeSlot>(46);
    EXPECT_EQ(shape->kind, kXmlShapePolygon);
    ASSERT_EQ(shape->points.size(), 2u);
    EXPECT_EQ(shape->points[0], (FixPoint{XmlMmToFixed(1.0), XmlMmToFixed(2.0)}));
    EXPECT_EQ(shape->points[1], (FixPoint{XmlMmToFixed(4.5), XmlMmToFixed(-5.5)}));
    EXPECT_EQ(logText(), "Some points was lost when creating connector, arc or polygon\n");
}

TEST_F(RecordsTest, PointsStopAtAPieceWithoutComma) {
    auto l = load("<aux id='a'><line points=\"(1,2) (3,4)\"/></aux>");
    auto* shape = firstElement(*l).record->slot<XmlShapeSlot>(46);
    EXPECT_EQ(shape->points.size(), 1u);
    EXPECT_TRUE(logExists());
}

TEST_F(RecordsTest, PortSocketPairs) {
    auto l = load("<trans id='t'><subst subpage='id3' portsock=\"(id4, id5)(id6,id7)\"/></trans>"
                  "<trans id='u'><subst portsock=\"(id4, id5)(id6,)\"/></trans>");
    auto* subst = firstElement(*l).record->slot<XmlSubstSlot>(56);
    EXPECT_EQ(subst->subpage, "id3");
    ASSERT_EQ(subst->pairs.size(), 2u);
    EXPECT_EQ(subst->pairs[1], (std::pair<std::string, std::string>{"id6", "id7"}));
    EXPECT_EQ(l->root->children.at(1)->record->slot<XmlSubstSlot>(56)->pairs.size(), 1u);
    EXPECT_EQ(logText(), "Some port/socket-assignments was lost during load.\n");
}

TEST_F(RecordsTest, TextStyleBitsOnlyChangeForTrueOrFalse) {
    auto l = load("<aux id='a'><textattr bold='TRUE' italic='yes' shadow='false' size='14' just='Left' "
                  "colour='red' font='nofont'/></aux>");
    auto* text = firstElement(*l).record->slot<XmlTextSlot>(43);
    // Defaults: style 8 (underline); bold set, italic untouched, shadow cleared.
    EXPECT_EQ(text->style, 8 | 2);
    EXPECT_EQ(text->size, 14);
    EXPECT_EQ(text->just, 1);
    EXPECT_EQ(text->colour, 6);
    EXPECT_EQ(text->font, 5);  // unknown font leaves the default
}

TEST_F(RecordsTest, FlagsAndLineAndFill) {
    auto l = load("<aux id='a'><flags mask='FALSE' omit='TRUE' visible='FALSE'/>"
                  "<lineattr type='Dotted' thick='3' colour='navy'/><fillattr pattern='InvOrderedDotted' "
                  "colour='purple'/><layering type='inv'/></aux>");
    auto& rec = *firstElement(*l).record;
    EXPECT_FALSE(rec.slot<XmlFlagsSlot>(44)->mask);
    EXPECT_TRUE(rec.slot<XmlFlagsSlot>(44)->omit);
    EXPECT_FALSE(rec.slot<XmlFlagsSlot>(44)->visible);
    EXPECT_EQ(rec.slot<XmlLineSlot>(41)->type, 3);
    EXPECT_EQ(rec.slot<XmlLineSlot>(41)->thick, 3);
    EXPECT_EQ(rec.slot<XmlLineSlot>(41)->colour, 8);
    EXPECT_EQ(rec.slot<XmlFillSlot>(42)->pattern, 5);
    EXPECT_EQ(rec.slot<XmlFillSlot>(42)->colour, 4);
    EXPECT_EQ(rec.slot<XmlLayeringSlot>(61)->mode, 3);
}

struct GeneratorCase {
    const char* generator;
    Fixed expectedX;
};

TEST_F(RecordsTest, LegacyFilesOfTheKnownToolAreScaledByATenth) {
    const GeneratorCase cases[] = {
        {"<generator tool=\"Velkor/TOLQ\" version=\"3.1\"/>", XmlMmToFixed(1.0)},
        {"<generator tool=\"Velkor/TOLQ\" version=\"3.2beta\"/>", XmlMmToFixed(1.0)},
        {"<generator tool=\"Velkor/TOLQ\" version=\"4.0.4\"/>", XmlMmToFixed(10.0)},
        {"<generator tool=\"Other\" version=\"3.1\"/>", XmlMmToFixed(10.0)},
        {"", XmlMmToFixed(10.0)},
    };
    for (const auto& c : cases) {
        auto l = load(std::string("<tolqet>") + c.generator +
                      "<aux id='a'><posattr x='10' y='10'/><poly points='(10,10)'/></aux></tolqet>");
        ASSERT_TRUE(l->root);
        auto& rec = *firstElement(*l).record;
        EXPECT_EQ(rec.slot<XmlPositionSlot>(45)->x, c.expectedX) << c.generator;
        EXPECT_EQ(rec.slot<XmlPositionSlot>(45)->y, -c.expectedX) << c.generator;
        EXPECT_EQ(rec.slot<XmlShapeSlot>(46)->points.at(0).y, c.expectedX) << c.generator;
        l.reset();
        EXPECT_FALSE(XmlLegacyUnits()) << "the root's record clears the generator";
    }
}

TEST_F(RecordsTest, WindowAndModeAndMult) {
    auto l = load("<page id='p'><winattr open='FALSE' width='579' height='774' xpos='1' ypos='99999999999'/>"
                  "<modeattr siminc='FALSE' interact='TRUE'/><mult insts='100000'/></page>");
    auto& rec = *firstElement(*l).record;
    auto* w = rec.slot<XmlWindowSlot>(54);
    EXPECT_FALSE(w->open);
    EXPECT_EQ(w->width, 579);
    EXPECT_EQ(w->ypos, INT32_MAX);
    EXPECT_FALSE(rec.slot<XmlModeSlot>(55)->siminc);
    EXPECT_TRUE(rec.slot<XmlModeSlot>(55)->interact);
    EXPECT_EQ(rec.slot<XmlMultSlot>(60)->instances, 32767);
}

}  // namespace
}  // namespace interchange_test

// The syntax check of the real tolq with the real evaluator, on a copy of the
// example net changed the way a user changes it: an inscription retyped on
// the page (a guard that is no ML, an undeclared colour set), or Produce
// moved to a subpage of its own. The check runs from its key or from the
// TOLQ menu; the saved diagram is read back here: the page's error box names
// what is wrong and nothing else; the hierarchy page shows the new relation.
#include "MainRoadSession.h"

#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/NetRegions.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;

Spot SpotOf(const NetDiagram& diagram, ObjectHandle object)
{
    Fixed px = 0, py = 0, x = 0, y = 0;
    QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
    QXRdAttr_GetPosition(object, &x, &y);
    return {kProduceSpot.x + (x - px) / kPixel, kProduceSpot.y + (y - py) / kPixel};
}

class CheckProgramTest : public TolqSession {
protected:
    Spot SpotOfText(const std::string& text)
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        const ObjectHandle object = diagram.ObjectWithText(text);
        EXPECT_NE(object, 0u) << "no object reads " << text;
        return SpotOf(diagram, object);
    }

    // The text of a place's colour-set region as the example has it.
    std::string ColourSetOf(const std::string& place)
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        const ObjectHandle node = diagram.NodeNamed(place);
        for (ObjectHandle region : RegionsOf(node)) {
            uint32_t kind = 0;
            QXRdAttr_GetRegionKind(region, &kind);
            if (static_cast<int32_t>(kind) == kRegionColourSet)
                return TextOf(region);
        }
        ADD_FAILURE() << place << " has no colour set region";
        return {};
    }

    // Retypes an inscription on the page: a click on it, text editing on
    // (the cursor after the text), the old text rubbed out, the new one
    // typed, a click on an empty spot to end the edit.
    void Retype(const std::string& old, const std::string& typed)
    {
        const Spot spot = SpotOfText(old);
        ClickAt(spot);
        Keys("alt+t");
        for (size_t i = 0; i < old.size(); ++i)
            client_.key("BackSpace");
        Settle();
        xdotool({"type", typed});
        Settle();
        ClickAt(kEmpty);
    }

    // The check ends with a message box, answered here.
    void AwaitCheckEnd() { ASSERT_TRUE(AnswerMessageBox(120s)) << "the check showed no result"; }

    // Every text on the net's pages, read from the saved diagram.
    std::string SavedPageTexts()
    {
        NetDiagram saved(diagram_);
        EXPECT_TRUE(saved.ok());
        std::string texts;
        for (ObjectHandle page : saved.NetPages())
            texts += saved.PageTexts(page);
        return texts;
    }

    static constexpr Spot kEmpty{kProduceSpot.x + 20, kProduceSpot.y + 250};
};

TEST_F(CheckProgramTest, GuardThatIsNoMLIsNamedInTheErrorBox)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Retype("[n < 10]", "[n < <0]");
    Keys("alt+apostrophe");
    ASSERT_NO_FATAL_FAILURE(AwaitCheckEnd());
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(DataBaseHolds(diagram_, "[n < <0]")) << "the retyped guard did not reach the net";
    const std::string texts = SavedPageTexts();
    EXPECT_NE(texts.find("C.9 Guard region must be legal"), std::string::npos) << texts;
    EXPECT_EQ(texts.find("C.11"), std::string::npos) << "an arc was blamed too:\n" << texts;
    EXPECT_TRUE(tolq_.running());
}

TEST_F(CheckProgramTest, UndeclaredColourSetIsNamedInTheErrorBoxWhenTheCheckIsPickedFromTheMenu)
{
    const std::string colourSet = ColourSetOf("Buffer");
    ASSERT_FALSE(colourSet.empty());
    ASSERT_NE(colourSet, "FOO");
    ASSERT_NO_FATAL_FAILURE(Start());
    Retype(colourSet, "FOO");
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Syntax Check"));
    ASSERT_NO_FATAL_FAILURE(AwaitCheckEnd());
    ASSERT_NO_FATAL_FAILURE(Save());
    const std::string texts = SavedPageTexts();
    EXPECT_NE(texts.find("C.7 Color set region must be legal"), std::string::npos) << texts;
    EXPECT_TRUE(tolq_.running());
}

// An inscription retyped into one the evaluator refuses: the check from the
// TOLQ menu names the rule of that inscription and no other.
struct BrokenInscription {
    const char* name;
    const char* old;
    const char* typed;
    const char* message;
};

class BrokenInscriptionProgramTest : public CheckProgramTest,
                                     public ::testing::WithParamInterface<BrokenInscription> {};

TEST_P(BrokenInscriptionProgramTest, TheCheckNamesItsRuleInTheErrorBox)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Retype(GetParam().old, GetParam().typed);
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Syntax Check"));
    ASSERT_NO_FATAL_FAILURE(AwaitCheckEnd());
    ASSERT_NO_FATAL_FAILURE(Save());
    const std::string texts = SavedPageTexts();
    EXPECT_NE(texts.find(GetParam().message), std::string::npos) << texts;
    for (const char* other : {"C.7 ", "C.8 ", "C.9 ", "C.11 "})
        if (std::string(GetParam().message).rfind(other, 0) != 0) {
            EXPECT_EQ(texts.find(other), std::string::npos) << other << "reported too:\n" << texts;
        }
    EXPECT_TRUE(tolq_.running());
}

INSTANTIATE_TEST_SUITE_P(Rules, BrokenInscriptionProgramTest,
                         ::testing::Values(BrokenInscription{"Marking", "1`0", "1`true",
                                                             "C.8 Initial marking must be legal"},
                                           BrokenInscription{"ArcExpression", "n + 1", "n +",
                                                             "C.11 Arc expression must be legal"}),
                         [](const ::testing::TestParamInfo<BrokenInscription>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(CheckProgramTest, CleanNetCheckedFromTheMenuGetsNoErrors)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Syntax Check"));
    ASSERT_NO_FATAL_FAILURE(AwaitCheckEnd());
    ASSERT_NO_FATAL_FAILURE(Save());
    const std::string texts = SavedPageTexts();
    EXPECT_EQ(texts.find("must be"), std::string::npos) << texts;
    EXPECT_TRUE(tolq_.running());
}

TEST_F(CheckProgramTest, SubpageWithAssignedPortsChecksWithoutFalseErrorsAndShowsOnTheHierarchyPage)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(kProduceSpot);
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Move to Subpage"));
    Keys("alt+apostrophe");
    ASSERT_NO_FATAL_FAILURE(AwaitCheckEnd());
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const std::vector<ObjectHandle> pages = saved.NetPages();
    ASSERT_EQ(pages.size(), 2u) << "Move to Subpage made no subpage";
    std::string texts;
    for (ObjectHandle page : pages)
        texts += saved.PageTexts(page);
    for (const char* rule : {"C.15", "C.18", "C.19", "must be legal"})
        EXPECT_EQ(texts.find(rule), std::string::npos) << rule << " reported:\n" << texts;

    // Produce carries its hierarchy tag: the subpage and an assignment per
    // socket; the ports on the subpage carry their port tags.
    const ObjectHandle produce = saved.NodeNamed("Produce");
    ASSERT_NE(produce, 0u);
    const std::string produceTexts = AllTexts(produce);
    EXPECT_NE(produceTexts.find("->"), std::string::npos) << produceTexts;
    EXPECT_EQ(produceTexts.find("???"), std::string::npos) << "a socket without assignment:\n" << produceTexts;
    const ObjectHandle subpage = QXStr_GetObjectPage(produce) == pages.front() ? pages.back() : pages.front();
    const std::string portTexts = saved.PageTexts(subpage);
    EXPECT_TRUE(portTexts.find("In") != std::string::npos || portTexts.find("Out") != std::string::npos ||
                portTexts.find("I/O") != std::string::npos)
        << portTexts;

    // The hierarchy page: a node per page and the arc of the substitution,
    // labelled with Produce.
    const ObjectHandle hierarchy = saved.HierarchyPage();
    ASSERT_NE(hierarchy, 0u);
    EXPECT_GE(NodesOf(hierarchy).size(), 3u);
    const std::vector<ObjectHandle> arcs = ConnectorsOnPage(hierarchy);
    ASSERT_FALSE(arcs.empty()) << "the hierarchy page shows no relation";
    std::string labels;
    for (ObjectHandle arc : arcs)
        labels += AllTexts(arc);
    EXPECT_NE(labels.find("Produce"), std::string::npos) << labels;
    EXPECT_TRUE(tolq_.running());
}

// Dark pixels of the first line of Get Info's body (item 4 of dialog 30010,
// at 20, 84 in its form), with the dialog closed again by its OK button;
// -1 when no dialog came.
int GetInfoMLLineInk(XClient& client)
{
    std::optional<WindowInfo> form;
    std::optional<WindowInfo> ok;
    wait_until([&] {
        const std::vector<WindowInfo> tree = client.window_tree();
        for (const WindowInfo& shell : tree) {
            if (shell.parent != client.root() || !shell.mapped || shell.res_name != "dialog")
                continue;
            for (const WindowInfo& f : tree)
                if (f.parent == shell.id)
                    form = f;
        }
        return form.has_value();
    });
    if (!form)
        return -1;
    std::this_thread::sleep_for(500ms);
    XImage* image = XGetImage(client.display(), form->id, 20, 84, 380, 20, AllPlanes, ZPixmap);
    int dark = 0;
    if (image != nullptr) {
        for (int j = 0; j < 20; ++j)
            for (int i = 0; i < 380; ++i) {
                const unsigned long pixel = XGetPixel(image, i, j);
                dark += ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128 ? 1 : 0;
            }
        XDestroyImage(image);
    }
    // OK lies at 320, 280 in the form.
    client.click(form->root_x + 360, form->root_y + 292);
    client.sync();
    std::this_thread::sleep_for(400ms);
    return dark;
}

TEST_F(CheckProgramTest, GetInfoShowsTheMLNameTheCheckGaveThePlace)
{
    Spot buffer{};
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle node = diagram.NodeNamed("Buffer");
        ASSERT_NE(node, 0u);
        Fixed width = 0, height = 0;
        QXRdAttr_GetSize(node, &width, &height);
        buffer = SpotOf(diagram, node);
        // Inside the place, clear of its name.
        buffer.y += height / kPixel / 2 - 4;
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(buffer);
    Keys("alt+i");
    const int before = GetInfoMLLineInk(client_);
    ASSERT_GT(before, 0) << "Get Info showed no ML line";
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Syntax Check"));
    ASSERT_NO_FATAL_FAILURE(AwaitCheckEnd());
    ClickAt(buffer);
    Keys("alt+i");
    const int after = GetInfoMLLineInk(client_);
    // "  ML:" has become "  ML:" and the name.
    EXPECT_GT(after, before) << "the ML line did not gain the name";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    SEHead* record = nullptr;
    ASSERT_NE(GE_GetSERecord(saved.NodeNamed("Buffer"), &record), 0);
    const char* name = ASGetName(record);
    EXPECT_TRUE(name != nullptr && *name != '\0') << "the check gave Buffer no ML name";
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test

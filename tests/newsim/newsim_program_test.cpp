// "Enter NewSim" in the real tolq started with -newsim, on a copy of the
// example net made a prime page, with the real evaluator: the net goes to
// the evaluator page by page; a net it accepts keeps its ML numbers and
// checked marks in the saved net data base (declarations never converted
// are converted first) and shows the evaluator's markings; an inscription it
// refuses is named in the page's error box with the evaluator's own message.
// "Automatic Run" of the Sim menu runs in the evaluator to the end.
#include "MainRoadSession.h"

#include <set>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/ConvertToSim/CTSGenFields.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

// The File menu as tolq lays it out with -newsim.
const std::map<std::string, std::vector<std::string>> kNewSimMenus = {
    {"File",
     {"New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
      "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
      "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
      "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "Enter NewSim", "", "Quit"}},
};

const std::vector<std::string> kSimulatorTitles = {"File", "Edit", "Sim", "Aux", "Set",
                                                   "Makeup", "Page", "Group", "Text", "Align"};

std::map<std::string, std::vector<std::string>> SimulatorMenus()
{
    std::map<std::string, std::vector<std::string>> items = kNewSimMenus;
    for (std::string& item : items["File"])
        if (item == "Enter Simulator")
            item = "Enter Editor";
    items["Sim"] = kMenuItems.at("Sim");
    return items;
}

// The texts of a place's marking key region and of the marking region below it.
struct Marking {
    std::string count;
    std::string tokens;
};

Marking MarkingOf(ObjectHandle place)
{
    Marking marking;
    for (ObjectHandle key : RegionsOf(place)) {
        uint32_t kind = 0;
        QXRdAttr_GetRegionKind(key, &kind);
        if (static_cast<int32_t>(kind) != (4113 | kRegionKeyBit))
            continue;
        marking.count = TextOf(key);
        for (ObjectHandle region : RegionsOf(key)) {
            uint32_t inner = 0;
            QXRdAttr_GetRegionKind(region, &inner);
            if (static_cast<int32_t>(inner) == 4113)
                marking.tokens = TextOf(region);
        }
    }
    return marking;
}

class NewSimProgramTest : public TolqSession {
protected:
    // The example's page made a prime page with one instance, as Set > Mode
    // Attributes... makes it.
    void SetUp() override
    {
        TolqSession::SetUp();
        {
            NetDiagram diagram(diagram_);
            ASSERT_TRUE(diagram.ok());
            const ObjectHandle page = diagram.NetPages().front();
            ASSERT_EQ(EE_SetModeAttributes(page, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 1, 1),
                      1);
            ASSERT_TRUE(diagram.Save());
        }
    }

    void PickInSimulator(const std::string& title, const std::string& item)
    {
        static const std::map<std::string, std::vector<std::string>> items = SimulatorMenus();
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kSimulatorTitles, items}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open";
        Settle();
    }

    int PageInk() const { return Ink(0, 0, drawing_.width, drawing_.height); }

    // Enter NewSim, and the markings the evaluator gives are drawn.
    void EnterNewSim()
    {
        const int before = PageInk();
        ASSERT_NO_FATAL_FAILURE(PickFile("Enter NewSim"));
        ASSERT_TRUE(wait_until([&] { return PageInk() > before + 20; }, 120s)) << "no marking appeared on the page";
        EXPECT_FALSE(client_.message_box_button().has_value()) << "the switch showed a message";
        Settle();
    }

    // Back to the editor, where the diagram is saved and read back.
    std::map<std::string, Marking> LeaveAndReadMarkings()
    {
        PickInSimulator("File", "Enter Editor");
        Save();
        NetDiagram saved(diagram_);
        EXPECT_TRUE(saved.ok());
        std::map<std::string, Marking> markings;
        for (const char* place : {"Next", "Buffer"})
            markings[place] = MarkingOf(saved.NodeNamed(place));
        return markings;
    }


    // Starts tolq with -newsim on the diagram as it is now.
    void StartNewSim()
    {
        tolq_ = BackgroundProcess({kTolqProgram, "-newsim", diagram_}, {{"HOME", dir_.path()}}, dir_.path());
        ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s)) << "tolq's windows did not appear";
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr)
            font_ = XLoadQueryFont(client_.display(), "fixed");
        ASSERT_NE(font_, nullptr);
        ASSERT_TRUE(wait_until([&] { return Ink(kProduceSpot.x - 40, kProduceSpot.y - 20, 10, 10) > 0; }));
        Settle();
    }

    void PickFile(const std::string& item)
    {
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kNewSimMenus}, "File", item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << "File did not open";
        Settle();
    }

    // Retypes an inscription on the page as a user does.
    void Retype(const std::string& old, const std::string& typed)
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        Fixed px = 0, py = 0, x = 0, y = 0;
        QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
        QXRdAttr_GetPosition(diagram.ObjectWithText(old), &x, &y);
        constexpr Fixed kPixel = 0x8000;
        const Spot spot{kProduceSpot.x + (x - px) / kPixel, kProduceSpot.y + (y - py) / kPixel};
        ClickAt(spot);
        Keys("alt+t");
        for (size_t i = 0; i < old.size(); ++i)
            client_.key("BackSpace");
        Settle();
        xdotool({"type", typed});
        Settle();
        ClickAt({kProduceSpot.x + 20, kProduceSpot.y + 250});
    }

    std::string SavedPageTexts()
    {
        NetDiagram saved(diagram_);
        EXPECT_TRUE(saved.ok());
        std::string texts;
        for (ObjectHandle page : saved.NetPages())
            texts += saved.PageTexts(page);
        return texts;
    }
};

TEST_F(NewSimProgramTest, AcceptedNetKeepsItsNumbersAndCheckedMarks)
{
    ASSERT_NO_FATAL_FAILURE(StartNewSim());
    ASSERT_NO_FATAL_FAILURE(EnterNewSim());
    const std::map<std::string, Marking> markings = LeaveAndReadMarkings();
    EXPECT_EQ(markings.at("Next").tokens, "1`1");
    EXPECT_EQ(markings.at("Buffer").tokens, "1`0");
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    SERoot* root = SECurrentRoot();
    ASSERT_NE(root, nullptr);
    std::set<std::string> numbers;
    int records = 0;
    se::forEachRec(root->pages, [&](SEHead* h) {
        auto* page = reinterpret_cast<SEPage*>(h);
        EXPECT_NE(page->flags & cts::kCheckedMark, 0u) << "page";
        if (cts::mlName(page) == nullptr)
            ADD_FAILURE() << "a page without ML number";
        else
            numbers.insert(cts::mlName(page));
        ++records;
        se::forEachRec(page->places, [&](SEHead* r) {
            auto* place = reinterpret_cast<SEPlace*>(r);
            EXPECT_NE(place->flags & cts::kCheckedMark, 0u) << place->name;
            ASSERT_NE(cts::mlName(place), nullptr) << place->name;
            numbers.insert(cts::mlName(place));
            ++records;
        });
        se::forEachRec(page->transitions, [&](SEHead* r) {
            auto* t = reinterpret_cast<SETrans*>(r);
            EXPECT_NE(t->flags & cts::kCheckedMark, 0u) << t->name;
            ASSERT_NE(cts::mlName(t), nullptr) << t->name;
            numbers.insert(cts::mlName(t));
            ++records;
        });
    });
    EXPECT_EQ(records, 5); // one page, two places, two transitions
    EXPECT_EQ(static_cast<int>(numbers.size()), records) << "two records share an ML number";
    for (const std::string& n : numbers)
        EXPECT_LT(std::stoi(n), cts::savedCounter(root)) << "the saved name counter is behind " << n;
    EXPECT_TRUE(tolq_.running());
}

TEST_F(NewSimProgramTest, RefusedGuardIsNamedInTheErrorBoxAndNothingIsMarked)
{
    ASSERT_NO_FATAL_FAILURE(StartNewSim());
    Retype("[n < 10]", "[n < true]");
    ASSERT_NO_FATAL_FAILURE(PickFile("Enter NewSim"));
    ASSERT_TRUE(AnswerMessageBox(120s)) << "the check showed no result";
    ASSERT_NO_FATAL_FAILURE(Save());
    const std::string texts = SavedPageTexts();
    // the evaluator's own message on the guard, and no error on anything else
    EXPECT_NE(texts.find("Type error in function application"), std::string::npos) << texts;
    EXPECT_EQ(texts.find("error", texts.find("Type error") + 10), std::string::npos) << texts;
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    se::forEachRec(SECurrentRoot()->pages, [&](SEHead* h) {
        se::forEachRec(reinterpret_cast<SEPage*>(h)->transitions, [&](SEHead* r) {
            auto* t = reinterpret_cast<SETrans*>(r);
            if (std::string(t->name) == "Produce") {
                EXPECT_EQ(t->flags & cts::kCheckedMark, 0u);
            }
        });
    });
    EXPECT_TRUE(tolq_.running());
}

TEST_F(NewSimProgramTest, AutomaticRunEndsWithEveryItemProducedAndConsumed)
{
    ASSERT_NO_FATAL_FAILURE(StartNewSim());
    ASSERT_NO_FATAL_FAILURE(EnterNewSim());
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Automatic Run"));
    // the run's message: no more enabled transitions
    ASSERT_TRUE(AnswerMessageBox(120s)) << "the run showed no result";
    const std::map<std::string, Marking> markings = LeaveAndReadMarkings();
    // the ordinary simulator's run ends the same way whatever it chooses:
    // items 1 to 9 produced, every item consumed
    EXPECT_EQ(markings.at("Next").tokens, "1`10");
    EXPECT_EQ(markings.at("Next").count, "1");
    EXPECT_EQ(markings.at("Buffer").count, "0");
    EXPECT_TRUE(tolq_.running());
}

} // namespace
} // namespace tolq::test

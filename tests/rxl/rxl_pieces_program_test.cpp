// The real tolq with the real evaluator on a copy of the example net that
// carries piece candidates of the sibling tool: loading it turns the tool's
// mode on, "Enter Simulator" sends the candidates' marking queries, and
// "Find Pieces", "Find Next" and "Find Previous" of the Sim menu walk the
// candidate places that are marked now, as the run leaves them.
#include "MainRoadSession.h"

#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetServices.h"
#include "xkv/kvud/UserData.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::vector<std::string> kSimulatorTitles = {"File", "Edit", "Sim", "Aux", "Set",
                                                   "Makeup", "Page", "Group", "Text", "Align"};

// The menus in the tool's mode: the Sim menu ends with the piece items.
std::map<std::string, std::vector<std::string>> SimulatorItems()
{
    std::map<std::string, std::vector<std::string>> items = kMenuItems;
    for (std::string& item : items["File"])
        if (item == "Enter Simulator")
            item = "Enter Editor";
    for (const char* item : {"", "Find Pieces", "Find Next", "Find Previous"})
        items["Sim"].push_back(item);
    return items;
}

// Candidates by place name: the diagram's first list and its second.
struct PiecesCase {
    const char* name;
    std::vector<std::string> first;
    std::vector<std::string> second;
    bool runFirst;        // an automatic run to the end before the search
    bool noPieces;        // "Find Pieces" says that none were found
    int nextMoves;        // "Find Next" moves this often before the end
};

class RXLPiecesProgramTest : public TolqSession, public ::testing::WithParamInterface<PiecesCase> {
protected:
    // The example, its page prime, with the candidate lists stored in the
    // diagram's page list as the tool's library leaves them.
    void Prepare(const PiecesCase& c)
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle page = diagram.NetPages().front();
        ASSERT_EQ(EE_SetModeAttributes(page, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 1, 1), 1);
        auto store = [&](uint32_t tag, const std::vector<std::string>& names) {
            std::vector<uint32_t> words;
            for (const std::string& name : names) {
                const ObjectHandle place = diagram.NodeNamed(name);
                ASSERT_NE(place, 0u) << name;
                words.insert(words.end(), {page, place});
            }
            words.insert(words.end(), {0xFFFFFFFFu, 0xFFFFFFFFu});
            ASSERT_EQ(UD_SetField(QXStr_GetPageListHandle(), tag, words.data(),
                                  static_cast<uint32_t>(words.size() * 4)),
                      1u);
        };
        store(0xF904, c.first);
        if (!c.second.empty())
            store(0xF905, c.second);
        ASSERT_TRUE(diagram.Save());
    }

    void PickInSimulator(const std::string& title, const std::string& item)
    {
        static const std::map<std::string, std::vector<std::string>> items = SimulatorItems();
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kSimulatorTitles, items}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open with the piece items";
        Settle();
    }
};

TEST_P(RXLPiecesProgramTest, FindPiecesWalksTheMarkedCandidates)
{
    const PiecesCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Prepare(c));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Pick("File", "Enter Simulator"));
    ASSERT_TRUE(wait_until([&] { return ScanTolqWindows(client_).main.id != 0; }, 60s));
    std::this_thread::sleep_for(5s);
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "the switch with the marking queries showed a message";
    if (c.runFirst) {
        ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Automatic Run"));
        EXPECT_TRUE(AnswerMessageBox(60s)) << "the run did not end with its message";
    }

    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Find Pieces"));
    if (c.noPieces) {
        EXPECT_TRUE(AnswerMessageBox(30s)) << "no message said that no pieces were found";
        return;
    }
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "Find Pieces failed or found none";
    // The walk starts at the first piece: there is none before it.
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Find Previous"));
    EXPECT_TRUE(AnswerMessageBox()) << "Find Previous moved before the first piece";
    for (int i = 0; i < c.nextMoves; ++i) {
        ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Find Next"));
        EXPECT_TRUE(NoMessageBoxFor(1s)) << "Find Next stopped after " << i << " moves";
    }
    ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Find Next"));
    EXPECT_TRUE(AnswerMessageBox()) << "Find Next went past the last piece";
    if (c.nextMoves > 0) {
        // Back from the last piece the walk moves again.
        ASSERT_NO_FATAL_FAILURE(PickInSimulator("Sim", "Find Previous"));
        EXPECT_TRUE(NoMessageBoxFor(1s)) << "Find Previous did not move back";
    }
}

// Next holds 1`1 and Buffer 1`0 at first; the run to its end leaves Next
// with 1`10 and Buffer empty.
const PiecesCase kCases[] = {
    {"BothListsMarked", {"Buffer"}, {"Next"}, false, false, 1},
    {"EmptiedPlaceIsNoLongerAPiece", {"Buffer"}, {"Next"}, true, false, 0},
    {"NoCandidateMarked", {"Buffer"}, {}, true, true, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, RXLPiecesProgramTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PiecesCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tolq::test

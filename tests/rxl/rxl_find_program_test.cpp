// The real tolq with the real evaluator on a copy of the example net that
// carries piece candidates of the sibling tool: loading it turns the tool's
// mode on, "Enter Simulator" sends the candidates' marking queries, and
// "Find Pieces", "Find Next" and "Find Previous" of the Sim menu walk the
// candidate places that are marked now, as the run leaves them. The Set
// menu's "RXL Simulation Options..." checks its values and the diagram keeps
// them.
#include "SimDialogSession.h"

#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/Resources/DialogTables.h"
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

// The example, its page prime, with the candidate lists stored in the
// diagram's page list as the tool's library leaves them.
void PrepareDiagram(const std::string& diagram_, const PiecesCase& c)
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

class RXLPiecesProgramTest : public TolqSession, public ::testing::WithParamInterface<PiecesCase> {
protected:
    void Prepare(const PiecesCase& c) { PrepareDiagram(diagram_, c); }

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

// ---- "RXL Simulation Options..." ----

// Where a click reaches an item of a dialog, from the tables tolq is built
// with.
DialogItem ItemOf(int dialog, int item)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number != dialog || item < 1 || item > record.itemCount)
            continue;
        const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
        if (DialogItem_Kind(row) == kItemText) {
            const DialogTextRow& t = DialogTable_TextRows()[static_cast<size_t>(row.index)];
            return DialogItem{t.x, t.y, t.width, t.height};
        }
        if (DialogItem_Kind(row) == kItemControl) {
            const DialogControlRow& c = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
            return DialogItem{c.x, c.y, c.width, c.height};
        }
    }
    ADD_FAILURE() << "no item " << item << " in dialog " << dialog;
    return DialogItem{0, 0, 0, 0};
}

constexpr int kRXLDialog = 31150;
enum RXLItem { kTimeUnits = 8, kCostUnits = 10, kTimeReports = 12, kTimeStart = 16, kPieceStop = 25,
               kPieceInterval = 26, kUseSize = 28, kExcel = 31 };

// The Set menu with the sibling tool's item at its end.
const std::map<std::string, std::vector<std::string>> kSetMenu = {
    {"Set",
     {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
      "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "", "Hierarchy Page Options...",
      "Interaction Options...", "", "Merge Options...", "Text Options...", "Syntax Options...", "",
      "Simulation Code Options...", "General Simulation Options...", "Interactive Simulation Options...",
      "Occurrence Set Options...", "Transition Feedback Options...", "", "ML Configuration Options...", "",
      "Copy Defaults...", "", "RXL Simulation Options..."}},
};

// The record's bytes as tolq holds them, from the words read out of the
// file: the file keeps the first seven words (up to the record's text
// offset 28) as numbers, the bytes behind them as they are.
std::string RecordBytes(const std::vector<uint32_t>& words)
{
    std::string bytes;
    for (size_t i = 0; i < words.size(); ++i) {
        uint32_t word = words[i];
        if (i < 7)
            word = __builtin_bswap32(word);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<char>((word >> shift) & 0xff));
    }
    return bytes;
}

std::string FieldAt(const std::string& bytes, size_t offset, size_t size)
{
    if (offset + size > bytes.size())
        return "<outside>";
    const std::string field = bytes.substr(offset, size);
    return field.substr(0, field.find('\0'));
}

class RXLOptionsProgramTest : public SimDialogSession {
protected:
    WindowInfo Open()
    {
        const MenuPick pick =
            PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kSetMenu}, "Set", "RXL Simulation Options...");
        EXPECT_TRUE(pick.itemListed);
        EXPECT_TRUE(pick.opened) << "Set did not open with the sibling tool's item";
        Settle();
        const std::optional<WindowInfo> form = DialogForm();
        EXPECT_TRUE(form.has_value()) << "RXL Simulation Options... opened no dialog";
        return form.value_or(WindowInfo{});
    }
    void Type(const WindowInfo& form, RXLItem item, const std::string& text)
    {
        TypeInto(form, ItemOf(kRXLDialog, item), text);
    }
    void Click(const WindowInfo& form, RXLItem item) { ClickItem(form, ItemOf(kRXLDialog, item)); }
    // "OK" on values that a message refuses: the dialog stays.
    void Refused(const WindowInfo& form, const char* why)
    {
        PressReturn();
        ASSERT_TRUE(AnswerBoxOver(form)) << why;
        ASSERT_TRUE(DialogForm().has_value()) << why;
    }
};

TEST_F(RXLOptionsProgramTest, ValuesAreCheckedAndKeptWithTheDiagram)
{
    ASSERT_NO_FATAL_FAILURE(PrepareDiagram(diagram_, {"Options", {"Buffer"}, {}, false, false, 0}));
    ASSERT_NO_FATAL_FAILURE(Start());
    WindowInfo form = Open();

    // Reports by time need real numbers: an integer start is refused.
    Click(form, kTimeReports);
    Type(form, kTimeStart, "5");
    ASSERT_NO_FATAL_FAILURE(Refused(form, "an integer start of the time reports was taken"));
    Type(form, kTimeStart, "5.0");
    // Reports by pieces (on by default) need integers; an empty stop is NEVER.
    Type(form, kPieceInterval, "1.5");
    ASSERT_NO_FATAL_FAILURE(Refused(form, "a real interval of the piece reports was taken"));
    Type(form, kPieceInterval, "10");
    Type(form, kPieceStop, "");
    // A unit longer than its field is cut to the field.
    Type(form, kCostUnits, "Euros and more than nineteen");
    Type(form, kTimeUnits, "Hours");
    Click(form, kUseSize);
    Click(form, kExcel);
    PressReturn();
    ASSERT_TRUE(DialogGone());

    ASSERT_NO_FATAL_FAILURE(Save());
    const std::vector<uint32_t> record = SavedRecord(read_file(diagram_), 1075, 256);
    ASSERT_EQ(record.size(), 64u) << "no analysis options in the saved diagram";
    EXPECT_EQ(std::vector<uint32_t>(record.begin(), record.begin() + 6), (std::vector<uint32_t>{1, 1, 1, 0, 0, 0}));
    const std::string bytes = RecordBytes(record);
    EXPECT_EQ(FieldAt(bytes, 24, 20), "Hours");
    EXPECT_EQ(FieldAt(bytes, 44, 20), "Euros and more than");
    EXPECT_EQ(FieldAt(bytes, 64, 32), "5.0");
    EXPECT_EQ(FieldAt(bytes, 192, 32), "NEVER");
    EXPECT_EQ(FieldAt(bytes, 224, 32), "10");

    // Read again, the dialog shows the saved values: "OK" keeps them. Empty
    // time units are refused, and "Cancel" leaves the record as it was.
    ASSERT_NO_FATAL_FAILURE(Restart());
    form = Open();
    PressReturn();
    ASSERT_TRUE(DialogGone());
    form = Open();
    Type(form, kTimeUnits, "");
    ASSERT_NO_FATAL_FAILURE(Refused(form, "empty time units were taken"));
    ClickItem(form, ItemOf(kRXLDialog, 2));
    ASSERT_TRUE(DialogGone());
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_EQ(SavedRecord(read_file(diagram_), 1075, 256), record);
}

}  // namespace
}  // namespace tolq::test

// The performance tool in the real tolq with the real evaluator, on a copy of
// the example net made timed, with a Performance_Functions page holding one
// auxiliary box: "Enter Perf" from the File menu, a data collector on Buffer
// made through "Data Collector..." and its dialog, an automatic run, and
// "Save Report..." writing the collector's statistics beside the diagram.
// Also the refusals of entering: a performance page with two boxes.
#include "SimDialogSession.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/Resources/DialogTables.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;

const std::vector<std::string> kPerfTitles = {"File", "Edit", "Sim", "Aux", "Set", "Makeup",
                                              "Page", "Group", "Text", "Align", "Perf"};

std::map<std::string, std::vector<std::string>> SimulatorItems()
{
    std::map<std::string, std::vector<std::string>> items = kMenuItems;
    for (std::string& item : items["File"])
        if (item == "Enter Simulator")
            item = "Enter Editor";
    return items;
}

std::optional<DialogItem> ItemOf(int dialog, int item)
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
    return std::nullopt;
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The Count of the report's section with the title; -1 when there is none.
long CountIn(const std::string& report, const std::string& title)
{
    const std::size_t at = report.find(title + "\n");
    if (at == std::string::npos)
        return -1;
    const std::size_t end = report.find("\n\n", at);
    const std::size_t count = report.find("\nCount", at);
    if (count == std::string::npos || (end != std::string::npos && count > end))
        return -1;
    return std::strtol(report.c_str() + count + 6, nullptr, 10);
}

class PerfProgramTest : public SimDialogSession {
protected:
    // The example made timed, with a performance page with the given number of auxiliary boxes.
    void Prepare(int boxes)
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle page = diagram.NetPages().front();
        ASSERT_EQ(EE_SetModeAttributes(page, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 1, 1), 1);
        ObjectHandle declarations = 0;
        for (ObjectHandle node : NodesOf(page)) {
            SEHead* record = nullptr;
            if (GE_GetSERecord(node, &record) != 0 && record != nullptr && record->kind == kSEDeclNode)
                declarations = node;
        }
        ASSERT_NE(declarations, 0u);
        QXText_SetText(declarations, "color INT = int timed;\ncolor TIME = time;\nvar n : INT;");
        ASSERT_EQ(EE_BuildDeclRegions(declarations), 1);
        std::array<uint32_t, 512> runOptions{};
        ASSERT_EQ(DefGetRunOptions(runOptions.data(), kDefLevelDiagram), 1);
        runOptions[2] = 1;  // simulate with time
        ASSERT_EQ(DefSetRunOptions(runOptions.data(), kDefLevelDiagram), 1);

        const ObjectHandle perfPage = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(perfPage, 0u);
        char name[64] = {};
        uint16_t number = 0;
        int16_t width = 0, height = 0;
        uint32_t border = 0;
        QXRdAttr_GetPageAttr(perfPage, name, &number, &width, &height, &border);
        ASSERT_NE(QXWtAttr_SetPageAttr(perfPage, "Performance_Functions", number, width, height, border), 0u);
        for (int i = 0; i < boxes; ++i) {
            const ObjectHandle box = QXStr_CreateNode(perfPage, (100 + 200 * i) * kPixel, 100 * kPixel, 160 * kPixel,
                                                      60 * kPixel, 1);
            ASSERT_NE(box, 0u);
            QXText_SetText(box, "(* data collectors *)");
        }
        ASSERT_TRUE(diagram.Save());
    }

    int PageInk() const { return Ink(0, 0, drawing_.width, drawing_.height); }

    void PickWithPerf(const std::string& title, const std::string& item)
    {
        static const std::map<std::string, std::vector<std::string>> items = SimulatorItems();
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kPerfTitles, items}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open";
        Settle();
    }

    void Click(const WindowInfo& form, int dialog, int item)
    {
        const std::optional<DialogItem> at = ItemOf(dialog, item);
        ASSERT_TRUE(at.has_value()) << dialog << " has no item " << item;
        ClickItem(form, *at);
    }

    std::string ReportPath() const { return dir_.path() + "/PerfReport.txt"; }
};

TEST_F(PerfProgramTest, EnterPerfCollectOnBufferRunAndSaveTheReport)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(1));
    ASSERT_NO_FATAL_FAILURE(Start());
    const int before = PageInk();
    ASSERT_NO_FATAL_FAILURE(Pick("File", "Enter Perf"));
    ASSERT_TRUE(wait_until([&] { return PageInk() > before + 20; }, 120s)) << "the simulator drew no marking";
    EXPECT_TRUE(NoMessageBoxFor(3s)) << "entering the performance tool showed a message";

    // A collector on Buffer, timed, with statistics.
    // The performance box became current: its page may have opened over the
    // net's page, and is moved out of the way.
    for (const TolqPageWindow& other : ScanTolqWindows(client_).pages)
        if (other.shell.id != page_.id)
            xdotool({"windowmove", std::to_string(other.shell.id), "1000", "700"});
    Settle();
    ClickAt({kBufferSpot.x, kBufferSpot.y + 150});
    ClickAt(kBufferSpot);
    ASSERT_NO_FATAL_FAILURE(PickWithPerf("Perf", "Data Collector..."));
    const std::optional<WindowInfo> form = DialogForm();
    ASSERT_TRUE(form.has_value()) << "no data collector dialog";
    const std::optional<DialogItem> nameField = ItemOf(31605, 6);
    ASSERT_TRUE(nameField.has_value());
    TypeInto(*form, *nameField, "Buffered");
    ASSERT_NO_FATAL_FAILURE(Click(*form, 31605, 7));
    ASSERT_NO_FATAL_FAILURE(Click(*form, 31605, 9));
    ASSERT_NO_FATAL_FAILURE(Click(*form, 31605, 3));
    ASSERT_TRUE(DialogGone()) << "OK did not close the dialog";
    EXPECT_TRUE(NoMessageBoxFor(2s)) << "the collector was refused";

    ASSERT_NO_FATAL_FAILURE(PickWithPerf("Sim", "Automatic Run"));
    // The run goes until nothing is enabled: Produce makes nine tokens,
    // Consume takes them.
    ASSERT_TRUE(AnswerMessageBox(60s)) << "the run did not end";
    ASSERT_NO_FATAL_FAILURE(PickWithPerf("Perf", "Save Report..."));
    ASSERT_TRUE(wait_until([&] { return fs::exists(ReportPath()); }, 20s)) << "no report beside the diagram";
    const std::string report = FileText(ReportPath());
    EXPECT_NE(report.find("Buffered (tokens, timed)"), std::string::npos) << report;
    for (const char* line : {"Count", "Sum", "Average"})
        EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
    // Nineteen steps (nine of Produce, ten of Consume), each observed after
    // the first observation; ten tokens left Buffer, at time 0.
    EXPECT_NE(report.find("step 19"), std::string::npos) << report;
    EXPECT_EQ(CountIn(report, "Buffered (tokens, timed)"), 20) << report;
    EXPECT_EQ(CountIn(report, "Buffered (waiting time)"), 10) << report;
    EXPECT_TRUE(tolq_.running());
}

// Only places and transitions take collectors: the net kind of the selected
// object decides, so the declaration node is refused with a message and no
// dialog opens.
TEST_F(PerfProgramTest, TheDeclarationNodeTakesNoCollector)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(1));
    Spot declarations{};
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle buffer = diagram.NodeNamed("Buffer");
        ObjectHandle node = 0;
        for (ObjectHandle n : NodesOf(diagram.NetPages().front())) {
            SEHead* record = nullptr;
            if (GE_GetSERecord(n, &record) != 0 && record != nullptr && record->kind == kSEDeclNode)
                node = n;
        }
        ASSERT_NE(node, 0u);
        Fixed bx = 0, by = 0, x = 0, y = 0;
        QXRdAttr_GetPosition(buffer, &bx, &by);
        QXRdAttr_GetPosition(node, &x, &y);
        declarations = {kBufferSpot.x + (x - bx) / kPixel, kBufferSpot.y + (y - by) / kPixel};
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    const int before = PageInk();
    ASSERT_NO_FATAL_FAILURE(Pick("File", "Enter Perf"));
    ASSERT_TRUE(wait_until([&] { return PageInk() > before + 20; }, 120s)) << "the simulator drew no marking";
    ASSERT_TRUE(NoMessageBoxFor(3s));
    for (const TolqPageWindow& other : ScanTolqWindows(client_).pages)
        if (other.shell.id != page_.id)
            xdotool({"windowmove", std::to_string(other.shell.id), "1000", "700"});
    Settle();
    ClickAt({kBufferSpot.x, kBufferSpot.y + 150});
    ClickAt(declarations);
    ASSERT_NO_FATAL_FAILURE(PickWithPerf("Perf", "Data Collector..."));
    EXPECT_TRUE(AnswerMessageBox()) << "the declaration node was taken";
    EXPECT_TRUE(NoMessageBoxFor(1s));
    EXPECT_TRUE(tolq_.running());
}

TEST_F(PerfProgramTest, TwoAuxiliaryBoxesStopTheEntryWithoutAMenu)
{
    ASSERT_NO_FATAL_FAILURE(Prepare(2));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Pick("File", "Enter Perf"));
    ASSERT_TRUE(AnswerMessageBox(120s)) << "no message about the auxiliary boxes";
    // Without the Perf menu its title is not in the bar: the File menu still
    // opens from the simulator's bar, and no report can be asked for.
    EXPECT_TRUE(NoMessageBoxFor(2s));
    EXPECT_FALSE(fs::exists(ReportPath()));
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test

// Printing from the command layer on a diagram with a page window: the pages
// the print settings choose go into one document, which the spooler command
// of VelkorPrintCommand receives (here a command that copies it); a failing
// spooler, a refusing application and a bad page range are reported; "Save
// Eps..." writes the page's EPS file.
#include "PageWindowFixture.h"

#include "process.h"
#include "xvfb.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "TestEvents.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/trans/Trans.h"
#include "xkv/undo/Undo.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

namespace fs = std::filesystem;
using tolq::test::TempDir;

constexpr uint32_t kPrintProperty = 19;
constexpr int32_t kPrintDialogState = 64;
constexpr uint32_t kPrintDialog = 1002;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::vector<ObjectHandle> gPrinted;
uintptr_t NotePrinted(uintptr_t page, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    gPrinted.push_back(static_cast<ObjectHandle>(page));
    return 1;
}
uintptr_t RefusePrinting(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}
std::vector<ObjectHandle> gApplicationPages;
uintptr_t ApplicationPages(uintptr_t count, uintptr_t pages, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* list = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * gApplicationPages.size()));
    std::copy(gApplicationPages.begin(), gApplicationPages.end(), list);
    *reinterpret_cast<uint16_t*>(count) = static_cast<uint16_t>(gApplicationPages.size());
    *reinterpret_cast<uint32_t**>(pages) = list;
    return 1;
}

class PrintCommands : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        ASSERT_EQ(Comm_Initialize(), 0u);
        ASSERT_EQ(Core_AddPage(&page_), 0u);
        Model_SetFlags(page_, 8, 1);
        Comm_SetCurrentPage(page_);
        ASSERT_EQ(Comm_GetCurrentPage(), page_);
        WaitShowing(Window_OfPage(page_));
        gPrinted.clear();
        Hook_Register(44, NotePrinted);
    }
    void TearDown() override
    {
        for (HookId id = 0; id < kHookCount; ++id) {
            Hook_Unregister(id);
        }
        while (Comm_PopLevel() == 0) {
        }
        Trans_Begin(0, nullptr, 1);
        Comm_DropArguments();
        Comm_SetCurrentPage(0);
        Undo_Shutdown();
        Core_CloseModel();
        PageWindowTest::TearDown();
    }

    ObjectHandle AddPage(uint32_t number)
    {
        ObjectHandle page = 0;
        EXPECT_EQ(Core_AddPage(&page), 0u);
        Model_SetFieldValue(page, Field::kPageNumber, number);
        return page;
    }
    // A print-settings record: range kind, first and last page number.
    static std::vector<uint8_t> Settings(uint32_t kind, uint32_t first = 0, uint32_t last = 0)
    {
        std::vector<uint8_t> record(Default_PropertySize(kPrintProperty));
        EXPECT_EQ(Default_Get(0, kDefaultLevelNew, kPrintProperty, record.data()), kStatusOk);
        const uint32_t words[][2] = {{24, kind}, {28, first}, {32, last}};
        for (const auto& w : words) {
            std::memcpy(record.data() + w[0], &w[1], sizeof w[1]);
        }
        return record;
    }
    // The document the spooler got, or "" when it got none.
    std::string Spooled() const
    {
        return fs::exists(spooled_) ? tolq::test::read_file(spooled_) : std::string();
    }
    static std::vector<std::string> PageLines(const std::string& document)
    {
        std::vector<std::string> lines;
        const std::regex page("%%Page: \\((\\d+)\\) \\d+");
        for (auto it = std::sregex_iterator(document.begin(), document.end(), page); it != std::sregex_iterator();
             ++it) {
            lines.push_back((*it)[1]);
        }
        return lines;
    }
    KernelStatus Run(MemHandle event)
    {
        EXPECT_EQ(Comm_PostEvent(event), 0u);
        return Comm_ProcessEvents();
    }
    // The print dialog's answer, with the settings as its values block.
    KernelStatus AnswerPrintDialog(uint32_t button, const std::vector<uint8_t>& settings)
    {
        MemHandle values = 0;
        void* data = nullptr;
        EXPECT_EQ(Mem_AllocLocked(&values, &data, settings.size()), kStatusOk);
        std::memcpy(data, settings.data(), settings.size());
        Mem_Unlock(values);
        Comm_SetState(kPrintDialogState);
        return Run(TestDialogAnswer(kPrintDialog, button, values));
    }

    TempDir dir_;
    std::string spooled_ = dir_.file("spooled.ps");
    ScopedEnv directory_{"VelkorPrintDirectory", dir_.path()};
    ScopedEnv spooler_{"VelkorPrintCommand", "sh -c 'cp \"$2\" \"$1\"; rm -f \"$2\"' _ " + spooled_ + " "};
    ObjectHandle page_ = 0;
};

TEST_F(PrintCommands, StoredSettingsPrintTheCurrentPageAndLeaveTheDiagramUnmodified)
{
    Model_SetFieldValue(page_, Field::kPageNumber, 7);
    AddPage(8);
    Model_SetModified(0);
    ASSERT_EQ(Comm_PrintDiagram(), kStatusOk);
    EXPECT_EQ(PageLines(Spooled()), std::vector<std::string>{"7"});
    EXPECT_NE(Spooled().find("%%Pages: 1\n"), std::string::npos);
    EXPECT_EQ(gPrinted, std::vector<ObjectHandle>{page_});
    EXPECT_EQ(Model_IsModified(), 0u);
}

TEST_F(PrintCommands, ApplicationPagesComeFromItsPageList)
{
    Model_SetFieldValue(page_, Field::kPageNumber, 1);
    AddPage(2);
    const ObjectHandle third = AddPage(3);
    gApplicationPages = {third, page_};
    Hook_Register(85, ApplicationPages);
    ASSERT_EQ(Comm_PrintDiagram(), kStatusOk);
    EXPECT_EQ(PageLines(Spooled()), (std::vector<std::string>{"3", "1"}));
}

TEST_F(PrintCommands, PrintDialogAnswerPrintsTheChosenRangeInPageOrder)
{
    Model_SetFieldValue(page_, Field::kPageNumber, 1);
    const ObjectHandle fourth = AddPage(4);
    const ObjectHandle second = AddPage(2);
    AddPage(3);
    const ObjectHandle hidden = AddPage(5);
    Model_SetFlags(hidden, 512, 1);

    ASSERT_EQ(AnswerPrintDialog(1, Settings(2, 2, 5)), kStatusOk);  // Cancel
    EXPECT_EQ(Spooled(), "");
    EXPECT_EQ(Comm_GetState(), kCommStateReady);

    ASSERT_EQ(AnswerPrintDialog(0, Settings(2, 2, 5)), kStatusOk);
    EXPECT_EQ(PageLines(Spooled()), (std::vector<std::string>{"2", "3", "4"})) << "page 5 has its own window flag";
    EXPECT_EQ(gPrinted.front(), second);
    EXPECT_EQ(gPrinted.back(), fourth);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);

    fs::remove(spooled_);
    ASSERT_EQ(AnswerPrintDialog(0, Settings(0)), kStatusOk);
    EXPECT_EQ(PageLines(Spooled()), (std::vector<std::string>{"1", "2", "3", "4"})) << "every page";
}

TEST_F(PrintCommands, BadRangesRefusalsAndFailingSpoolersAreReported)
{
    EXPECT_EQ(Comm_PrintPages(Settings(2, 3, 2).data(), Settings(2).size()), 39u) << "end below start";
    EXPECT_EQ(Comm_PrintPages(Settings(2, 0, 0).data(), Settings(2).size()), 39u) << "end 0";
    EXPECT_EQ(Spooled(), "");

    Hook_Register(46, RefusePrinting);
    EXPECT_EQ(Comm_PrintDiagram(), kStatusOk);
    EXPECT_EQ(Spooled(), "") << "the application cancelled the printing";
    EXPECT_TRUE(gPrinted.empty());
    Hook_Unregister(46);

    for (const char* failing : {"false", "/nonexistent/spooler"}) {
        ScopedEnv spooler("VelkorPrintCommand", failing);
        EXPECT_EQ(Comm_PrintDiagram(), kStatusFailed) << failing;
    }
}

TEST_F(PrintCommands, SaveEpsWritesThePageNamedFile)
{
    std::vector<uint8_t> eps(Default_PropertySize(15));
    ASSERT_EQ(Default_Get(0, kDefaultLevelNew, 15, eps.data()), kStatusOk);
    const uint32_t nameFromPage = 1;
    std::memcpy(eps.data() + 40, &nameFromPage, sizeof nameFromPage);
    ASSERT_EQ(Default_Set(0, kDefaultLevelNew, 15, eps.data()), kStatusOk);
    char cwd[4096] = {};
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    const KernelStatus status = Run(TestCommand(74, 0));
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(status, kStatusOk);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(tolq::test::read_file(dir_.file("unnamed.eps")).rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0u);
}

}  // namespace

// "Syntax Check" picked from the TOLQ menu on the example net, opened as the
// kernel opens a diagram, with the real evaluator and the outcome's message
// box answered on the private X server: a sound net is checked without
// errors, a broken arc inscription lands in the page's error box.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "user_answers.h"
#include "xclient.h"

#include <filesystem>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetDataBase.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/SML/SMLLink.h"
#include "xkv/cache/Cache.h"
#include "xkv/colour/Colour.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextEdit.h"
#include "xkv/undo/Undo.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

int CTSStopEvaluator();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kTolqMenu = 10100;
constexpr int16_t kSyntaxCheck = 10117;
constexpr int kMessage = 30000;
constexpr int kMessageText = 3;
constexpr uint32_t kCheckDone = 16;

template <typename Get>
std::vector<ObjectHandle> ListOf(Get get, ObjectHandle of)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    std::vector<ObjectHandle> out;
    if (get(of, &count, &array) != 0 && array != nullptr)
        out.assign(array, array + count);
    if (array != nullptr)
        QXMem_Free(array);
    return out;
}

std::vector<ObjectHandle> NetPages()
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    std::vector<ObjectHandle> out;
    if (QXStr_GetPageList(&count, &array) != 0 && array != nullptr)
        out.assign(array, array + count);
    if (array != nullptr)
        QXMem_Free(array);
    uint32_t length = 0;
    std::erase_if(out, [&](ObjectHandle page) { return PGIsHierarchyObject(page, &length) != 0; });
    return out;
}

// The example diagram opened through the net editor's life-cycle hooks, with
// the evaluator found beside the program as tolq finds it.
class CheckMenuTest : public DialogX {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        Window_Init();
        Cache_Initialize();
        Color_Initialize();
        QXStatus = 0;
        setenv("HOME", dir_.path().c_str(), 1);
        Velkor_CopyBounded(Velkor_Settings().programName, "tolq");
        Velkor_CopyBounded(Velkor_Settings().programDirectory, TOLQ_BIN_DIR "/");
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        EE_ClearPendingError();
        GE_SetMode(kGEModeEditor);
        const std::pair<HookId, HookHandler> hooks[] = {{48, EE_DiagramSaving}, {38, EE_DiagramSaved},
                                                        {42, EE_DiagramLoading}, {32, EE_DiagramRead},
                                                        {64, EE_DiagramClosed}, {78, EE_AfterFileRead}};
        for (const auto& [hook, handler] : hooks)
            Hook_Set(hook, handler);
        OpenTheExample();
    }
    void TearDown() override
    {
        CTSStopEvaluator();
        CloseDialogsAndSelector();
        Select_Clear();
        for (int i = 0; i < 3 && Window_FirstPage() != 0; ++i)
            while (ObjectHandle page = Window_FirstPage())
                Window_ClosePage(page);
        Pump([] { return false; }, std::chrono::milliseconds(20));
        Core_CloseModel();
        Hook_Fire(64);
        DialogX::TearDown();
        Text_Shutdown();
        Undo_Shutdown();
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
        EE_ClearPendingError();
    }

    void OpenTheExample()
    {
        const std::string example = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";
        const std::string diagram = dir_.file("net");
        fs::copy_file(example, diagram);
        fs::copy_file(example + ".DB", diagram + ".DB");
        Comm_SetFilePath(1, diagram.c_str());
        Core_CloseModel();
        FileHandle file = 0;
        ASSERT_EQ(File_Open(diagram.c_str(), kOpenRead, &file), kStatusOk);
        ObjectGroup pages = 0;
        ASSERT_EQ(File_ReadDiagram(file, 0, &pages), kStatusOk);
        File_Close(file);
        if (pages != 0)
            Group_Free(pages);
        ASSERT_EQ(NetPages().size(), 1u);
        page_ = NetPages().front();
        QXStr_SetCurPage(page_);
    }

    // Picks "Syntax Check" while the outcome's message box is answered;
    // what the box said comes back.
    std::string PickSyntaxCheck()
    {
        std::string shown;
        Driver driver(app(), AnswerAlert(input_, kMessage, kMessageText, 0, &shown), CloseDialogsAndSelector,
                      std::chrono::milliseconds(60000));
        EXPECT_EQ(GE_DispatchPick(kTolqMenu, kSyntaxCheck, true), 1);
        EXPECT_TRUE(driver.finished()) << "stopped at step " << driver.reached();
        EXPECT_EQ(Dialog_Depth(), 0);
        return shown;
    }

    // The page's error box text, or "" when it has none.
    std::string ErrorBoxText() const
    {
        const ObjectHandle box = GE_GetAuxWord(page_);
        return box != 0 && QXStr_IsObject(box) != 0 ? GE_TextOf(box) : std::string();
    }

    // The first arc of the page with an arc expression region: the arc and
    // its region.
    std::pair<ObjectHandle, ObjectHandle> ArcInscription() const
    {
        for (ObjectHandle connector : ListOf(QXStr_GetPageConnList, page_)) {
            SEHead* record = nullptr;
            if (GE_GetSERecord(connector, &record) == 0 || record == nullptr || record->kind != kSEArc)
                continue;
            ObjectHandle region = 0;
            if (GE_GetRegion(connector, kRegionArcExpr, &region) != 0 && region != 0)
                return {connector, region};
        }
        return {0, 0};
    }

    TempDir dir_;
    XClient input_;
    ObjectHandle page_ = 0;
};

TEST_F(CheckMenuTest, SoundNetIsCheckedWithTheEvaluatorStartedOnFirstNeed)
{
    ASSERT_EQ(SMLIsConnected(), 0);
    GE_ClearStateFlags(kCheckDone);

    // The evaluator starts on the first check; the sound net passes.
    EXPECT_EQ(PickSyntaxCheck(), "Syntax check was successful.");
    EXPECT_EQ(SMLIsConnected(), 1);
    EXPECT_NE(GE_TestStateFlags(kCheckDone), 0);
    EXPECT_EQ(GE_GetErrorCount(), 0u);
    EXPECT_EQ(ErrorBoxText(), "") << "a clean check makes no error box";
}

// An arc inscription that is no ML is reported in its page's error box with
// a reference to the arc; mended, the next check resets the box.
TEST_F(CheckMenuTest, BrokenArcIsReportedInItsPagesErrorBox)
{
    ASSERT_EQ(PickSyntaxCheck(), "Syntax check was successful.");
    // An arc inscription that is no ML expression.
    const auto [arc, inscription] = ArcInscription();
    ASSERT_NE(inscription, 0u);
    ASSERT_EQ(QXText_SetText(inscription, "n +"), 1u);
    EE_UpdateNetFromObject(arc);
    EXPECT_EQ(PickSyntaxCheck(), "Syntax errors were found. ");
    EXPECT_EQ(GE_GetErrorCount(), 1u);
    const std::string box = ErrorBoxText();
    EXPECT_TRUE(box.starts_with("Errors\n\nC.11 Arc expression must be legal\n")) << box;
    EXPECT_NE(box.find("<<"), std::string::npos) << "the error refers to the arc: " << box;

    // Mended again, the next check empties the box and passes.
    ASSERT_EQ(QXText_SetText(inscription, "n"), 1u);
    EE_UpdateNetFromObject(arc);
    EXPECT_EQ(PickSyntaxCheck(), "Syntax check was successful.");
    EXPECT_EQ(GE_GetErrorCount(), 0u);
    EXPECT_EQ(ErrorBoxText(), "<<No errors>>");
}

}  // namespace
}  // namespace tolq::test

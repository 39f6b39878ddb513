// A diagram marked as saved in a simulation state, opened with the real
// tolq: the user is asked whether to enter the simulator; "No" leaves the
// diagram unopened. The mark alone holds no state (no saved evaluator image,
// no page instances), so "Yes" leads to the question whether to open it in
// the editor without its state, which "Yes" does.
#include <gtest/gtest.h>

#include "session.h"
#include "xvfb.h"

#include <string>

#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kvud/UserData.h"
#include "xkv/model/Model.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr UserDataTag kSavedState = 0xF903;
// "Yes" and "No" of the yes/no question, where its dialog table puts them.
constexpr int kYesX = 313, kNoX = 220, kAnswerY = 132;

// The example net with the saved-simulation mark on its page list, written
// by the kernel's own writer; its data base file goes beside it.
bool WriteMarkedCopy(const std::string& path)
{
    bool ok = Group_CreateTable(kGroupTableInitialSize) == kStatusOk &&
              Model_CreateTable(kInitialObjectSlots) == kStatusOk && Default_Init() == kStatusOk;
    FileHandle file = 0;
    ObjectGroup pages = 0;
    ok = ok && File_Open(kExampleNet.c_str(), kOpenRead, &file) == kStatusOk &&
         File_ReadDiagram(file, 0, &pages) == kStatusOk;
    if (file != 0)
        File_Close(file);
    file = 0;
    if (pages != 0)
        Group_Free(pages);
    const uint32_t mark = 0x01000000;  // one XDR word
    ok = ok && UD_SetField(QXStr_GetPageListHandle(), kSavedState, &mark, sizeof mark) != 0;
    ok = ok && File_Open(path.c_str(), kOpenWrite, &file) == kStatusOk && File_WriteDiagram(file) == kStatusOk;
    if (file != 0)
        ok = File_Close(file) == kStatusOk && ok;
    if (Model_GetRoot() != 0)
        Model_DestroyTree(Model_GetRoot());
    Default_Shutdown();
    Model_DestroyTable();
    Group_DestroyTable();
    std::filesystem::copy_file(kExampleNet + ".DB", path + ".DB");
    return ok;
}

class SavedState : public TolqSession, public ::testing::WithParamInterface<bool> {};

TEST_P(SavedState, TheLoadAsksWhetherToEnterTheSimulator)
{
    const bool yes = GetParam();
    diagram_ = dir_.file("net.tolq");
    ASSERT_TRUE(WriteMarkedCopy(diagram_));
    Start(dir_.path());
    const std::optional<WindowInfo> question = WaitForDialog(30s);
    ASSERT_TRUE(question.has_value());
    Settle();
    client_.click(question->root_x + (yes ? kYesX : kNoX), question->root_y + kAnswerY);
    if (yes) {
        // "Load as diagram": the state cannot be taken up.
        ASSERT_TRUE(wait_until([&] {
            const std::optional<WindowInfo> next = WaitForDialog(1s);
            return next.has_value() && next->id != question->id;
        }, 60s)) << "no question about the missing state";
        const std::optional<WindowInfo> missing = WaitForDialog(1s);
        Settle();
        client_.click(missing->root_x + kYesX, missing->root_y + kAnswerY);
    }
    ASSERT_TRUE(NoDialogLeft());
    // Only an opened diagram has its page window.
    EXPECT_EQ(wait_until([&] { return FindWindows(); }, 10s), yes);
    EXPECT_TRUE(tolq_.running());
}

INSTANTIATE_TEST_SUITE_P(Answers, SavedState, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Yes" : "No"); });

}  // namespace
}  // namespace tolq::test

// The evaluator's image saved with the diagram by the real tolq: after a
// syntax check has compiled the declarations, Save writes the image beside
// the diagram, and the next session's check starts from that image instead
// of compiling the declarations again (seen in the texts -dumpML shows).
#include <gtest/gtest.h>

#include "session.h"
#include "xvfb.h"

#include <string>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr char kCompileDeclarations[] = "TOLQ'Edit.ParseGlobDecl();";
constexpr char kSaveImage[] = "TOLQ'Edit.SaveImage(";

class MLImage : public TolqSession {
protected:
    void KeyOnPage(const std::string& keys)
    {
        client_.move_pointer(drawing_.root_x + 60, drawing_.root_y + drawing_.height - 80);
        xdotool({"key", keys});
    }

    // The syntax check from its key, its outcome's message box closed.
    void SyntaxCheck()
    {
        KeyOnPage("alt+apostrophe");
        const std::optional<WindowInfo> outcome = WaitForDialog(90s);
        ASSERT_TRUE(outcome.has_value());
        Settle();
        PressReturn(*outcome);
        ASSERT_TRUE(NoDialogLeft());
    }

    bool ImageWritten() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
            if (entry.path().filename().string().rfind("net.tolq.ML", 0) == 0)
                return true;
        return false;
    }
};

TEST_F(MLImage, ADiagramSavedWithItsImageIsCheckedWithoutCompilingItsDeclarations)
{
    const std::string first = dir_.file("first.out");
    Start(dir_.path(), {"-dumpML"}, first);
    ASSERT_TRUE(WaitForWindows());
    SyntaxCheck();
    KeyOnPage("alt+s");
    ASSERT_TRUE(wait_until([&] { return ImageWritten(); }, 60s));
    ASSERT_TRUE(wait_until([&] { return read_file(first).find(kSaveImage) != std::string::npos; }, 30s));
    CloseWithoutSaving();
    ASSERT_TRUE(EndedCleanly());
    EXPECT_NE(read_file(first).find(kCompileDeclarations), std::string::npos);

    const std::string second = dir_.file("second.out");
    Start(dir_.path(), {"-dumpML"}, second);
    ASSERT_TRUE(WaitForWindows());
    SyntaxCheck();
    CloseWithoutSaving();
    ASSERT_TRUE(EndedCleanly());
    const std::string texts = read_file(second);
    EXPECT_EQ(texts.find(kCompileDeclarations), std::string::npos) << texts;
}

}  // namespace
}  // namespace tolq::test

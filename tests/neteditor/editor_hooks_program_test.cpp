// tolq on a copy of the example net under the private Xvfb, driven with real
// clicks and keys: an arc inscription changed on the page reaches the net
// data base that Save writes, and Delete on a selected transition removes it
// with its net record.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "xclient.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// Where the example's objects lie in its page window, which opens at the
// screen's origin: the inscription "n" of the arc from Produce to Buffer, the
// transition Consume and an empty spot of the page.
constexpr int kInscriptionX = 369, kInscriptionY = 381;
constexpr int kConsumeX = 470, kConsumeY = 580;
constexpr int kEmptyX = 300, kEmptyY = 650;

// A string as the net data base file holds it: its length with the closing
// zero in four bytes, big-endian, then its bytes and the zero.
std::string Encoded(const std::string& text)
{
    const auto n = static_cast<uint32_t>(text.size() + 1);
    std::string bytes = {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                         static_cast<char>(n)};
    return bytes + text + std::string(1, '\0');
}

bool Holds(const std::string& file, const std::string& text)
{
    return read_file(file).find(Encoded(text)) != std::string::npos;
}

class EditorHooksProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        diagram_ = dir_.file("producer-consumer.tolq");
        std::filesystem::copy_file(kExample, diagram_);
        std::filesystem::copy_file(kExample + ".DB", diagram_ + ".DB");
        original_ = read_file(diagram_ + ".DB");
        tolq_.emplace(std::vector<std::string>{kTolq, diagram_}, std::vector<std::pair<std::string, std::string>>{
                                                                       {"HOME", dir_.path()}});
        // The main window and the page window of the diagram.
        ASSERT_TRUE(wait_until(
            [&] {
                int shells = 0;
                for (const WindowInfo& w : client_.window_tree())
                    shells += w.parent == client_.root() && w.mapped && w.res_class == "Tolq" ? 1 : 0;
                return shells >= 2;
            },
            std::chrono::milliseconds(20000)));
        Settle();
    }
    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }
    // The File menu's Save, through its accelerator.
    void Save() const
    {
        xdotool({"key", "alt+s"});
        Settle();
    }
    bool SavedAgain() const
    {
        return wait_until([&] { return read_file(diagram_ + ".DB") != original_; });
    }

    TempDir dir_;
    std::string diagram_;
    std::string original_;
    XClient client_;
    std::optional<BackgroundProcess> tolq_;
};

TEST_F(EditorHooksProgramTest, InscriptionChangedOnThePageIsSavedInTheNet)
{
    ASSERT_TRUE(Holds(diagram_ + ".DB", "n"));
    ASSERT_FALSE(Holds(diagram_ + ".DB", "n+2"));
    client_.click(kInscriptionX, kInscriptionY);
    Settle();
    xdotool({"key", "alt+t"});  // text editing on, the cursor after the text
    Settle();
    xdotool({"type", "+2"});
    Settle();
    // A click elsewhere ends the edit.
    client_.click(kEmptyX, kEmptyY);
    Settle();
    Save();
    ASSERT_TRUE(SavedAgain());
    EXPECT_TRUE(Holds(diagram_ + ".DB", "n+2"));
    EXPECT_TRUE(Holds(diagram_ + ".DB", "n + 1"));  // the other inscriptions stay
    EXPECT_TRUE(tolq_->running());
}

// The main road: an inscription made invalid on the page is what the syntax
// check sees; its error lands in the page's error box, and Save writes both
// the edited inscription and the box.
// Windows may vanish while the tree is read.
int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    return error->error_code == BadWindow || error->error_code == BadMatch ? 0 : 1;
}

TEST_F(EditorHooksProgramTest, BrokenInscriptionTypedOnThePageIsReportedByTheCheck)
{
    const XErrorHandler previous = XSetErrorHandler(IgnoreVanishedWindows);
    client_.click(kInscriptionX, kInscriptionY);
    Settle();
    xdotool({"key", "alt+t"});
    Settle();
    xdotool({"type", " +"});
    Settle();
    client_.click(kEmptyX, kEmptyY);
    Settle();
    xdotool({"key", "alt+apostrophe"});
    // The check ends with a message box.
    std::optional<WindowInfo> button;
    ASSERT_TRUE(wait_until([&] { return (button = client_.message_box_button()).has_value(); },
                           std::chrono::milliseconds(90000)))
        << "the check showed no result";
    client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
    ASSERT_TRUE(wait_until([&] { return !client_.message_box_button().has_value(); }));
    client_.click(kEmptyX, kEmptyY);
    Settle();
    Save();
    ASSERT_TRUE(SavedAgain());
    EXPECT_TRUE(Holds(diagram_ + ".DB", "n +"));
    EXPECT_NE(read_file(diagram_).find("C.11 Arc expression must be legal"), std::string::npos)
        << "the page's error box holds the error";
    EXPECT_TRUE(tolq_->running());
    XSetErrorHandler(previous);
}

TEST_F(EditorHooksProgramTest, DeleteOnASelectedTransitionRemovesItsNetRecord)
{
    ASSERT_TRUE(Holds(diagram_ + ".DB", "Consume"));
    client_.click(kConsumeX, kConsumeY);
    Settle();
    client_.key("Delete");
    Settle();
    Save();
    ASSERT_TRUE(SavedAgain());
    EXPECT_FALSE(Holds(diagram_ + ".DB", "Consume"));
    EXPECT_TRUE(Holds(diagram_ + ".DB", "Produce"));
    EXPECT_TRUE(Holds(diagram_ + ".DB", "Buffer"));
    EXPECT_TRUE(tolq_->running());
}

TEST_F(EditorHooksProgramTest, BackSpaceOnASelectedTransitionRemovesItToo)
{
    client_.click(kConsumeX, kConsumeY);
    Settle();
    client_.key("BackSpace");
    Settle();
    Save();
    ASSERT_TRUE(SavedAgain());
    EXPECT_FALSE(Holds(diagram_ + ".DB", "Consume"));
    EXPECT_TRUE(tolq_->running());
}

}  // namespace
}  // namespace tolq::test

// ML Evaluate and Start ML / Stop ML of the real tolq with the real
// evaluator: a label typed on the page is evaluated from its key and from the
// Aux menu, the answer lands in the diagram, and the Aux menu's item tells
// whether the evaluator runs.
#include <gtest/gtest.h>

#include "session.h"
#include "xvfb.h"

#include <string>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

bool Dark(XImage* image, int x, int y)
{
    const unsigned long pixel = XGetPixel(image, x, y);
    return ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128;
}

class MLEvaluate : public TolqSession {
protected:
    void SetUp() override
    {
        TolqSession::SetUp();
        Start(dir_.path());
        ASSERT_TRUE(WaitForWindows());
    }

    // A point of the page's drawing area that the example leaves empty.
    int EmptyX() const { return drawing_.root_x + 120; }
    int EmptyY() const { return drawing_.root_y + 120; }

    // Aux > Label, a click on an empty part of the page, the text typed, and
    // Escape to end the label: it stays selected.
    void TypeLabel(const std::string& text)
    {
        Pick("Aux", "Label");
        client_.click(EmptyX(), EmptyY());
        Settle();
        client_.type_text(text);
        Settle();
        client_.key("Escape");
        Settle();
    }

    void Save()
    {
        client_.move_pointer(drawing_.root_x + drawing_.width / 2, drawing_.root_y + drawing_.height / 2);
        xdotool({"key", "alt+s"});
        Settle();
    }

    // The width of the ink in the item's row of the open menu.
    int ItemInkWidth(const std::string& title, const std::string& item)
    {
        if (!PressTitle(title))
            return -1;
        const std::optional<WindowInfo> menu = OpenMenu(title);
        int width = -1;
        if (menu) {
            const int top = ItemTop(title, item);
            XImage* image = XGetImage(client_.display(), menu->id, 0, top, static_cast<unsigned>(menu->width),
                                      static_cast<unsigned>(ItemHeight()), AllPlanes, ZPixmap);
            if (image != nullptr) {
                int left = menu->width, right = -1;
                for (int y = 0; y < ItemHeight(); ++y)
                    for (int x = 0; x < menu->width; ++x)
                        if (Dark(image, x, y)) {
                            left = std::min(left, x);
                            right = std::max(right, x);
                        }
                XDestroyImage(image);
                width = right >= left ? right - left + 1 : 0;
            }
        }
        // Released outside the menu: nothing is picked.
        client_.move_pointer(drawing_.root_x + drawing_.width / 2, drawing_.root_y + drawing_.height / 2);
        xdotool({"mouseup", "1"});
        Settle();
        return width;
    }

    bool ItemReads(const std::string& item, const std::string& label)
    {
        return wait_until([&] { return std::abs(ItemInkWidth("Aux", item) - TextWidth(label)) <= 2; }, 30s);
    }

    bool SavedDiagramHolds(const std::string& text)
    {
        Save();
        return wait_until([&] { return read_file(diagram_).find(text) != std::string::npos; }, 20s);
    }
};

TEST_F(MLEvaluate, TheAnswerOfALabelLandsInTheDiagram)
{
    TypeLabel("val tolqAnswer = 6 * 7;");
    ASSERT_TRUE(ItemReads("Start ML", "Start ML"));
    Pick("Aux", "ML Evaluate");
    EXPECT_TRUE(SavedDiagramHolds("tolqAnswer = 42")) << "the evaluator's answer is not in the diagram";
    // The evaluator runs now: the item offers to stop it.
    EXPECT_TRUE(ItemReads("Start ML", "Stop ML"));
    EXPECT_TRUE(tolq_.running());
}

TEST_F(MLEvaluate, TheKeyEvaluatesAgainIntoTheSameRegion)
{
    TypeLabel("val tolqTwice = 20 + 1;");
    client_.move_pointer(EmptyX() + 200, EmptyY() + 200);
    xdotool({"key", "alt+semicolon"});
    ASSERT_TRUE(SavedDiagramHolds("tolqTwice = 21"));
    const std::string first = read_file(diagram_);
    xdotool({"key", "alt+semicolon"});
    Settle();
    Save();
    // The second answer replaced the first: one answer in one region.
    const std::string second = read_file(diagram_);
    EXPECT_EQ(second.find("tolqTwice = 21"), second.rfind("tolqTwice = 21"));
    EXPECT_EQ(second.size(), first.size());
}

TEST_F(MLEvaluate, StartAndStopFlipTheItem)
{
    Pick("Aux", "Start ML");
    ASSERT_TRUE(ItemReads("Start ML", "Stop ML"));
    // Stopping offers to save the diagram under a name of the user's choice
    // first; the offer is declined here.
    Pick("Aux", "Start ML");
    const std::optional<WindowInfo> selector = WaitForFileSelector();
    ASSERT_TRUE(selector.has_value()) << "Stop ML offers no Save As";
    CloseFromWindowManager(selector->id);
    EXPECT_TRUE(ItemReads("Start ML", "Start ML"));
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test

// The Align menu's commands against picked references in the real tolq, on
// a copy of the example net: Position... places the selected node from the
// picked reference by the offsets typed into its dialog, the horizontal
// spread sets the nodes at equal steps, the circular spread puts them on the
// circle about the first pick through the second. Positions are read back
// from the saved diagram.
#include "MainRoadSession.h"

#include <cmath>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;

const std::map<std::string, std::vector<std::string>> kAlignMenus = {
    {"Align",
     {"Horizontal", "Vertical", "Center", "Position...", "", "Horizontal Spread", "Vertical Spread",
      "Circular Spread", "Between", "Projection", "", "Left to Left", "Left to Right", "Right to Left",
      "Right to Right", "Top to Top", "Top to Bottom", "Bottom to Top", "Bottom to Bottom"}},
};

// Items of the Position... dialog as its layout puts them: x, y, width.
struct DialogField {
    int x, y, width;
};
constexpr DialogField kXField{200, 80, 100};
constexpr DialogField kYField{200, 120, 100};

struct Placed {
    FixPoint centre;
    FixPoint size;
};

class AlignProgramTest : public TolqSession {
protected:
    // Every net node of the saved diagram by name, with centre and size.
    std::map<std::string, Placed> SavedNodes()
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        std::map<std::string, Placed> nodes;
        for (ObjectHandle page : diagram.NetPages()) {
            for (ObjectHandle node : NodesOf(page)) {
                SEHead* record = nullptr;
                if (GE_GetSERecord(node, &record) == 0 || record == nullptr)
                    continue;
                const char* name = SEGetName(record);
                Placed placed;
                QXRdAttr_GetPosition(node, &placed.centre.x, &placed.centre.y);
                QXRdAttr_GetSize(node, &placed.size.x, &placed.size.y);
                nodes[name != nullptr && *name != '\0' ? name : "#" + std::to_string(node)] = placed;
            }
        }
        return nodes;
    }

    // A spot inside the node just above its lower border, clear of its
    // inscriptions, on the screen.
    static Spot InsideLowerBorder(const Placed& node, const Placed& produce)
    {
        return {kProduceSpot.x + (node.centre.x - produce.centre.x) / kPixel,
                kProduceSpot.y + (node.centre.y - produce.centre.y) / kPixel + node.size.y / kPixel / 2 - 4};
    }

    void PickAlign(const std::string& item)
    {
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kAlignMenus}, "Align", item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << "Align did not open";
        Settle();
    }

    // The mapped dialog's shell and its form (the items' parent).
    std::optional<std::pair<WindowInfo, WindowInfo>> OpenDialog()
    {
        std::optional<std::pair<WindowInfo, WindowInfo>> found;
        wait_until([&] {
            const std::vector<WindowInfo> tree = client_.window_tree();
            for (const WindowInfo& shell : tree) {
                if (shell.parent != client_.root() || !shell.mapped || shell.res_name != "dialog")
                    continue;
                for (const WindowInfo& form : tree)
                    if (form.parent == shell.id)
                        found = std::make_pair(shell, form);
            }
            return found.has_value();
        });
        return found;
    }

    // Replaces the field's text by the typed one.
    void TypeInto(const WindowInfo& form, DialogField field, const std::string& text)
    {
        client_.click(form.root_x + field.x + field.width / 2, form.root_y + field.y + 12);
        Settle();
        xdotool({"key", "ctrl+a", "ctrl+k"});
        // xdotool takes a leading minus for an option.
        if (!text.empty() && text[0] == '-') {
            xdotool({"key", "minus"});
            client_.type_text(text.substr(1));
        } else {
            client_.type_text(text);
        }
        Settle();
    }
};

TEST_F(AlignProgramTest, PositionSpreadAndCircleMoveTheSelectedNodes)
{
    std::map<std::string, Placed> nodes = SavedNodes();
    ASSERT_TRUE(nodes.count("Produce") && nodes.count("Buffer") && nodes.count("Next")) << nodes.size();
    ASSERT_NO_FATAL_FAILURE(Start());

    // Position...: Buffer goes 100 pixels right of Produce and 60 below it
    // (positive offsets go upwards).
    ClickAt(InsideLowerBorder(nodes["Buffer"], nodes["Produce"]));
    ASSERT_NO_FATAL_FAILURE(PickAlign("Position..."));
    ClickAt(InsideLowerBorder(nodes["Produce"], nodes["Produce"]));
    const auto dialog = OpenDialog();
    ASSERT_TRUE(dialog.has_value()) << "the Position dialog did not open";
    TypeInto(dialog->second, kXField, "100");
    TypeInto(dialog->second, kYField, "-60");
    client_.key("Return");
    Settle();
    ASSERT_TRUE(wait_until([&] { return !OpenDialog().has_value(); }, 5s));
    ASSERT_NO_FATAL_FAILURE(Save());
    std::map<std::string, Placed> moved = SavedNodes();
    EXPECT_EQ(moved["Buffer"].centre.x, nodes["Produce"].centre.x + 100 * kPixel);
    EXPECT_EQ(moved["Buffer"].centre.y, nodes["Produce"].centre.y + 60 * kPixel);
    EXPECT_EQ(moved["Produce"].centre, nodes["Produce"].centre);

    // Horizontal spread of every node between Next and Buffer: equal steps
    // between the centres, from left to right.
    nodes = moved;
    Keys("alt+a");
    ASSERT_NO_FATAL_FAILURE(PickAlign("Horizontal Spread"));
    ClickAt(InsideLowerBorder(nodes["Next"], nodes["Produce"]));
    ClickAt(InsideLowerBorder(nodes["Buffer"], nodes["Produce"]));
    ASSERT_NO_FATAL_FAILURE(Save());
    moved = SavedNodes();
    std::vector<Fixed> xs;
    for (const auto& [name, placed] : moved)
        xs.push_back(placed.centre.x);
    std::sort(xs.begin(), xs.end());
    ASSERT_GE(xs.size(), 3u);
    const Fixed step = xs[1] - xs[0];
    EXPECT_GT(step, 0);
    for (size_t i = 2; i < xs.size(); ++i)
        EXPECT_NEAR(xs[i] - xs[i - 1], step, kPixel) << i;
    for (const auto& [name, placed] : moved)
        EXPECT_EQ(placed.centre.y, nodes[name].centre.y) << name << " moved vertically";

    // Circular spread about Produce through Buffer, each node by itself:
    // every node on the circle, at equal angles.
    nodes = moved;
    Keys("alt+a");
    ASSERT_NO_FATAL_FAILURE(PickAlign("Circular Spread"));
    ClickAt(InsideLowerBorder(nodes["Produce"], nodes["Produce"]));
    ClickAt(InsideLowerBorder(nodes["Buffer"], nodes["Produce"]));
    ASSERT_NO_FATAL_FAILURE(Save());
    moved = SavedNodes();
    const FixPoint centre = nodes["Produce"].centre;
    const double radius = std::hypot(double(nodes["Buffer"].centre.x - centre.x) / kPixel,
                                     double(nodes["Buffer"].centre.y - centre.y) / kPixel);
    std::vector<double> angles;
    for (const auto& [name, placed] : moved) {
        const double dx = double(placed.centre.x - centre.x) / kPixel;
        const double dy = double(placed.centre.y - centre.y) / kPixel;
        EXPECT_NEAR(std::hypot(dx, dy), radius, 1.5) << name;
        angles.push_back(std::atan2(dy, dx));
    }
    std::sort(angles.begin(), angles.end());
    const double expected = 2 * 3.141592653589793 / static_cast<double>(angles.size());
    for (size_t i = 1; i < angles.size(); ++i)
        EXPECT_NEAR(angles[i] - angles[i - 1], expected, 0.02) << i;
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test

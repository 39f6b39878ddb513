// Inscription regions, conversions and the clipboard in the real tolq on a
// copy of the example net, driven through its menus, dialogs, clicks and
// keys: TOLQ Region... on a transition for each kind it offers, Convert to
// TOLQ... of drawn objects, Convert to Aux and back, Make Region, Cut and
// Paste of a guard and Undo. After each step the diagram is saved and read
// back here: the net holds what the drawing shows.
#include "MainRoadSession.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;

// The radio buttons of the two kind dialogs, in their dialogs' coordinates
// (the dialog tables put them at x 20, every 28 pixels from y 46).
struct Radio {
    const char* label;
    int y;
};
constexpr int kRadioX = 35;
constexpr Radio kRegionName{"Name", 46 + 11};
constexpr Radio kRegionGuard{"Guard", 130 + 11};
constexpr Radio kRegionCode{"Code", 158 + 11};
constexpr Radio kRegionTime{"Time", 214 + 11};
constexpr Radio kRegionColourSet{"Color Set", 74 + 11};
constexpr Radio kRegionInitMark{"Initial Marking", 102 + 11};
constexpr Radio kConvertPlace{"Place", 46 + 11};
constexpr Radio kConvertTransition{"Transition", 74 + 11};
constexpr Radio kConvertGlobalDecl{"Global Declaration Node", 102 + 11};

// Where an object of the diagram lies in the page's drawing area, found from
// its distance to Produce, whose place on the screen is known.
Spot SpotOf(const NetDiagram& diagram, ObjectHandle object)
{
    Fixed px = 0, py = 0, x = 0, y = 0;
    QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
    QXRdAttr_GetPosition(object, &x, &y);
    return {kProduceSpot.x + (x - px) / kPixel, kProduceSpot.y + (y - py) / kPixel};
}

// A text the net keeps (the record owns it).
std::string Net(const char* text)
{
    return text != nullptr ? text : "";
}

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    return GE_GetSERecord(object, &record) != 0 ? record : nullptr;
}

// The object's region (at any depth) whose kernel region kind is the kind.
ObjectHandle RegionOfKind(ObjectHandle object, uint32_t kind)
{
    for (ObjectHandle region : RegionsOf(object)) {
        uint32_t own = 0;
        QXRdAttr_GetRegionKind(region, &own);
        if (own == kind)
            return region;
        if (const ObjectHandle deeper = RegionOfKind(region, kind); deeper != 0)
            return deeper;
    }
    return 0;
}

// The connector on the page that joins the two nodes.
ObjectHandle ConnectorBetween(ObjectHandle page, ObjectHandle a, ObjectHandle b)
{
    for (ObjectHandle connector : ConnectorsOnPage(page)) {
        ObjectHandle start = 0, end = 0;
        QXRdAttr_GetConnEnds(connector, 1, &start, &end);
        start = start != 0 ? QXStr_GetBaseObject(start) : 0;
        end = end != 0 ? QXStr_GetBaseObject(end) : 0;
        if ((start == a && end == b) || (start == b && end == a))
            return connector;
    }
    return 0;
}

class RegionsProgramTest : public TolqSession {
protected:
    // The place on the screen of the object with the text, read from the
    // diagram as it is on disk.
    Spot SpotOfText(const std::string& text)
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        const ObjectHandle object = diagram.ObjectWithText(text);
        EXPECT_NE(object, 0u) << "no object reads " << text;
        return SpotOf(diagram, object);
    }

    // A free label with the text on the example's page, beside Produce,
    // saved with the program's own writer; where it lies on the screen.
    Spot AddLabel(const std::string& text, int dx, int dy)
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        const ObjectHandle produce = diagram.NodeNamed("Produce");
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(produce, &x, &y);
        const ObjectHandle label = QXStr_CreateLabel(QXStr_GetObjectPage(produce), x + dx * kPixel,
                                                     y + dy * kPixel, 80 * kPixel, 16 * kPixel, text.c_str());
        EXPECT_NE(label, 0u);
        EXPECT_TRUE(diagram.Save());
        return SpotOf(diagram, label);
    }

    // A dialog of the given size once it is up.
    std::optional<WindowInfo> WaitForDialog(int width, int height)
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : client_.window_tree()) {
                if (w.parent == client_.root() && w.mapped && w.res_name == "dialog" && w.width == width &&
                    w.height == height) {
                    found = w;
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    // Picks the radio button in the open kind dialog and answers OK.
    void Choose(int width, int height, const Radio& radio)
    {
        const std::optional<WindowInfo> dialog = WaitForDialog(width, height);
        ASSERT_TRUE(dialog.has_value()) << "the dialog for " << radio.label << " did not open";
        client_.click(dialog->root_x + kRadioX, dialog->root_y + radio.y);
        Settle();
        client_.move_pointer(dialog->root_x + width / 2, dialog->root_y + height / 2);
        client_.key("Return");
        Settle();
        ASSERT_TRUE(wait_until([&] { return !WaitForDialogNow(width, height); })) << "the dialog stayed";
    }
    bool WaitForDialogNow(int width, int height)
    {
        for (const WindowInfo& w : client_.window_tree()) {
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog" && w.width == width &&
                w.height == height)
                return true;
        }
        return false;
    }
    void ChooseRegionKind(const Radio& radio) { Choose(370, 296, radio); }
    void ChooseConvertKind(const Radio& radio) { Choose(370, 240, radio); }

    // TOLQ Region... for the object at the spot: the kind chosen when asked,
    // the region put down at the other spot and its text typed there.
    void MakeRegion(Spot owner, const Radio* kind, Spot at, const std::string& text)
    {
        ClickAt(owner);
        ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "TOLQ Region..."));
        if (kind != nullptr) {
            ASSERT_NO_FATAL_FAILURE(ChooseRegionKind(*kind));
        }
        ClickAt(at);
        PointerIntoPage();
        xdotool({"type", text});
        Settle();
        ClickAt(kEmpty);
    }

    static constexpr Spot kEmpty{kProduceSpot.x, kProduceSpot.y + 250};
};

TEST_F(RegionsProgramTest, RegionsOfEveryKindOnATransitionReachTheNet)
{
    const Spot consume = SpotOfText("Consume");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(MakeRegion(consume, &kRegionTime, {consume.x + 70, consume.y - 30}, "@+5"));
    ASSERT_NO_FATAL_FAILURE(MakeRegion(consume, &kRegionGuard, {consume.x - 110, consume.y - 30}, "n > 0"));
    ASSERT_NO_FATAL_FAILURE(MakeRegion(consume, &kRegionName, {consume.x + 70, consume.y + 30}, "Eat"));
    ASSERT_NO_FATAL_FAILURE(MakeRegion(consume, &kRegionCode, {consume.x - 110, consume.y + 40}, "()"));
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "a step refused or failed";
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle eat = saved.NodeNamed("Eat");
    ASSERT_NE(eat, 0u) << "the name region did not rename the transition";
    SEHead* record = RecordOf(eat);
    ASSERT_NE(record, nullptr);
    // Each inscription of the net is the text of its region on the drawing.
    struct Case {
        uint32_t kind;
        std::string net;
    };
    const Case cases[] = {
        {4125, Net(SEGetTime(record))},
        {4104, Net(SEGetGuard(record))},
        {4096, Net(SEGetName(record))},
        {4105, Net(SEGetCode(record))},
    };
    for (const Case& c : cases) {
        const ObjectHandle region = RegionOfKind(eat, c.kind);
        ASSERT_NE(region, 0u) << "no region of kind " << c.kind;
        EXPECT_EQ(TextOf(region), c.net) << "kind " << c.kind;
    }
    EXPECT_NE(cases[0].net.find("@+5"), std::string::npos);
    EXPECT_NE(cases[1].net.find("n > 0"), std::string::npos);
    EXPECT_EQ(cases[2].net, "Eat");
    EXPECT_EQ(cases[3].net.rfind("input ();\noutput ();\naction\n", 0), 0u) << cases[3].net;
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test

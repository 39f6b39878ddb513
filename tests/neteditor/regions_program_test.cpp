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

namespace tolq::test {
namespace {

TEST_F(RegionsProgramTest, DrawnObjectsConvertedToNetObjectsAndBack)
{
    const Spot declarations = AddLabel("val k = 1;", 0, 150);
    Spot inscription{};
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle arc = ConnectorBetween(diagram.NetPages().front(), diagram.NodeNamed("Buffer"),
                                                  diagram.NodeNamed("Consume"));
        ASSERT_NE(arc, 0u);
        const ObjectHandle region = RegionOfKind(arc, 4108);
        ASSERT_NE(region, 0u);
        inscription = SpotOf(diagram, region);
    }
    const Spot consume = SpotOfText("Consume");
    ASSERT_NO_FATAL_FAILURE(Start());
    // The transition becomes a drawn object (its arc with it) ...
    ClickAt(consume);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to Aux"));
    ASSERT_NO_FATAL_FAILURE(Save());
    {
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        EXPECT_EQ(saved.NodeNamed("Consume"), 0u);
    }
    // ... and a transition again, then its connector an arc and the
    // connector's plain text region its inscription.
    ClickAt(consume);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to TOLQ..."));
    ASSERT_NO_FATAL_FAILURE(ChooseConvertKind(kConvertTransition));
    ClickAt({kBufferSpot.x, kBufferSpot.y + 112});
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to TOLQ..."));
    ClickAt(inscription);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to TOLQ..."));
    // A drawn label becomes a global declaration node.
    ClickAt(declarations);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to TOLQ..."));
    ASSERT_NO_FATAL_FAILURE(ChooseConvertKind(kConvertGlobalDecl));
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "a conversion refused or failed";
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle transition = saved.NodeNamed("Consume");
    ASSERT_NE(transition, 0u) << "Consume is no net object again";
    uint16_t kind = 0, subKind = 0;
    ASSERT_NE(SEGetKind(RecordOf(transition), &kind, &subKind), 0);
    EXPECT_EQ(kind, kSETrans);
    const ObjectHandle arc =
        ConnectorBetween(saved.NetPages().front(), saved.NodeNamed("Buffer"), transition);
    ASSERT_NE(arc, 0u);
    ASSERT_NE(RecordOf(arc), nullptr) << "the connector is no arc";
    const ObjectHandle arcInscription = RegionOfKind(arc, 4108);
    ASSERT_NE(arcInscription, 0u) << "the region is no arc inscription";
    EXPECT_EQ(TextOf(arcInscription), "n");
    EXPECT_EQ(Net(SEGetArcExpr(RecordOf(arc))), "n");
    const ObjectHandle node = saved.ObjectWithText("val k = 1;");
    ASSERT_NE(node, 0u);
    SEHead* declRecord = RecordOf(node);
    ASSERT_NE(declRecord, nullptr) << "the label is no declaration node";
    ASSERT_NE(SEGetKind(declRecord, &kind, &subKind), 0);
    EXPECT_EQ(kind, kSEDeclNode);
    EXPECT_EQ(subKind, kSEDeclGlobal);
    EXPECT_EQ(Net(SEGetDeclText(declRecord)), "val k = 1;");
    EXPECT_TRUE(tolq_.running());
}

TEST_F(RegionsProgramTest, GuardCutAndPastedAndALabelMadeARegion)
{
    const Spot note = AddLabel("note", 170, -60);
    const Spot guard = SpotOfText("[n < 10]");
    ASSERT_NO_FATAL_FAILURE(Start());
    // Cut: the guard leaves the drawing and the net.
    ClickAt(guard);
    Keys("alt+x");
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_FALSE(DataBaseHolds(diagram_, "[n < 10]"));
    {
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        const ObjectHandle produce = saved.NodeNamed("Produce");
        ASSERT_NE(produce, 0u);
        EXPECT_EQ(RegionOfKind(produce, 4104), 0u);
        EXPECT_EQ(SEGetGuard(RecordOf(produce)), nullptr);
    }
    // Paste: the guard is hung on the transition the user picks.
    Keys("alt+v");
    ClickAt(kProduceSpot);
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(DataBaseHolds(diagram_, "[n < 10]"));
    {
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        const ObjectHandle produce = saved.NodeNamed("Produce");
        ASSERT_NE(produce, 0u);
        const ObjectHandle region = RegionOfKind(produce, 4104);
        ASSERT_NE(region, 0u) << "the pasted guard is not Produce's guard";
        EXPECT_EQ(TextOf(region), "[n < 10]");
        EXPECT_EQ(Net(SEGetGuard(RecordOf(produce))), "[n < 10]");
    }
    // Make Region: the label becomes a plain region of the place picked.
    ClickAt(note);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Make Region"));
    ClickAt(kBufferSpot);
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle buffer = saved.NodeNamed("Buffer");
    ASSERT_NE(buffer, 0u);
    const ObjectHandle region = saved.ObjectWithText("note");
    ASSERT_NE(region, 0u);
    EXPECT_EQ(QXRdAttr_GetObjectType(region), kQXKindRegion);
    EXPECT_EQ(QXStr_GetObjectPage(region), buffer);
    EXPECT_EQ(Net(SEGetColourSet(RecordOf(buffer))), "INT");
    EXPECT_TRUE(DataBaseHolds(diagram_, "[n < 10]"));
    EXPECT_TRUE(tolq_.running());
}

// Edit > Undo takes back an alignment of the selected nodes.
TEST_F(RegionsProgramTest, UndoTakesBackAnAlignment)
{
    const auto consumeAt = [&] {
        NetDiagram saved(diagram_);
        EXPECT_TRUE(saved.ok());
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(saved.NodeNamed("Consume"), &x, &y);
        return std::pair{x, y};
    };
    const auto before = consumeAt();
    const Spot consume = SpotOfText("Consume");
    const auto consumeInk = [&] { return Ink(consume.x - 30, consume.y - 12, 60, 24); };
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_GT(consumeInk(), 0);
    ClickAt(kProduceSpot);
    Keys("alt+a");  // every node of the page
    Keys("alt+h");  // aligned on a horizontal line through the node picked
    ClickAt(kProduceSpot);
    ASSERT_TRUE(wait_until([&] { return consumeInk() == 0; })) << "the alignment did not move Consume";
    Keys("alt+z");
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "Undo refused";
    EXPECT_TRUE(wait_until([&] { return consumeInk() > 0; })) << "Undo did not bring Consume back";
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_EQ(consumeAt(), before);
    EXPECT_TRUE(DataBaseHolds(diagram_, "Consume"));
    EXPECT_TRUE(tolq_.running());
}

// A plain region of a place converted into a kind the place has already:
// the place's region takes the text, the plain region stays, and the user is
// told once.
TEST_F(RegionsProgramTest, ConvertingIntoAKindTheOwnerHasReplacesThatText)
{
    Spot plain{};
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle buffer = diagram.NodeNamed("Buffer");
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(buffer, &x, &y);
        const ObjectHandle label = QXStr_CreateLabel(QXStr_GetObjectPage(buffer), x + 60 * kPixel, y + 50 * kPixel,
                                                     60 * kPixel, 16 * kPixel, "STRING");
        ASSERT_NE(label, 0u);
        ASSERT_EQ(QXStr_MakeRegion(label, buffer), 1u);
        ASSERT_TRUE(diagram.Save());
        plain = SpotOf(diagram, label);
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(plain);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to TOLQ..."));
    ASSERT_NO_FATAL_FAILURE(ChooseRegionKind(kRegionColourSet));
    EXPECT_TRUE(AnswerMessageBox()) << "the user was not told that a colour set existed";
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "told more than once";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle buffer = saved.NodeNamed("Buffer");
    ASSERT_NE(buffer, 0u);
    const ObjectHandle colourSet = RegionOfKind(buffer, 4097);
    ASSERT_NE(colourSet, 0u);
    EXPECT_EQ(TextOf(colourSet), "STRING");
    EXPECT_EQ(Net(SEGetColourSet(RecordOf(buffer))), "STRING");
    int plainRegions = 0;
    for (ObjectHandle region : RegionsOf(buffer)) {
        uint32_t kind = 1;
        QXRdAttr_GetRegionKind(region, &kind);
        plainRegions += kind == 0 && TextOf(region) == "STRING" ? 1 : 0;
    }
    EXPECT_EQ(plainRegions, 1) << "the converted region did not stay as it was";
    EXPECT_TRUE(tolq_.running());
}

// What the commands refuse, and a kind dialog cancelled, change nothing.
TEST_F(RegionsProgramTest, RefusalsAndCancelChangeNothing)
{
    const Spot declarations = SpotOfText("color INT = int;\nvar n : INT;");
    const Spot consume = SpotOfText("Consume");
    size_t consumeRegions = 0;
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        consumeRegions = RegionsOf(diagram.NodeNamed("Consume")).size();
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    struct Refusal {
        const char* what;
        Spot at;
        const char* menu;
        const char* item;
    };
    const Refusal refusals[] = {
        {"a region for nothing selected", kEmpty, "TOLQ", "TOLQ Region..."},
        {"a region for a declaration node", declarations, "TOLQ", "TOLQ Region..."},
        {"converting a net object", kProduceSpot, "Aux", "Convert to TOLQ..."},
        {"making a net object a region", kProduceSpot, "Aux", "Make Region"},
    };
    for (const Refusal& refusal : refusals) {
        ClickAt(refusal.at);
        ASSERT_NO_FATAL_FAILURE(Pick(refusal.menu, refusal.item));
        EXPECT_TRUE(AnswerMessageBox()) << refusal.what << " was not refused";
    }
    // Cancel in the kind dialog.
    ClickAt(consume);
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "TOLQ Region..."));
    const std::optional<WindowInfo> dialog = WaitForDialog(370, 296);
    ASSERT_TRUE(dialog.has_value());
    client_.click(dialog->root_x + 220, dialog->root_y + 268);  // "Cancel"
    ASSERT_TRUE(wait_until([&] { return !WaitForDialogNow(370, 296); }));
    ClickAt({consume.x + 70, consume.y - 30});
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle produce = saved.NodeNamed("Produce");
    ASSERT_NE(produce, 0u);
    EXPECT_EQ(Net(SEGetGuard(RecordOf(produce))), "[n < 10]");
    EXPECT_EQ(QXRdAttr_GetObjectType(produce), kQXKindNode);
    ASSERT_NE(saved.NodeNamed("Consume"), 0u);
    EXPECT_EQ(RegionsOf(saved.NodeNamed("Consume")).size(), consumeRegions);
    EXPECT_TRUE(tolq_.running());
}

// Set > Shape Attributes... on a box: the width and height typed in its
// dialog become the transition's size; a width out of range is refused and
// the dialog stays until it is mended.
TEST_F(RegionsProgramTest, ShapeAttributesSetTheSizeOfABox)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(kProduceSpot);
    Keys("alt+8");
    const std::optional<WindowInfo> dialog = WaitForDialog(420, 190);
    ASSERT_TRUE(dialog.has_value()) << "the shape dialog did not open";
    const auto typeInto = [&](int x, int y, const std::string& text) {
        client_.click(dialog->root_x + x, dialog->root_y + y);
        Settle();
        for (int i = 0; i < 6; ++i)
            xdotool({"key", "End", "BackSpace"});
        xdotool({"type", text});
        Settle();
    };
    const auto pressOk = [&] {
        client_.click(dialog->root_x + 360, dialog->root_y + 168);
        Settle();
    };
    typeInto(160, 52, "0");
    typeInto(160, 82, "30");
    pressOk();
    // The range message, in a box of its own over the dialog.
    const auto messageBox = [&]() -> std::optional<WindowInfo> {
        for (const WindowInfo& w : client_.window_tree()) {
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog" &&
                !(w.width == 420 && w.height == 190))
                return w;
        }
        return std::nullopt;
    };
    std::optional<WindowInfo> box;
    ASSERT_TRUE(wait_until([&] { return (box = messageBox()).has_value(); })) << "a width of 0 was taken";
    client_.move_pointer(box->root_x + box->width / 2, box->root_y + box->height / 2);
    client_.key("Return");
    ASSERT_TRUE(wait_until([&] { return !messageBox().has_value(); }));
    EXPECT_TRUE(WaitForDialogNow(420, 190)) << "the dialog closed on a wrong width";
    typeInto(160, 52, "64");
    pressOk();
    ASSERT_TRUE(wait_until([&] { return !WaitForDialogNow(420, 190); })) << "the dialog stayed";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    Fixed width = 0, height = 0;
    QXRdAttr_GetSize(saved.NodeNamed("Produce"), &width, &height);
    EXPECT_EQ(width, 64 * 0x10000);
    EXPECT_EQ(height, 30 * 0x10000);
    EXPECT_TRUE(tolq_.running());
}

// A copied arc pasted between the two nodes the user picks: a place and a
// transition give an arc of the net with the copied inscription; two
// transitions are refused and leave nothing behind.
TEST_F(RegionsProgramTest, CopiedArcPastedBetweenPickedEnds)
{
    Spot next{}, consume{};
    size_t connectors = 0;
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        next = SpotOf(diagram, diagram.NodeNamed("Next"));
        consume = SpotOf(diagram, diagram.NodeNamed("Consume"));
        connectors = ConnectorsOnPage(diagram.NetPages().front()).size();
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt({kProduceSpot.x + 60, kProduceSpot.y});  // the arc from Produce to Buffer
    Keys("alt+c");
    Keys("alt+v");
    ClickAt(consume);
    ClickAt(next);
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "the arc from Consume to Next was refused";
    Keys("alt+v");
    ClickAt(consume);
    ClickAt(kProduceSpot);
    EXPECT_TRUE(AnswerMessageBox()) << "an arc between two transitions was taken";
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle page = saved.NetPages().front();
    EXPECT_EQ(ConnectorsOnPage(page).size(), connectors + 1);
    const ObjectHandle arc = ConnectorBetween(page, saved.NodeNamed("Consume"), saved.NodeNamed("Next"));
    ASSERT_NE(arc, 0u) << "no connector joins Consume and Next";
    ASSERT_NE(RecordOf(arc), nullptr) << "the pasted connector is no arc of the net";
    EXPECT_EQ(Net(SEGetArcExpr(RecordOf(arc))), "n");
    EXPECT_EQ(ConnectorBetween(page, saved.NodeNamed("Consume"), saved.NodeNamed("Produce")), 0u);
    // The arc that was copied keeps its own record.
    const ObjectHandle original = ConnectorBetween(page, saved.NodeNamed("Produce"), saved.NodeNamed("Buffer"));
    ASSERT_NE(original, 0u);
    ASSERT_NE(RecordOf(original), nullptr);
    EXPECT_NE(RecordOf(original), RecordOf(arc));
    EXPECT_TRUE(tolq_.running());
}

// A copied declaration node and a copied place pasted: the copies are a
// declaration node and a place of the net again, the place with its colour
// set and initial marking as inscriptions.
TEST_F(RegionsProgramTest, PastedDeclarationNodeAndPlaceKeepTheirRoles)
{
    const Spot declarations = SpotOfText("color INT = int;\nvar n : INT;");
    ASSERT_NO_FATAL_FAILURE(Start());
    for (const Spot at : {declarations, kBufferSpot}) {
        ClickAt(at);
        Keys("alt+c");
        Keys("alt+v");
    }
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "a paste failed";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    int declNodes = 0, buffers = 0;
    for (ObjectHandle node : NodesOf(saved.NetPages().front())) {
        SEHead* record = RecordOf(node);
        uint16_t kind = 0, subKind = 0;
        if (record == nullptr || SEGetKind(record, &kind, &subKind) == 0)
            continue;
        if (kind == kSEDeclNode) {
            ++declNodes;
            EXPECT_EQ(subKind, kSEDeclGlobal);
            EXPECT_EQ(Net(SEGetDeclText(record)), "color INT = int;\nvar n : INT;");
        }
        if (kind == kSEPlace && Net(SEGetName(record)) == "Buffer") {
            ++buffers;
            EXPECT_EQ(Net(SEGetColourSet(record)), "INT");
            EXPECT_EQ(Net(SEGetInitMark(record)), "1`0");
            ASSERT_NE(RegionOfKind(node, 4097), 0u) << "the colour set is no inscription";
            EXPECT_EQ(TextOf(RegionOfKind(node, 4097)), "INT");
        }
    }
    EXPECT_EQ(declNodes, 2);
    EXPECT_EQ(buffers, 2);
    EXPECT_TRUE(tolq_.running());
}

// A drawn ellipse converted to a place gets its colour set and initial
// marking from TOLQ Region...; the place's kind dialog offers them.
TEST_F(RegionsProgramTest, RegionsOfAConvertedPlaceReachTheNet)
{
    Spot store{};
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle produce = diagram.NodeNamed("Produce");
        Fixed x = 0, y = 0;
        QXRdAttr_GetPosition(produce, &x, &y);
        const ObjectHandle ellipse = QXStr_CreateNode(QXStr_GetObjectPage(produce), x, y + 90 * kPixel * 2,
                                                      36 * 0x10000, 24 * 0x10000, 2);
        ASSERT_NE(ellipse, 0u);
        ASSERT_NE(QXText_SetText(ellipse, "Store"), 0u);
        ASSERT_TRUE(diagram.Save());
        store = SpotOf(diagram, ellipse);
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(store);
    ASSERT_NO_FATAL_FAILURE(Pick("Aux", "Convert to TOLQ..."));
    ASSERT_NO_FATAL_FAILURE(ChooseConvertKind(kConvertPlace));
    ASSERT_NO_FATAL_FAILURE(MakeRegion(store, &kRegionColourSet, {store.x - 90, store.y + 40}, "STRING"));
    ASSERT_NO_FATAL_FAILURE(MakeRegion(store, &kRegionInitMark, {store.x + 60, store.y - 40}, "1`\"a\""));
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "a step refused or failed";
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle place = saved.NodeNamed("Store");
    ASSERT_NE(place, 0u) << "the ellipse is no place named Store";
    SEHead* record = RecordOf(place);
    uint16_t kind = 0, subKind = 0;
    ASSERT_NE(SEGetKind(record, &kind, &subKind), 0);
    EXPECT_EQ(kind, kSEPlace);
    ASSERT_NE(RegionOfKind(place, 4097), 0u);
    ASSERT_NE(RegionOfKind(place, 4098), 0u);
    EXPECT_EQ(TextOf(RegionOfKind(place, 4097)), "STRING");
    EXPECT_EQ(Net(SEGetColourSet(record)), "STRING");
    EXPECT_EQ(TextOf(RegionOfKind(place, 4098)), "1`\"a\"");
    EXPECT_EQ(Net(SEGetInitMark(record)), "1`\"a\"");
    EXPECT_TRUE(tolq_.running());
}

// TOLQ > Declaration Node...: the kind chosen in its dialog, the node put
// down on the page and its declarations typed into it.
TEST_F(RegionsProgramTest, DeclarationNodeDrawnFromTheMenu)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(kEmpty);
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Declaration Node..."));
    ASSERT_NO_FATAL_FAILURE(Choose(370, 184, Radio{"Local", 102 + 11}));
    ClickAt({kProduceSpot.x - 200, kProduceSpot.y + 160});
    Keys("alt+t");  // its text is typed with text editing on
    xdotool({"type", "val m = 2;"});
    Settle();
    Keys("alt+t");
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "the node was refused";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle node = saved.ObjectWithText("val m = 2;");
    ASSERT_NE(node, 0u) << "no node holds the declarations";
    uint16_t kind = 0, subKind = 0;
    ASSERT_NE(RecordOf(node), nullptr);
    ASSERT_NE(SEGetKind(RecordOf(node), &kind, &subKind), 0);
    EXPECT_EQ(kind, kSEDeclNode);
    EXPECT_EQ(subKind, kSEDeclLocal);
    EXPECT_EQ(Net(SEGetDeclText(RecordOf(node))), "val m = 2;");
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test

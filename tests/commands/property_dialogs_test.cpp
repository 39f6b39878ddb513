// The property dialogs of the command layer on the private X server: each
// command opens its dialog on the current values, a click or a typed value
// changes one field, OK applies it to the selection or the page, or stores it
// for the diagram, and the object or the stored default is read back.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "xclient.h"

#include <X11/IntrinsicP.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "TestEvents.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/text/Text.h"
#include "xkv/undo/Undo.h"

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;
constexpr int kOkItem = 1;
constexpr int kCancelItem = 2;

Fixed Units(int v)
{
    return static_cast<Fixed>(v) << 16;
}

// One user action in the open dialog: a click on an item, or a value typed
// over an editable field's text.
struct Action {
    int item = 0;
    std::string typed;  // empty: click
};

Action Click(int item)
{
    return {item, {}};
}

Action Type(int item, std::string text)
{
    return {item, std::move(text)};
}

uint32_t StoredWord(uint32_t property, size_t offset)
{
    std::vector<uint8_t> record(Default_PropertySize(property));
    EXPECT_EQ(Default_Get(0, kDefaultLevelNew, property, record.data()), kStatusOk);
    uint32_t value = 0;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

// Whether the diagram holds its own default for the property.
bool StoredForDiagram(uint32_t property)
{
    MemHandle block = 0;
    return Default_Find(0, kDefaultLevelNew, property, &block, 0) == kStatusOk && block != 0;
}

class PropertyDialogs : public DialogX {
public:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        ASSERT_EQ(Core_AddPage(&page_), kStatusOk);
    }
    void TearDown() override
    {
        CloseAll();
        DialogX::TearDown();
        if (Comm_GetState() != kCommStateReady) {
            Comm_PostCancel();
            Comm_ProcessEvents();
        }
        Select_Clear();
        Undo_Shutdown();
        Core_CloseModel();
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }
    static void CloseAll()
    {
        while (Dialog_Depth() > 0) {
            Dialog_Close(kCancelItem);
        }
    }

    ObjectHandle Node(int x, int y, uint32_t kind = 1)
    {
        ObjectHandle node = 0;
        EXPECT_EQ(Core_AddNode(page_, {Units(x), Units(y), Units(x + 40), Units(y + 30)}, kind, 0, &node), 0u);
        return node;
    }

    void ClickWidget(Widget w) const
    {
        ASSERT_NE(w, nullptr);
        Window child = 0;
        int x = 0;
        int y = 0;
        XTranslateCoordinates(XtDisplay(w), XtWindow(w), DefaultRootWindow(XtDisplay(w)), w->core.width / 2,
                              w->core.height / 2, &x, &y, &child);
        input_.click(x, y);
        input_.sync();
    }

    // Puts the text in place of the field's: a click gives the field the
    // focus, its old text is erased from its end, the new one typed.
    void TypeInto(int item, const std::string& text) const
    {
        ClickWidget(Dialog_ItemWidget(item));
        ASSERT_TRUE(Pump([item] { return Dialog_GetFocusItem() == item; })) << "field " << item;
        input_.key("e", true);
        for (int i = 0; i < 12; ++i) {
            input_.key("BackSpace");
        }
        // A leading minus goes as a key: the typing tool takes it for an option.
        if (!text.empty() && text.front() == '-') {
            input_.key("minus");
            input_.type_text(text.substr(1));
        } else {
            input_.type_text(text);
        }
        ASSERT_TRUE(Pump([item, &text] {
            char shown[64] = {};
            Dialog_GetItemText(item, shown, sizeof shown - 1);
            return text == shown;
        })) << "field " << item;
    }

    // Runs the command, does the actions in its dialog and closes it with
    // the given item; the command layer is back in its ready state after.
    void Answer(uint32_t request, int dialog, const std::vector<Action>& actions, int closeWith = kOkItem)
    {
        ASSERT_EQ(Comm_PostEvent(TestCommand(request, 0)), 0u);
        Comm_ProcessEvents();
        AnswerOpenDialog(dialog, actions, closeWith);
    }
    void AnswerOpenDialog(int dialog, const std::vector<Action>& actions, int closeWith)
    {
        ASSERT_EQ(Dialog_TopDialogNumber(), dialog);
        ASSERT_TRUE(FocusOn(Dialog_ShellWidget()));
        for (const Action& action : actions) {
            if (action.typed.empty()) {
                ClickWidget(Dialog_ItemWidget(action.item));
                Pump([] { return false; }, std::chrono::milliseconds(100));
            } else {
                TypeInto(action.item, action.typed);
            }
        }
        ClickWidget(Dialog_ItemWidget(closeWith));
        EXPECT_TRUE(Pump([] { return Dialog_Depth() == 0 && Comm_GetState() == kCommStateReady; }))
            << "state " << Comm_GetState();
    }

protected:
    ObjectHandle page_ = 0;
    XClient input_;
};

// One command, its dialog, what is set and how it shows afterwards.
struct Case {
    const char* name;
    uint32_t request;
    int dialog;
    std::function<void(PropertyDialogs&, std::vector<ObjectHandle>&)> setUp;
    std::vector<Action> actions;
    std::function<void(const std::vector<ObjectHandle>&)> check;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class PropertyDialogCases : public PropertyDialogs, public ::testing::WithParamInterface<Case> {};

TEST_P(PropertyDialogCases, OkAppliesWhatWasSet)
{
    const Case& c = GetParam();
    std::vector<ObjectHandle> objects;
    c.setUp(*this, objects);
    Answer(c.request, c.dialog, c.actions);
    c.check(objects);
}

void SelectOne(PropertyDialogs&, std::vector<ObjectHandle>& objects)
{
    Select_Object(objects.front(), 1);
}

const Case kCases[] = {
    {"LineWidthOfTheSelectedNode", 88, 262,
     [](PropertyDialogs& t, std::vector<ObjectHandle>& o) {
         o.push_back(t.Node(10, 10));
         SelectOne(t, o);
     },
     {Click(15)},  // line width 8
     [](const std::vector<ObjectHandle>& o) {
         EXPECT_EQ(Model_GetFieldValue(o[0], Field::kLineWidth), 8u * kPixel);
         EXPECT_FALSE(StoredForDiagram(kPropGraphics)) << "only applied";
     }},
    {"ChangeCurrentDefaultsStoresAndApplies", 88, 262,
     [](PropertyDialogs& t, std::vector<ObjectHandle>& o) {
         o.push_back(t.Node(10, 10));
         SelectOne(t, o);
     },
     {Click(5), Click(26)},  // change current defaults; line style "Dash 3"
     [](const std::vector<ObjectHandle>& o) {
         EXPECT_EQ(Model_GetFieldValue(o[0], Field::kLineStyle), 3u);
         EXPECT_EQ(StoredWord(kPropGraphics, 48), 3u);
         EXPECT_EQ(StoredWord(kPropGraphics, 28), 0u) << "the switch is cleared on use";
     }},
    {"ArrowHeadOfTheSelectedConnector", 89, 263,
     [](PropertyDialogs& t, std::vector<ObjectHandle>& o) {
         const ObjectHandle a = t.Node(10, 10);
         const ObjectHandle b = t.Node(200, 10);
         ObjectHandle c = 0;
         ASSERT_EQ(Core_AddConnector(Model_GetPage(a), a, b, 0, &c, 1), 0u);
         o.push_back(c);
         SelectOne(t, o);
     },
     {Type(11, "12")},
     [](const std::vector<ObjectHandle>& o) {
         EXPECT_EQ(Model_GetFieldValue(o[0], Field::kArrowWidth), 12u * kPixel);
     }},
    {"WedgeAnglesBroughtIntoACircle", 90, 266,
     [](PropertyDialogs& t, std::vector<ObjectHandle>& o) {
         o.push_back(t.Node(10, 10, 8));
         SelectOne(t, o);
     },
     {Type(6, "-30"), Type(7, "20")},
     [](const std::vector<ObjectHandle>& o) {
         EXPECT_EQ(Model_GetFieldValue(o[0], Field::kWedgeStart), 330u);
         EXPECT_EQ(Model_GetFieldValue(o[0], Field::kWedgeEnd), 380u);
     }},
    {"TextStyleOfTheSelectedLabel", 117, 274,
     [](PropertyDialogs& t, std::vector<ObjectHandle>& o) {
         ObjectHandle label = 0;
         ASSERT_EQ(Core_AddLabel(Model_GetPage(t.Node(10, 10)), {Units(100), Units(100)}, &label, 0), 0u);
         o.push_back(label);
         SelectOne(t, o);
     },
     {Click(7)},  // bold
     [](const std::vector<ObjectHandle>& o) {
         EXPECT_EQ(Model_GetFieldValue(o[0], Field::kFontStyle) & 2u, 2u);
         EXPECT_FALSE(StoredForDiagram(kPropText));
     }},
    {"PolygonSidesStored", 91, 269, [](PropertyDialogs&, std::vector<ObjectHandle>&) {},
     {Click(8)},  // six sides
     [](const std::vector<ObjectHandle>&) { EXPECT_EQ(StoredWord(16, 24), 6u); }},
    {"NodeDefaultsStored", 103, 280, [](PropertyDialogs&, std::vector<ObjectHandle>&) {},
     {Type(12, "45"), Type(13, "<<")},
     [](const std::vector<ObjectHandle>&) {
         EXPECT_EQ(StoredWord(kPropNode, 80), 45u);
         std::vector<char> record(Default_PropertySize(kPropNode));
         ASSERT_EQ(Default_Get(0, kDefaultLevelNew, kPropNode, record.data()), kStatusOk);
         EXPECT_STREQ(record.data() + 84, "<<");
         EXPECT_STREQ(record.data() + 100, "(") << "the other brackets stay";
     }},
    {"PreferencesStored", 76, 260, [](PropertyDialogs&, std::vector<ObjectHandle>&) {},
     {Click(4), Click(5)},  // draw connectors first; no scrolling to the selection
     [](const std::vector<ObjectHandle>&) {
         EXPECT_EQ(StoredWord(18, 24), 1u);
         EXPECT_EQ(StoredWord(18, 28), 0u);
     }},
    {"GroupDomainStored", 113, 286, [](PropertyDialogs&, std::vector<ObjectHandle>&) {},
     {Click(7)},  // connectors between members
     [](const std::vector<ObjectHandle>&) {
         EXPECT_EQ(StoredWord(7, 24), 1u);
         EXPECT_EQ(StoredWord(7, 32), 1u);
     }},
    {"SpreadSpacesThreeNodesEvenly", 107, 281,
     [](PropertyDialogs& t, std::vector<ObjectHandle>& o) {
         o = {t.Node(0, 100), t.Node(20, 100), t.Node(200, 100)};
         const GroupNumber group = Group_New();
         for (ObjectHandle n : o) {
             Group_Add(group, n);
         }
         Select_Group(group, 1);
         Group_Free(group);
     },
     {Click(5)},  // horizontally
     [](const std::vector<ObjectHandle>& o) {
         auto x = [](ObjectHandle n) {
             FixPoint p{};
             Model_GetField(n, Field::kPosition, &p);
             return p.x;
         };
         EXPECT_EQ(x(o[1]) - x(o[0]), x(o[2]) - x(o[1]));
         EXPECT_EQ(Undo_GetKind(), kUndoSpread);
     }},
};

INSTANTIATE_TEST_SUITE_P(EachDialog, PropertyDialogCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PropertyDialogs, CancelLeavesTheObjectAndTheDefaults)
{
    const ObjectHandle node = Node(10, 10);
    Select_Object(node, 1);
    const uint32_t width = Model_GetFieldValue(node, Field::kLineWidth);
    Answer(88, 262, {Click(5), Click(17)}, kCancelItem);
    EXPECT_EQ(Model_GetFieldValue(node, Field::kLineWidth), width);
    EXPECT_FALSE(StoredForDiagram(kPropGraphics));
}

TEST_F(PropertyDialogs, AGroupShowsMixedValuesAndKeepsThemWhenLeftAlone)
{
    const ObjectHandle thin = Node(10, 10);
    const ObjectHandle thick = Node(100, 10);
    Model_SetFieldValue(thick, Field::kLineWidth, 4 * kPixel);
    Model_SetFieldValue(thin, Field::kLineStyle, 0);
    Model_SetFieldValue(thick, Field::kLineStyle, 0);
    const GroupNumber group = Group_New();
    Group_Add(group, thin);
    Group_Add(group, thick);
    Select_Group(group, 1);
    Group_Free(group);
    ASSERT_EQ(Comm_PostEvent(TestCommand(88, 0)), 0u);
    Comm_ProcessEvents();
    ASSERT_EQ(Dialog_TopDialogNumber(), 262);
    for (int item = 11; item <= 17; ++item) {
        EXPECT_EQ(Dialog_GetItemState(item), 0) << "no width is chosen for a mixed group, item " << item;
    }
    EXPECT_EQ(Dialog_GetItemState(23), 1) << "the shared line style is shown";
    AnswerOpenDialog(262, {Click(24)}, kOkItem);  // line style "Dash 1"
    EXPECT_EQ(Model_GetFieldValue(thin, Field::kLineWidth), 0x2000u) << "the mixed width is not written";
    EXPECT_EQ(Model_GetFieldValue(thick, Field::kLineWidth), 4u * kPixel);
    EXPECT_EQ(Model_GetFieldValue(thin, Field::kLineStyle), 1u);
    EXPECT_EQ(Model_GetFieldValue(thick, Field::kLineStyle), 1u);
}

TEST_F(PropertyDialogs, PatternAndColourPalettesSetTheirFields)
{
    const ObjectHandle node = Node(10, 10);
    Select_Object(node, 1);
    ASSERT_EQ(Comm_PostEvent(TestCommand(88, 0)), 0u);
    Comm_ProcessEvents();
    ASSERT_EQ(Dialog_TopDialogNumber(), 262);
    ASSERT_TRUE(FocusOn(Dialog_ShellWidget()));
    // The palettes' buttons are the container's children after the items:
    // 38 patterns, the display, then three rows of colours and the swatches.
    Widget container = XtParent(Dialog_ItemWidget(kOkItem));
    auto* composite = reinterpret_cast<CompositeWidget>(container);
    std::vector<Widget> palette;
    for (Cardinal i = 0; i < composite->composite.num_children; ++i) {
        if (std::strcmp(XtName(composite->composite.children[i]), "palette") == 0) {
            palette.push_back(composite->composite.children[i]);
        }
    }
    ASSERT_GE(palette.size(), 38u + 1u + 3u + 3u);
    ClickWidget(palette[7]);  // pattern 7
    const size_t colours = (palette.size() - 39 - 3) / 3;
    const size_t fill = std::min<size_t>(2, colours - 1);
    ClickWidget(palette[39 + colours + fill]);  // a fill colour
    Pump([] { return false; }, std::chrono::milliseconds(100));
    ClickWidget(Dialog_ItemWidget(kOkItem));
    ASSERT_TRUE(Pump([] { return Dialog_Depth() == 0 && Comm_GetState() == kCommStateReady; }));
    EXPECT_EQ(Model_GetFieldValue(node, Field::kPattern), 7u);
    EXPECT_EQ((Model_GetFieldValue(node, Field::kColours) >> 16) & 0xFF, fill);
}

TEST_F(PropertyDialogs, SizeToModelTakesTheWidthOfThePickedModel)
{
    const ObjectHandle model = Node(300, 10);
    Core_SetSize(model, Units(90), Units(60), 1);
    const ObjectHandle a = Node(10, 10);
    const ObjectHandle b = Node(10, 100);
    const GroupNumber group = Group_New();
    Group_Add(group, a);
    Group_Add(group, b);
    Select_Group(group, 1);
    Group_Free(group);
    ASSERT_EQ(Comm_PostEvent(TestCommand(135, 0)), 0u);
    Comm_ProcessEvents();
    ASSERT_EQ(Comm_PostEvent(TestObjectPick(model, 0, 1)), 0u);
    Comm_ProcessEvents();
    AnswerOpenDialog(282, {Click(6)}, kOkItem);  // no heights: widths only
    EXPECT_EQ(Model_GetFieldValue(a, Field::kWidth), static_cast<uint32_t>(Units(90)));
    EXPECT_EQ(Model_GetFieldValue(b, Field::kWidth), static_cast<uint32_t>(Units(90)));
    EXPECT_EQ(Model_GetFieldValue(a, Field::kHeight), static_cast<uint32_t>(Units(30)));
}

}  // namespace
}  // namespace tolq::test

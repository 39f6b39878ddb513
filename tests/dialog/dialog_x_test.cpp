// The dialog toolkit on a real X server: nesting, items, list buffers,
// numbers, positions, focus and keys driven through XTest, message boxes,
// record dialogs and the file selector.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "xclient.h"

#include <X11/IntrinsicP.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/Text.h>
#include <X11/Shell.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "atolq/Resources/DialogTables.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/dialog/DialogInternal.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/platform/sfselect/SFinternal.h"

namespace tolq::test {
namespace {

struct Call {
    int16_t dialog;
    int32_t code;
    int16_t item;
    intptr_t value;
};

std::vector<Call>& Calls()
{
    static std::vector<Call> calls;
    return calls;
}

// Records every call; keeps keys (result 1) and closes on a push of item 1 or 2.
int16_t Recorder(int16_t dialog, int32_t code, int16_t item, intptr_t value)
{
    Calls().push_back({dialog, code, item, value});
    if (code == 1 && (item == 1 || item == 2) && Dialog_GetItemClass(0, item) == kClassButton) {
        Dialog_Close(item);
    }
    return 1;
}

std::string ItemText(int item)
{
    char buffer[600] = {};
    Dialog_GetItemText(item, buffer, sizeof buffer - 1);
    return buffer;
}

DialogRecord& Record(int number)
{
    return DialogTable_Records()[static_cast<size_t>(Dialog_FindRecord(number))];
}

void CloseAll()
{
    while (Dialog_Depth() > 0) {
        Dialog_Close(2);
    }
}

using DialogTest = DialogX;

TEST_F(DialogTest, TenLevelsNestAndTheEleventhIsRefused)
{
    EXPECT_EQ(Dialog_Open(4711, Recorder, nullptr), 0);
    EXPECT_EQ(Dialog_Depth(), 0);
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(Dialog_Open(i % 2 == 0 ? 900 : 1000, Recorder, nullptr), 1) << i;
    }
    EXPECT_EQ(Dialog_Open(273, Recorder, nullptr), 2);
    EXPECT_EQ(Dialog_Depth(), 10);
    EXPECT_EQ(Dialog_TopDialogNumber(), 1000);
    EXPECT_EQ(Dialog_IsOpen(), 1u);
    Dialog_Close(3);  // dialog 1000 has two items
    EXPECT_EQ(Dialog_ErrorWord(), kDialogErrBadItem);
    EXPECT_EQ(Dialog_Depth(), 10);
    Dialog_Close(2);
    EXPECT_EQ(Dialog_Depth(), 9);
    EXPECT_EQ(Dialog_LastResult(), 2);
}

TEST_F(DialogTest, ListBuffersFollowTheirRules)
{
    ASSERT_EQ(Dialog_Open(274, Recorder, nullptr), 1);
    const char* initial[] = {"beta", "delta"};
    ASSERT_EQ(Dialog_SetListItems(18, 2, initial, 3, 5, nullptr, 0), 1);
    ASSERT_EQ(Dialog_SetListItems(19, 0, nullptr, 2, 4, nullptr, 0), 1);

    // Sorted insert finds its place; the caller's text is left as it was.
    char text[] = "alphabet";
    int32_t position = -1;
    ASSERT_EQ(Dialog_InsertListEntry(18, text, 1, &position), 1);
    EXPECT_EQ(position, 0);
    EXPECT_STREQ(text, "alphabet");
    char** strings = nullptr;
    ASSERT_EQ(Dialog_GetListStrings(18, &strings), 1);
    EXPECT_STREQ(strings[0], "alph");
    EXPECT_STREQ(strings[1], "beta");
    EXPECT_STREQ(strings[2], "delt");
    EXPECT_EQ(strings[3], nullptr);

    // A full list refuses; the count stays.
    Dialog_SetErrorWord(0);
    EXPECT_EQ(Dialog_InsertListEntry(18, "omega", 1, &position), 0);
    EXPECT_EQ(Dialog_ErrorWord(), kDialogErrListFull);
    int32_t count = 0;
    ASSERT_EQ(Dialog_GetListCount(18, &count), 1);
    EXPECT_EQ(count, 3);

    // Entries are read below the count only, cut to the buffer.
    char entry[8] = {};
    int32_t max = 8;
    Dialog_SetErrorWord(0);
    EXPECT_EQ(Dialog_GetListEntry(18, 3, &max, entry), 0);
    EXPECT_EQ(Dialog_ErrorWord(), kDialogErrListFull);
    max = 3;
    ASSERT_EQ(Dialog_GetListEntry(18, 1, &max, entry), 1);
    EXPECT_STREQ(entry, "be");
    EXPECT_EQ(max, 3);
    max = 8;
    ASSERT_EQ(Dialog_GetListEntry(18, 1, &max, entry), 1);
    EXPECT_STREQ(entry, "beta");
    EXPECT_EQ(max, 4);

    // Deleting moves later entries up and empties the freed slot.
    ASSERT_EQ(Dialog_DeleteListEntry(18, 0), 1);
    ASSERT_EQ(Dialog_GetListStrings(18, &strings), 1);
    EXPECT_STREQ(strings[0], "beta");
    EXPECT_STREQ(strings[1], "delt");
    EXPECT_EQ(strings[2], nullptr);

    // Removing the first-filled list removes that one, not the last filled.
    EXPECT_EQ(Dialog_ListBuffersInUse(), 2);
    ASSERT_EQ(Dialog_RemoveList(18), 1);
    EXPECT_EQ(Dialog_ListBuffersInUse(), 1);
    Dialog_SetErrorWord(0);
    EXPECT_EQ(Dialog_GetListCount(18, &count), 0);
    EXPECT_EQ(Dialog_ErrorWord(), kDialogErrBadItem);
    EXPECT_EQ(Dialog_GetListCount(19, &count), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Dialog_RemoveList(18), 0);
}

TEST_F(DialogTest, NineListBuffersAcrossAllLevelsAtMost)
{
    const char* one[] = {"x"};
    int filled = 0;
    for (int level = 0; level < 5; ++level) {
        ASSERT_EQ(Dialog_Open(274, Recorder, nullptr), 1);
        for (int item : {18, 19}) {
            Dialog_SetErrorWord(0);
            if (Dialog_SetListItems(item, 1, one, 1, 4, nullptr, 0) == 1) {
                ++filled;
            } else {
                EXPECT_EQ(Dialog_ErrorWord(), kDialogErrListFull);
            }
        }
    }
    EXPECT_EQ(filled, 9);
    Dialog_Close(1);
    EXPECT_EQ(Dialog_ListBuffersInUse(), 8);
}

TEST_F(DialogTest, NumbersAreReadIn32Bits)
{
    ASSERT_EQ(Dialog_Open(258, Recorder, nullptr), 1);
    struct Case {
        const char* text;
        int32_t number;
    };
    const Case cases[] = {
        {"12abc", 12}, {"", -1}, {"70000", 70000}, {"-40", -40},
        {"2147483647", INT32_MAX}, {"99999999999", -1}, {"  7", 7}, {"x5", 0},
    };
    for (const Case& c : cases) {
        Dialog_SetItemText(4, c.text);
        EXPECT_EQ(Dialog_GetItemNumber(4), c.number) << '"' << c.text << '"';
    }
    Dialog_SetItemNumber(4, 123456);
    EXPECT_EQ(ItemText(4), "123456");
    Dialog_SetItemNumber(4, -1);
    EXPECT_EQ(ItemText(4), "");
}

TEST_F(DialogTest, ADialogDraggedOffTheLeftReopensOnTheScreen)
{
    ASSERT_EQ(Dialog_Open(273, Recorder, nullptr), 1);
    Dialog_RememberGeometry(Dialog_Depth(), -300, -20, 339, 147);
    EXPECT_EQ(Record(273).x, -32767);
    EXPECT_EQ(Record(273).y, 0);
    Dialog_Close(2);
    ASSERT_EQ(Dialog_Open(273, Recorder, nullptr), 1);
    Position x = -1;
    Position y = -1;
    XtVaGetValues(Dialog_ShellWidget(), XtNx, &x, XtNy, &y, nullptr);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(Dialog_ContainsPoint(10, 10), 1u);
    EXPECT_EQ(Dialog_ContainsPoint(0, 10), 0u);
    // A position well on the screen is kept as given.
    Dialog_RememberGeometry(Dialog_Depth(), 250, 130, 339, 147);
    EXPECT_EQ(Record(273).x, 250 - 32767);
    EXPECT_EQ(Record(273).y, 130);
}

TEST_F(DialogTest, ItemStatesSurviveClosingOnlyForEnabling)
{
    ASSERT_EQ(Dialog_Open(900, Recorder, nullptr), 1);
    EXPECT_EQ(Dialog_GetItemClass(0, 7), kClassCheckBox);
    Dialog_SetItemState(7, 1);
    EXPECT_EQ(Dialog_GetItemState(7), 1);
    Dialog_SetItemState(7, 4);
    EXPECT_EQ(Dialog_GetItemState(7), 0);
    ASSERT_EQ(Dialog_DisableItem(7), 1);
    EXPECT_EQ(Dialog_GetItemState(7), 2);
    Dialog_SetItemState(7, 4);  // a disabled box does not toggle
    ASSERT_EQ(Dialog_DisableItem(1), 1);
    EXPECT_EQ(Dialog_GetItemState(1), 2);
    EXPECT_EQ(Dialog_DisableItem(4), 1);  // text items report success and change nothing
    Dialog_SetItemState(8, 1);
    Dialog_Close(2);

    ASSERT_EQ(Dialog_Open(900, Recorder, nullptr), 1);
    EXPECT_EQ(Dialog_GetItemState(7), 2);
    EXPECT_EQ(Dialog_GetItemState(1), 2);
    EXPECT_EQ(Dialog_GetItemState(8), 0);  // radio buttons open off
    EXPECT_FALSE(XtIsSensitive(Dialog_ItemWidget(7)));
    Dialog_SetRadioGroup(8, 9, 9);
    EXPECT_EQ(Dialog_GetRadioChoice(8, 9), 9);
    EXPECT_EQ(Dialog_GetRadioChoice(7, 9), 0);
    Dialog_EnableItem(7);
    Dialog_EnableItem(1);
    EXPECT_TRUE(XtIsSensitive(Dialog_ItemWidget(7)));
    Dialog_SetErrorWord(0);
    EXPECT_EQ(Dialog_DisableItem(99), 0);
    EXPECT_EQ(Dialog_ErrorWord(), kDialogErrBadItem);
}

TEST_F(DialogTest, ItemsGetTheWidgetsOfTheirKind)
{
    ASSERT_EQ(Dialog_Open(900, Recorder, nullptr), 1);
    DialogLevel& level = *Dialog_TopLevel();
    EXPECT_EQ(level.items[2].focusCode, 0);  // short static text: a label
    EXPECT_EQ(std::string(XtClass(level.items[2].widget)->core_class.class_name), "Label");
    EXPECT_EQ(level.items[5].focusCode, 2);  // tall static text: read-only text widget
    EXPECT_EQ(level.items[3].focusCode, 1);
    EXPECT_EQ(level.items[9].focusCode, 1);  // scrolled field
    EXPECT_EQ(level.items[11].widget, nullptr);  // placeholder
    EXPECT_EQ(Dialog_GetItemClass(0, 10), kClassScrolledField);
    EXPECT_EQ(Dialog_GetFocusItem(), 4);  // the first editable field
    ASSERT_EQ(Calls().back().code, 0);
    EXPECT_EQ(Calls().back().dialog, 900);

    // Scroll bar 11 runs 0..100.
    ASSERT_EQ(Dialog_SetScrollValue(11, 40), 1);
    EXPECT_EQ(Dialog_GetScrollValue(11), 40);
    Dialog_SetScrollValue(11, 500);
    EXPECT_EQ(Dialog_GetScrollValue(11), 100);
    EXPECT_EQ(Dialog_SetScrollRange(11, 5, 5), 1);
    int32_t low = 0;
    int32_t high = 0;
    Dialog_GetScrollRange(11, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);

    // Selecting text: from = to removes the selection; to past the end selects to it.
    Dialog_SetItemText(4, "hello");
    ASSERT_EQ(Dialog_SelectItemText(4, 1, 99), 1);
    XawTextPosition begin = 0;
    XawTextPosition end = 0;
    XawTextGetSelectionPos(Dialog_ItemWidget(4), &begin, &end);
    EXPECT_EQ(begin, 1);
    EXPECT_EQ(end, 5);
    Dialog_SelectItemText(4, 2, 2);
    XawTextGetSelectionPos(Dialog_ItemWidget(4), &begin, &end);
    EXPECT_EQ(begin, end);
    Dialog_SetErrorWord(0);
    EXPECT_EQ(Dialog_SelectItemText(4, 3, 1), 0);
    EXPECT_EQ(Dialog_ErrorWord(), kDialogErrBadRange);
    EXPECT_EQ(Dialog_SetFocusItem(6), 0);
    EXPECT_EQ(Dialog_ErrorWord(), kDialogErrNotText);
}

TEST_F(DialogTest, TabMovesTheFocusAndReturnActivatesTheDefaultButton)
{
    Calls().clear();
    ASSERT_EQ(Dialog_Open(900, Recorder, nullptr), 1);
    ASSERT_EQ(Dialog_SetDefaultItem(1), 1);
    EXPECT_EQ(BorderWidth(Dialog_ItemWidget(1)), 4);
    ASSERT_TRUE(FocusOn(Dialog_ShellWidget()));
    XClient input;
    EXPECT_EQ(Dialog_GetFocusItem(), 4);
    EXPECT_EQ(BorderWidth(Dialog_ItemWidget(4)), 3);

    input.key("Tab");
    ASSERT_TRUE(Pump([] { return Dialog_GetFocusItem() == 5; }));
    EXPECT_EQ(BorderWidth(Dialog_ItemWidget(5)), 3);
    EXPECT_EQ(BorderWidth(Dialog_ItemWidget(4)), 1);
    input.key("Tab");
    ASSERT_TRUE(Pump([] { return Dialog_GetFocusItem() == 10; }));  // the read-only text is skipped
    input.key("Tab", false, true);
    ASSERT_TRUE(Pump([] { return Dialog_GetFocusItem() == 5; }));

    // Typing over the selected text replaces it.
    Dialog_SetItemText(5, "old");
    Dialog_SelectItemText(5, 0, 3);
    input.type_text("ab");
    ASSERT_TRUE(Pump([] { return ItemText(5) == "ab"; })) << ItemText(5);

    input.key("Escape");
    ASSERT_TRUE(Pump([] { return !Calls().empty() && Calls().back().value == 27; }));
    EXPECT_EQ(Calls().back().item, 5);

    input.key("Return");
    ASSERT_TRUE(Pump([] { return Dialog_Depth() == 0; }));
    EXPECT_EQ(Calls().back().item, 1);
    EXPECT_EQ(Dialog_LastResult(), 1);
}

TEST_F(DialogTest, ReturnWithoutDefaultReachesTheFocusedField)
{
    ASSERT_EQ(Dialog_Open(900, Recorder, nullptr), 1);
    ASSERT_TRUE(FocusOn(Dialog_ShellWidget()));
    Dialog_SetFocusItem(10);
    Dialog_SetItemText(10, "a");
    XClient input;
    input.key("Return");
    input.type_text("b");
    ASSERT_TRUE(Pump([] { return ItemText(10) == "a\nb"; })) << ItemText(10);
    EXPECT_EQ(Dialog_Depth(), 1);
}

// Hook 66 sees each delivered record; the dialog-258 field text is kept.
struct Delivery {
    int32_t dialog = 0;
    int32_t result = -1;
    std::string field;
};
std::vector<Delivery>& Deliveries()
{
    static std::vector<Delivery> deliveries;
    return deliveries;
}

uintptr_t OnDialogEnded(uintptr_t dialog, uintptr_t result, uintptr_t handle, uintptr_t, uintptr_t, uintptr_t)
{
    Delivery d;
    d.dialog = static_cast<int32_t>(dialog);
    d.result = static_cast<int32_t>(result);
    char* data = nullptr;
    if (handle != 0 && Mem_LockAs(static_cast<MemHandle>(handle), &data) == 0) {
        if (d.dialog == 258 && Mem_Size(static_cast<MemHandle>(handle)) >= 536) {
            d.field = std::string(data + 280, strnlen(data + 280, 255));
        }
        Mem_Unlock(static_cast<MemHandle>(handle));
    }
    Deliveries().push_back(d);
    return 1;
}

class RecordDialogTest : public DialogX {
protected:
    void SetUp() override
    {
        Deliveries().clear();
        Hook_Register(66, OnDialogEnded);
    }
    void TearDown() override
    {
        DialogX::TearDown();
        Hook_Unregister(66);
    }
};

TEST_F(RecordDialogTest, MessageBoxShowsTheStatusWithItsNumber)
{
    std::string shown;
    XClient input;
    Driver driver(app(),
                  {[] { return Dialog_TopDialogNumber() == 1000 && FocusOn(Dialog_ShellWidget()); },
                   [&] {
                       shown = ItemText(2);
                       input.key("Return");
                       return true;
                   }},
                  CloseAll);
    EXPECT_EQ(Dialog_ReportStatus(1), 0);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(shown, "An internal error was detected. (#1)");
    ASSERT_FALSE(Deliveries().empty());
    EXPECT_EQ(Deliveries().back().dialog, 1000);
    EXPECT_EQ(Deliveries().back().result, 0);
    EXPECT_EQ(Dialog_ReportStatus(0), 9999);
    EXPECT_EQ(Dialog_ReportStatus(53), 9999);
    EXPECT_EQ(Dialog_Depth(), 0);
}

TEST_F(RecordDialogTest, AlertTextIsCutAt255AndAskGivesTheButton)
{
    std::string shown;
    XClient input;
    Driver driver(app(),
                  {[] { return Dialog_TopDialogNumber() == 271 && FocusOn(Dialog_ShellWidget()); },
                   [&] {
                       shown = ItemText(3);
                       XtCallCallbacks(Dialog_ItemWidget(4), XtNcallback, nullptr);
                       Wake();
                       return true;
                   }},
                  CloseAll);
    const std::string text(300, 'x');
    EXPECT_EQ(Dialog_Alert(9999, text.c_str(), 3), 3);  // "No"
    EXPECT_EQ(shown, std::string(255, 'x'));
    EXPECT_EQ(Dialog_Alert(9999, "never shown", 7), 1);
}

TEST_F(RecordDialogTest, AMessageBoxOverAPropertyDialogLeavesItsStateAlone)
{
    MemHandle record = 0;
    void* data = nullptr;
    ASSERT_EQ(Mem_AllocLocked(&record, &data, 536), 0u);
    std::strcpy(static_cast<char*>(data) + 24, "Name:");
    std::strcpy(static_cast<char*>(data) + 280, "first");
    Mem_Unlock(record);
    ASSERT_EQ(Dialog_OpenRecord(258, 0, record, 0, 1, nullptr, nullptr), 0u);
    ASSERT_EQ(Dialog_Depth(), 1);
    EXPECT_EQ(ItemText(4), "first");

    XClient input;
    Driver driver(app(),
                  {[] { return Dialog_TopDialogNumber() == 1000 && FocusOn(Dialog_ShellWidget()); },
                   [&] {
                       input.key("Return");
                       return true;
                   }},
                  CloseAll);
    EXPECT_EQ(Dialog_ShowMessage(9999, "over it"), 0);
    ASSERT_EQ(Dialog_TopDialogNumber(), 258);

    Dialog_SetItemText(4, "second");
    ASSERT_EQ(Dialog_ActivateDefault(), 1);
    EXPECT_EQ(Dialog_Depth(), 0);
    ASSERT_EQ(Deliveries().size(), 2u);
    EXPECT_EQ(Deliveries()[1].dialog, 258);
    EXPECT_EQ(Deliveries()[1].result, 0);
    EXPECT_EQ(Deliveries()[1].field, "second");
    EXPECT_EQ(Dialog_GetLastResult(), 0);
}

TEST_F(RecordDialogTest, ResetLoadsTheDefaultsAndMarksThemChanged)
{
    MemHandle record = 0;
    MemHandle defaults = 0;
    void* r = nullptr;
    void* d = nullptr;
    ASSERT_EQ(Mem_AllocLocked(&record, &r, 60), 0u);
    ASSERT_EQ(Mem_AllocLocked(&defaults, &d, 60), 0u);
    auto word = [](void* block, int offset) -> int32_t& { return *reinterpret_cast<int32_t*>(static_cast<char*>(block) + offset); };
    // The text property's record: apply and change switches, then style,
    // justification, font and size.
    word(r, 32) = 2;    // bold
    word(r, 36) = 1;    // left
    word(r, 44) = 12;   // size
    word(d, 32) = 0;    // plain
    word(d, 36) = 2;    // centre
    word(d, 40) = 3;    // Helvetica
    word(d, 44) = 18;
    Mem_Unlock(record);
    Mem_Unlock(defaults);
    ASSERT_EQ(Dialog_OpenRecord(274, defaults, record, 0, 1, nullptr, nullptr), 0u);
    EXPECT_EQ(Dialog_GetItemState(7), 1);
    EXPECT_EQ(Dialog_GetItemState(6), 0);
    EXPECT_EQ(Dialog_GetRadioChoice(12, 14), 13);
    EXPECT_EQ(ItemText(21), "12");
    EXPECT_EQ(Dialog_GetListSelection(19), 2);

    XtCallCallbacks(Dialog_ItemWidget(3), XtNcallback, nullptr);  // Reset
    EXPECT_EQ(Dialog_Depth(), 1);
    EXPECT_EQ(Dialog_GetItemState(6), 1);
    EXPECT_EQ(Dialog_GetItemState(7), 0);
    EXPECT_EQ(Dialog_GetRadioChoice(12, 14), 14);
    EXPECT_EQ(ItemText(21), "18");
    EXPECT_EQ(Dialog_GetListSelection(18), 3);

    // Style clicks: Italic on, then Plain clears it.
    XtCallCallbacks(Dialog_ItemWidget(8), XtNcallback, nullptr);
    EXPECT_EQ(Dialog_GetItemState(8), 1);
    EXPECT_EQ(Dialog_GetItemState(6), 0);
    Dialog_SetItemText(21, "14");
    XtCallCallbacks(Dialog_ItemWidget(2), XtNcallback, nullptr);  // Cancel stores like OK
    ASSERT_EQ(Deliveries().size(), 1u);
    EXPECT_EQ(Deliveries()[0].dialog, 274);
    EXPECT_EQ(Deliveries()[0].result, 1);
}

TEST_F(RecordDialogTest, AResultThatCannotBeCopiedIsDeliveredAsACancel)
{
    MessageCloser closer(app());
    EXPECT_NE(Dialog_RecordEnded(258, 0, 0, 0x7fff1234), 0u);
    EXPECT_EQ(Dialog_GetLastResult(), 1);
    ASSERT_EQ(Deliveries().size(), 1u);
    EXPECT_EQ(Deliveries()[0].result, 0);  // the hook still sees what was asked for

    // A caller that waits is released too.
    MemHandle record = 0;
    void* data = nullptr;
    ASSERT_EQ(Mem_AllocLocked(&record, &data, 536), 0u);
    Mem_Unlock(record);
    Driver driver(app(), {[] { return Dialog_TopDialogNumber() == 258; },
                          [] {
                              Dialog_RecordEnded(258, 0, 0, 0x7fff1234);
                              return true;
                          }},
                  CloseAll);
    int32_t item = -1;
    MemHandle result = 77;
    EXPECT_EQ(Dialog_OpenRecord(258, 0, record, 1, 1, &item, &result), 0u);
    EXPECT_EQ(item, 1);
    EXPECT_EQ(result, 0u);
    Dialog_Close(2);  // the dialog itself is still up: closing it delivers nothing to the gone caller
    EXPECT_EQ(Dialog_Depth(), 0);
}

// The dialogs whose items the program's commands rely on: each opens with its
// items in order, of their kinds and with their labels, inside the dialog's
// window and its bounds, and its default button can be made the default.
struct DialogContents {
    int number;
    int defaultItem;
    const char* items;  // "kind:text|..." with B button, C check box, R radio,
                        // E edit, L label, S scrolled text, F frame or list area
};

std::vector<std::pair<char, std::string>> ParseItems(const std::string& itemLayout)
{
    std::vector<std::pair<char, std::string>> items;
    size_t start = 0;
    while (start <= itemLayout.size()) {
        const size_t bar = std::min(itemLayout.find('|', start), itemLayout.size());
        const std::string part = itemLayout.substr(start, bar - start);
        items.emplace_back(part[0], part.size() > 2 ? part.substr(2) : "");
        start = bar + 1;
    }
    return items;
}

bool InsideWindow(Window window, Window ancestor)
{
    Display* display = DialogX::display();
    while (window != 0) {
        if (window == ancestor) {
            return true;
        }
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
            return false;
        }
        if (children != nullptr) {
            XFree(children);
        }
        window = parent == root ? 0 : parent;
    }
    return false;
}

TEST_F(DialogTest, NetAndSimulatorDialogsOpenWithTheirItems)
{
    const std::string ocr = "B:OK|B:Cancel|B:Reset|B:Load|B:Save...|";
    const std::vector<DialogContents> dialogs = {
        {30030, 1, "B:OK|B:Cancel|F|L:TOLQ Region|R:Name|R:Color Set|R:Initial Marking|R:Guard|R:Code|R:Log|R:Time"},
        {30750, 1, "B:OK|B:Cancel|F|L:Convert To TOLQ|R:Place|R:Transition|R:Global Declaration Node|"
                   "R:Temporary Declaration Node|R:Local Declaration Node"},
        {30045, 1, "B:OK|B:Cancel|F|L:Port Node|R:General Port|R:Input Port|R:Output Port|R:Input & Output Port"},
        {30165, 1, "B:OK|B:Cancel|F|L:Declaration Node|R:Global|R:Temporary|R:Local"},
        {30600, 1, "B:OK|B:Cancel|F|L:Copy Defaults|R:System -> Diagram|R:Diagram -> System"},
        {30550, 1, "B:Yes|B:Cancel|B:No|F|L"},
        {30555, 1, "B:Yes|B:No|F|L"},
        {30015, 1, "B:OK|B:Cancel|F|L:*|L|L|R:Enter Editor|R:Enter Simulator|R:Enter GSPN"},
        {30580, 1, "B:Cont|B:Stop|F|L"},
        {31010, 1, "B:OK|B:Cancel|F|E|L"},
        {30570, 1, "B:Select|B:Cancel|F|L:Page Instances|F|L:Full Name|S"},
        {30630, 1, "B:OK|B:Cancel|F|L:Occurrence Set|R:New Occurrence Set|R:Add To Occurrence Set|"
                   "R:Delete Occurrence Set"},
        {31000, 1, "B:OK|B:Cancel|B:Reset|F|L:Change Marking|R:Initial Marking|R:Specified Marking|"
                   "R:Empty Marking|F|S|L: Change To|L:New Marking|F"},
        {31505, 1, "B:OK|F|L|L|L:Get Info"},
        {30010, 1, "B:OK|F|L|L|L:Get Info"},
        {30150, 1, "B:OK|B:Cancel|F|L:Save Defaults for:|C:Diagram|C:System|L|F|L:Default"},
        {31500, 16, "L:Include in Standard Report|L:Statistics|C:Statistics|L:Boundedness Properties|"
                    "C:Integer Bounds|C:Multi-set Bounds|L:Home Properties|C:Home Markings|"
                    "L:Liveness Properties|C:Dead Markings|C:Dead Transition Instances|"
                    "C:Live Transition Instances|L:Fairness Properties|C:Transition Instances|B:Cancel|B:OK"},
        {31400, 15, "L:Get ML Function to Set|L:Attributes (diagram defaults)|L:Options (diagram values)|"
                    "C:Node Attributes|C:Arc Attributes|C:Node Descriptor Attributes|C:Arc Descriptor Attributes|"
                    "C:String Representation Options|C:Node Descriptor Options|C:Arc Descriptor Options|"
                    "C:Successor/Predecessor Options|C:Stop Options|C:Branching Options|C:Inspection Options|"
                    "B:OK|B:Cancel"},
        {31600, 1, "B:OK|B:Cancel|B:Reset|B:Load|B:Save...|L:Report Setup|L:Width:|L:Text|E|L:Values|E|L:.|E|"
                   "C:Average|C:First Value|C:Last Value|C:Max|C:Min|C:Count|C:Standard Deviation|C:Sum|"
                   "C:Sum of Squares|C:Sum of Squares of Deviation|C:Variance|L:Timed statistics:|"
                   "C:First Time|C:Interval|C:Last Time"},
        {31605, 3, "B:Reset|B:Cancel|B:OK|L:Data Collector|L:Name|E|C:Statistics|C:Log file|C:Timed"},
        {32400, 1, "B:OK|B:Cancel|L:Chart Type|R:Bar Chart|R:Line Chart|F"},
        {30620, 1, "B:Occur|B:Cancel|B:OK|B:Reset|B:Up|B:Down|B:All|B:One|B:Clear|L|S|F|F|F"},
    };
    // The option dialogs share their first five buttons.
    const std::vector<std::pair<int, std::string>> options = {
        {30590, "F|L:Occ Set Options|L|L|L:Pages|L:Page Instances|L:Transitions|L:Different Bindings|"
                "L:Identical Bindings|F|F|F|F|F|L|L|L|L|L|R|R:Clock|L|E|F|L:Seed|L:Random Draws|E|F|"
                "E:50|E:50|E:50|E:50|E:50|L:%|L:%|L:%|L:%|L:%"},
        {32150, "F|R:Fair Simulation (Interactive and Automatic)|R:Fast Simulation (Automatic)|R:Both|"
                "R:With|R:Without|R:Both|L:Start Time|E|R:With|R:Without|R:Both|F|F|F|L:Mode|L:Time|"
                "L:Code Segments"},
        {32200, "F|R:Fair Automatic|R:Fast Automatic|C:Time|C:Code Segments|R:None|C:Step Information|"
                "C:Bindings|R:No Limit|C:Additional Steps|C:Until Step Number Is|C:Additional Time|"
                "C:Until Time Is|C:Until Time Advances|E|E|E|E|F|F|F|L:Simulate With|L:Record|L:Stop Criteria"},
        {30594, "F|C:Beginning of Substep|C:End of Substep|C:Between Steps|R:During Substeps|"
                "R:Between Substeps|R:Between Steps|R:End of Run|F|F|L:Breakpoints|L:Update Graphics"},
        {31150, "F|L:Time units|E|L:Cost units|E|F|C:Reports by Time|L:Start|L:Stop|L:Interval|E|E|E|F|"
                "C:Reports by Pieces|L:Start|L:Stop|L:Interval|E|E|E|F|C:Use Size in delay calc.|"
                "C:Use Size Minor in delay calc.|F|C:Excel Reports|F"},
        {32500, "E|L:No of Bars|E|L:No of Parts|E|L:Bar Height|E|C:History Chart|L:Retain|E|R:Number|"
                "R:Distance|E|C:Ticks Only|C:Title|C:Legend|C:Bar Names|C:Pos. Values|C:Neg. Values|"
                "C:Upper Values|C:Lower Values|C:Save Copy|C:Keep Contents|C:End of Run|C:Time|E|C:Step|E|"
                "R:Integer|R:Real|L:Min|E|L:Max|E|F|L:Name|F|L:Bars|L:Grid Lines|F|L:Regions|F|"
                "L:Initialization|F|L:Update Period|F|L:Value Type|F|L:Value Range|F"},
    };
    std::vector<std::pair<int, std::vector<std::pair<char, std::string>>>> all;
    std::vector<int> defaults;
    for (const DialogContents& d : dialogs) {
        all.emplace_back(d.number, ParseItems(d.items));
        defaults.push_back(d.defaultItem);
    }
    for (const auto& [number, items] : options) {
        all.emplace_back(number, ParseItems(ocr + items));
        defaults.push_back(1);
    }
    for (size_t i = 0; i < all.size(); ++i) {
        const auto& [number, items] = all[i];
        SCOPED_TRACE("dialog " + std::to_string(number));
        ASSERT_EQ(Dialog_Open(number, Recorder, nullptr), 1);
        ASSERT_EQ(Dialog_GetItemCount(), static_cast<int32_t>(items.size()));
        const DialogLevel& level = *Dialog_TopLevel();
        const DialogRecord& record = Record(number);
        XSync(display(), False);
        for (size_t n = 1; n <= items.size(); ++n) {
            SCOPED_TRACE("item " + std::to_string(n));
            const auto& [kind, text] = items[n - 1];
            const auto item = static_cast<int32_t>(n);
            const int32_t expectedClass = kind == 'B'   ? kClassButton
                                          : kind == 'C' ? kClassCheckBox
                                          : kind == 'R' ? kClassRadio
                                          : kind == 'E' ? kClassField
                                          : kind == 'L' ? kClassStaticText
                                          : kind == 'S' ? kClassScrolledField
                                                        : kClassList;
            EXPECT_EQ(Dialog_GetItemClass(0, item), expectedClass);
            Widget widget = Dialog_ItemWidget(item);
            if (kind == 'F') {
                EXPECT_EQ(widget, nullptr);  // frames and list areas get no widget until filled
                continue;
            }
            ASSERT_NE(widget, nullptr);
            EXPECT_TRUE(InsideWindow(XtWindow(widget), XtWindow(level.shell)));
            // Check boxes and radio buttons show their text beside the box.
            Widget second = level.items[n - 1].second;
            for (Widget part : {widget, second}) {
                if (part == nullptr) {
                    continue;
                }
                Position x = 0;
                Position y = 0;
                Dimension width = 0;
                Dimension height = 0;
                XtVaGetValues(part, XtNx, &x, XtNy, &y, XtNwidth, &width, XtNheight, &height, nullptr);
                EXPECT_LE(x + width, record.width);
                EXPECT_LE(y + height, record.height);
            }
            if (kind == 'B') {
                char label[256] = {};
                Dialog_GetItemLabel(item, label, sizeof label - 1);
                EXPECT_EQ(std::string(label), text);
            } else if (kind == 'C' || kind == 'R') {
                ASSERT_NE(second, nullptr);
                String label = nullptr;
                XtVaGetValues(second, XtNlabel, &label, nullptr);
                EXPECT_EQ(std::string(label != nullptr ? label : ""), text);
            } else if (text != "*") {  // "*": a text of the dialog's own
                EXPECT_EQ(ItemText(item), text);
            }
        }
        ASSERT_EQ(Dialog_SetDefaultItem(defaults[i]), 1);
        EXPECT_EQ(Dialog_GetDefaultWidget(), Dialog_ItemWidget(defaults[i]));
        CloseAll();
    }
}

// --- the file selector -------------------------------------------------

class FileSelectorTest : public DialogX {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tolq-selXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        mkdir((dir_ + "/sub").c_str(), 0755);
        std::ofstream(dir_ + "/run.sh") << "#!/bin/sh\n";
        chmod((dir_ + "/run.sh").c_str(), 0755);
        std::ofstream(dir_ + "/plain.txt") << "text\n";
        std::ofstream(dir_ + "/planet.txt") << "text\n";
        socket_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s/sock", dir_.c_str());
        ASSERT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    void TearDown() override
    {
        close(socket_);
        for (const char* name : {"/sock", "/run.sh", "/plain.txt", "/planet.txt"}) {
            unlink((dir_ + name).c_str());
        }
        rmdir((dir_ + "/sub").c_str());
        rmdir(dir_.c_str());
        DialogX::TearDown();
    }
    static void Cancel() { SelFile().status = -1; }

    // The shown texts of the level of the temporary directory, once every
    // entry has been read and examined.
    std::set<std::string> Listing() const
    {
        std::set<std::string> shown;
        const SelFileState& s = SelFile();
        for (int li = 0; li < s.nLevels; ++li) {
            const SelFileLevel& level = s.levels[static_cast<size_t>(li)];
            if (s.path.substr(0, level.path) != dir_ + "/") {
                continue;
            }
            for (const SelFileEntry& e : level.entries) {
                if (!e.statDone) {
                    return {};
                }
                shown.insert(e.shown);
            }
        }
        return shown;
    }

    std::string dir_;
    int socket_ = -1;
};

TEST_F(FileSelectorTest, ListsMarksCompletesAndReturnsThePath)
{
    XClient input;
    const std::set<std::string> expected = {"../", "plain.txt ", "planet.txt ", "run.sh*", "sock=", "sub/"};
    std::set<std::string> listed;
    int inked = 0;
    Driver driver(app(),
                  {[] { return SelFile_ShellWindow() != 0 && FocusOn(SelFile().shell); },
                   [&] {
                       listed = Listing();
                       return listed == expected;
                   },
                   [&] {
                       // The third pane shows the directory: its entry rows carry ink.
                       XSync(display(), False);
                       XClient reader;
                       const SelFileMetrics& m = SelFile().m;
                       for (int pane = 0; pane < 3; ++pane) {
                           inked += reader.count_pixels(XtWindow(SelFile().lists[static_cast<size_t>(pane)]), 6,
                                                        m.entryHeight + 10, 60, 4 * m.entryHeight, Rgb{0, 0, 0});
                       }
                       input.type_text("pla");
                       return true;
                   },
                   [] {
                       const SelFileLevel& last = SelFile().levels[static_cast<size_t>(SelFile().nLevels - 1)];
                       return last.beg >= 0 && last.end == last.beg + 1;
                   },
                   [&] {
                       input.type_text("i ");
                       return true;
                   },
                   [] { return SelFile_FieldText().ends_with("/plain.txt"); },
                   [&] {
                       input.key("Return");
                       return true;
                   }},
                  Cancel, std::chrono::milliseconds(20000));
    char* result = nullptr;
    ASSERT_EQ(XsraSelFile(display(), "Choose", "Open", "Cancel", (dir_ + "/").c_str(), nullptr, &result), 0)
        << "driver reached step " << driver.reached();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(std::string(result), dir_ + "/plain.txt");
    std::free(result);
    EXPECT_EQ(listed, expected);
    EXPECT_GT(inked, 0);
    EXPECT_EQ(Dialog_IsFileSelectorShown(), 0u);
}

TEST_F(FileSelectorTest, CancelLeavesTheResultAndAVanishedDirectoryIsSurvived)
{
    // The start directory is remembered from the last choice; remove it.
    char gone[] = "/tmp/tolq-goneXXXXXX";
    ASSERT_NE(mkdtemp(gone), nullptr);
    SelFile().startDir = std::string(gone) + "/";
    ASSERT_EQ(chdir(gone), 0);
    ASSERT_EQ(rmdir(gone), 0);

    XClient input;
    Driver driver(app(),
                  {[] { return SelFile_ShellWindow() != 0 && FocusOn(SelFile().shell); },
                   [] {
                       XtCallCallbacks(SelFile().cancel, XtNcallback, nullptr);
                       Wake();
                       return true;
                   }},
                  Cancel);
    char* result = reinterpret_cast<char*>(0x1);
    EXPECT_EQ(XsraSelFile(display(), nullptr, nullptr, nullptr, nullptr, nullptr, &result), -1);
    EXPECT_EQ(result, reinterpret_cast<char*>(0x1));
    EXPECT_NE(SelFile().startDir, std::string(gone) + "/");
    char cwd[4096] = {};
    EXPECT_NE(getcwd(cwd, sizeof cwd), nullptr);
}

TEST_F(FileSelectorTest, TildeSlashBecomesTheHomeDirectory)
{
    XClient input;
    const std::string home = SelFile_HomeDirectory();
    std::string seen;
    Driver driver(app(),
                  {[] { return SelFile_ShellWindow() != 0 && FocusOn(SelFile().shell); },
                   [&] {
                       SelFile_SetField("");
                       input.type_text("~/");
                       return true;
                   },
                   [&] {
                       seen = SelFile().path;
                       return seen == home + "/";
                   },
                   [] {
                       XtCallCallbacks(SelFile().cancel, XtNcallback, nullptr);
                       Wake();
                       return true;
                   }},
                  Cancel);
    char* result = nullptr;
    EXPECT_EQ(XsraSelFile(display(), "Home", nullptr, nullptr, dir_.c_str(), nullptr, &result), -1);
    EXPECT_TRUE(driver.finished()) << driver.reached() << " path " << seen;
}

// A directory of 41 files, longer than a pane, for scrolling.
class FileSelectorScrollTest : public DialogX {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tolq-scrollXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        for (int i = 0; i < kFiles; ++i) {
            std::ofstream(Name(i)) << "x\n";
        }
    }
    void TearDown() override
    {
        for (int i = 0; i < kFiles; ++i) {
            unlink(Name(i).c_str());
        }
        rmdir(dir_.c_str());
        DialogX::TearDown();
    }
    std::string Name(int i) const
    {
        char name[32];
        std::snprintf(name, sizeof name, "/file%02d", i);
        return dir_ + name;
    }
    static void Cancel() { SelFile().status = -1; }

    // The pane that shows the directory once its listing is complete, or -1.
    int ListedPane() const
    {
        const SelFileState& s = SelFile();
        for (int pane = 0; pane < 3 && s.dirOffset + pane < s.nLevels; ++pane) {
            const SelFileLevel& level = s.levels[static_cast<size_t>(s.dirOffset + pane)];
            if (s.path.substr(0, level.path) == dir_ + "/" && level.entries.size() == kFiles + 1) {
                return pane;
            }
        }
        return -1;
    }

    static constexpr int kFiles = 40;
    std::string dir_;
};

// The entry rows of a pane as the server holds them, with the rectangle of
// the cover window (when there is one) left out.
std::vector<unsigned long> RowPixels(int pane, const XRectangle& cover)
{
    XSync(DialogX::display(), False);
    const SelFileMetrics& m = SelFile().m;
    const int top = m.entryHeight + 10;
    const int height = 10 * m.entryHeight;
    XImage* image = XGetImage(DialogX::display(), XtWindow(SelFile().lists[static_cast<size_t>(pane)]), 0, top,
                              static_cast<unsigned>(m.boxWidth), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    std::vector<unsigned long> pixels;
    if (image == nullptr) {
        return pixels;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < m.boxWidth; ++x) {
            const bool hidden = x >= cover.x && x < cover.x + cover.width && y + top >= cover.y &&
                                y + top < cover.y + cover.height;
            pixels.push_back(hidden ? 0 : XGetPixel(image, x, y));
        }
    }
    XDestroyImage(image);
    return pixels;
}

TEST_F(FileSelectorScrollTest, ScrollingRepaintsThePaneExactly)
{
    struct Case {
        const char* name;
        enum { kStep, kJump } how;
        double amount;    // pixels for a step, the fraction for a jump
        bool covered;     // a window hides part of the rows while scrolling
        int origin;       // the first visible entry expected afterwards
    };
    // Steps move by pixels / (10 E + 6) x 41 entries; E is 19 with the 9x15 font
    // but the expectations below are computed from the real metrics.
    const std::vector<Case> cases = {
        {"one page down in one step is redrawn", Case::kJump, 0.5, false, -1},
        {"a short step down copies", Case::kStep, 1.0, false, -1},
        {"a short step up copies", Case::kStep, -1.0, false, -1},
        {"a step down under a cover", Case::kStep, 2.0, true, -1},
        {"a step up under a cover", Case::kStep, -3.0, true, -1},
        {"a jump near the end under a cover", Case::kJump, 0.7, true, -1},
        {"past the end clamps", Case::kStep, 50.0, false, kFiles + 1 - 10},
        {"past the start clamps at 0", Case::kStep, -50.0, true, 0},
        {"a negative jump clamps at 0", Case::kJump, -0.2, false, 0},
    };
    int pane = -1;
    Window cover = 0;
    XRectangle coverRect{};
    std::vector<std::string> faults;
    std::vector<Driver::Step> steps = {[] { return SelFile_ShellWindow() != 0 && FocusOn(SelFile().shell); },
                                       [&] {
                                           pane = ListedPane();
                                           return pane >= 0;
                                       }};
    for (const Case& c : cases) {
        auto expected = std::make_shared<int>(0);
        steps.push_back([&, c, expected] {
            const SelFileMetrics& m = SelFile().m;
            SelFileLevel& level = SelFile().levels[static_cast<size_t>(SelFile().dirOffset + pane)];
            SelFile_DrawPane(pane);
            const Window window = XtWindow(SelFile().lists[static_cast<size_t>(pane)]);
            if (c.covered && cover == 0) {
                // Rows 5 and 6 are partly hidden by a child window.
                coverRect = {20, static_cast<short>(m.entryHeight + 10 + 5 * m.entryHeight), 40,
                             static_cast<unsigned short>(2 * m.entryHeight)};
                cover = XCreateSimpleWindow(display(), window, coverRect.x, coverRect.y, coverRect.width,
                                            coverRect.height, 0, 0, 0);
                XMapWindow(display(), cover);
            } else if (!c.covered && cover != 0) {
                XDestroyWindow(display(), cover);
                cover = 0;
                coverRect = {};
                SelFile_DrawPane(pane);
            }
            XSync(display(), False);
            const int n = static_cast<int>(level.entries.size());
            const int limit = n - 10;
            if (c.how == Case::kStep) {
                const auto pixels = static_cast<intptr_t>(c.amount * (10 * m.entryHeight + 6) / n +
                                                          (c.amount > 0 ? 0.5 : -0.5));
                const int step = static_cast<int>(static_cast<double>(pixels) / (10 * m.entryHeight + 6) * n);
                *expected = std::clamp(level.vOrigin + step, 0, limit);
                XtCallCallbacks(SelFile().vScrolls[static_cast<size_t>(pane)], XtNscrollProc,
                                reinterpret_cast<XtPointer>(pixels));
            } else {
                float fraction = static_cast<float>(c.amount);
                *expected = std::clamp(static_cast<int>(static_cast<float>(n) * fraction), 0, limit);
                XtCallCallbacks(SelFile().vScrolls[static_cast<size_t>(pane)], XtNjumpProc, &fraction);
            }
            if (c.origin >= 0) {
                *expected = c.origin;
            }
            XSync(display(), False);
            return true;
        });
        // Steps that return true run in the same tick; let the loop handle the
        // exposure events of the copy before comparing.
        auto ticks = std::make_shared<int>(0);
        steps.push_back([ticks] { return ++*ticks > 2; });
        steps.push_back([&, c, expected] {
            const SelFileLevel& level = SelFile().levels[static_cast<size_t>(SelFile().dirOffset + pane)];
            if (level.vOrigin != *expected) {
                faults.push_back(std::string(c.name) + ": origin " + std::to_string(level.vOrigin) + ", expected " +
                                 std::to_string(*expected));
            }
            const auto scrolled = RowPixels(pane, coverRect);
            SelFile_DrawPane(pane);
            if (scrolled != RowPixels(pane, coverRect) || scrolled.empty()) {
                faults.push_back(std::string(c.name) + ": the rows differ from a full repaint");
            }
            return true;
        });
    }
    steps.push_back([] {
        XtCallCallbacks(SelFile().cancel, XtNcallback, nullptr);
        Wake();
        return true;
    });
    Driver driver(app(), steps, Cancel, std::chrono::milliseconds(30000));
    char* result = nullptr;
    EXPECT_EQ(XsraSelFile(display(), "Scroll", nullptr, nullptr, (dir_ + "/").c_str(), nullptr, &result), -1);
    EXPECT_TRUE(driver.finished()) << "reached step " << driver.reached();
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST_F(FileSelectorScrollTest, AutoScrollWhileTheButtonIsHeldRepaintsExactly)
{
    XClient input;
    int pane = -1;
    int startOrigin = -1;
    std::vector<std::string> faults;
    // Root position of a point in the pane.
    auto at = [&](int x, int y) {
        int rx = 0;
        int ry = 0;
        Window child = 0;
        XTranslateCoordinates(display(), XtWindow(SelFile().lists[static_cast<size_t>(pane)]),
                              DefaultRootWindow(display()), x, y, &rx, &ry, &child);
        return std::pair{rx, ry};
    };
    auto level = [&]() -> SelFileLevel& {
        return SelFile().levels[static_cast<size_t>(SelFile().dirOffset + pane)];
    };
    auto check = [&](const char* when) {
        const auto scrolled = RowPixels(pane, {});
        SelFile_DrawPane(pane);
        if (scrolled != RowPixels(pane, {})) {
            faults.push_back(std::string(when) + ": the rows differ from a full repaint");
        }
    };
    Driver driver(
        app(),
        {[] { return SelFile_ShellWindow() != 0 && FocusOn(SelFile().shell); },
         [&] {
             pane = ListedPane();
             return pane >= 0;
         },
         [&] {
             // Press on the middle row and drag below the rows.
             const SelFileMetrics& m = SelFile().m;
             const auto [x, y] = at(20, m.entryHeight + 10 + 5 * m.entryHeight + 2);
             input.move_pointer(x, y);
             XTestFakeButtonEvent(input.display(), 1, True, CurrentTime);
             const auto [bx, by] = at(20, 11 * m.entryHeight + 11);
             input.move_pointer(bx, by);
             input.sync();
             startOrigin = level().vOrigin;
             return true;
         },
         [&] { return level().vOrigin >= startOrigin + 3; },
         [&] {
             check("going down");
             // Drag above the rows: the pane scrolls back up to its first entry.
             const auto [x, y] = at(20, 4);
             input.move_pointer(x, y);
             input.sync();
             return true;
         },
         [&] { return level().vOrigin == 0; },
         [&] {
             // At the top the ticks go on without moving below 0.
             return SelFile().autoScrolling && level().vOrigin == 0;
         },
         [&] {
             XTestFakeButtonEvent(input.display(), 1, False, CurrentTime);
             input.sync();
             return true;
         },
         [&] { return !SelFile().buttonHeld && !SelFile().autoScrolling; },
         [&] {
             check("going up");
             XtCallCallbacks(SelFile().cancel, XtNcallback, nullptr);
             Wake();
             return true;
         }},
        Cancel, std::chrono::milliseconds(30000));
    char* result = nullptr;
    EXPECT_EQ(XsraSelFile(display(), "Scroll", nullptr, nullptr, (dir_ + "/").c_str(), nullptr, &result), -1);
    EXPECT_TRUE(driver.finished()) << "reached step " << driver.reached();
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    EXPECT_EQ(result, nullptr);
}

TEST_F(FileSelectorTest, OverlongTypedTextStaysInsideThePathBuffer)
{
    SelFileState& s = SelFile();
    s.startDir = dir_ + "/";
    s.path.clear();
    SelFile_AppendBounded(s.path, std::string(5000, 'a'));
    EXPECT_EQ(s.path.size(), kSelFilePathMax);
    SelFile_AppendBounded(s.path, "more");
    EXPECT_EQ(s.path.size(), kSelFilePathMax);
}

}  // namespace
}  // namespace tolq::test

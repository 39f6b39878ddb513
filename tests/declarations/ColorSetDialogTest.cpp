// The colour-set dialog on the private X server: new colour sets chosen
// through the kind choice and built field by field, kind changes with and
// without loss, the item lists and predeclared words, refusals that select
// the offending field, the checks before a compile, and the browser panel's
// selection taken into the fields.
#include "DialogFixture.h"

namespace {

constexpr int kColorSetDialog = 31105;

class ColorSetDialogTest : public DialogTest {
protected:
    // A pick in one of the dialog's lists (menus and rows), as the list
    // widget reports it.
    static void pick(int list, int index)
    {
        Dialog_HighlightListEntry(list, index, 1);
        DEColorSetDialog(kColorSetDialog, 1, static_cast<int16_t>(list), 0);
    }
    static void chooseKind(int kind) { pick(21, kind - 1); }
    static void addRow(const char* name, const char* set)
    {
        Dialog_SetItemText(26, name);
        Dialog_SetItemText(27, set);
        DEColorSetDialog(kColorSetDialog, 1, 34, 0);
    }
    // Edits the entry's colour set with the steps once the dialog shows.
    int edit(const std::string& name, std::vector<Step> steps)
    {
        steps.insert(steps.begin(), [] { return showing(kColorSetDialog); });
        Steps run(X().app(), std::move(steps));
        int result = DEEditEntry(entryNamed(name)->kvObject, 3);
        EXPECT_TRUE(run.finished()) << name;
        return result;
    }
    // Waits for a message, notes whether the dialog is still open and
    // which item has the focus, and cancels.
    Step expectRefusal(bool* open, int* focus)
    {
        return [this, open, focus] {
            if (world().messages.empty())
                return false;
            *open = Dialog_TopDialogNumber() == kColorSetDialog;
            *focus = Dialog_GetFocusItem();
            click(2);
            return true;
        };
    }
};

TEST_F(ColorSetDialogTest, NewRecordIsChosenBuiltRowByRowAndPlaced)
{
    uint32_t object = node("colorset INT = int;\ncolorset B = bool;");
    DEConvertNode(object);
    QXStr_SetCurObject(entryNamed("B")->kvObject);
    std::vector<std::string> shownRows;
    Steps steps(X().app(), {[] { return showing(31130); },
                            [&] {
                                click(3); // colour set
                                click(1);
                                return true;
                            },
                            [] { return showing(kColorSetDialog); },
                            [&] {
                                Dialog_SetItemText(20, "R");
                                chooseKind(10);
                                addRow("a", "INT");
                                addRow("b", "B");
                                addRow("", "B"); // refused: a record row needs its name
                                shownRows = rows(29);
                                click(1);
                                return true;
                            }});
    SEDeclEntry* made = DENewDeclaration(1, 0);
    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(shownRows, (std::vector<std::string>{"  a : INT", "* b : B"}));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made, entryNamed("R"));
    EXPECT_EQ(regionTexts(object),
              (std::vector<std::string>{"colorset INT = int;", "colorset B = bool;", "colorset R = record a:INT * b:B;"}));
}

TEST_F(ColorSetDialogTest, RowsMoveAndAreReplacedAndDeleted)
{
    uint32_t object = node("colorset E = with red | green | blue;");
    DEConvertNode(object);
    std::vector<std::string> moved, replaced, deleted;
    std::string clicked;
    edit("E", {[&] {
        pick(29, 2);
        DEColorSetDialog(kColorSetDialog, 1, 30, 0); // up
        moved = rows(29);
        pick(29, 0);
        clicked = item(35);
        Dialog_SetItemText(35, "yellow");
        DEColorSetDialog(kColorSetDialog, 1, 33, 0); // replace
        replaced = rows(29);
        pick(29, 2);
        DEColorSetDialog(kColorSetDialog, 1, 32, 0); // delete
        deleted = rows(29);
        click(1);
        return true;
    }});
    EXPECT_EQ(moved, (std::vector<std::string>{"  red", "| blue", "| green"}));
    EXPECT_EQ(clicked, "red");
    EXPECT_EQ(replaced, (std::vector<std::string>{"  yellow", "| blue", "| green"}));
    EXPECT_EQ(deleted, (std::vector<std::string>{"  yellow", "| blue"}));
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"colorset E = enumerate yellow | blue;"}));
}

TEST_F(ColorSetDialogTest, KindChangesKeepOrDropThePartsAfterTheQuestion)
{
    uint32_t object = node("colorset A = int;\ncolorset R = record a:A * b:A;");
    DEConvertNode(object);
    struct Case {
        int kind;
        int answer;
        std::vector<std::string> rows;
        std::string text;
    };
    const Case cases[] = {
        {11, 1, {"  a : A", "+ b : A"}, "colorset R = union a:A + b:A;"},
        {9, 1, {"  A", "* A"}, "colorset R = product A * A;"},
        {3, 0, {"  a : A", "* b : A"}, "colorset R = record a:A * b:A;"},
        {3, 1, {}, "colorset R = int;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        world().asked.clear();
        world().answer = c.answer;
        std::vector<std::string> after;
        edit("R", {[&] {
            chooseKind(c.kind);
            after = rows(29);
            click(1);
            return true;
        }});
        EXPECT_EQ(world().asked, (std::vector<std::pair<int, std::string>>{{0x450f, "Change Type"}}));
        EXPECT_EQ(after, c.rows);
        EXPECT_EQ(regionTexts(object).back(), c.text);
        // Back to a record for the next case.
        if (c.text != "colorset R = record a:A * b:A;") {
            world().answer = 1;
            edit("R", {[&] {
                chooseKind(10);
                while (!rows(29).empty()) {
                    pick(29, 0);
                    DEColorSetDialog(kColorSetDialog, 1, 32, 0);
                }
                addRow("a", "A");
                addRow("b", "A");
                click(1);
                return true;
            }});
        }
    }
    // A colour set whose fields are empty changes kind without a question.
    world().asked.clear();
    edit("A", {[&] {
        chooseKind(4);
        click(1);
        return true;
    }});
    EXPECT_TRUE(world().asked.empty());
    EXPECT_EQ(regionTexts(object).front(), "colorset A = real;");
}

TEST_F(ColorSetDialogTest, ItemListsAndPredeclaredWordsShareOneField)
{
    uint32_t object = node("colorset I = int with 1 .. 10 timed;\nvar k;");
    DEConvertNode(object);
    std::string varShown, declareShown, commentShown, varAgain;
    bool timedShown = false;
    edit("I", {[&] {
        timedShown = Dialog_GetItemState(23) == 1;
        varShown = item(49);
        Dialog_SetItemText(49, " k,, m ,");
        pick(24, 3); // declare
        pick(25, 8); // ord
        pick(25, 0); // lt
        pick(25, 8); // ord again: already there
        declareShown = item(49);
        pick(24, 4); // comment
        commentShown = item(49);
        Dialog_SetItemText(49, "small");
        pick(24, 0); // var again
        varAgain = item(49);
        click(23); // untimed
        click(1);
        return true;
    }});
    EXPECT_TRUE(timedShown);
    EXPECT_EQ(varShown, "k");
    EXPECT_EQ(declareShown, "ord, lt");
    EXPECT_EQ(commentShown, "");
    EXPECT_EQ(varAgain, "k, m");
    EXPECT_EQ(regionTexts(object),
              (std::vector<std::string>{"colorset I = int with 1 .. 10\nvar k, m\ndeclare ord, lt;\n(* small *)"}));
}

TEST_F(ColorSetDialogTest, RefusalsSelectTheOffendingField)
{
    uint32_t object = node("colorset S = string;\nval taken = 1;");
    DEConvertNode(object);
    struct Case {
        std::function<void()> fill;
        std::string message;
        int focus;
        std::string selectedText; // the text of the focused field afterwards
    };
    const Case cases[] = {
        {[] { Dialog_SetItemText(40, "a"), Dialog_SetItemText(42, "z"); },
         "Both the beginning and end of a range must be specified.", 44, ""},
        {[] { Dialog_SetItemText(44, "1"); }, "Both the beginning and end of a range must be specified.", 45, ""},
        {[] { Dialog_SetItemText(49, "v, taken"); }, "taken : A declaration with this name already exists.", 49,
         "v, taken"},
        {[] {
             pick(24, 3);
             Dialog_SetItemText(49, "ord");
             pick(24, 0);
         },
         "ord : This not a valid Predeclared Item Name.", 49, "ord"},
        {[] { Dialog_SetItemText(20, ""); }, "A declaration name is required.", 20, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        world().messages.clear();
        bool open = false;
        int focus = 0;
        std::string shown;
        edit("S", {[&] {
                       c.fill();
                       click(1);
                       return true;
                   },
                   [&] {
                       if (world().messages.empty())
                           return false;
                       shown = item(c.focus);
                       return true;
                   },
                   expectRefusal(&open, &focus)});
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_TRUE(open);
        EXPECT_EQ(focus, c.focus);
        EXPECT_EQ(shown, c.selectedText);
        EXPECT_EQ(regionTexts(object).front(), "colorset S = string;");
    }
}

TEST_F(ColorSetDialogTest, EnumerateValuesAndRecordLabelsAreSelectedInTheRows)
{
    uint32_t object = node("colorset E = with red | green;\ncolorset R = record a:E * b:E;");
    DEConvertNode(object);
    struct Case {
        std::string entry;
        std::function<void()> fill;
        std::string message;
        int selectedRow;
    };
    const Case cases[] = {
        {"E", [] { Dialog_SetItemText(35, "fun"), DEColorSetDialog(kColorSetDialog, 1, 34, 0); },
         "fun : This is an illegal TOLQ ML identifier.", 2},
        {"R", [] { addRow("a", "E"); }, "a : A declaration with this name already exists.", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        world().messages.clear();
        bool open = false;
        int focus = 0, selected = -1;
        edit(c.entry, {[&] {
                           c.fill();
                           click(1);
                           return true;
                       },
                       [&] {
                           if (world().messages.empty())
                               return false;
                           selected = Dialog_GetListSelection(29);
                           return true;
                       },
                       expectRefusal(&open, &focus)});
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_TRUE(open);
        EXPECT_EQ(selected, c.selectedRow);
    }
}

TEST_F(ColorSetDialogTest, CheckRefusesUnusableColourSetsAndCompilesTheRest)
{
    // U names a colour set that does not exist and stops the walk; f is
    // compiled alone; v stays unchecked.
    uint32_t object = node("colorset A = int;\ncolorset U = Missing;\nfun f x = true;\nval v = 1;\n"
                           "colorset L = list A;");
    DEConvertNode(object);
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    DEStartCompileOrder(&progress);
    int wasReset = 0;
    DEEntryCompile(entryNamed("f"), &wasReset);
    ASSERT_NE(entryNamed("A")->flags & kDEChecked, 0u);
    ASSERT_NE(entryNamed("f")->flags & kDEChecked, 0u);
    ASSERT_EQ(entryNamed("U")->flags & kDEChecked, 0u);
    struct Case {
        int kind;
        const char* set;
        const char* subset;
        std::string message;
        int focus;
    };
    const Case cases[] = {
        {8, "L", "", "L : A declaration cannot have itself as parent.", 39},
        {8, "Q", "", "L is dependent on a declaration that does not exist.", 39},
        {8, "v", "", "L : A colorset is required.", 39},
        {8, "U", "", "L is dependent on a declaration that has not been syntax checked.", 39},
        {12, "A", "v", "L : A subset function is required.", 47},
        {12, "A", "g", "L is dependent on a declaration that does not exist.", 47},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        world().messages.clear();
        world().asked.clear();
        world().answer = 1;
        bool open = false;
        int focus = 0;
        edit("L", {[&] {
                       chooseKind(c.kind);
                       Dialog_SetItemText(39, c.set);
                       Dialog_SetItemText(47, c.subset);
                       click(4);
                       return true;
                   },
                   expectRefusal(&open, &focus)});
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_TRUE(open);
        EXPECT_EQ(focus, c.focus);
    }
    // A list of a checked colour set compiles and closes the dialog.
    world().messages.clear();
    int result = edit("L", {[&] {
        Dialog_SetItemText(39, "A");
        Dialog_SetItemText(40, "1");
        Dialog_SetItemText(42, "3");
        click(4);
        return true;
    }});
    EXPECT_EQ(result, 0) << "closed with Check, not OK";
    EXPECT_TRUE(world().messages.empty()) << lastMessage();
    EXPECT_NE(entryNamed("L")->flags & kDEChecked, 0u);
    EXPECT_EQ(regionTexts(object).back(), "colorset L = list A with 1 .. 3;");

    // A failed compile keeps the dialog open on the placed entry: the
    // evaluator refuses a bound that names no value.
    bool open = false;
    edit("L", {[&] {
                   Dialog_SetItemText(42, "limit");
                   click(4);
                   return true;
               },
               [&] {
                   open = Dialog_TopDialogNumber() == kColorSetDialog;
                   click(2);
                   return true;
               }});
    EXPECT_TRUE(open);
    EXPECT_EQ(regionTexts(object).back(), "colorset L = list A with 1 .. limit;");
    EXPECT_EQ(entryNamed("L")->flags & kDEChecked, 0u);
}

TEST_F(ColorSetDialogTest, TheBrowserSelectionGoesIntoTheFittingField)
{
    uint32_t object = node("colorset A = int;\nfun pos x = x > 0;\ncolorset P = product A;\ncolorset S = subset A by pos;");
    DEConvertNode(object);
    auto selectRow = [](const std::string& name) {
        std::vector<std::string> all = rows();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].substr(3) == name) {
                Dialog_HighlightListEntry(6, static_cast<int32_t>(i), 1);
                DEBrowserPanelHit(6);
            }
    };
    // Each click is its own step: the pointer input arrives after the step.
    auto selectAndShow = [&](const std::string& name) -> Step {
        return [&selectRow, name, this] {
            selectRow(name);
            click(13);
            return true;
        };
    };
    std::vector<std::string> productRows;
    std::string subsetFunction, subsetBase;
    edit("P", {selectAndShow("A"),
               selectAndShow("pos"), // not a colour set: beeps, nothing changes
               selectAndShow("P"),   // itself: beeps
               [&] {
                   productRows = rows(29);
                   click(2);
                   return true;
               }});
    EXPECT_EQ(productRows, (std::vector<std::string>{"  A", "* A"}));
    edit("S", {[&] {
                   Dialog_SetItemText(47, "");
                   Dialog_SetItemText(39, "");
                   return true;
               },
               selectAndShow("pos"), selectAndShow("A"),
               [&] {
                   subsetFunction = item(47);
                   subsetBase = item(39);
                   click(2);
                   return true;
               }});
    EXPECT_EQ(subsetFunction, "pos");
    EXPECT_EQ(subsetBase, "A");
    EXPECT_EQ(regionTexts(object).back(), "colorset S = subset A by pos;");
}

} // namespace

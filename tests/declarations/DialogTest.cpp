// The declaration dialogs and the browser on the private X server: each is
// opened for real, its fields are filled, its buttons are clicked with real
// pointer input, and the net and the items are read back.
#include "DialogFixture.h"

namespace {

TEST_F(DialogTest, NewValueIsTypedIntoItsDialogAndPlacedAfterTheSelectedEntry)
{
    uint32_t object = node("val a = 1;");
    DEConvertNode(object);
    QXStr_SetCurObject(entryNamed("a")->kvObject);
    std::string keyword;
    Steps steps(X().app(), {[] { return showing(31116); },
                            [&] {
                                keyword = item(19);
                                Dialog_SetItemText(20, "b");
                                Dialog_SetItemText(21, "a + 1;");
                                Dialog_SetItemText(22, "the next one");
                                click(1);
                                return true;
                            }});
    SEDeclEntry* made = DENewDeclaration(0, 0);
    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(keyword, "val");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made, entryNamed("b"));
    EXPECT_EQ(std::string(made->texts[0]), "a + 1") << "the trailing semicolon is dropped";
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val a = 1;", "val b = a + 1;\n(* the next one *)"}));
}

TEST_F(DialogTest, RefusalsKeepTheDialogOpenUntilCancelled)
{
    uint32_t object = node("val a = 1;\nval b = 2;");
    DEConvertNode(object);
    struct Case {
        const char* name;
        const char* expression;
        const char* message;
    };
    const Case cases[] = {
        {"", "1", "A declaration name is required."},
        {"c", "  ", "c : An expression is required."},
        {"b", "3", "b : A declaration with this name already exists."},
        {"val", "3", "val : This is an illegal TOLQ ML identifier."},
    };
    for (const Case& c : cases) {
        world().messages.clear();
        QXStr_SetCurObject(entryNamed("a")->kvObject);
        bool stillOpen = false;
        Steps steps(X().app(), {[] { return showing(31116); },
                                [&] {
                                    Dialog_SetItemText(20, c.name);
                                    Dialog_SetItemText(21, c.expression);
                                    click(1);
                                    return true;
                                },
                                [&] {
                                    if (world().messages.empty())
                                        return false;
                                    stillOpen = Dialog_TopDialogNumber() == 31116;
                                    click(2);
                                    return true;
                                }});
        EXPECT_EQ(DENewDeclaration(0, 0), nullptr) << c.message;
        EXPECT_TRUE(steps.finished()) << c.message;
        EXPECT_TRUE(stillOpen) << c.message;
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_EQ(regionTexts(object).size(), 2u);
    }
}

TEST_F(DialogTest, EditingKeepsTheNameAndTheCheckWhenNothingChanged)
{
    uint32_t object = node("val a = 1;\nfun f x = x + a;");
    DEConvertNode(object);
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    SEDeclEntry* a = entryNamed("a");
    Steps steps(X().app(), {[] { return showing(31116); },
                            [&] {
                                click(1);
                                return true;
                            }});
    EXPECT_EQ(DEEditEntry(a->kvObject, 3), 1);
    EXPECT_TRUE(steps.finished());
    EXPECT_TRUE(world().messages.empty()) << lastMessage();
    EXPECT_EQ(entryNamed("a"), a);
    EXPECT_NE(a->flags & kDEChecked, 0u);
    EXPECT_NE(entryNamed("f")->flags & kDEChecked, 0u);

    // A changed expression withdraws the check, also of the function using it.
    Steps change(X().app(), {[] { return showing(31116); },
                             [&] {
                                 Dialog_SetItemText(21, "5");
                                 click(1);
                                 return true;
                             }});
    EXPECT_EQ(DEEditEntry(a->kvObject, 3), 1);
    EXPECT_EQ(a->flags & kDEChecked, 0u);
    EXPECT_EQ(entryNamed("f")->flags & kDEChecked, 0u);
    EXPECT_EQ(regionTexts(object).front(), "val a = 5;");
}

TEST_F(DialogTest, FunDialogReadsNameParametersAndBody)
{
    uint32_t object = node("fun g y = y;");
    DEConvertNode(object);
    std::vector<std::string> shown;
    Steps steps(X().app(), {[] { return showing(31135); },
                            [&] {
                                shown = {item(20), item(21), item(22)};
                                Dialog_SetItemText(22, "y * 2");
                                click(1);
                                return true;
                            }});
    EXPECT_EQ(DEEditEntry(entryNamed("g")->kvObject, 3), 1);
    EXPECT_EQ(shown, (std::vector<std::string>{"g", "y", "y"}));
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"fun g y = y * 2;"}));
}

TEST_F(DialogTest, BrowserListsFiltersDeletesAndGuardsTheEditedEntry)
{
    uint32_t object = node("colorset Col = int;\nval beta = 1;\nfun alpha x = x;\nval Gamma = 2;");
    DEConvertNode(object);
    SEDeclEntry* edited = entryNamed("Gamma");
    std::vector<std::string> first, withoutFuns, again, afterDelete;
    bool deleteEnabledOnEdited = true;
    Steps steps(X().app(), {[] { return showing(31110); },
                            [&] {
                                first = rows();
                                click(9);
                                return true;
                            },
                            [&] {
                                withoutFuns = rows();
                                click(9);
                                return true;
                            },
                            [&] {
                                again = rows();
                                // The edited entry's row is selected: it can be neither deleted nor compiled.
                                deleteEnabledOnEdited = Dialog_GetItemState(16) == 3;
                                Dialog_HighlightListEntry(6, 1, 1);
                                DEBrowserPanelHit(6);
                                click(16);
                                return true;
                            },
                            [&] {
                                if (world().asked.empty())
                                    return false;
                                afterDelete = rows();
                                click(1);
                                return true;
                            }});
    DEBrowserOpen(&edited->head, 0, 0);
    EXPECT_TRUE(steps.finished());
    const std::vector<std::string> all = {"F- alpha", "V- beta", "C- Col", "V- Gamma"};
    EXPECT_EQ(first, all);
    EXPECT_EQ(withoutFuns, (std::vector<std::string>{"V- beta", "C- Col", "V- Gamma"}));
    EXPECT_EQ(again, all);
    EXPECT_FALSE(deleteEnabledOnEdited);
    EXPECT_EQ(world().asked, (std::vector<std::pair<int, std::string>>{{17671, "Delete"}}));
    EXPECT_EQ(afterDelete, (std::vector<std::string>{"F- alpha", "C- Col", "V- Gamma"}));
    EXPECT_EQ(entryNamed("beta"), nullptr);
    EXPECT_EQ(regionTexts(object).size(), 3u);
}

// Show Text has no text item to fill in the value dialog: it stays off there
// and item 19 keeps the keyword.
TEST_F(DialogTest, ShowTextStaysOffInEntryDialogs)
{
    uint32_t object = node("val a = 1;\nval b = 2;");
    DEConvertNode(object);
    int state = 0;
    std::string keyword;
    Steps steps(X().app(), {[] { return showing(31116); },
                            [&] {
                                Dialog_HighlightListEntry(6, 1, 1);
                                DEBrowserPanelHit(6);
                                state = Dialog_GetItemState(13);
                                click(13);
                                return true;
                            },
                            [&] {
                                keyword = item(19);
                                click(2);
                                return true;
                            }});
    DEEditEntry(entryNamed("a")->kvObject, 3);
    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(state, 2);
    EXPECT_EQ(keyword, "val");
    EXPECT_EQ(regionTexts(object).size(), 2u);
}

} // namespace

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

// The local-block dialog converts its text in the place of the edited block;
// a text that does not convert leaves the net as it was and the dialog open.
TEST_F(DialogTest, LocalBlockDialogConvertsItsTextInPlace)
{
    uint32_t object = node("val z = 0;\nlocal val a = 1 in fun f x = a end;");
    DEConvertNode(object);
    ProgressRecord progress{nullptr, 8, {0, 0, 0, 0, 0}};
    ASSERT_EQ(DEStartCompileOrder(&progress), 0);
    const std::vector<std::string> before = regionTexts(object);
    struct Case {
        const char* text;
        const char* message;
    };
    const Case refused[] = {
        {"  ", "f : An expression is required."},
        {"local colorset B = int in fun f x = x end", "Syntax error."},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.text);
        world().messages.clear();
        bool open = false;
        Steps steps(X().app(), {[] { return showing(31125); },
                                [&] {
                                    Dialog_SetItemText(19, c.text);
                                    click(1);
                                    return true;
                                },
                                [&] {
                                    if (world().messages.empty())
                                        return false;
                                    open = Dialog_TopDialogNumber() == 31125;
                                    click(2);
                                    return true;
                                }});
        EXPECT_EQ(DEEditEntry(entryNamed("f")->kvObject, 3), 0);
        EXPECT_TRUE(open);
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_EQ(regionTexts(object), before);
        EXPECT_NE(entryNamed("f")->flags & kDEChecked, 0u);
    }
    std::string shown;
    Steps steps(X().app(), {[] { return showing(31125); },
                            [&] {
                                shown = item(19);
                                Dialog_SetItemText(19, "local val a = 2 in fun f x = a + z end;");
                                click(1);
                                return true;
                            }});
    EXPECT_EQ(DEEditEntry(entryNamed("f")->kvObject, 3), 1);
    EXPECT_EQ(shown, "local val a = 1 in fun f x = a end;");
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val z = 0;", "local val a = 2 in fun f x = a + z end;"}));
    ASSERT_NE(entryNamed("f"), nullptr);
    EXPECT_EQ(entryNamed("f")->flags & kDEChecked, 0u) << "a changed text withdraws the check";
    EXPECT_EQ(entryNamed("TOLQ'tempname"), nullptr);
}

// The browser's Open and Current hand entries and nodes to their dialogs and
// close when those accept; Compile refills the rows; Clear empties the texts.
TEST_F(DialogTest, BrowserOpensCompilesShowsAndClears)
{
    uint32_t object = node("val a = 1;\nval b = 2;");
    DEConvertNode(object);
    auto selectRow = [](const std::string& row) {
        std::vector<std::string> all = rows();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i] == row) {
                Dialog_HighlightListEntry(6, static_cast<int32_t>(i), 1);
                DEBrowserPanelHit(6);
            }
    };
    std::vector<std::string> compiled;
    std::string texts, cleared;
    Steps steps(X().app(), {[] { return showing(31110); },
                            [&] {
                                selectRow("V- a");
                                click(17);
                                return true;
                            },
                            [&] {
                                compiled = rows();
                                selectRow("V+ a");
                                click(13);
                                return true;
                            },
                            [&] {
                                selectRow("V- b");
                                click(13);
                                return true;
                            },
                            [&] {
                                texts = item(19);
                                click(4);
                                return true;
                            },
                            [&] {
                                cleared = item(19);
                                selectRow("V- b");
                                click(14);
                                return true;
                            },
                            [] { return showing(31116); },
                            [&] {
                                Dialog_SetItemText(21, "22");
                                click(1);
                                return true;
                            }});
    DEBrowserOpen(nullptr, 0, 0);
    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(Dialog_Depth(), 0) << "the browser closed after the accepted edit";
    EXPECT_EQ(compiled, (std::vector<std::string>{"V+ a", "V- b"}));
    EXPECT_EQ(texts, "val a = 1;\n\nval b = 2;");
    EXPECT_EQ(cleared, "");
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val a = 1;", "val b = 22;"}));

    // Current: the current node gets a new entry through the kind choice.
    QXStr_SetCurObject(object);
    int currentState = 0;
    Steps current(X().app(), {[] { return showing(31110); },
                              [&] {
                                  currentState = Dialog_GetItemState(15);
                                  click(15);
                                  return true;
                              },
                              [] { return showing(31130); },
                              [&] {
                                  click(5); // val
                                  return true;
                              },
                              [&] {
                                  click(1);
                                  return true;
                              },
                              [] { return showing(31116); },
                              [&] {
                                  Dialog_SetItemText(20, "c");
                                  Dialog_SetItemText(21, "3");
                                  click(1);
                                  return true;
                              }});
    DEBrowserOpen(nullptr, 0, 0);
    EXPECT_TRUE(current.finished());
    EXPECT_EQ(currentState, 3);
    EXPECT_EQ(Dialog_Depth(), 0);
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val c = 3;", "val a = 1;", "val b = 22;"}));
}

} // namespace

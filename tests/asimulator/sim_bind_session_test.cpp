// The bindings dialog's actions on a transition instance against the real
// evaluator: typed values checked by their colour set, binding all values,
// finding and keeping found bindings, partial and chosen elements moved
// between the lists, and the variable switch refused after a bad value.
#include "SimFixture.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/CSimulator/SimBindSession.h"

namespace simtest {
namespace {

using Outcome = SBindSession::Outcome;

// A -x-> T -x-> B and C -y-> T: two variables, x from "1`1++1`2", y from "1`5".
class BindSessionTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        declare("colset INT = int; var x : INT; var y : INT;", {{"INT", false}});
        page_ = page("4", "Top");
        SEPlace* a = place(page_, "5", "INT", "1`1++1`2");
        SEPlace* b = place(page_, "6", "INT", nullptr);
        SEPlace* c = place(page_, "10", "INT", "1`5");
        t_ = trans(page_, "7", "T");
        arc(t_, a, kSEPlaceToTrans, "8", "x");
        arc(t_, c, kSEPlaceToTrans, "11", "y");
        arc(t_, b, kSETransToPlace, "9", "x");
        check(t_);
        switchPage(page_);
        ASSERT_EQ(ASCreateInstance(page_, "", nullptr, nullptr), 0);
        resetState();
        instance_ = only(page_);
        options(0, 0, 0, 0, 0, 3);
        root()->flags |= kASRootNoOccSet;
    }

    // The index of the variable of the name.
    int VariableNamed(const SBindSession& session, const std::string& name)
    {
        const auto& variables = session.Variables();
        for (size_t i = 0; i < variables.size(); ++i)
            if (variables[i].name == name)
                return static_cast<int>(i);
        return -1;
    }

    // Types the value for the variable of the name.
    void Type(SBindSession& session, const std::string& name, const std::string& value)
    {
        ASSERT_TRUE(session.ChooseVariable(VariableNamed(session, name), ""));
        ASSERT_TRUE(session.EditValue());
        ASSERT_TRUE(session.AcceptTyped(value)) << value;
    }

    std::vector<std::string> Texts(const std::vector<ASBindingElement*>& list)
    {
        std::vector<std::string> texts;
        for (ASBindingElement* e : list)
            texts.push_back(SBindSession::ElementText(e));
        return texts;
    }

    SEPage* page_ = nullptr;
    SETrans* t_ = nullptr;
    ASInstance* instance_ = nullptr;
};

TEST_F(BindSessionTest, OpeningListsTheVariablesWithTheFirstOpenOneCurrent)
{
    SBindSession session(t_, instance_);
    session.Open();
    ASSERT_EQ(session.Variables().size(), 2u);
    EXPECT_GE(VariableNamed(session, "x"), 0);
    EXPECT_GE(VariableNamed(session, "y"), 0);
    for (const auto& v : session.Variables()) {
        EXPECT_EQ(v.colourSet, "INT");
        EXPECT_FALSE(v.fixed);
        EXPECT_EQ(v.value, "");
    }
    EXPECT_EQ(session.Current(), 0);
    EXPECT_TRUE(session.Upper().empty());
    EXPECT_TRUE(session.Lower().empty());
}

TEST_F(BindSessionTest, AValueOutsideTheColourSetIsRefusedAndKeepsTheVariable)
{
    SBindSession session(t_, instance_);
    session.Open();
    const int first = session.Current();
    ASSERT_TRUE(session.EditValue());
    EXPECT_FALSE(session.AcceptTyped("\"a\""));
    EXPECT_FALSE(session.ChooseVariable(1 - first, "\"a\"")) << "switched past an illegal value";
    EXPECT_EQ(session.Current(), first);
    EXPECT_EQ(session.Variables()[static_cast<size_t>(first)].value, "");
    EXPECT_EQ(session.Occur("\"a\""), Outcome::Bell);
    EXPECT_TRUE(session.ChooseVariable(1 - first, "2")) << "a legal value lets the switch go on";
    EXPECT_EQ(session.Variables()[static_cast<size_t>(first)].value, "2");
    EXPECT_EQ(session.Current(), 1 - first);
}

TEST_F(BindSessionTest, OccurBindsTheTypedValuesOrRefusesWhenNoTokenFits)
{
    SBindSession refused(t_, instance_);
    refused.Open();
    Type(refused, "x", "7");
    EXPECT_EQ(refused.Occur(""), Outcome::Bell) << "no token 7 on A";
    EXPECT_TRUE(chosen(instance_, t_).empty());

    SBindSession session(t_, instance_);
    session.Open();
    Type(session, "x", "2");
    EXPECT_EQ(session.Occur(""), Outcome::Close);
    const std::vector<std::string> made = chosen(instance_, t_);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_NE(made[0].find('2'), std::string::npos);
    EXPECT_NE(made[0].find('5'), std::string::npos) << "y completed by the evaluator";
    EXPECT_EQ(se::count(instance_->provisional), 0);

    // Opened again, the chosen element stands in the upper list and "Occur"
    // settles it without a new binding.
    SBindSession again(t_, instance_);
    again.Open();
    ASSERT_EQ(again.Upper().size(), 1u);
    EXPECT_EQ(again.Occur(""), Outcome::Close);
    EXPECT_EQ(chosen(instance_, t_).size(), 1u);
}

TEST_F(BindSessionTest, AllFindsTheBindingsAndWithControlKeepsTheEarlierOnes)
{
    SBindSession session(t_, instance_);
    session.Open();
    EXPECT_EQ(session.All("", false), Outcome::Stay);
    EXPECT_EQ(session.Lower().size(), 2u) << "x is 1 or 2";
    EXPECT_EQ(session.All("", false), Outcome::Stay);
    EXPECT_EQ(session.Lower().size(), 2u) << "a new search drops the first";
    EXPECT_EQ(session.All("", true), Outcome::Stay);
    EXPECT_EQ(session.Lower().size(), 4u) << "kept with Control";
    for (ASBindingElement* e : session.Lower())
        EXPECT_EQ(e->state, kASProvisionalFound);

    // A found binding cleared from the list is deleted.
    EXPECT_EQ(session.Clear(-1, 0), Outcome::Stay);
    EXPECT_EQ(session.Lower().size(), 3u);
    EXPECT_EQ(se::count(instance_->provisional), 3);
}

TEST_F(BindSessionTest, ElementsMoveBetweenTheLists)
{
    SBindSession session(t_, instance_);
    session.Open();
    // "Up" with nothing highlighted: a partial element for the lower list.
    Type(session, "x", "1");
    EXPECT_EQ(session.Up(-1, -1, ""), Outcome::Stay);
    ASSERT_EQ(session.Lower().size(), 1u);
    EXPECT_EQ(Texts(session.Lower())[0].find("<"), 0u);

    // "Down" with nothing highlighted: bound and chosen, values emptied.
    EXPECT_EQ(session.Down(-1, -1, ""), Outcome::Stay);
    ASSERT_EQ(session.Upper().size(), 1u);
    EXPECT_EQ(session.Upper()[0]->state, kASConfirmed);
    for (const auto& v : session.Variables())
        EXPECT_EQ(v.value, "");

    // "Up" on the chosen entry copies its values back.
    EXPECT_EQ(session.Up(0, -1, ""), Outcome::Stay);
    EXPECT_EQ(session.Variables()[static_cast<size_t>(VariableNamed(session, "x"))].value, "1");
    EXPECT_EQ(session.Variables()[static_cast<size_t>(VariableNamed(session, "y"))].value, "5");

    // The token 1 is taken: "Down" again cannot bind it and adds nothing.
    EXPECT_EQ(session.Down(-1, -1, ""), Outcome::Bell);
    EXPECT_EQ(session.Upper().size(), 1u);

    // "Clear" on the chosen entry withdraws it.
    EXPECT_EQ(session.Clear(0, -1), Outcome::Stay);
    EXPECT_TRUE(session.Upper().empty());
    EXPECT_TRUE(chosen(instance_, t_).empty());

    // "Clear" with nothing highlighted empties the typed values.
    Type(session, "x", "2");
    EXPECT_EQ(session.Clear(-1, -1), Outcome::Stay);
    for (const auto& v : session.Variables())
        EXPECT_EQ(v.value, "");
}

TEST_F(BindSessionTest, CancelWithdrawsWhatTheDialogChose)
{
    SBindSession session(t_, instance_);
    session.Open();
    Type(session, "x", "2");
    ASSERT_EQ(session.Down(-1, -1, ""), Outcome::Stay);
    ASSERT_EQ(chosen(instance_, t_).size(), 1u);
    session.Cancel();
    EXPECT_TRUE(chosen(instance_, t_).empty());
    EXPECT_EQ(se::count(instance_->provisional), 0);
}

}  // namespace
}  // namespace simtest

// Starting and stopping the real evaluator: a fresh start, no restart while
// the global declarations are unchanged, the question when they might have
// changed, and the request buffers that live only while it is up.
#include <csignal>
#include <cstring>
#include <unistd.h>
#include <string>

#include "CheckDoubles.h"
#include "CheckFixture.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/SML/SML.h"
#include "atolq/SML/SMLLink.h"
#include "atolq/SmlEval/SmlEval.h"

namespace {

char* copy(const std::string& text)
{
    char* out = GE_Alloc(static_cast<uint32_t>(text.size() + 1));
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

int configurations = 0;
std::string savedImage; // the diagram's saved image the settings name
int localSettings(int, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile, char** runtime,
                  char**, uint32_t*, uint32_t)
{
    ++configurations;
    *local = 1;
    *host = nullptr;
    *port = 0;
    *image = copy(TOLQ_BIN_DIR "/tolq.ML");
    *mlFile = copy(savedImage);
    *runtime = copy(TOLQ_BIN_DIR "/run.x86-linux");
    return 1;
}
int refusingSettings(int, uint32_t*, char**, uint16_t*, char**, char**, char**, char**, uint32_t*, uint32_t)
{
    ++configurations;
    return 0;
}

class EvaluatorStartTest : public CheckTest {
protected:
    void SetUp() override
    {
        CheckTest::SetUp();
        configurations = 0;
        savedImage.clear();
        dialogAnswers() = DialogAnswers{};
        DeclsCompiled = 0;
        MLImageSaved = 0;
    }
    void TearDown() override
    {
        CTSStopEvaluator();
        CheckTest::TearDown();
    }
    int16_t evaluate(const char* text)
    {
        MemFile* reply = MemFileCreate();
        int16_t code = CTSSend(text, nullptr, reply);
        MemFileDestroy(reply);
        return code;
    }
};

TEST_F(EvaluatorStartTest, StartsFreshWithoutGlobalNodeAndStopsAgain)
{
    EXPECT_EQ(CTSRequestBuffer(), nullptr);
    EXPECT_EQ(evaluate("val it = 1;\n"), kEvalSendFailed);
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_EQ(configurations, 1);
    EXPECT_EQ(CTSCurrentContext().evaluatorUp, 1);
    EXPECT_EQ(CTSCurrentContext().continueFlag, 1);
    EXPECT_NE(CTSRequestBuffer(), nullptr);
    EXPECT_EQ(evaluate("val it = 1 + 1;\n"), kEvalOk);
    EXPECT_EQ(evaluate("val it = 1 + \"a\";\n"), kEvalCompileError);

    EXPECT_EQ(CTSStopEvaluator(), 1);
    EXPECT_EQ(CTSCurrentContext().evaluatorUp, 0);
    EXPECT_EQ(SMLGetConnState(), kSMLKindNone);
    EXPECT_EQ(CTSRequestBuffer(), nullptr);
    EXPECT_EQ(evaluate("val it = 1;\n"), kEvalSendFailed);
}

TEST_F(EvaluatorStartTest, UnchangedGlobalNodeNeedsNoRestartAndNoQuestion)
{
    SEDeclNode* node = SECreateDeclNode(nullptr, nextObject++, kSEDeclGlobal);
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_EQ(node->flags & 0x1000u, 0u) << "a fresh image needs the declarations parsed again";
    EXPECT_EQ(evaluate("val kept = 7;\n"), kEvalOk);

    node->flags |= 0x1000u;
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_EQ(configurations, 1);
    EXPECT_EQ(dialogAnswers().asked, 0);
    EXPECT_EQ(evaluate("val it = kept;\n"), kEvalOk) << "the evaluator was restarted";
}

TEST_F(EvaluatorStartTest, ChangedDeclarationsAskAndCancelKeepsTheEvaluator)
{
    SEDeclNode* node = SECreateDeclNode(nullptr, nextObject++, kSEDeclGlobal);
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    DeclsCompiled = 1;
    EXPECT_EQ(evaluate("val kept = 7;\n"), kEvalOk);

    dialogAnswers().yesNoCancel = -1;
    EXPECT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_EQ(dialogAnswers().asked, 1);
    EXPECT_EQ(CTSCurrentContext().continueFlag, 0);
    EXPECT_EQ(configurations, 1);

    // "No": the node counts as checked and nothing is restarted.
    dialogAnswers().yesNoCancel = 0;
    EXPECT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_NE(node->flags & 0x1000u, 0u);
    EXPECT_EQ(configurations, 1);
    EXPECT_EQ(evaluate("val it = kept;\n"), kEvalOk);
}

TEST_F(EvaluatorStartTest, YesRebuildsFromAFreshImage)
{
    SECreateDeclNode(nullptr, nextObject++, kSEDeclGlobal);
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    DeclsCompiled = 1;
    EXPECT_EQ(evaluate("val kept = 7;\n"), kEvalOk);
    dialogAnswers().yesNoCancel = 1;
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_EQ(configurations, 2);
    EXPECT_EQ(static_cast<int>(DeclsCompiled), 0);
    EXPECT_EQ(evaluate("val it = kept;\n"), kEvalCompileError) << "the old evaluator survived";
}

TEST_F(EvaluatorStartTest, RefusedConfigurationStartsNothing)
{
    EXPECT_EQ(CTSStartEvaluator(refusingSettings), 0);
    EXPECT_EQ(CTSCurrentContext().evaluatorUp, 0);
    EXPECT_EQ(CTSRequestBuffer(), nullptr);
}

TEST_F(EvaluatorStartTest, StoppingTheNetStopsTheEvaluatorThroughItsRegisteredService)
{
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    ASSERT_NE(SEGetCheckServices().stopEvaluator, nullptr);
    SEStop();
    EXPECT_EQ(CTSCurrentContext().evaluatorUp, 0);
    EXPECT_EQ(SMLGetConnState(), kSMLKindNone);
    EXPECT_EQ(CTSRequestBuffer(), nullptr);
    SEStart();
}

// The words that choose the image are the net data base's own flags, so a
// loaded diagram whose image was saved with its declarations starts from it.
TEST_F(EvaluatorStartTest, SavedImageOfALoadedNetIsUsedWhenItsDeclarationsAreChecked)
{
    SEDeclNode* node = SECreateDeclNode(nullptr, nextObject++, kSEDeclGlobal);
    node->flags |= 0x1000u;
    MLImageSaved = 1;
    savedImage = TOLQ_BIN_DIR "/tolq.ML";
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_EQ(DeclsCompiled, 1u);
    EXPECT_EQ(MLImageSaved, 1u);
    EXPECT_NE(node->flags & 0x1000u, 0u) << "the saved image holds the declarations";
    EXPECT_EQ(evaluate("val it = 1;\n"), kEvalOk);
}

TEST_F(EvaluatorStartTest, MissingSavedImageDeclinedStartsNothing)
{
    SEDeclNode* node = SECreateDeclNode(nullptr, nextObject++, kSEDeclGlobal);
    node->flags |= 0x1000u;
    MLImageSaved = 1;
    savedImage = "/nonexistent/diagram.ML";
    EXPECT_EQ(CTSStartEvaluator(localSettings), 0);
    EXPECT_EQ(CTSCurrentContext().evaluatorUp, 0);
    EXPECT_EQ(CTSRequestBuffer(), nullptr);
}

// An evaluator that quit on its own cannot be interrupted: the stop says so,
// but the dead link is released and the next start brings up a new one.
TEST_F(EvaluatorStartTest, EvaluatorThatQuitIsReleasedAndStartsAgain)
{
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    const pid_t pid = SMLLink().childPid;
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    for (int i = 0; i < 200 && kill(pid, 0) == 0; ++i)
        usleep(10000); // until the link has reaped it
    ASSERT_NE(kill(pid, 0), 0);

    EXPECT_EQ(CTSStopEvaluator(), 0);
    EXPECT_EQ(CTSCurrentContext().evaluatorUp, 0);
    EXPECT_EQ(SMLGetConnState(), kSMLKindNone);
    EXPECT_EQ(CTSRequestBuffer(), nullptr);

    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_EQ(evaluate("val it = 2;\n"), kEvalOk);
}

// Global declaration nodes parsed and defined by the evaluator.
struct DeclCase {
    const char* text;
    bool defined;
};
class DeclNodeTest : public EvaluatorStartTest, public ::testing::WithParamInterface<DeclCase> {};

TEST_P(DeclNodeTest, DefinedNodeIsMarkedAndABadOneReportsC4WithTheReply)
{
    SEDeclNode* node = SECreateDeclNode(nullptr, nextObject++, kSEDeclGlobal);
    const std::string text = GetParam().text;
    node->text = se::allocText(static_cast<uint32_t>(text.size() + 1));
    std::memcpy(node->text, text.c_str(), text.size() + 1);
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    DeclsCompiled = 0;

    EXPECT_EQ(CTSCheckDeclNode(node, kSEDeclGlobal), GetParam().defined ? 1 : 0);
    EXPECT_EQ((node->flags & 0x1000u) != 0, GetParam().defined);
    EXPECT_EQ(static_cast<int>(DeclsCompiled), GetParam().defined ? 1 : 0);
    if (GetParam().defined) {
        EXPECT_TRUE(on(&node->head).empty());
    } else {
        ASSERT_EQ(on(&node->head), std::vector<std::string>{"C.4 Error in global/temporary declaration node"});
        EXPECT_TRUE(reports().front().withDetails);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, DeclNodeTest,
                         ::testing::Values(DeclCase{"colset INT = int; var x : INT;", true},
                                           DeclCase{"", true},
                                           DeclCase{"colset INT = int; var x : NOSUCH;", false},
                                           DeclCase{"colset INT = int with 1 ..;", false}));

TEST_F(EvaluatorStartTest, TemporaryNodeIsMarkedWithoutCountingAsTheGlobalDeclarations)
{
    SEDeclNode* node = SECreateDeclNode(nullptr, nextObject++, kSEDeclTemporary);
    const std::string text = "colset TMP = int;";
    node->text = se::allocText(static_cast<uint32_t>(text.size() + 1));
    std::memcpy(node->text, text.c_str(), text.size() + 1);
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    EXPECT_EQ(CTSCheckDeclNode(node, kSEDeclTemporary), 1);
    EXPECT_NE(node->flags & 0x1000u, 0u);
    EXPECT_EQ(DeclsCompiled, 0u);
    EXPECT_TRUE(reports().empty());
}

} // namespace

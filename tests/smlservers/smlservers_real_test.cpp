// The numbered requests' main path against the real evaluator: ML code calls
// the kernel through Tolq.Kernel.call, creating a node on a page built in the
// test and reading an attribute back, and printing the application's pages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "KernelFixture.h"
#include "atolq/SML/SMLWire.h"
#include "process.h"
#include "sml_fixture.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"

namespace {

using namespace sml_test;

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

class RealServersTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(page_, 0u);
        ASSERT_EQ(SMLConnect(1, nullptr, 0, kHeap.c_str(), kRuntime.c_str(), nullptr, nullptr), 0);
    }
    void TearDown() override {
        SMLStopProcess();
        for (HookId id = 0; id < kHookCount; ++id) Hook_Unregister(id);
        Core_CloseModel();
        KernelTest::TearDown();
    }
    std::string evaluate(const std::string& text, int16_t* result) {
        File request(text), reply("\r");
        *result = SMLEvaluate(request.get(), reply.get());
        return reply.text().substr(1);
    }
    ObjectHandle page_ = 0;
};

TEST_F(RealServersTest, MLCodeCreatesANodeAndReadsItsSizeBack) {
    std::string p = std::to_string(page_);
    int16_t result;
    std::string reply = evaluate(
        "local open Tolq.Kernel in "
        "val node = Tolq.decode (call 21 [U32 " + p + ", Px 150, Px 90, Px 36, Px 18, U32 1]) int; "
        "val sizeWords = Tolq.decode (call 9290 [U32 node]) (fn c => let val r = int c val w = int c in (r, w, int c) end) "
        "end; "
        "print (\"\\^F\" ^ Int.toString node ^ \"\\^F\"); "
        "print (\"\\^F\" ^ Int.toString (#2 sizeWords) ^ \"x\" ^ Int.toString (#3 sizeWords) ^ \"\\^F\");",
        &result);
    ASSERT_EQ(result, 0) << reply;
    size_t open = reply.find('\006');
    ASSERT_NE(open, std::string::npos) << reply;
    ObjectHandle node = static_cast<ObjectHandle>(std::stoul(reply.substr(open + 1)));
    ASSERT_NE(node, 0u) << reply;
    EXPECT_EQ(QXStr_GetObjectPage(node), page_);
    Fixed x, y;
    ASSERT_EQ(QXRdAttr_GetPosition(node, &x, &y), 1u);
    EXPECT_EQ(x, SMLPixelsToFixed(150));
    EXPECT_EQ(y, SMLPixelsToFixed(90));
    EXPECT_NE(reply.find("\00636x18\006"), std::string::npos) << reply;
}

TEST_F(RealServersTest, MLCodeSeesAFailedRequestAsRefusedAndGoesOn) {
    int16_t result;
    std::string reply = evaluate("Tolq.Kernel.call 12345 [];", &result);
    EXPECT_EQ(result, -5) << reply;
    EXPECT_NE(reply.find("Refused"), std::string::npos) << reply;
    reply = evaluate("print (Int.toString (Tolq.Kernel.result 4080 [Tolq.Kernel.U32 " + std::to_string(page_) +
                         "]));",
                     &result);
    EXPECT_EQ(result, 0) << reply;
    EXPECT_EQ(reply.substr(0, 1), "1") << reply;
}

// The application's page list: the test's page.
ObjectHandle gListedPage = 0;
uintptr_t ListedPages(uintptr_t count, uintptr_t pages, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
    auto* list = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t)));
    list[0] = gListedPage;
    *reinterpret_cast<uint16_t*>(count) = 1;
    *reinterpret_cast<uint32_t**>(pages) = list;
    return 1;
}

TEST_F(RealServersTest, MLCodePrintsTheApplicationsPages) {
    tolq::test::TempDir dir;
    const std::string spooled = dir.file("spooled.ps");
    setenv("VelkorPrintDirectory", dir.path().c_str(), 1);
    setenv("VelkorPrintCommand", ("sh -c 'mv \"$2\" \"$1\"' _ " + spooled).c_str(), 1);
    Model_SetFieldValue(page_, Field::kPageNumber, 7);
    gListedPage = page_;
    Hook_Register(85, ListedPages);
    int16_t result;
    std::string reply = evaluate("Tolq.Kernel.call 1100 [Tolq.Kernel.S16 1];", &result);
    unsetenv("VelkorPrintDirectory");
    unsetenv("VelkorPrintCommand");
    EXPECT_EQ(result, 0) << reply;
    ASSERT_TRUE(std::filesystem::exists(spooled));
    const std::string document = tolq::test::read_file(spooled);
    EXPECT_NE(document.find("%%Page: (7) 1\n"), std::string::npos);
    EXPECT_NE(document.find("%%Pages: 1\n"), std::string::npos);
}

} // namespace

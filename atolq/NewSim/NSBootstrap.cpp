// The bootstrap of the newer simulator: the time kind of the net's code
// options with the start-time expression, and, with "-savecode", a fresh
// file name under /tmp where the evaluator keeps the code it generates.
#include "atolq/NewSim/NSBootstrap.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetOptions.h"
#include "atolq/NewSim/NSSmlGlue.h"

namespace {

constexpr int32_t kTimeIntInf = 3;
constexpr int32_t kTimeNone = 4;
constexpr size_t kMaxStartText = 63;

// A new, empty file "/tmp/TOLQML...." made for the code; "" when none could be.
std::string codeFileName()
{
    std::string name = "/tmp/TOLQMLXXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return {};
    close(fd);
    return name;
}

} // namespace

int NSBootstrap()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    const int32_t kind = root->codeGenOptions[1];
    std::string kindWord;
    std::string start;
    if (kind == kTimeIntInf) {
        const std::string text(root->codeGenText, strnlen(root->codeGenText, sizeof root->codeGenText));
        kindWord = "intinf";
        start = ("IntInf.fromInt(" + text + ")").substr(0, kMaxStartText);
    } else if (kind != kTimeNone) {
        return 0;
    }
    auto message = NSMsgNew(kNSClassBootstrap);
    NSMsgAddString(message.get(), kindWord.c_str());
    NSMsgAddString(message.get(), start.c_str());
    NSMsgAddString(message.get(), GE_Options().saveCode != 0 ? codeFileName().c_str() : "");
    return NSMsgCall(message.get());
}

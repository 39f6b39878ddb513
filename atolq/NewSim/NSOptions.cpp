// The run options and the seed of the newer simulator: the display words,
// the feedback switches and the stop criteria that are on, and the seed
// when the net fixes one.
#include "atolq/NewSim/NSOptions.h"

#include <cstring>
#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/NewSim/NSSmlGlue.h"

namespace {

constexpr int32_t kCodeRunOptions = 10;
constexpr int32_t kCodeSeed = 11;

// A stop-option text while its switch is on, else "".
std::string stopText(const SERoot* root, int option)
{
    if (root->runOptions2[option] == 0)
        return {};
    const char* text = root->runTexts[option];
    return std::string(text, strnlen(text, sizeof root->runTexts[option]));
}

} // namespace

int NSSendRunOptions()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    auto message = NSMsgNew(kNSClassOptions);
    NSMessage* m = message.get();
    NSMsgAddInt(m, kCodeRunOptions);
    NSMsgAddShort(m, root->displayOptions[0]);
    NSMsgAddShort(m, root->displayOptions[1]);
    NSMsgAddShort(m, root->displayOptions[3] == 0 ? 1 : 0);
    NSMsgAddShort(m, ASRunOptions(root)[3]);
    NSMsgAddShort(m, ASRunOptions(root)[4]);
    NSMsgAddShort(m, 1);
    NSMsgAddShort(m, 1);
    // until step number, add steps, until time, add time
    for (int option : {1, 0, 3, 2})
        NSMsgAddString(m, stopText(root, option).c_str());
    NSMsgAddString(m, "");
    NSMsgAddString(m, "");
    return NSMsgCall(m);
}

int NSSendSeed()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    auto message = NSMsgNew(kNSClassOptions);
    NSMsgAddInt(message.get(), kCodeSeed);
    const std::string seed =
        ASRandomSeed(root) == 0 ? std::to_string(static_cast<int16_t>(ASSeed(root))) : std::string{};
    NSMsgAddString(message.get(), seed.c_str());
    NSMsgAddShort(message.get(), 0);
    NSMsgAddShort(message.get(), 0);
    return NSMsgCall(message.get());
}

int NSSendOptions()
{
    NSSendRunOptions();
    NSSendSeed();
    return 1;
}

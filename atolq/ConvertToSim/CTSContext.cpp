// The module state shared by the syntax check and the code generator: the
// current run's reporter and progress hook, the continue flag, the buffers,
// the name counter, and the option and page-use tests of the check.
#include <cstdio>
#include <cstring>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSCheck.h"

CTSContext& CTSCurrentContext()
{
    static CTSContext context;
    return context;
}

void CTSBeginRun(ProgressCallback hook)
{
    CTSContext& c = CTSCurrentContext();
    c.hook = hook;
    c.continueFlag = 1;
    c.progress = ProgressRecord{};
}

int CTSProgress()
{
    CTSContext& c = CTSCurrentContext();
    if (c.hook != nullptr && c.continueFlag != 0)
        c.hook(&c.continueFlag, &c.progress);
    return c.continueFlag != 0 ? 1 : 0;
}

void CTSReport(SEHead* record, const char* message, MemFile* details)
{
    CTSContext& c = CTSCurrentContext();
    if (c.reporter != nullptr && record != nullptr)
        c.reporter(SEGetKVObj(record), message, details);
}

MemFile* CTSReplyBuffer()
{
    CTSContext& c = CTSCurrentContext();
    if (c.reply == nullptr)
        c.reply = MemFileCreate();
    return c.reply;
}

MemFile* CTSRequestBuffer() { return CTSCurrentContext().request; }
MemFile* CTSInputBuffer() { return CTSCurrentContext().input; }
MemFile* CTSScratchBuffer() { return CTSCurrentContext().scratch; }

int CTSOption(uint32_t mask)
{
    SERoot* root = SECurrentRoot();
    return root != nullptr && (root->simOptionWord & mask) != 0 ? 1 : 0;
}

bool CTSPageInUse(const SEPage* page)
{
    return page != nullptr && (page->modeFlags & 1u) != 0;
}

int CTSNextNumber()
{
    return ++CTSCurrentContext().nameCounter;
}

void CTSSetNameCounter(int value)
{
    CTSCurrentContext().nameCounter = value;
}

int CTSNameCounter()
{
    return CTSCurrentContext().nameCounter;
}

char* CTSNewNumberName(uint16_t* length, uint32_t)
{
    // The whole number: a name once given is never given again, so the
    // text may not wrap round at a fixed width.
    char digits[16];
    const int written = std::snprintf(digits, sizeof digits, "%d", CTSNextNumber());
    if (written <= 0)
        return nullptr;
    char* text = se::allocText(static_cast<uint32_t>(written) + 1);
    if (text == nullptr)
        return nullptr;
    std::memcpy(text, digits, static_cast<size_t>(written) + 1);
    if (length != nullptr)
        *length = static_cast<uint16_t>(written);
    return text;
}

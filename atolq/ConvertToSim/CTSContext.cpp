// The syntax check's shared state: the reporter and progress hook of the
// current run, the continue flag, the option and page-use tests, and the
// search for the global and temporary declaration nodes.
#include <cstdio>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSCheck.h"

CTSContext& CTSCurrentContext()
{
    static CTSContext context;
    return context;
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

int CTSOption(uint32_t mask)
{
    SERoot* root = SECurrentRoot();
    return root != nullptr && (root->simOptionWord & mask) != 0 ? 1 : 0;
}

bool CTSPageInUse(const SEPage* page)
{
    return page != nullptr && (page->modeFlags & 1u) != 0;
}

int CTSFindGlobalDeclNode(SEDeclNode** node, int kind)
{
    SERoot* root = SECurrentRoot();
    int found = 0;
    if (root != nullptr)
        se::forEachRec(root->globalDecls, [&](SEHead* h) {
            if (h->kind == kSEDeclNode && h->subKind == kind) {
                if (found == 0 && node != nullptr)
                    *node = reinterpret_cast<SEDeclNode*>(h);
                ++found;
            }
        });
    return found == 0 ? -1 : found == 1 ? 0 : 1;
}

namespace {
int& nameCounter()
{
    static int counter = 10;
    return counter;
}
} // namespace

int CTSNextNumber()
{
    return ++nameCounter();
}

void CTSSetNameCounter(int value)
{
    nameCounter() = value;
}

int CTSNameCounter()
{
    return nameCounter();
}

char* CTSNewNumberName(uint16_t* length, uint32_t)
{
    int number = CTSNextNumber() % 100000;
    char* text = se::allocText(6);
    if (text == nullptr)
        return nullptr;
    int written = std::snprintf(text, 6, "%d", number);
    if (length != nullptr)
        *length = static_cast<uint16_t>(written);
    return text;
}

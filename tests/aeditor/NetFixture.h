// A fresh abstract net per test, with helpers to build small nets.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/ErrorReport.h"

class NetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The message reported since the last call (0 when none), cleared.
    int16_t takeError();

    SEPage* page(uint32_t object = 0, const char* name = nullptr);
    SEPlace* place(SEPage* page, const char* name = nullptr);
    SETrans* trans(SEPage* page, const char* name = nullptr);
    static char* text(const char* s) { return se::copyText(s); }

    SERoot* root() { return SECurrentRoot(); }
    uint32_t nextObject = 100;
};

// The records of a list, in list order.
std::vector<SEHead*> records(const LMList* list);
std::vector<void*> values(const LMList* list);

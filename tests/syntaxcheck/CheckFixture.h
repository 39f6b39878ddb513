// A fresh abstract net per test with a recording error reporter, and helpers
// that build small nets.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSCheck.h"

struct Report {
    uint32_t object;
    std::string message;
    bool withDetails;
};

class CheckTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    SEPage* page(const char* name = nullptr, bool inUse = true);
    SEPlace* place(SEPage* page, const char* name = nullptr);
    SETrans* trans(SEPage* page, const char* name = nullptr);
    SEArc* arc(SETrans* t, SEPlace* p, uint16_t direction, const char* expression = nullptr);
    void options(uint32_t bits) { SECurrentRoot()->simOptionWord = bits; }
    // Message texts reported on an object, in order.
    std::vector<std::string> on(SEHead* record) const;
    std::vector<Report>& reports();

    uint32_t nextObject = 100;
};

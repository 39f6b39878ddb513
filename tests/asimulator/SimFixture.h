// A small net built through the abstract net and the code generator and
// switched to the simulator against the real evaluator, for the abstract
// simulator's tests.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "atolq/AEditor/SERecords.h"
#include "atolq/ASimulator/ASimulator.h"

namespace simtest {

std::vector<std::string> values(const std::string& text);
std::string block(std::initializer_list<std::string> vs);
std::string text(MemFile* f);

class SimFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    SERoot* root();

    int16_t eval(const std::string& ml, std::string* reply = nullptr, const std::string& in = {},
                 bool withInput = false);
    std::vector<std::string> ok(const std::string& ml, const std::string& in = {}, bool withInput = false);
    void declare(const std::string& decl, std::vector<std::pair<std::string, bool>> colourSets);
    SEPage* page(const char* ml, const char* name);
    SEPlace* place(SEPage* pg, const char* ml, const char* cs, const char* marking);
    SETrans* trans(SEPage* pg, const char* ml, const char* name, const char* guard = nullptr);
    SEArc* arc(SETrans* t, SEPlace* p, uint16_t dir, const char* ml, const char* expr);
    // The syntax check's requests for one transition; fills its records.
    void check(SETrans* t);
    // Types, states and transition code of the page.
    void switchPage(SEPage* p);
    // The evaluator's state reset for the instances made: the transition
    // sequence and the enabling-time refs, then enabling of every instance.
    void resetState();
    // Options with all percentages and the seed given.
    void options(uint16_t pages, uint16_t instances, uint16_t transitions, uint16_t different, uint16_t identical,
                 uint16_t draws = 5, int32_t seed = 7);
    ASInstance* only(SEPage* p);
    std::string marking(SEPlace* p, ASInstance* i);
    std::vector<std::string> chosen(ASInstance* i, SETrans* t = nullptr);

    uint32_t next_ = 100;
    std::vector<SETrans*> trans_;
    std::vector<std::unique_ptr<SECodeSegment>> segments_;
    // Code segments point into it: a deque keeps the entries in place.
    std::deque<SECodeVariable> vars_;
};

// A chain A -x-> T -x-> B of integers, A holding the given marking.
struct Chain {
    SEPage* page;
    SEPlace* a;
    SEPlace* b;
    SETrans* t;
};

} // namespace simtest

// A private Xvfb server for tests: started on a free display number, stopped at the end.
#pragma once

#include "process.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace tolq::test {

class Xvfb {
public:
    // Starts Xvfb with one screen of the given size and depth; throws when it cannot.
    explicit Xvfb(int width = 1280, int height = 1024, int depth = 24);
    ~Xvfb() = default;
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // ":N", for DISPLAY.
    const std::string& display() const { return display_; }

private:
    BackgroundProcess server_;
    std::string display_;
};

// A GoogleTest environment that starts one Xvfb for the whole test program and sets
// DISPLAY for the program and the children it starts. Register it with
// TOLQ_X11_TEST_ENVIRONMENT() in one source file of an X test program.
class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
    static const std::string& display();

private:
    std::unique_ptr<Xvfb> server_;
};

} // namespace tolq::test

#define TOLQ_X11_TEST_ENVIRONMENT()                                                    \
    static ::testing::Environment* const tolq_xvfb_environment [[maybe_unused]] =      \
        ::testing::AddGlobalTestEnvironment(new ::tolq::test::XvfbEnvironment)

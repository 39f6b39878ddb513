// Test fixture for the net-layer containers: each test starts with no pending
// error, so the id that a call reports can be read back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "atolq/CEditor/ErrorReport.h"

class ReportedErrorTest : public testing::Test {
protected:
    void SetUp() override { EE_ClearPendingError(); }

    // The id reported since the last call (0 when none), and forgets it.
    static int16_t TakeReported()
    {
        int16_t id = EE_GetPendingError();
        EE_ClearPendingError();
        return id;
    }
};

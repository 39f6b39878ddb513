// The net data base file that tolq needs beside a diagram before it opens it:
// the data base of an empty net (no page, place or transition records), as
// the abstract net itself writes it. Fits a diagram whose objects carry no
// net records.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "atolq/AEditor/SENet.h"

namespace tolq::test {

inline void WriteEmptyNetDataBase(const std::string& diagram)
{
    static const bool pools = SEInitPools() != 0;
    ASSERT_TRUE(pools);
    ASSERT_NE(SEStart(), nullptr);
    EXPECT_EQ(SESaveDBFile((diagram + ".DB").c_str()), 1);
    SEStop();
}

}  // namespace tolq::test

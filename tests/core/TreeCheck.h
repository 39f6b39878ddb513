// Consistency of the object tree after an operation, and the small fixture
// the diagram-operation tests share.
#pragma once

#include <string>

#include "KernelFixture.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"

// Problems found in the tree under the root and in the copy bucket, one per
// line; empty when the tree is sound.
std::string CheckTree();

class CoreTest : public KernelTest {
protected:
    void SetUp() override;
    void TearDown() override;

    ObjectHandle Node(Fixed cx, Fixed cy, Fixed w = F(20), Fixed h = F(20), uint32_t kind = 1, ObjectHandle page = 0);
    ObjectHandle Connect(ObjectHandle from, ObjectHandle to, ObjectHandle page = 0);
    void SetCoarsenOptions(bool deletePartners, bool borderNodes, bool hide);
    FixPoint PositionOf(ObjectHandle o);
    PtArray Path(ObjectHandle connector);

    ObjectHandle page_ = 0;
};

#define EXPECT_TREE_SOUND() EXPECT_EQ(CheckTree(), "")

// Test fixture: a fresh object table, group table and defaults, with a new
// diagram, torn down after each test.
#pragma once

#include <gtest/gtest.h>

#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        if (withDiagram_) {
            ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        }
    }
    void TearDown() override
    {
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }

    ObjectHandle NewNodeAt(ObjectHandle page, Fixed left, Fixed top, Fixed right, Fixed bottom, uint32_t kind = 0)
    {
        ObjectHandle node = Model_NewNode(page);
        FixRect box{left, top, right, bottom};
        FixPoint centre{left + (right - left) / 2, top + (bottom - top) / 2};
        Model_SetField(node, Field::kBox, &box);
        Model_SetField(node, Field::kPosition, &centre);
        Model_SetFieldValue(node, Field::kWidth, static_cast<uint32_t>(right - left));
        Model_SetFieldValue(node, Field::kHeight, static_cast<uint32_t>(bottom - top));
        Model_SetFieldValue(node, Field::kShapeKind, kind);
        return node;
    }

    bool withDiagram_ = true;
};

inline constexpr Fixed F(double v)
{
    return static_cast<Fixed>(v * 65536.0);
}

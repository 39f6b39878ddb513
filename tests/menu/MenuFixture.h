// Fixture for tests of the menus without an X server: the menus of bar 1 and
// the accelerators loaded from the tables, the doubles reset, all freed after.
#pragma once

#include <gtest/gtest.h>

#include "MenuProbe.h"
#include "xkv/comm/Comm.h"
#include "xkv/menu/Menu.h"

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const KernelStatus commReady = Comm_Initialize();
        ASSERT_EQ(commReady, kStatusOk);
        ResetWorld();
        ASSERT_EQ(Menu_LoadBar(1), kStatusOk);
    }
    void TearDown() override
    {
        Drain();
        Menu_Shutdown();
    }

    // Lets the command layer process what a pick posted.
    static void Drain() { Comm_ProcessEvents(); }
    static MenuItem* Item(CommandId command)
    {
        MenuItem* item = nullptr;
        Menu_FindItem(command, &item, nullptr);
        return item;
    }
    static Menu* MenuOf(int32_t menuId)
    {
        Menu* menu = nullptr;
        Menu_FindMenu(menuId, &menu);
        return menu;
    }
    static bool Enabled(CommandId command)
    {
        MenuItem* item = Item(command);
        return item != nullptr && item->enabled != 0;
    }
};

// An accelerator key from its modifiers and a KeySym name.
AccelKey Key(const char* keysym, int32_t alt = 1, int32_t shift = 0, int32_t control = 0, int32_t lock = 0);

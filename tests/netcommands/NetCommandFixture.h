// A fresh kernel model with one page, the net layer's default records and an
// empty abstract net linked to the page, with helpers that make places,
// transitions, arcs and regions with their records. The page's window is
// open on the private X server and the page is current. Message boxes are
// recorded instead of shown.
#pragma once

#include <string>
#include <vector>

#include "PageWindowFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "atolq/Utils/LMList.h"

// The ids of the message boxes shown since the fixture was set up.
std::vector<int16_t>& ShownMessages();

inline constexpr Fixed F(double v)
{
    return U(v);
}

class NetCommandTest : public PageWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    ObjectHandle Place(double x, double y, ObjectHandle page = 0);
    ObjectHandle Transition(double x, double y, ObjectHandle page = 0);
    ObjectHandle Arc(ObjectHandle from, ObjectHandle to, uint32_t direction = 1);
    ObjectHandle Connector(ObjectHandle from, ObjectHandle to);
    ObjectHandle NewNetPage();
    // An auxiliary label attached to the object as a region.
    ObjectHandle AuxRegion(ObjectHandle owner, const char* text = "aux");
    // The current group, or the current object alone.
    static std::vector<ObjectHandle> Selected();
    static SEHead* Record(ObjectHandle object);
    static char* Text(const char* text);

    ObjectHandle page_ = 0;
    SEPage* net_ = nullptr;
    std::string home_;
};

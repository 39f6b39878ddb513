// A net made in the test under the hierarchy page: pages with net records,
// substitution and invocation transitions, and checks of the drawn tree;
// over a kernel-only or a windowed base fixture that provides page_.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "HierarchyDoubles.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/undo/Undo.h"

constexpr Fixed kUnit = 0x10000;

inline char* Text(const std::string& text)
{
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

struct Offset {
    int x = 0;
    int y = 0;
    bool operator==(const Offset&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Offset& o)
{
    return out << "(" << o.x << ", " << o.y << ")";
}

template <class Base>
class HierarchyFixture : public Base {
protected:
    void SetUp() override
    {
        Base::SetUp();
        hierLog() = HierarchyDoubleLog{};
        SEInitPools();
        SEStart();
        EE_ClearPendingError();
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefSetPageLayout(30 * kUnit, 20 * kUnit, 3, 3, 0, 0, kDefLevelDiagram), 1);
        PGReadOptions(1);
        PGSetUnitMultipliers(1);
        PGSetLayoutEnabled(0);
        Adopt(this->page_, "Top", 1);
    }
    void TearDown() override
    {
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        EE_ClearPendingError();
        // The kernel's alignment keeps an undo record that outlives the diagram.
        Undo_Shutdown();
        Base::TearDown();
    }

    // Gives a kernel page its net record with a name and number.
    void Adopt(ObjectHandle page, const std::string& name, uint16_t number)
    {
        SEPage* net = SECreatePage(page, 1);
        ASSERT_NE(net, nullptr);
        ASSERT_EQ(GE_SetSERecord(page, &net->head), 1);
        SEPutName(&net->head, Text(name));
        SESetPageNumber(&net->head, number);
        nets_[page] = net;
    }
    ObjectHandle NetPage(const std::string& name, uint16_t number)
    {
        const ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        EXPECT_NE(page, 0u);
        Adopt(page, name, number);
        return page;
    }
    // A transition on the page that refines (or invokes) the sub page.
    ObjectHandle Compound(ObjectHandle page, ObjectHandle subPage, const std::string& name,
                          uint16_t type = kSESubstitution)
    {
        const ObjectHandle node = QXStr_CreateNode(page, 50 * kUnit, 50 * kUnit, 20 * kUnit, 20 * kUnit, 1);
        SETrans* trans = SECreateTrans(nets_.at(page), node);
        EXPECT_EQ(GE_SetSERecord(node, &trans->head), 1);
        if (!name.empty()) {
            SEPutName(&trans->head, Text(name));
        }
        EXPECT_NE(SEMakeCompound(&trans->head, type), nullptr);
        EXPECT_EQ(SEMakeSubpage(&trans->head, nets_.at(subPage)), 1);
        return node;
    }
    ObjectHandle Hier() { return PGFindHierarchyPage(); }
    // A page's name and number as the kernel keeps them.
    static std::string PageName(ObjectHandle page)
    {
        char name[256] = {};
        EXPECT_EQ(QXRdAttr_GetPageAttr(page, name, nullptr, nullptr, nullptr, nullptr), 1u);
        return name;
    }
    static uint16_t PageNumber(ObjectHandle page)
    {
        uint16_t number = 0;
        EXPECT_EQ(QXRdAttr_GetPageAttr(page, nullptr, &number, nullptr, nullptr, nullptr), 1u);
        return number;
    }
    ObjectHandle NodeOf(ObjectHandle page) { return PGFindPageNode(page); }
    PGTreeLink Link(ObjectHandle page)
    {
        PGTreeLink link;
        PGTreeRead(NodeOf(page), &link);
        return link;
    }
    ObjectHandle Parent(ObjectHandle page) { return PGNodePage(Link(page).parent); }
    // A page node's centre relative to the root's, in units.
    Offset At(ObjectHandle page)
    {
        Fixed x = 0, y = 0, rx = 0, ry = 0;
        QXRdAttr_GetPosition(NodeOf(page), &x, &y);
        QXRdAttr_GetPosition(NodeOf(Hier()), &rx, &ry);
        return {(x - rx) / kUnit, (y - ry) / kUnit};
    }
    static std::string TextOf(ObjectHandle object)
    {
        char buffer[256] = {};
        uint32_t length = sizeof buffer - 1;
        QXText_GetText(object, buffer, &length);
        return std::string(buffer, length);
    }
    static std::vector<ObjectHandle> Labels(ObjectHandle arc)
    {
        std::vector<ObjectHandle> labels;
        for (ObjectHandle region : PGObjectList(arc, 16)) {
            labels.push_back(region);
        }
        return labels;
    }
    static PGArcData Data(ObjectHandle arc)
    {
        PGArcData data;
        EXPECT_EQ(PGReadArcData(arc, &data), 1);
        return data;
    }
    ObjectHandle Arc(ObjectHandle super, ObjectHandle sub, uint16_t kind = kPGSubstitutionArc)
    {
        return PGFindArc(NodeOf(super), NodeOf(sub), kind);
    }
    // The drawn tree: every page node reaches the root through its parents
    // without a loop, every parent lists the node among its children, and
    // the child counts add up to all nodes but the root.
    void ExpectSoundTree()
    {
        const ObjectHandle root = NodeOf(Hier());
        const std::vector<ObjectHandle> nodes = PGObjectList(Hier(), 4);
        int counted = 0;
        for (ObjectHandle node : nodes) {
            PGTreeLink link;
            PGTreeRead(node, &link);
            counted += link.childCount;
            if (node == root) {
                EXPECT_EQ(link.parent, 0u);
                continue;
            }
            ObjectHandle up = node;
            size_t steps = 0;
            while (up != root && up != 0 && steps <= nodes.size()) {
                PGTreeLink each;
                PGTreeRead(up, &each);
                up = each.parent;
                ++steps;
            }
            EXPECT_EQ(up, root) << "page node " << node << " does not reach the root";
            ObjectHandle sibling = 0;
            bool listed = false;
            PGTreeLink parentLink;
            PGTreeRead(link.parent, &parentLink);
            sibling = parentLink.firstChild;
            for (int i = 0; i < parentLink.childCount && sibling != 0; ++i) {
                listed = listed || sibling == node;
                PGTreeLink s;
                PGTreeRead(sibling, &s);
                sibling = s.next;
            }
            EXPECT_TRUE(listed) << "page node " << node << " is not among its parent's children";
        }
        EXPECT_EQ(counted, static_cast<int>(nodes.size()) - 1);
    }

    std::map<ObjectHandle, SEPage*> nets_;
};


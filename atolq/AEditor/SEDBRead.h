// The net data base reader's working state: the items read so far, the
// records made for the file's ids, and the references still to resolve.
#pragma once

#include <rpc/xdr.h>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "atolq/AEditor/SERecords.h"

namespace se::db {

enum class RefRule { Required, ZeroIfUnknown };
enum class ListKind { Ids, Pairs, TimePairs };

struct RefFix {
    SEHead** slot;
    uint32_t id;
    uint32_t kinds;
    RefRule rule;
};

struct ListFix {
    LMList** slot;
    std::vector<uint32_t> ids; // pairs: first and second in turn
    std::vector<void*> times;  // time pairs: the model-time blocks
    uint32_t kinds;
    ListKind kind;
};

class Loader {
public:
    XDR x{};
    bool ok = true;
    const char* version = nullptr;
    bool integerTime = false;
    uint32_t declsCompiled = 0;
    uint32_t imageSaved = 0;
    // File id -> record made for it.
    std::unordered_map<uint32_t, SEHead*> ids;
    std::unordered_map<const SEHead*, uint32_t> fileOwners;

    SERoot* readXdr();
    // Turns the ids into records; false when one is unknown or of the wrong kind.
    bool resolve();
    void discardPending();
    void fixChartOwners(SERoot* root);

    // Pending references.
    void refField(SEHead** slot, uint32_t id, uint32_t kinds, RefRule rule);
    void idList(LMList** slot, std::vector<uint32_t> ids, uint32_t kinds);
    void pairList(LMList** slot, std::vector<uint32_t> ids, uint32_t kinds);
    void timePairList(LMList** slot, std::vector<uint32_t> ids, std::vector<void*> times);
    SEHead* lookup(uint32_t id, uint32_t kinds) const;
    SEHead* beginRecord(uint16_t kind, LMList*& list, SEHead* owner, bool append = true);

    bool atLeast(const char* version) const;

private:
    std::vector<RefFix> refs;
    std::vector<ListFix> lists;

    uint32_t u32();
    int32_t i32();
    uint16_t u16() { return static_cast<uint16_t>(u32()); }
    char* str();
    void text(SEText& field);
    void chartBuffer(SEText& field);
    uint64_t remaining();
    void reserved(uint32_t* words, int n);
    void recordSection(const std::function<void()>& readOne);
    std::vector<uint32_t> idSection();
    std::vector<uint32_t> pairSection();
    bool wordArray(SEWordArray& array);
    void longArray(int32_t (&values)[10]);
    void textListSection(LMList*& list);
    void timePairSection(LMList** slot);

    void readRootBody(SERoot* r);
    void readPage(SERoot* r);
    void readPageInstance(SEPage* page);
    void readTransInstance(SEPageInstance* instance, LMList*& list);
    SEHead* readFusionSet(uint16_t kind, LMList*& list, SEHead* owner);
    void readPlace(SEPage* page);
    void readTrans(SEPage* page);
    void readVariables(SETrans* trans);
    void readArc(SETrans* trans, LMList*& list);
    void readCompound(SEPage* page);
    void readDeclNode(LMList*& list, SEHead* owner, bool local);
    void readDeclEntry(SEDeclNode* node);
    void readDeclItem(SEDeclEntry* entry, LMList*& list);
    void readBarChart(SERoot* r);
    void readLineChart(SERoot* r);
    void readSeries(SESeries& series);
    void readLabelArray(SELabelArray& labels, int32_t outer, int32_t inner);
    void readCodeEntry(SERoot* r);
    void readCheckEntry(SERoot* r);
    void readTable(SERoot* r);
    bool storeTableEntry(SERoot* r, SETableEntry* entry);
};

// Checks that the resolved net holds together: arcs and their places, fusion
// sets and their members, compounds, their nodes, subpages and assignments.
bool checkNet(SERoot* root);

// Reads the old raw form (versions before "1.4") from the whole file.
SERoot* readOldForm(Loader& loader, const std::vector<char>& data);

} // namespace se::db

// Operations on the abstract net: start and stop, creating and deleting
// records, hierarchy and fusion, getters, iteration, text setters, port
// assignment and page moves, and the net data base file.
#pragma once

#include <cstdint>
#include <cstdio>

#include <rpc/xdr.h>

#include "atolq/AEditor/SERecords.h"

// Message ids of the abstract net.
inline constexpr int16_t kSEMsgInvalidId = 0x3101;
inline constexpr int16_t kSEMsgPortNotCompound = 0x3102;
inline constexpr int16_t kSEMsgNoInvocationPlace = 0x3103;
inline constexpr int16_t kSEMsgSocketPlace = 0x3104;
inline constexpr int16_t kSEMsgPortOfCompound = 0x3105;
inline constexpr int16_t kSEMsgPageTypeMismatch = 0x3106;
inline constexpr int16_t kSEMsgPortFusionMember = 0x3107;
inline constexpr int16_t kSEMsgNotPlaceOrTrans = 0x3108;
inline constexpr int16_t kSEMsgSubpageNotCompound = 0x3109;
inline constexpr int16_t kSEMsgSubpageTypeMismatch = 0x310a;
inline constexpr int16_t kSEMsgCycle = 0x310b;
inline constexpr int16_t kSEMsgAssignKinds = 0x310c;
inline constexpr int16_t kSEMsgNotSocket = 0x310d;
inline constexpr int16_t kSEMsgPortNotOnSubpage = 0x310e;
inline constexpr int16_t kSEMsgCycleNotCompound = 0x310f;
inline constexpr int16_t kSEMsgComptypeNotCompound = 0x3110;
inline constexpr int16_t kSEMsgWrongKind = 0x3111;
inline constexpr int16_t kSEMsgFusionPage = 0x3112;
inline constexpr int16_t kSEMsgPlaceSetTrans = 0x3113;
inline constexpr int16_t kSEMsgTransSetPlace = 0x3114;
inline constexpr int16_t kSEMsgNoInput = 0x3115;
inline constexpr int16_t kSEMsgNextGetKind = 0x3116;
inline constexpr int16_t kSEMsgIncompatibleDB = 0x3117;
inline constexpr int16_t kSEMsgNotSubstitution = 0x3118;
inline constexpr int16_t kSEMsgNotSubpageOf = 0x3119;
inline constexpr int16_t kSEMsgRelinkFailed = 0x311b;
inline constexpr int16_t kSEMsgSaveFailed = 16399;
inline constexpr int16_t kSEMsgLoadFailed = 16400;
inline constexpr int16_t kSEMsgImageSaveFailed = 13843;
inline constexpr int16_t kSEMsgOutOfMemory = 11266;

// ---- start, stop, creation and deletion ----
int SEInitPools();
SERoot* SEStart();
int SEStop();
// The current net's root, or null.
SERoot* SECurrentRoot();
SERoot* SECreateRoot();
SEPage* SECreatePage(uint32_t kvObject, uint16_t portKind);
SEPlace* SECreatePlace(SEPage* page, uint32_t kvObject);
SETrans* SECreateTrans(SEPage* page, uint32_t kvObject);
SEArc* SECreateArc(SETrans* trans, SEPlace* place, uint32_t kvObject, uint16_t direction);
SEPlaceFusSet* SECreatePlaceFusSet(uint16_t fusionType, SEPage* page);
SETransFusSet* SECreateTransFusSet(uint16_t fusionType, SEPage* page);
SEDeclNode* SECreateDeclNode(SEPage* page, uint32_t kvObject, uint16_t subKind);
SEDeclEntry* SECreateDeclEntry(uint32_t kvObject, uint16_t entryKind);
SEDeclItem* SECreateDeclItem(SEDeclEntry* entry, uint16_t subKind);
SENameRef* SECreateNameRef(SEHead* owner, uint16_t subKind);
SEBarChart* SECreateBarChart(SEPage* page, uint32_t kvObject);
SELineChart* SECreateLineChart(SEPage* page, uint32_t kvObject);
int SEDelPage(SEPage* page);
int SEDelPlace(SEPlace* place);
int SEDelTrans(SETrans* trans);
int SEDelArc(SEArc* arc);
int SEDelDeclNode(SEDeclNode* node);
int SEDelBarChart(SEBarChart* chart);
int SEDelLineChart(SELineChart* chart);
int SEFreeDB();
void SEChartsChanged();
void SEResetChartTexts();

// ---- hierarchy and fusion ----
SEHead* SEMakeCompound(SEHead* node, uint16_t type);
SEHead* SEUnmakeCompound(SEHead* node);
int SEMakePort(SEHead* node, uint16_t portType);
int SEUnmakePort(SEHead* node);
int SEUpdatePortKind(SEPage* page);
int SEMakeSubpage(SEHead* node, SEPage* page);
int SECheckCycle(SEHead* node, SEPage* page);
int SEChng_Comptype(SEHead* node, uint16_t type);
int SEAssignPort(SEHead* node, SEHead* socket, SEHead* port);
int SEIsAncestorNode(SEPage* page, SEHead* node);
int SESetName(SEHead* record, char* name);
int SECheckFusName(uint16_t setKind, uint16_t fusionType, const char* name, SEPage* page);
int SECheckFusTypeChange(SEHead* set, uint16_t fusionType, const char* name);
int SEChangeFusType(SEHead* set, uint16_t fusionType, SEPage* page);
int SEAddFusMem(SEHead* set, SEHead* node);
int SEDelFusMem(SEHead* node);
int SESetNodeFlag(SEHead* node);
int SEClearNodeFlag(SEHead* node);
void SEMarkNetChanged();
void SEMarkGlobalDeclChanged();

// ---- getters, iteration and text setters ----
char* SEGetArcExpr(SEHead* arc);
char* SEGetColourSet(SEHead* place);
char* SEGetInitMark(SEHead* place);
char* SEGetGuard(SEHead* trans);
char* SEGetTime(SEHead* trans);
char* SEGetCode(SEHead* trans);
char* SEGetDeclText(SEHead* node);
uint32_t SEGetSubpageObj(SEHead* node);
int SEGetKind(SEHead* record, uint16_t* kind, uint16_t* subKind);
uint32_t SEGetKindCode(SEHead* record);
uint16_t SEGetSubKind(SEHead* record);
uint16_t SEGetPageNumber(SEPage* page);
uint32_t SEGetKVObj(SEHead* record);
char* SEGetName(SEHead* record);
int SEPutName(SEHead* record, char* name);
SEHead* SEGetFusSet(SEHead* node);
int SEIsFusMem(SEHead* node);
int SETestNodeFlag(SEHead* node);
int SEIsPort(SEHead* record);
int SEHasCompoundPeer(SEHead* node);
int SEArcDirection(SEHead* node, SEHead* peer);
int SEAreJoined(SEHead* a, SEHead* b);
uint32_t SEGetFlags(SEHead* record);
SECompound* SEGetCompound(SEHead* node);
SEHead* SEGetCompoundNode(SECompound* compound);
SEHead* SEFindFusSet(const char* name, uint16_t kind, SEPage* page);
uint16_t SEGetBarChartCounter();
uint16_t SEGetLineChartCounter();
char* SEGetCodeSegmentVars(SEHead* trans);
void SEVisitNodeObjects();
int SEInitNext(uint16_t query, SEIter* iter);
int SENextGet(uint16_t query, SEIter* iter);
int SESetArcExpr(SEHead* arc, char* text);
int SESetGuard(SEHead* trans, char* text);
int SESetTime(SEHead* trans, char* text);
int SESetCode(SEHead* trans, char* text);
int SESetColourSet(SEHead* place, char* text);
int SESetInitMark(SEHead* place, char* text);
int SESetBarChartText(SEHead* chart, char* text);
int SESetLineChartText(SEHead* chart, char* text);
int SESetDeclText(SEHead* node, char* text);
int SESetPageNumber(SEHead* page, uint16_t number);
void SEFixStrings();

// ---- port assignment and page moves ----
SEHead* SEGetAssignment(SEHead* node, SEHead* socket);
int SEDropSocketAssignments(SEHead* nodeOrCompound, SEHead* socket);
int SEDropPortAssignments(SEHead* nodeOrCompound, SEHead* port);
LMList* SEGetSockets(SEHead* node);
LMList* SEGetPortNodes(SEHead* page);
int SEAutoAssign(SEHead* node, SEHead* page);
int SEMoveRecordsToPage(LMList* records, SEHead* page);
int SEMoveToPage(SEHead* record, SEHead* page, uint32_t keep);
int SEKeyEqual(uintptr_t first, uintptr_t second, uintptr_t argument);
int SESecondEqual(uintptr_t first, uintptr_t second, uintptr_t argument);
int SENamesEqual(SEHead* a, SEHead* b);

// ---- what the syntax check keeps in the net ----
// -1 no declaration node of the sub-kind (1 global, 3 temporary), 1 more than
// one, 0 exactly one (stored through node).
int CTSFindGlobalDeclNode(SEDeclNode** node, int kind);
// Clears a transition's check record (all but its variable list).
void CTSResetCheckInfo(SETrans* trans);

// Services of the syntax check and code generator, which build on the
// abstract net. That layer registers them when it starts; until then (or for
// a null entry) the abstract net does without: nothing to stop, the time
// representation untouched, an image save fails.
struct SECheckServices {
    int (*stopEvaluator)() = nullptr;             // 1 when the evaluator was shut down
    void (*setIntegerTime)(int flag) = nullptr;   // model-time representation of a loaded net
    int (*saveImage)(const char* name) = nullptr; // saves the evaluator's image; negative on failure
};
void SESetCheckServices(const SECheckServices& services);
const SECheckServices& SEGetCheckServices();

// ---- the net data base file ----
// The two flags stored at the end of the file.
extern uint32_t DeclsCompiled;
extern uint32_t MLImageSaved;
int SESaveDB(FILE* stream);
int SEXdrString(XDR* xdrs, char** text);
void SEPrepareImageSave(const char* imageName);
int SESaveMLImage(const char* imageName, uint32_t* done);
// Writes the net to path safely: a temporary file in the same directory,
// flushed and closed with every result checked, then the previous file
// becomes path + "~" and the new one takes the name. 1/0.
int SESaveDBFile(const char* path);

using SERelinkCallback = int (*)(uint32_t* kvObjectField, SEHead* record);
int SERestoreDB(FILE* stream);
int SERelinkDB(SERelinkCallback callback);
const char* SEGetDBVersion();

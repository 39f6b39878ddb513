// The abstract net: one record per page, place, transition, arc, fusion set,
// compound node, declaration node and entry, chart and simulator record, all
// headed by SEHead and hung in the record lists of their owners.
//
// Records are plain cells from the per-kind pools; a field a creator does not
// set is 0. Texts are NUL-terminated blocks from QXMem_Alloc owned by their
// record. Lists are LMLists, 0 until first needed. Every record carries a
// 32-bit id (see SEIds.h) by which it is named in files and on the ML link.
#pragma once

#include <cstddef>
#include <cstdint>

struct LMList;
struct HashTable;

// Record kinds.
enum : uint16_t {
    kSERoot = 0,
    kSEPage = 1,
    kSEPlace = 2,
    kSETrans = 3,
    kSEArc = 4,
    kSEPageInstance = 5,
    kSEPlaceFusSet = 6,
    kSETransFusSet = 7,
    kSETransInstance = 9,
    kSECompound = 10,
    kSEDeclNode = 11,
    kSECodeEntry = 12,
    kSECheckEntry = 13,
    kSEDeclEntry = 14,
    kSEDeclItem = 15,
    kSEBarChart = 16,
    kSELineChart = 17,
    kSENameRef = 18,
    kSEKindCount = 19
};

// Node sub-kinds: 1..4 port of that port type, 5 plain, 6 substitution
// (compound place), 7 invocation.
enum : uint16_t {
    kSEPortInput = 1,
    kSEPortOutput = 2,
    kSEPortInOut = 3,
    kSEPortGeneral = 4,
    kSEPlain = 5,
    kSESubstitution = 6,
    kSEInvocation = 7
};

// Page sub-kind: the kind of its ports.
enum : uint16_t { kSEPortsNone = 1, kSEPortsPlaces = 2, kSEPortsTrans = 3 };

// Fusion types.
enum : uint16_t { kSEFusGlobal = 1, kSEFusPage = 2, kSEFusInstance = 3 };

// Declaration node sub-kinds.
enum : uint16_t { kSEDeclGlobal = 1, kSEDeclLocal = 2, kSEDeclTemporary = 3 };

// Arc directions.
enum : uint16_t { kSEPlaceToTrans = 1, kSETransToPlace = 2 };

// Marks in the flags words (bit values).
inline constexpr uint32_t kSEBit0 = 1u << 0;        // node flag / prime page / declarations mark
inline constexpr uint32_t kSETransNameMarks = (1u << 2) | (1u << 3);
inline constexpr uint32_t kSEFusionMember = 1u << 4; // node is a fusion member; page is a subpage
inline constexpr uint32_t kSEPagePlaceNames = 1u << 5;
inline constexpr uint32_t kSEPageTransNames = 1u << 6;
inline constexpr uint32_t kSEPageName = 1u << 7;
inline constexpr uint32_t kSEMarkingMark = 1u << 8;
inline constexpr uint32_t kSEPlaceNameMarks = (1u << 9) | (1u << 10);
inline constexpr uint32_t kSEInscriptionMark = 1u << 12;
inline constexpr uint32_t kSEStructureMark = 1u << 16;
inline constexpr uint32_t kSERootNetChanged = 1u << 16;
inline constexpr uint32_t kSERootMarkingChanged = 1u << 17;
inline constexpr uint32_t kSERootIntegerTime = 1u << 20;
inline constexpr uint32_t kSERootPageNames = 1u << 24;
inline constexpr uint32_t kSERootChartsStale = 1u << 28;
inline constexpr uint32_t kSEPageIsSubpage = 1u << 4;

// Head of every record. The first two words are the links of the kind-3
// list that holds the record.
struct SEHead {
    SEHead* next;
    SEHead* prev;
    uint16_t kind;
    uint16_t subKind;
    uint32_t id;     // record id, unique while the record lives
    SEHead* owner;
};

using SEText = char*;

// Word array with its element count (chart settings).
struct SEWordArray {
    uint32_t* words;
    uint32_t count;
};

// One label of a chart label array: object id and text.
struct SELabel {
    uint32_t object;
    SEText text;
};

// A chart label array: outer count of rows, each of innerCount labels.
struct SELabelArray {
    SELabel* labels; // outerCount * innerCount entries, row by row
    uint32_t outerCount;
    uint32_t innerCount;
};

// Series block of both chart kinds.
struct SESeries {
    uint32_t object;
    SEWordArray a;
    SEWordArray b;
    int32_t count;
};

// One line of a line chart.
struct SELineSpec {
    uint32_t word;
    uint32_t objectA;
    uint32_t objectB;
    uint32_t flag;
    int16_t shorts[4];
};

struct SERoot {
    SEHead head;
    LMList* pages;
    LMList* barCharts;
    LMList* lineCharts;
    uint16_t barChartCounter;
    uint16_t lineChartCounter;
    uint32_t flags;
    LMList* globalPlaceFusionSets;
    LMList* globalTransFusionSets;
    uint32_t bool1, bool2;
    LMList* simRecords13;
    LMList* globalDecls;
    uint32_t declWord;
    uint32_t bool3, bool4;
    LMList* simRecords12;
    HashTable* declHashTable;
    uint16_t cg1, cg2;
    uint32_t cg3;
    uint16_t cg4[5];
    LMList* valueList;
    int32_t cg5;
    uint16_t cg6;
    uint32_t noTemporaryDecl;
    SEText clockText;
    uint32_t simOptionWord;
    int32_t codeGenOptions[3];
    char codeGenText[32];
    int32_t runOptions[6];
    int32_t runOptions2[6];
    char runTexts[4][32];
    int32_t displayOptions[4];
    int32_t analysisOptions[64];
    LMList* textList;
    uint32_t reserved;
};

struct SEPage {
    SEHead head;
    uint32_t flags;
    LMList* placeFusionSets;
    LMList* transFusionSets;
    LMList* transitions;
    LMList* places;
    LMList* compounds;
    LMList* superSubstitutions; // kind 1: SECompound*
    LMList* superInvocations;   // kind 1: SECompound*
    uint32_t kvObject;
    SEText name;
    LMList* localDecls;
    LMList* instances;
    uint32_t cgWord1;
    uint16_t cgHalf;
    uint32_t modeFlags;
    uint32_t cgWord2;
    int32_t cgLong;
    uint16_t pageNumber;
    uint16_t primeCount;
    SEText text;
    uint16_t lastHalf;
    uint32_t reserved[4];
};

struct SEPlaceFusSet;
struct SETransFusSet;
struct SECompound;

struct SEPlace {
    SEHead head;
    uint32_t flags;
    SEPlaceFusSet* fusionSet;
    LMList* inputArcs;  // kind 1: SEArc*, not owning
    LMList* outputArcs; // kind 1: SEArc*, not owning
    LMList* thirdArcs;  // kind 1: SEArc*
    SECompound* compound;
    uint32_t kvObject;
    SEText name;
    SEText colourSet;
    SEText initMark;
    SEText text1;
    int32_t word;
    SEText text2;
    uint32_t reserved[4];
};

struct SECodeVariable {
    SEText first;
    SEText second;
    int32_t number;
};

struct SECodeSegment {
    SEText texts[5];
    uint32_t words[5];
    LMList* variables; // kind 1: SECodeVariable*
};

struct SETrans {
    SEHead head;
    uint32_t flags;
    SETransFusSet* fusionSet;
    LMList* inputArcs;  // kind 3: owns SEArc
    LMList* outputArcs; // kind 3: owns SEArc
    LMList* thirdArcs;  // kind 3: owns SEArc
    uint32_t word;
    SECompound* compound;
    uint32_t kvObject;
    SEText name;
    SEText guard;
    SEText text1, text2;
    SEText time;
    SEText code;
    SEText text3, text4;
    int32_t longWord;
    uint32_t bool1, bool2;
    SECodeSegment* codeSegment;
    SEText mlName;
    uint32_t reserved[4];
};

struct SEArc {
    SEHead head; // subKind = direction, owner = transition
    SEPlace* place;
    SEText expression;
    uint32_t kvObject;
    SEHead* link; // a record id field kept for the simulator
    int32_t longWord;
    uint32_t flags;
    uint16_t half;
    SEText text;
    uint32_t reserved[4];
};

struct SEPlaceFusSet {
    SEHead head; // subKind = fusion type
    LMList* members; // kind 1: SEPlace*
    uint32_t flags;
    uint32_t word1;
    SEText name;
    uint32_t word2;
    int32_t longWord;
    SEText text;
    uint32_t reserved[4];
};

struct SETransFusSet {
    SEHead head;
    uint32_t flags;
    LMList* members; // kind 1: SETrans*
    uint32_t word1;
    SEText name;
    int32_t longWord;
    SEText text;
    uint32_t reserved[4];
};

struct SECompound {
    SEHead head; // subKind 6 substitution, 7 invocation; owner = page of node
    SEHead* node; // SEPlace or SETrans
    LMList* assignments; // kind 2: (socket, port)
    SEPage* subpage;
    uint32_t modeFlags;
    uint32_t flags;
    int32_t longWord;
    uint32_t reserved[5];
};

struct SEDeclNode {
    SEHead head;
    uint32_t kvObject;
    SEText name;
    uint32_t flags;
    SEText text;
    SEText textB, textC;
    int32_t longWord;
    SEText textD;
    uint32_t wordBeforeNumber;
    uint32_t number;
    LMList* entries; // kind 3: SEDeclEntry
    uint32_t reserved[4];
};

struct SEDeclEntry {
    SEHead head;
    uint32_t flags;
    SEText name;
    LMList* idLists[2]; // kind 1 of record ids
    uint32_t kvObject;
    uint32_t wordAfterKv;
    uint32_t boolWord;
    SEText texts[4];
    LMList* textLists[2]; // kind 1 of texts
    LMList* items[5];     // kind 3: SEDeclItem
    LMList* references;   // kind 1: SENameRef*
    uint32_t afterRefs[2];
    SEText lastText;
    uint32_t reserved[4];
};

struct SEDeclItem {
    SEHead head;
    uint32_t flags;
    SEText name;
    LMList* idLists[2];
    uint32_t reserved[4];
};

struct SENameRef {
    SEHead head;
    uint32_t key;
    uint32_t reserved;
};

struct SEPageInstance {
    SEHead head;
    SEHead* ref1;
    LMList* idList1;
    SEHead* ref2;
    SEText text1;
    uint32_t word1;
    int32_t long1;
    LMList* pairList;
    int32_t long2;
    LMList* idList2;
    uint32_t word2;
    LMList* idList3;
    LMList* transInstances[2]; // kind 3: SETransInstance
    LMList* idList4;
    SEText text2;
    LMList* idList5;
    LMList* timePairs[2]; // kind 2: (record, model-time value block)
    uint32_t reserved;
};

struct SETransInstance {
    SEHead head;
    SEHead* trans;
    SEText text1;
    uint32_t word;
    SEText text2;
    int32_t longWord;
    uint32_t reserved[3];
};

struct SECodeEntry {
    SEHead head;
    SEText text1;
    int32_t number;
    SEText text2;
    uint32_t reserved[4];
};

struct SECheckEntry {
    SEHead head;
    SEText text1;
    int32_t number;
    SEText text2;
    uint16_t half1, half2;
    uint32_t reserved[4];
};

struct SETableEntry {
    SEText key;
    SEText second;
    uint32_t flag;
};

struct SEBarChart {
    SEHead head; // subKind 5, owner = page
    uint32_t flags;
    uint32_t kvObject;
    SEText title;
    uint32_t pageObject;
    int32_t innerCount; // c2
    int32_t elementCount; // c1
    int32_t long1;
    SEWordArray arrays[6]; // A1..A6
    SELabelArray labels[2];
    uint32_t object1;
    int32_t m1;
    int32_t m2;
    int32_t long2;
    SEText text1;
    int32_t long3;
    SEText texts[4];
    uint32_t flagF;
    uint32_t bool1;
    uint32_t object2;
    SESeries series;
    uint32_t object3;
    int32_t long4;
    int32_t longs[10];
    uint32_t bools[3];
    SEText text2;
    int32_t long5;
    uint32_t bool2;
    SEText chartText;
    int32_t long6;
    SEText text3;
    uint32_t reserved[4];
};

struct SELineChart {
    SEHead head;
    uint32_t flags;
    uint32_t kvObject;
    SEText title;
    SELineSpec* lines;
    uint32_t lineArrayCount; // entries held in lines
    uint32_t pageObject;
    int32_t lineCount;
    int32_t long1;
    uint32_t objects1[2];
    uint32_t bool1;
    int32_t longs1[2];
    SEWordArray arrays[4];
    int32_t longs2[2];
    SEText texts1[2];
    int32_t x1, x2, y1, y2;
    SEText texts2[4];
    SEText texts3[6];
    SEText texts4[2];
    uint32_t objects2[3];
    SESeries series;
    uint32_t bools1[5];
    uint32_t object3;
    uint32_t bools2[3];
    int32_t longs[10];
    uint32_t bools3[2];
    SEText text1;
    int32_t long2;
    uint32_t bool2;
    SEText chartText;
    int32_t long3;
    SEText text2;
    uint32_t reserved[4];
};

// The caller's iteration record of SEInitNext / SENextGet.
struct SEIter {
    void* input;
    uintptr_t result; // a kernel object, a record or the query-4 selector
    uintptr_t extra;
    uintptr_t extra2;
    uintptr_t extra3;
    uint32_t state; // kept by the iteration between calls
};

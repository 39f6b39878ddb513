// The kernel object model: the one object table of fixed-size object records,
// field access by FieldId, the object tree and its walks, hit testing, extents
// and the derived texts of pages.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

using FieldId = uint32_t;
using GroupNumber = uint16_t;

// One object record: 36 32-bit words, stored whole in the diagram file.
struct ObjectRecord {
    uint32_t words[36];
};
static_assert(sizeof(ObjectRecord) == 144);

// Object types (field 46).
enum ObjectType : uint32_t {
    kTypePart = 0,
    kTypeConnector = 1,
    kTypeConnectorList = 2,
    kTypeNode = 4,
    kTypeNodeList = 5,
    kTypePage = 6,
    kTypePageList = 7,
    kTypeRegion = 8,
    kTypeRegionList = 9,
    kTypeDiagram = 10,
    kTypeCopyBucket = 11,
};

// Field ids with a name of their own in the kernel.
namespace Field {
inline constexpr FieldId kAttachedTo = 0;
inline constexpr FieldId kPosition = 1;
inline constexpr FieldId kFirstChild = 2;
inline constexpr FieldId kDirection = 3;
inline constexpr FieldId kRoundedness = 6;
inline constexpr FieldId kEndBase = 7;
inline constexpr FieldId kEndObject = 8;
inline constexpr FieldId kShapeData = 9;
inline constexpr FieldId kBox = 10;
inline constexpr FieldId kPattern = 11;
inline constexpr FieldId kFontFamily = 12;
inline constexpr FieldId kHeight = 13;
inline constexpr FieldId kRecent = 14;
inline constexpr FieldId kLineStyle = 18;
inline constexpr FieldId kLineWidth = 19;
inline constexpr FieldId kPageName = 20;
inline constexpr FieldId kPageNumber = 21;
inline constexpr FieldId kRefinedNode = 22;
inline constexpr FieldId kParent = 24;
inline constexpr FieldId kReferrers = 25;
inline constexpr FieldId kShapeBits = 26;
inline constexpr FieldId kRegionKind = 28;
inline constexpr FieldId kConnectorBorderMark = 32;
inline constexpr FieldId kBorderMark = 33;
inline constexpr FieldId kShapeKind = 34;
inline constexpr FieldId kNextSibling = 35;
inline constexpr FieldId kStartBase = 36;
inline constexpr FieldId kStartObject = 37;
inline constexpr FieldId kSubpage = 38;
inline constexpr FieldId kAlignment = 40;
inline constexpr FieldId kText = 41;
inline constexpr FieldId kFontSize = 42;
inline constexpr FieldId kFontStyle = 43;
inline constexpr FieldId kType = 46;
inline constexpr FieldId kUserData = 47;
inline constexpr FieldId kFlags = 48;
inline constexpr FieldId kWedgeEnd = 49;
inline constexpr FieldId kWedgeStart = 50;
inline constexpr FieldId kWidth = 51;
inline constexpr FieldId kScaleX = 55;
inline constexpr FieldId kScaleY = 57;
inline constexpr FieldId kStartOffset = 58;
inline constexpr FieldId kEndOffset = 59;
inline constexpr FieldId kArrowWidth = 60;
inline constexpr FieldId kArrowHeight = 61;
inline constexpr FieldId kStartValue = 62;
inline constexpr FieldId kEndValue = 63;
inline constexpr FieldId kStartHead = 64;
inline constexpr FieldId kEndHead = 65;
inline constexpr FieldId kConnector66 = 66;
inline constexpr FieldId kTextBox = 67;
inline constexpr FieldId kConnectorMode = 68;
inline constexpr FieldId kPath69 = 69;
inline constexpr FieldId kPath = 70;
inline constexpr FieldId kRoundedPath = 71;
inline constexpr FieldId kCornerRadius = 72;
inline constexpr FieldId kScrollBars = 73;
inline constexpr FieldId kColours = 75;
inline constexpr FieldId kTextAttribute = 77;
inline constexpr FieldId kLineHeight = 78;
}  // namespace Field

// Bits of the flag word (field 48) that the kernel itself gives a meaning.
inline constexpr uint32_t kFlagAttached = 4096;

// Type masks for walks, filters and hit tests.
inline constexpr uint32_t kMaskCoarseNode = 0x1;
inline constexpr uint32_t kMaskPlainNode = 0x2;
inline constexpr uint32_t kMaskBorderNode = 0x4;
inline constexpr uint32_t kMaskAttachedNode = 0x8;
inline constexpr uint32_t kMaskRegion = 0x20;
inline constexpr uint32_t kMaskConnector = 0x100;
inline constexpr uint32_t kMaskPage = 0x400;
inline constexpr uint32_t kMaskAll = 0xfffff;

inline constexpr uint32_t kInitialObjectSlots = 3000;
inline constexpr uint32_t kObjectTableGrowth = 1000;

// The connector-data record held in field 9 of every connector.
struct ConnectorData {
    FixPoint startOffset;   // 58
    FixPoint endOffset;     // 59
    Fixed arrowWidth;       // 60
    Fixed arrowHeight;      // 61
    uint32_t startValue;    // 62
    uint32_t endValue;      // 63
    MemHandle startHead;    // 64
    MemHandle endHead;      // 65
    uint32_t word66;        // 66
    FixRect textBox;        // 67
    uint32_t mode;          // 68
    uint32_t path;          // 69 and 70
    MemHandle roundedPath;  // 71
    uint32_t cornerRadius;  // 72
};
static_assert(sizeof(ConnectorData) == 76);

// Callbacks of walks take (object, argument) and return a status.
using ModelCallback = KernelStatus (*)(ObjectHandle object, void* argument);
// Tests of filters return 1 to take an object.
using ModelTest = uint32_t (*)(ObjectHandle object, void* argument);

// ---- Table and records ----
KernelStatus Model_CreateTable(uint32_t slotCount);
KernelStatus Model_DestroyTable();
KernelStatus Model_GrowTable(int32_t n);
KernelStatus Model_ChainFree(uint32_t first, uint32_t n);
ObjectHandle Model_LastFreeSlot();
uint32_t Model_SlotCount();
KernelStatus Model_GetRecord(ObjectHandle object, ObjectRecord** out);
KernelStatus Model_ReleaseRecord(ObjectHandle object);
KernelStatus Model_ClearRecord(ObjectHandle object, uint32_t all);
uint32_t Model_RecordSize();
KernelStatus Model_CopyRecord(ObjectHandle from, ObjectHandle to);
KernelStatus Model_SetRoot(ObjectHandle root);
ObjectHandle Model_GetRoot();
uint32_t Model_IsModified();
void Model_SetModified(uint32_t flag);
// The allocation serial of a slot: it changes whenever the slot is allocated
// again, so a holder of a handle can tell whether it still names the same
// object. 0 for a handle that is not valid or a slot that is free.
uint32_t Model_GetSerial(ObjectHandle object);

// ---- Allocation and creation ----
ObjectHandle Model_AllocSlot();
ObjectHandle Model_NewObject(uint32_t type);
KernelStatus Model_NewDiagram();
KernelStatus Model_AddPageParts(ObjectHandle page);
ObjectHandle Model_NewPage();
ObjectHandle Model_NewNode(ObjectHandle page);
ObjectHandle Model_NewConnector(ObjectHandle page);
ObjectHandle Model_GetRegionList(ObjectHandle object);
KernelStatus Model_NewConnectorData(ObjectHandle connector);
KernelStatus Model_FreeConnectorData(MemHandle data);
KernelStatus Model_CopyConnectorData(MemHandle data, MemHandle* out);

// ---- Release ----
KernelStatus Model_Destroy(ObjectHandle object, uint32_t flags);
KernelStatus Model_FreeSlot(ObjectHandle object, uint32_t flags);
KernelStatus Model_FreeContents(ObjectHandle object);
KernelStatus Model_DestroyObject(ObjectHandle object);
KernelStatus Model_DestroyTree(ObjectHandle object);

// ---- Fields ----
uint32_t Model_FieldSize(FieldId field);
void* Model_FieldAddress(ObjectRecord* record, FieldId field, MemHandle* lockedBlock);
KernelStatus Model_GetField(ObjectHandle object, FieldId field, void* buffer);
KernelStatus Model_SetField(ObjectHandle object, FieldId field, const void* buffer);
uint32_t Model_GetFieldValue(ObjectHandle object, FieldId field);
KernelStatus Model_SetFieldValue(ObjectHandle object, FieldId field, uint32_t value);
uint32_t Model_FieldEquals(ObjectHandle object, FieldId field, const void* buffer);
KernelStatus Model_SetShapeData(ObjectHandle object, MemHandle data);
KernelStatus Model_SetFlags(ObjectHandle object, uint32_t bits, uint32_t on);
KernelStatus Model_TestFlags(ObjectHandle object, uint32_t bits, uint32_t* result);
uint32_t Model_HasFlags(ObjectHandle object, uint32_t bits);

// ---- Navigation ----
ObjectHandle Model_GetParent(ObjectHandle object);
ObjectHandle Model_GetFirstChild(ObjectHandle object);
ObjectHandle Model_GetNextSibling(ObjectHandle object);
ObjectHandle Model_GetPrevSibling(ObjectHandle object);
ObjectHandle Model_GetLastSibling(ObjectHandle object);
ObjectHandle Model_GetPageList();
ObjectHandle Model_GetFirstPage();
ObjectHandle Model_GetNodeList(ObjectHandle page);
ObjectHandle Model_GetFirstNode(ObjectHandle page);
ObjectHandle Model_GetConnectorList(ObjectHandle page);
ObjectHandle Model_GetFirstConnector(ObjectHandle page);
ObjectHandle Model_GetFirstRegion(ObjectHandle object);
ObjectHandle Model_GetRegionOwner(ObjectHandle region);
ObjectHandle Model_GetBaseObject(ObjectHandle object);
ObjectHandle Model_GetPage(ObjectHandle object);
ObjectHandle Model_GetList(ObjectHandle object);
uint32_t Model_IsListObject(ObjectHandle object);
uint32_t Model_GetType(ObjectHandle object);
uint32_t Model_GetKind(ObjectHandle object);
ObjectHandle Model_GetNodeLink(ObjectHandle node);
ObjectHandle Model_GetSuperNode(ObjectHandle page);

// ---- Classification ----
uint32_t Model_IsValidHandle(ObjectHandle object);
uint32_t Model_IsObject(ObjectHandle object);
uint32_t Model_HasDiagram();
uint32_t Model_IsPage(ObjectHandle object);
uint32_t Model_IsConnector(ObjectHandle object);
uint32_t Model_IsNode(ObjectHandle object);
uint32_t Model_IsRegion(ObjectHandle object);
uint32_t Model_IsCoarseNode(ObjectHandle object);
uint32_t Model_IsAttachedNode(ObjectHandle object);
uint32_t Model_IsBorderNode(ObjectHandle object);
uint32_t Model_IsLabel(ObjectHandle object);
uint32_t Model_IsElement(ObjectHandle object);
uint32_t Model_MatchesTypeMask(ObjectHandle object, uint32_t mask);
uint32_t Model_PageHasFlag512(ObjectHandle page);
uint32_t Model_IsSubpage(ObjectHandle page);
uint32_t Model_IsNotFirstChild(ObjectHandle object);
uint32_t Model_IsDescendantOf(ObjectHandle object, ObjectHandle ancestor);
uint32_t Model_IsInBucket(ObjectHandle object);
uint32_t Model_IsPlaced(ObjectHandle object);
uint32_t Model_IsFlagged7(ObjectHandle connector);
uint32_t Model_FlagsClear(ObjectHandle object, uint32_t bits);
uint32_t Model_NoFlags30000(ObjectHandle object);
uint32_t Model_GroupNoFlags30000(GroupNumber group);

// ---- Splicing ----
KernelStatus Model_AppendChild(ObjectHandle parent, ObjectHandle child);
KernelStatus Model_PrependChild(ObjectHandle parent, ObjectHandle child);
KernelStatus Model_InsertAfter(ObjectHandle object, ObjectHandle added);
KernelStatus Model_AppendSibling(ObjectHandle object, ObjectHandle added);
KernelStatus Model_Unlink(ObjectHandle object);
KernelStatus Model_InsertChild(ObjectHandle object, ObjectHandle parent, ObjectHandle after);
KernelStatus Model_MoveToLast(ObjectHandle object);
KernelStatus Model_MoveToPage(ObjectHandle object, ObjectHandle page);
KernelStatus Model_MoveGroupToPage(GroupNumber group, ObjectHandle page);
KernelStatus Model_ShapeBitOf(uint32_t kind, uint32_t* bit);
KernelStatus Model_SetShapeBit(ObjectHandle object, uint32_t kind);

// ---- Walks ----
KernelStatus Model_ApplySiblings(ObjectHandle first, ModelCallback callback, void* argument);
KernelStatus Model_ApplyPages(ModelCallback callback, void* argument);
KernelStatus Model_ApplyPagesSorted(ModelCallback callback, void* argument);
int Model_ComparePageNumbers(ObjectHandle a, ObjectHandle b);
KernelStatus Model_WalkPreOrder(ObjectHandle first, uint32_t mask, ModelCallback callback, void* argument);
KernelStatus Model_WalkPostOrder(ObjectHandle first, uint32_t mask, ModelCallback callback, void* argument);
KernelStatus Model_WalkTree(uint32_t preOrder, ObjectHandle root, uint32_t mask, ModelCallback callback,
                            void* argument);
KernelStatus Model_WalkNodes(ObjectHandle page, ModelCallback callback, void* argument);
KernelStatus Model_WalkConnectors(ObjectHandle page, ModelCallback callback, void* argument);

// ---- Connector ends ----
KernelStatus Model_GetConnectorEnds(ObjectHandle connector, ObjectHandle* start, ObjectHandle* end,
                                    uint32_t objects);
KernelStatus Model_SetConnectorEnds(ObjectHandle connector, ObjectHandle start, ObjectHandle end);
ObjectHandle Model_OtherEnd(ObjectHandle connector, ObjectHandle base);

// ---- Counting and filtering ----
uint32_t Model_CountPages();
uint32_t Model_CountNodes(ObjectHandle page);
uint32_t Model_CountConnectors(ObjectHandle page);
uint32_t Model_CountChildren(ObjectHandle object);
GroupNumber Model_FilterByField(ObjectHandle root, FieldId field, const void* buffer, uint32_t invert);
GroupNumber Model_FilterPageByField(ObjectHandle page, FieldId field, const void* buffer, uint32_t invert);
GroupNumber Model_FilterByTest(ObjectHandle root, ModelTest test, void* argument, uint32_t invert);
GroupNumber Model_FilterPageByTest(ObjectHandle page, ModelTest test, void* argument, uint32_t invert);

// ---- Copying ----
KernelStatus Model_CloneObject(ObjectHandle object, ObjectHandle* clone);
KernelStatus Model_CloneGroup(GroupNumber group, GroupNumber* out);

// ---- Recent objects ----
KernelStatus Model_PushRecent(ObjectHandle object);
KernelStatus Model_RemoveRecent(ObjectHandle object);
KernelStatus Model_RemoveRecentGroup(GroupNumber group);
ObjectHandle Model_GetRecent(ObjectHandle object);
KernelStatus Model_GetRecentPair(ObjectHandle object, ObjectHandle* previous, ObjectHandle* recent);
ObjectHandle Model_PopRecent(ObjectHandle object);
KernelStatus Model_ClearRecent(ObjectHandle object);

// ---- Code conversion ----
int32_t Model_ConvertCode(int32_t code, uint32_t table, uint32_t direction);

// ---- Hit testing, extents and page texts ----
uint32_t Model_HitTest(ObjectHandle object, FixPoint point);
uint32_t Model_InRect(ObjectHandle object, const FixRect* rect);
uint32_t Model_OverlapsRect(ObjectHandle object, const FixRect* rect);
uint32_t Model_ConnectorTouchesRect(ObjectHandle connector, const FixRect* rect);
uint32_t Model_HitWedge(ObjectHandle object, FixPoint point);
Fixed Model_Distance(ObjectHandle object, FixPoint point);
KernelStatus Model_PickNearest(GroupNumber group, FixPoint point, ObjectHandle* out);
GroupNumber Model_HitGroup(ObjectHandle root, FixPoint point, uint32_t pick, uint32_t excludeMask,
                           uint32_t includeMask, uint32_t flagBits);
ObjectHandle Model_LocateAt(ObjectHandle root, FixPoint point, uint32_t excludeMask, uint32_t includeMask,
                            uint32_t flagBits);
GroupNumber Model_CollectInRect(ObjectHandle page, const FixRect* rect, uint32_t excludeMask,
                                uint32_t includeMask);
KernelStatus Model_GetBox(ObjectHandle object, FixRect* out);
KernelStatus Model_GetExtent(ObjectHandle object, FixRect* rect);
KernelStatus Model_GetStrokedExtent(uint32_t whole, ObjectHandle object, FixRect* out);

// The wedge geometry: position, width, height and the two angles (fields 50, 49).
struct WedgeRecord {
    FixPoint position;
    Fixed width;
    Fixed height;
    int32_t startDegrees;
    int32_t endDegrees;
};
KernelStatus Model_GetWedge(ObjectHandle object, WedgeRecord* out);
KernelStatus Model_GetWedgeBox(ObjectHandle object, FixRect* out);
void Model_CenterSpan(Fixed* low, Fixed* high, Fixed length);
KernelStatus Model_GetConnectorEndPoints(ObjectHandle connector, FixPoint* start, FixPoint* end);
KernelStatus Model_SetConnectorEndPoints(ObjectHandle connector, FixPoint start, FixPoint end);

inline constexpr uint32_t kPageNameSize = 128;   // 127 characters and the terminator
inline constexpr uint32_t kPageLabelSize = 20;   // 19 characters and the terminator
inline constexpr uint32_t kPageTitleSize = 128;
KernelStatus Model_GetPageName(ObjectHandle page, char* out);
KernelStatus Model_GetPageLabel(ObjectHandle page, char* out);
KernelStatus Model_GetPageTitle(ObjectHandle page, char* out);
uint32_t Model_FreePageNumber();
uint32_t Model_PageNumberUsed(uint32_t number, ObjectHandle except);

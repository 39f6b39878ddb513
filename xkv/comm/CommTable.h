// Command tables: rows binding (command state, event class, detail) to a
// handler, sorted by a 32-bit key and searched by binary search, with the
// wildcard fallbacks of the command layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "xkv/types/Types.h"

using MemHandle = uint32_t;

struct CommandBinding;

// Handler contract: on entry *nextState holds the current state and *freeFlag
// 1; a handler that keeps the event sets *freeFlag to 0. 0 means success.
using CommandHandler = KernelStatus (*)(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                        int32_t* freeFlag);

struct CommandBinding {
    int32_t state;
    int32_t eventClass;
    int32_t detail;
    CommandHandler handler;
    int32_t nextState;
    int32_t number;    // gesture rows: prompt message; dialog rows: dialog number
    int32_t argument;  // gesture rows: limit mask; dialog rows: default property (999: none)
    int32_t options;   // gesture rows: option bits
};

// Command states and wildcards.
inline constexpr int32_t kCommStateLastResort = 1;
inline constexpr int32_t kCommStateReady = 20;
inline constexpr int32_t kCommStateTableEnd = 9999;
inline constexpr int32_t kCommAnyCommand = -1;
inline constexpr int32_t kCommAnyPayload = 9998;
inline constexpr int32_t kCommAnyTimer = 0;
inline constexpr int32_t kCommAnyDialog = 400;

// Event classes.
inline constexpr int32_t kEventClassCommand = 1;
inline constexpr int32_t kEventClassPick = 2;
inline constexpr int32_t kEventClassItemCopy = 3;
inline constexpr int32_t kEventClassCancel = 4;
inline constexpr int32_t kEventClassTimer = 5;
inline constexpr int32_t kEventClassDialog = 6;
inline constexpr int32_t kEventClassPair = 7;
inline constexpr int32_t kEventClassDrag = 9;
inline constexpr int32_t kEventClassObject = 10;
inline constexpr int32_t kEventClassBox = 11;

// What a lookup needs of an event: its class, its payload kind and its
// detail (command number, payload value of a timer, dialog number).
struct CommEventKey {
    int32_t eventClass = 0;
    int32_t payloadKind = 0;
    int32_t detail = 0;
};

uint32_t Comm_RowKey(int32_t state, int32_t eventClass, int32_t detail);
uint32_t Comm_ClassKey(int32_t state, int32_t eventClass);

KernelStatus Comm_SortTable(CommandBinding* table, size_t rowCount);
const CommandBinding* Comm_SearchTable(const CommandBinding* table, size_t rowCount, const CommandBinding& key,
                                       uint32_t exact);
const CommandBinding* Comm_LookupKeyIn(const CommandBinding* table, size_t rowCount, int32_t state,
                                       const CommEventKey& key);

// The two tables (rows including the end row), sorted by Comm_SortTables.
std::span<CommandBinding> Comm_StaticTable();
std::span<CommandBinding> Comm_BaseTable();
void Comm_SortTables();
// Static table first with the state, then the base table with state 1.
const CommandBinding* Comm_LookupKey(int32_t state, const CommEventKey& key);

// The sibling tool's pieces: the candidate lists that its library stores in
// the diagram, the pieces it flags among them, the walk over those pieces,
// and the menu items of the sibling tool's mode.
#pragma once

#include <cstdint>
#include <span>

#include "xkv/types/Types.h"

// Menu items of the sibling tool's mode.
inline constexpr uint32_t kRXLOptionsSeparator = 10227;
inline constexpr uint32_t kRXLOptionsItem = 10228;
inline constexpr uint32_t kFindPiecesSeparator = 10323;
inline constexpr uint32_t kFindPiecesItem = 10324;
inline constexpr uint32_t kFindNextItem = 10325;
inline constexpr uint32_t kFindPreviousItem = 10326;

void SAddRXLOptionsItem();
void SRemoveRXLOptionsItem();
void SAddFindPiecesItems();
void SRemoveFindPiecesItems();

// Appends a (page, object) pair per object to the collection; with finish
// the end pair is added and the collection is stored in the diagram's list
// 0xF904 (which set) or 0xF905, and the sibling tool's mode goes on.
void SStorePieceCandidates(ObjectHandle page, std::span<const ObjectHandle> objects, int which, int finish);
// Keeps, in order, the candidates of both lists whose flag is set.
void SSetPieces(std::span<const uint32_t> flags);
// The pieces found, and the index of the current one.
size_t SPieceCount();
size_t SCurrentPiece();
std::pair<ObjectHandle, ObjectHandle> SPieceAt(size_t index);
void SDropPieces();
// Makes the next or previous piece's page current and selects it; at the
// end of the list the message says so and the piece stays. 1 when moved.
int SFindNextPiece();
int SFindPreviousPiece();
// "Find Pieces": asks the tool's library which candidates hold pieces and
// shows the first; a message when it failed or found none. 1 when found.
int SFindPieces();
// Makes the first piece current; 0 without pieces.
int SShowFirstPiece();

// Binds the evaluator's requests 15017 and 15018.
void RXLInstallPieceRequests();

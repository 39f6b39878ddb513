// Candidate lists and pieces of the sibling tool's models.
#include "atolq/CEditor/RXLCandidates.h"

#include <vector>

#include "atolq/ASimulator/ASRequests.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/RXLNets.h"
#include "atolq/ConvertToSim/CTSRXLSettings.h"
#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLWire.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr int32_t kSimMenu = 10300;
constexpr uint32_t kEnd = 0xFFFFFFFFu;
constexpr int16_t kMsgNoPieces = 11562;
constexpr int16_t kMsgFindPiecesFailed = 11563;
constexpr int16_t kMsgNoNextPiece = 11564;
constexpr int16_t kMsgNoPreviousPiece = 11565;

std::vector<uint32_t>& collection()
{
    static std::vector<uint32_t> words;
    return words;
}

struct Pieces {
    std::vector<std::pair<ObjectHandle, ObjectHandle>> list;
    size_t current = 0;
};

Pieces& pieces()
{
    static Pieces p;
    return p;
}

bool hasItem(uint32_t command)
{
    uint16_t menu = 0, item = 0;
    return QXMenu_GetItemPosition(command, &menu, &item) != 0;
}

// The candidates of both lists that were asked about, in the order of the
// marking queries (pairs that name no net place are never asked about).
std::vector<std::pair<ObjectHandle, ObjectHandle>> askedCandidates()
{
    std::vector<std::pair<ObjectHandle, ObjectHandle>> asked;
    for (const uint32_t tag : {cts::rxl::kPieceCandidatesTag, cts::rxl::kMoreCandidatesTag})
        for (const auto& pair : cts::rxl::candidatePairs(tag))
            if (cts::rxl::namesNetPlace(pair.first, pair.second, nullptr, nullptr))
                asked.push_back(pair);
    return asked;
}

void show(size_t index)
{
    const auto [page, object] = pieces().list[index];
    QXStr_SetCurPage(page);
    QXStr_SetCurObject(object);
}

int move(bool forward)
{
    Pieces& p = pieces();
    if (p.list.empty())
        return 0;
    if (forward ? p.current + 1 >= p.list.size() : p.current == 0) {
        GE_MessageBox(forward ? kMsgNoNextPiece : kMsgNoPreviousPiece);
        return 0;
    }
    const auto left = p.list[p.current];
    p.current = forward ? p.current + 1 : p.current - 1;
    if (left.first == p.list[p.current].first)
        QXUI_RedrawObject(left.second);
    show(p.current);
    return 1;
}

// 15017: the flags of the candidates, a list of one word each.
bool setPieces(SMLWireIn& in, SMLWireOut&)
{
    const std::vector<uint32_t> flags = in.list();
    if (!in.ok())
        return false;
    SSetPieces(flags);
    return true;
}

// 15018: page, which list, finish, then the objects.
bool storeCandidates(SMLWireIn& in, SMLWireOut&)
{
    const ObjectHandle page = in.u32();
    const int which = in.i32();
    const int finish = in.i32();
    const std::vector<ObjectHandle> objects = in.list();
    if (!in.ok())
        return false;
    SStorePieceCandidates(page, objects, which, finish);
    return true;
}

} // namespace

void SAddFindPiecesItems()
{
    if (hasItem(kFindPiecesItem))
        return;
    QXMenu_AppendItem(kSimMenu, kFindPiecesSeparator, "-");
    QXMenu_AppendItem(kSimMenu, kFindPiecesItem, "Find Pieces");
    QXMenu_AppendItem(kSimMenu, kFindNextItem, "Find Next");
    QXMenu_AppendItem(kSimMenu, kFindPreviousItem, "Find Previous");
}

void SRemoveFindPiecesItems()
{
    for (uint32_t command = kFindPreviousItem; command >= kFindPiecesSeparator; --command)
        QXMenu_DeleteItem(command);
}

void SStorePieceCandidates(ObjectHandle page, std::span<const ObjectHandle> objects, int which, int finish)
{
    std::vector<uint32_t>& words = collection();
    for (const ObjectHandle object : objects) {
        words.push_back(page);
        words.push_back(object);
    }
    if (finish == 0)
        return;
    words.push_back(kEnd);
    words.push_back(kEnd);
    UD_SetField(QXStr_GetPageListHandle(), which != 0 ? kRXLCandidatesTag : kRXLMoreCandidatesTag, words.data(),
                static_cast<uint32_t>(words.size() * 4));
    words.clear();
    SSetRXLMode(1);
    SAddRXLOptionsItem();
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
}

void SSetPieces(std::span<const uint32_t> flags)
{
    SDropPieces();
    const auto all = askedCandidates();
    for (size_t i = 0; i < all.size() && i < flags.size(); ++i)
        if (flags[i] != 0)
            pieces().list.push_back(all[i]);
}

size_t SPieceCount() { return pieces().list.size(); }

size_t SCurrentPiece() { return pieces().current; }

std::pair<ObjectHandle, ObjectHandle> SPieceAt(size_t index)
{
    return index < pieces().list.size() ? pieces().list[index] : std::pair<ObjectHandle, ObjectHandle>{0, 0};
}

void SDropPieces()
{
    pieces().list.clear();
    pieces().current = 0;
}

bool SHasPieces() { return !pieces().list.empty(); }

int SFindNextPiece() { return move(true); }

int SFindPreviousPiece() { return move(false); }

int SFindPieces()
{
    const int cursor = EE_BeginBusy("Searching for Pieces");
    SDropPieces();
    // The tool's library evaluates the marking texts of the candidates and
    // flags the pieces back through request 15017 while it runs.
    MemFileReset(ASReplyBuffer());
    int16_t code = as::sendText("TOLQ'RXL.EvalMarkingCode();", ASReplyBuffer());
    if (code == 0) {
        MemFileReset(ASReplyBuffer());
        code = as::sendText("TOLQ'RXL.FindPieces();", ASReplyBuffer());
    }
    EE_EndBusy(cursor);
    if (code != 0) {
        SDropPieces();
        GE_MessageBox(kMsgFindPiecesFailed);
        return 0;
    }
    if (pieces().list.empty()) {
        GE_MessageBox(kMsgNoPieces);
        return 0;
    }
    return SShowFirstPiece();
}

int SShowFirstPiece()
{
    if (pieces().list.empty())
        return 0;
    pieces().current = 0;
    show(0);
    return 1;
}

void RXLInstallPieceRequests()
{
    SMLSetGramHandler(15017, setPieces);
    SMLSetGramHandler(15018, storeCandidates);
}

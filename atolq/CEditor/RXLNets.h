// The net structure that the sibling tool's library asks for while it builds
// a model in the evaluator: places, transitions and arcs with their
// inscription regions, and the four generated nets (report page, idle
// resources, resource list, piece list) with every ML template they carry.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "xkv/types/Types.h"

// Region kinds of the inscriptions made here.
inline constexpr int32_t kRXLName = 4096;
inline constexpr int32_t kRXLColourSet = 4097;
inline constexpr int32_t kRXLMarking = 4098;
inline constexpr int32_t kRXLGuard = 4104;
inline constexpr int32_t kRXLCode = 4105;
inline constexpr int32_t kRXLArcExpr = 4108;

// Each block gives 1, or 0 at the first failure (out handles 0 then; what
// was made before stays). With flag 0 the new object's flags are refreshed.
int RXLMakeArc(ObjectHandle page, ObjectHandle from, ObjectHandle to, int flag, const char* inscription,
               ObjectHandle* arc, ObjectHandle* label);
int RXLMakePlace(ObjectHandle page, int flag, Fixed x, Fixed y, const char* name, const char* colourSet,
                 const char* marking, ObjectHandle* place, ObjectHandle* colourSetRegion, ObjectHandle* markingRegion);
int RXLMakeTransition(ObjectHandle page, int flag, Fixed x, Fixed y, Fixed width, Fixed height, const char* name,
                      const char* guard, const char* code, ObjectHandle* transition, ObjectHandle* guardRegion,
                      ObjectHandle* codeRegion);
int RXLMakeDirectory(const char* path);
// Kind 1 makes the node a resource place, any other kind a piece place.
int RXLMarkNode(ObjectHandle node, int kind, ObjectHandle page);
// The (first, second) numbers of the initial markings of the selected net
// places whose marking holds at least two elements; 1 when any were found.
int RXLCollectIdPairs(std::vector<uint32_t>* pairs);
// The first two elements of a marking text as numbers; false with fewer.
bool RXLMarkingPair(std::string_view marking, uint32_t* first, uint32_t* second);

// ---- the diagram's candidate lists (user data of the page list's root) ----
inline constexpr uint32_t kRXLCandidatesTag = 0xF904;
inline constexpr uint32_t kRXLMoreCandidatesTag = 0xF905;
// Maps every handle of both lists (the end word stays) and switches the
// sibling tool's mode on when the diagram carries a 0xF904 list, off when not.
using RXLHandleMap = std::function<ObjectHandle(ObjectHandle)>;
void RXLRemapDiagramLists(const RXLHandleMap& map);
// After a diagram was read: its lists follow the load's handle map.
void RXLReadDiagram(MemHandle map);

// ---- the sibling tool's mode ----
void SSetRXLMode(int flag);
int SInRXLMode();

// ---- generators; each gives the result of the last object made ----

struct RXLReportPage {
    ObjectHandle page = 0;
    ObjectHandle pieces = 0;
    ObjectHandle totalPieces = 0;
    ObjectHandle returnResources = 0;
    ObjectHandle scheduler = 0;
    ObjectHandle computeTime = 0;
    uint32_t timeRepSet = 0;  // id of the place fusion set "Time_Rep", 0 when none
};
struct RXLReportArgs {
    Fixed x = 0, y = 0;
    int flag = 0;
    std::string pieceLimit;        // L
    std::string returnInscription;
    std::string sizeExpression;
    std::string reportMode;        // marking of "TimeRep=0/PieceRep=1" (none when empty)
};
int RXLBuildReportPage(const RXLReportArgs& args, RXLReportPage* made);

struct RXLResourceIdleArgs {
    ObjectHandle page = 0;
    Fixed x = 0, y = 0;
    ObjectHandle substitution = 0;  // the transition whose socket the port joins
    ObjectHandle socket = 0;
    Fixed spacing = 0;              // 0: the default column spacing
    int flag = 0;
    std::string resource;           // R
    std::string expressions[4];     // E1 to E4
};
int RXLBuildResourceIdle(const RXLResourceIdleArgs& args);

struct RXLListArgs {
    ObjectHandle page = 0;
    Fixed x = 0, y = 0;
    Fixed spacing = 0;
    int flag = 0;
    std::string name;               // R or P
    std::string expressions[3];     // the resource list's three, or the piece list's inscription first
};
int RXLBuildResourceList(const RXLListArgs& args);
int RXLBuildPieceList(const RXLListArgs& args);

// The ML templates, exposed for their texts.
namespace rxl {
std::string computeTimeCode();
std::string timeReportsGuard();
std::string timeReportsCode();
std::string averageCode();
std::string limitGuard(std::string_view limit, std::string_view tail);
std::string notLimitGuard(std::string_view limit);
std::string idleCode();
std::string idleGuardMore(std::string_view resource, std::string_view e);
std::string idleGuardLast(std::string_view resource, std::string_view e);
std::string nextArrivalCode();
std::string nextRemovalCode();
std::string releaseCode();
std::string releaseGuard();
std::string pieceTimeCode();
} // namespace rxl

// Binds the evaluator's requests of the sibling tool (15005 to 15015).
void RXLInstallRequests();

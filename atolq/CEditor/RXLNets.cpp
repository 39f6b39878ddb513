// Places, transitions and arcs of the sibling tool's models, and the four
// nets generated from fixed ML templates.
#include "atolq/CEditor/RXLNets.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr Fixed kUnit = 0x10000;
constexpr Fixed kNodeSize = 10 * kUnit;
constexpr Fixed kLabelOffset = 15 * kUnit;
constexpr Fixed kTransWidth = 30 * kUnit + kUnit / 2;   // 30.5
constexpr Fixed kTransHeight = 14 * kUnit + kUnit / 2;  // 14.5
constexpr Fixed kDefaultSpacing = 70 * kUnit;

void clear(ObjectHandle* out)
{
    if (out != nullptr)
        *out = 0;
}

void put(ObjectHandle* out, ObjectHandle value)
{
    if (out != nullptr)
        *out = value;
}

// A label with the text at the centre, made a region of the kind on the
// owner, its text taken into the owner's record.
ObjectHandle inscription(ObjectHandle page, ObjectHandle owner, Fixed cx, Fixed cy, Fixed size, const char* text,
                         int32_t kind)
{
    const ObjectHandle label = QXStr_CreateLabel(page, cx, cy, size, size, text);
    if (label == 0)
        return 0;
    if (GE_AttachAsRegion(owner, label, kind) == 0)
        return 0;
    EE_UpdateNetFromObject(label);
    return label;
}

bool centre(ObjectHandle object, Fixed* x, Fixed* y) { return QXRdAttr_GetPosition(object, x, y) != 0; }

} // namespace

// ---- building blocks ----

int RXLMakeArc(ObjectHandle page, ObjectHandle from, ObjectHandle to, int flag, const char* inscriptionText,
               ObjectHandle* arc, ObjectHandle* label)
{
    clear(arc);
    clear(label);
    Fixed x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!centre(from, &x1, &y1) || !centre(to, &x2, &y2))
        return 0;
    const ObjectHandle connector = QXStr_CreateConnector(page, from, to);
    if (connector == 0 || EE_CreateNetArc(connector) == 0)
        return 0;
    const ObjectHandle made = inscription(page, connector, x1 / 2 + x2 / 2, y1 / 2 + y2 / 2, kNodeSize,
                                          inscriptionText != nullptr ? inscriptionText : "", kRXLArcExpr);
    if (made == 0)
        return 0;
    if (flag == 0)
        GE_RefreshObjectFlags(connector);
    put(arc, connector);
    put(label, made);
    return 1;
}

int RXLMakePlace(ObjectHandle page, int flag, Fixed x, Fixed y, const char* name, const char* colourSet,
                 const char* marking, ObjectHandle* place, ObjectHandle* colourSetRegion, ObjectHandle* markingRegion)
{
    clear(place);
    clear(colourSetRegion);
    clear(markingRegion);
    const ObjectHandle node = QXStr_CreateNode(page, x, y, kNodeSize, kNodeSize, 2);
    if (node == 0 || QXText_SetText(node, name != nullptr ? name : "") == 0 || EE_CreateNetPlace(node) == 0)
        return 0;
    EE_StorePlaceTexts(node);
    const ObjectHandle cs = inscription(page, node, x + kLabelOffset, y + kLabelOffset, kNodeSize,
                                        colourSet != nullptr ? colourSet : "", kRXLColourSet);
    if (cs == 0)
        return 0;
    ObjectHandle im = 0;
    if (marking != nullptr) {
        im = inscription(page, node, x + kLabelOffset, y - kLabelOffset, kNodeSize, marking, kRXLMarking);
        if (im == 0)
            return 0;
    }
    if (flag == 0)
        GE_RefreshObjectFlags(node);
    put(place, node);
    put(colourSetRegion, cs);
    put(markingRegion, im);
    return 1;
}

int RXLMakeTransition(ObjectHandle page, int flag, Fixed x, Fixed y, Fixed width, Fixed height, const char* name,
                      const char* guard, const char* code, ObjectHandle* transition, ObjectHandle* guardRegion,
                      ObjectHandle* codeRegion)
{
    clear(transition);
    clear(guardRegion);
    clear(codeRegion);
    const ObjectHandle node = QXStr_CreateNode(page, x, y, width, height, 1);
    if (node == 0 || QXText_SetText(node, name != nullptr ? name : "") == 0 || EE_CreateNetTrans(node) == 0)
        return 0;
    EE_StoreTransTexts(node);
    ObjectHandle g = 0;
    ObjectHandle c = 0;
    if (guard != nullptr && (g = inscription(page, node, x + width, y + height, kNodeSize, guard, kRXLGuard)) == 0)
        return 0;
    if (code != nullptr && (c = inscription(page, node, x + width, y - height, kNodeSize, code, kRXLCode)) == 0)
        return 0;
    if (flag == 0)
        GE_RefreshObjectFlags(node);
    put(transition, node);
    put(guardRegion, g);
    put(codeRegion, c);
    return 1;
}

int RXLMakeDirectory(const char* path)
{
    return path != nullptr && ::mkdir(path, 0777) == 0 ? 1 : 0;
}

int RXLMarkNode(ObjectHandle node, int kind, ObjectHandle page)
{
    ObjectHandle nameRegion = 0;
    ObjectHandle csRegion = 0;
    GE_GetRegion(node, kRXLName, &nameRegion);
    if (GE_GetRegion(node, kRXLColourSet, &csRegion) == 0 || csRegion == 0)
        return 0;
    std::string name = GE_TextOf(csRegion);
    if (name.size() > 256)
        name.resize(256);
    if (nameRegion == 0) {
        Fixed x = 0, y = 0;
        if (!centre(csRegion, &x, &y))
            return 0;
        const ObjectHandle target = page != 0 ? page : QXStr_GetObjectPage(node);
        nameRegion = inscription(target, node, x + 5 * kUnit, y + 5 * kUnit, 5 * kUnit, name.c_str(), kRXLName);
        if (nameRegion == 0)
            return 0;
    }
    if (QXText_SetText(csRegion, kind == 1 ? "Resource" : "Piece") == 0)
        return 0;
    EE_UpdateNetFromObject(nameRegion);
    EE_UpdateNetFromObject(csRegion);
    return 1;
}

bool RXLMarkingPair(std::string_view marking, uint32_t* first, uint32_t* second)
{
    // Elements are the comma-separated parts; a part's number starts after
    // its last opening parenthesis ("1`(12,34)" gives 12 and 34).
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= marking.size() && parts.size() < 2) {
        const size_t comma = marking.find(',', at);
        const size_t end = comma == std::string_view::npos ? marking.size() : comma;
        std::string part(marking.substr(at, end - at));
        const size_t open = part.rfind('(');
        if (open != std::string::npos)
            part.erase(0, open + 1);
        parts.push_back(part);
        if (comma == std::string_view::npos)
            break;
        at = comma + 1;
    }
    if (parts.size() < 2)
        return false;
    *first = static_cast<uint32_t>(std::atol(parts[0].c_str()));
    *second = static_cast<uint32_t>(std::atol(parts[1].c_str()));
    return true;
}

int RXLCollectIdPairs(std::vector<uint32_t>* pairs)
{
    pairs->clear();
    uint16_t count = 0;
    ObjectHandle* group = nullptr;
    std::vector<ObjectHandle> selected;
    if (QXStr_GetCurGroup(&count, &group) != 0 && group != nullptr)
        selected.assign(group, group + count);
    if (group != nullptr)
        QXMem_Free(group);
    if (selected.empty() && QXStr_GetCurObject() != 0)
        selected.push_back(QXStr_GetCurObject());
    for (const ObjectHandle object : selected) {
        uint16_t kind = 0, subKind = 0;
        SEHead* record = nullptr;
        if (EE_GetObjectKind(object, &kind, &subKind, &record) == 0 || kind != kSEPlace)
            continue;
        char* marking = nullptr;
        GE_GetRegionText(object, kRXLMarking, &marking);
        uint32_t first = 0, second = 0;
        if (marking != nullptr && RXLMarkingPair(marking, &first, &second)) {
            pairs->push_back(first);
            pairs->push_back(second);
        }
        if (marking != nullptr)
            QXMem_Free(marking);
    }
    return pairs->empty() ? 0 : 1;
}

// ---- templates ----

namespace rxl {

namespace {

// The status-bar report of a finished piece; the tail closes the action.
std::string statusLine(std::string_view count, std::string_view tail)
{
    return " (QXUI_SetStatusBarMessage (\"Processed Pieces: \" ^ makestring (" + std::string(count) + ")" +
           "^\"  Time: \" ^ makestring (floor(time())) ^" + std::string(tail);
}

} // namespace

std::string computeTimeCode()
{
    return "input (total_pieces,pt1,t,t1);\naction\n" +
           statusLine("total_pieces + 1",
                      " implode(take 4 (drop 1 (explode(makestring(time() - real(floor(time()))))))));") +
           "RXL'update_total_elapsed_time (pt1,t,t1));";
}

std::string timeReportsGuard()
{
    return "[(tm TOLQ'RXL.TimeReports) andalso (tm TOLQ'RXL.StopTimeVal)>=Time()]";
}

std::string timeReportsCode()
{
    return "input (total_pieces);\naction\n" +
           statusLine("total_pieces",
                      " implode(take 4 (drop 1 (explode(makestring(time() - real(floor(time())))))))));");
}

std::string averageCode()
{
    return "input (total_pieces);\naction\ntcount := total_pieces;\ntdoc_proc_count := !tdoc_count - !tcount;";
}

std::string limitGuard(std::string_view limit, std::string_view tail)
{
    return " [ ((total_pieces+ 1) = " + std::string(limit) + ") orelse MakeTempRep(total_pieces) ] " +
           std::string(tail);
}

std::string notLimitGuard(std::string_view limit)
{
    return " [ not ((total_pieces + 1 = " + std::string(limit) + ") orelse MakeTempRep(total_pieces))] % 1";
}

std::string idleCode()
{
    return "input (rn,art,crn);\naction\nRXL'update_idle_time (rn,art);RXL'update_idle_cost (rn,art,crn);";
}

std::string idleGuardMore(std::string_view resource, std::string_view e)
{
    return "[(RXL'total" + std::string(resource) + "  - 1) > 0] %(" + std::string(e) + ")";
}

std::string idleGuardLast(std::string_view resource, std::string_view e)
{
    return "[(RXL'total" + std::string(resource) + " - 1 ) = 0] % (" + std::string(e) + ")";
}

namespace {

std::string headTime(std::string_view output, std::string_view field)
{
    return "input rl;\noutput " + std::string(output) +
           ";\naction\n(if (rl <> nil)\nthen\nlet val (rid,rn,art,rmt,srn,crn,xx) = hd rl;\nin " +
           std::string(field) + "-Time() end\nelse 0.0);";
}

} // namespace

std::string nextArrivalCode() { return headTime("art1", "art"); }

std::string nextRemovalCode() { return headTime("rmt1", "rmt"); }

std::string releaseCode()
{
    return "input (rid,rn,art,crn,xx,rl,rmt);\noutput (rmt1,rl_new);\naction\n"
           "RXL'update_idle_time (rn,art);RXL'update_idle_cost (rn,art,crn);\n"
           "TransferSequencingInfo(rid,rn,xx,rl,rmt);";
}

std::string releaseGuard() { return "[if !TOLQ'RXL.NoRemIfSeq then xx = [] else true]"; }

std::string pieceTimeCode()
{
    return "input pl;\noutput t1;\naction\n(if (pl <> nil)\nthen\n"
           "let val (id,pt,inpt,t,pr,sz,szmi,af,af1) = hd pl;\nin t-Time() end\nelse 0.0);";
}

} // namespace rxl

// ---- generators ----

namespace {

// Lays out one generated net on a grid from a base position: nodes are made
// in the order given and named by their index for the arcs.
class NetBuilder {
public:
    NetBuilder(ObjectHandle page, Fixed x, Fixed y, Fixed spacing, int flag)
        : page_(page), x_(x), y_(y), spacing_(spacing != 0 ? spacing : kDefaultSpacing), flag_(flag)
    {
    }

    size_t place(int column, int row, const std::string& name, const std::string& colourSet,
                 const char* marking = nullptr)
    {
        ObjectHandle node = 0;
        last_ = RXLMakePlace(page_, flag_, at(column, x_), at(row, y_), name.c_str(), colourSet.c_str(), marking,
                             &node, nullptr, nullptr);
        nodes_.push_back(node);
        return nodes_.size() - 1;
    }

    size_t transition(int column, int row, const char* name, const std::string* guard = nullptr,
                      const std::string* code = nullptr)
    {
        ObjectHandle node = 0;
        last_ = RXLMakeTransition(page_, flag_, at(column, x_), at(row, y_), kTransWidth, kTransHeight, name,
                                  guard != nullptr ? guard->c_str() : nullptr,
                                  code != nullptr ? code->c_str() : nullptr, &node, nullptr, nullptr);
        nodes_.push_back(node);
        return nodes_.size() - 1;
    }

    void arc(size_t from, size_t to, const std::string& text)
    {
        last_ = RXLMakeArc(page_, nodes_[from], nodes_[to], flag_, text.c_str(), nullptr, nullptr);
    }

    ObjectHandle node(size_t index) const { return nodes_[index]; }
    int last() const { return last_; }

private:
    Fixed at(int steps, Fixed base) const { return base + steps * spacing_; }

    ObjectHandle page_;
    Fixed x_, y_, spacing_;
    int flag_;
    std::vector<ObjectHandle> nodes_;
    int last_ = 0;
};

std::string marked(std::string_view e) { return "1`(" + std::string(e) + ")"; }

// The place fusion set of that name (global), made when missing.
SEHead* globalPlaceSet(const std::string& name)
{
    SEHead* set = SEFindFusSet(name.c_str(), kSEPlaceFusSet, nullptr);
    if (set != nullptr || name.empty())
        return set;
    SEPlaceFusSet* made = SECreatePlaceFusSet(kSEFusGlobal, nullptr);
    if (made == nullptr)
        return nullptr;
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(name.size() + 1)));
    std::memcpy(copy, name.c_str(), name.size() + 1);
    SEPutName(reinterpret_cast<SEHead*>(made), copy);
    return reinterpret_cast<SEHead*>(made);
}

} // namespace

int RXLBuildReportPage(const RXLReportArgs& args, RXLReportPage* made)
{
    *made = {};
    const ObjectHandle page = GE_NewPage(0);
    if (page == 0)
        return 0;
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    if (EE_CreateNetPage(page, 1) == 0)
        return 0;
    QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border);
    QXWtAttr_SetPageAttr(page, "REPORT", number, 726, 548, border);
    made->page = page;

    const std::string sizeSet = args.sizeExpression.find(',') == std::string::npos ? "Int" : "MS_Sizes";
    const std::string code1 = rxl::computeTimeCode();
    const std::string guard2 = rxl::timeReportsGuard();
    const std::string code2 = rxl::timeReportsCode();
    const std::string code3 = rxl::averageCode();
    const char* mode = args.reportMode.empty() ? nullptr : args.reportMode.c_str();

    NetBuilder net(page, args.x, args.y, 0, args.flag);
    const size_t pieces = net.place(0, 0, "Pieces", "Piece");
    const size_t total = net.place(2, 0, "TotPieces", "Piece");
    const size_t go = net.place(0, 1, "go", "Int", "1`1");
    const size_t returned = net.place(2, 1, "Return Res.", "Int");
    const size_t count = net.place(1, 2, "size", "Int", "1`0");
    const size_t size = net.place(3, 2, "size", "Int");
    const size_t switchPlace = net.place(2, 3, "TimeRep=0/PieceRep=1", "Int", mode);
    const size_t scheduler = net.place(0, 4, "TimeRep scheduler", "ModelTime");
    const size_t goSize = net.place(0, 5, "go", sizeSet);
    const size_t sizeSize = net.place(2, 5, "size", sizeSet);
    const size_t localSize = net.place(3, 5, "local_size", sizeSet);
    const size_t compute = net.transition(1, 0, "compute tot time", nullptr, &code1);
    const size_t report = net.transition(1, 4, "Make Time reports", &guard2, &code2);
    const size_t average = net.transition(1, 5, "Average", nullptr, &code3);

    net.arc(pieces, compute, "1`(id,pt1,inpt1,t1,pr1,sz1,szmi1,af1,at1)");
    net.arc(compute, total, "1`(id,pt,inpt,t,pr,sz,szmi,af,at)");
    net.arc(go, compute, "1`1");
    net.arc(count, compute, "1`total_pieces");
    net.arc(compute, count, "1`(total_pieces + 1)");
    net.arc(compute, returned, args.returnInscription);
    net.arc(compute, switchPlace, rxl::limitGuard(args.pieceLimit, "%1"));
    net.arc(compute, size, rxl::limitGuard(args.pieceLimit, "% (total_pieces + 1)"));
    net.arc(compute, go, rxl::notLimitGuard(args.pieceLimit));
    net.arc(scheduler, report, "1`t");
    net.arc(report, scheduler, "1`(Time())@+(tm TOLQ'RXL.TimeIntervalVal)");
    net.arc(size, report, "1`total_pieces");
    net.arc(report, size, "1`total_pieces");
    net.arc(switchPlace, average, "1`0");
    net.arc(goSize, average, "1`id");
    net.arc(sizeSize, average, "1`total_pieces");
    net.arc(average, localSize, "1`id");

    made->pieces = net.node(pieces);
    made->totalPieces = net.node(total);
    made->returnResources = net.node(returned);
    made->scheduler = net.node(scheduler);
    made->computeTime = net.node(compute);
    made->timeRepSet = SERecordId(SEFindFusSet("Time_Rep", kSEPlaceFusSet, nullptr));
    return net.last();
}

int RXLBuildResourceIdle(const RXLResourceIdleArgs& a)
{
    const std::string& r = a.resource;
    const std::string idle = "IDLE_" + r;
    const std::string code = rxl::idleCode();

    NetBuilder net(a.page, a.x, a.y, a.spacing, a.flag);
    const size_t port = net.place(0, 0, r, "Resource");
    if (net.node(port) != 0 && EE_MakePort(net.node(port), kSEPortGeneral) != 0 && a.socket != 0 &&
        a.substitution != 0)
        EE_AssignPort(a.substitution, a.socket, net.node(port));
    const size_t fused = net.place(2, 0, r, "Resource");
    if (net.node(fused) != 0) {
        if (SEHead* set = globalPlaceSet(r.substr(0, 8)); set != nullptr)
            EE_AddFusionMember(net.node(fused), set);
    }
    const size_t resource = net.place(2, 2, "Resource", "Resource");
    const size_t go = net.place(0, 2, "go", "MS_Sizes");
    const size_t take = net.transition(1, 0, nullptr);
    const size_t back = net.transition(1, 2, nullptr);
    const size_t idleTrans = net.transition(3, 1, idle.c_str(), nullptr, &code);

    net.arc(port, take, "1`(rid,rn,art,rmt,srn,crn,xx) @ ignore");
    net.arc(take, fused, "1`(rid,rn,Time(),rmt,srn,crn,xx)");
    net.arc(fused, idleTrans, "1`(rid,rn,art,rmt,srn,crn,xx)");
    net.arc(idleTrans, resource, "1`(rid,rn,art,rmt,srn,crn,xx) @+ (art -time ())");
    net.arc(resource, back, "1`(rid,rn,art,rmt,srn,crn,xx)");
    net.arc(go, take, marked(a.expressions[0]));
    net.arc(back, port, marked(a.expressions[1]));
    net.arc(take, go, a.expressions[2]);
    net.arc(back, go, rxl::idleGuardMore(r, a.expressions[3]));
    net.arc(idleTrans, go, rxl::idleGuardLast(r, a.expressions[3]));
    return net.last();
}

int RXLBuildResourceList(const RXLListArgs& a)
{
    const std::string& r = a.name;
    const std::string arrival = rxl::nextArrivalCode();
    const std::string removal = rxl::nextRemovalCode();
    const std::string release = rxl::releaseCode();
    const std::string guard = rxl::releaseGuard();

    NetBuilder net(a.page, a.x, a.y, a.spacing, a.flag);
    const size_t list = net.place(0, 0, "Resource_List", "Resource_List");
    const size_t resource = net.place(0, 2, r, "Resource");
    const size_t ordered = net.place(2, 0, r, "Resource_List");
    const size_t tagArrival = net.transition(1, 0, "add time tags");
    const size_t tagRemoval = net.transition(1, 1, "add time tags");
    const size_t nextArrival = net.transition(3, 0, nullptr, nullptr, &arrival);
    const size_t nextRemoval = net.transition(3, 1, nullptr, nullptr, &removal);
    const size_t releaseTrans = net.transition(1, 2, nullptr, &guard, &release);

    net.arc(list, tagArrival, "(1-rid)`ResourceArrSort(ms_to_list(RXL'" + r + "_ms))");
    net.arc(list, tagRemoval, "(1-rid)`ResourceRemSort(ms_to_list(RXL'" + r + "_ms))");
    net.arc(tagArrival, ordered, "1`((rid,rn,art,rmt,srn,crn,xx)::rl) @+ art");
    net.arc(ordered, nextArrival, "1`((rid,rn,art,rmt,srn,crn,xx)::rl)");
    net.arc(resource, tagArrival, "1`(resource::rl)");
    net.arc(tagArrival, resource, "1`resource");
    net.arc(nextArrival, ordered, "1`rl@+art1");
    net.arc(tagRemoval, ordered, "1`((rid,rn,art,rmt,srn,crn,xx)::rl) @+ rmt");
    net.arc(nextRemoval, ordered, "[rl<>nil]%rl@+rmt1");
    net.arc(releaseTrans, resource, "1`(rid,rn,art1,rmt,srn,crn,xx1)");
    net.arc(resource, releaseTrans, "1`(rid,rn,art,rmt,srn,crn,xx)");
    net.arc(releaseTrans, ordered, "1`(rl_new)@+rmt1");
    net.arc(ordered, nextRemoval, "1`(rl)@ignore");
    net.arc(list, releaseTrans, marked(a.expressions[0]));
    net.arc(releaseTrans, list, marked(a.expressions[1]));
    net.arc(tagRemoval, list, marked(a.expressions[2]));
    return net.last();
}

int RXLBuildPieceList(const RXLListArgs& a)
{
    const std::string& p = a.name;
    const std::string code = rxl::pieceTimeCode();

    NetBuilder net(a.page, a.x, a.y, a.spacing, a.flag);
    const size_t timed = net.place(2, 0, p, "Piece_List_Timed");
    const size_t piece = net.place(0, 0, p, "Piece");
    const size_t list = net.place(0, 1, p, "Piece_List");
    const size_t tag = net.transition(1, 0, "add time tags");
    const size_t next = net.transition(3, 0, nullptr, nullptr, &code);

    net.arc(list, tag, "(1-rid)`(PieceSort(ms_to_list(RXL'" + p + "_ms)))");
    net.arc(tag, timed, "1`((id,pt,inpt,t,pr,sz,szmi,af,af1)::pl) @+ t");
    net.arc(timed, next, "1`((id,pt,inpt,t,pr,sz,szmi,af,af1)::pl)");
    net.arc(next, timed, "[pl<>nil]%pl@+t1");
    net.arc(piece, tag, a.expressions[0]);
    return net.last();
}

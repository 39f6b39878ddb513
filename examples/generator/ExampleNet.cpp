// make-example-net: writes the example net that `make run` opens, a small
// producer/consumer net on one page. Every object is made the way the net
// editor makes it: kernel nodes and connectors through the kernel's
// programming interface, their abstract-net records through the editor's
// record creators, inscriptions as inscription regions whose texts the
// editor stores into the records. The diagram file is written by the
// kernel's writer and the net data base file ("<file>.DB") beside it by the
// abstract net's, as a save from the editor does.
//
//   make-example-net examples/producer-consumer.tolq
//
// An existing file of that name is kept as its "~" backup, as every save does.
#include <cstdio>
#include <stdexcept>
#include <span>
#include <string>
#include <string_view>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"

namespace {

constexpr HookId kHookPageChanged = 27;
constexpr int32_t kShapeBox = 1;
constexpr int32_t kShapeEllipse = 2;
constexpr uint32_t kArcForward = 1;  // from the connector's first end to its second
constexpr uint16_t kNewPage = 1;
constexpr uint16_t kGlobalDeclarations = 1;

// Texts: Helvetica 12 plain, left-aligned or centred. The net editor's graphic
// defaults for inscriptions are not applied by this program, so the example
// sets its inscriptions' text attributes itself.
constexpr int32_t kFontHelvetica = 3;
constexpr int32_t kTextSize = 12;
constexpr int32_t kTextPlain = 0;
constexpr int32_t kAlignLeft = 1;
constexpr int32_t kAlignCentre = 2;

// Page coordinates: the page's centre is (0, 0); one unit is two pixels at 100 %.
struct Point {
    int x;
    int y;
};

constexpr Fixed Units(int value)
{
    return static_cast<Fixed>(value * 0x10000);
}

FixPoint At(Point p)
{
    return FixPoint{Units(p.x), Units(p.y)};
}

// A step that failed; main reports it after everything has been freed.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Check(bool ok, const char* what)
{
    if (!ok)
        throw Failure(what);
}

// The kernel's object table, groups and defaults with a new diagram, and the
// net layer's defaults and abstract net; all freed again at the end.
class Session {
public:
    Session()
    {
        Check(Group_CreateTable(kGroupTableInitialSize) == kStatusOk, "no group table");
        Check(Model_CreateTable(kInitialObjectSlots) == kStatusOk, "no object table");
        Check(Default_Init() == kStatusOk, "no kernel defaults");
        Check(Model_NewDiagram() == kStatusOk, "no diagram");
        Check(DefRegisterProperties() == 1 && DefInitAll() == 1, "no net defaults");
        SEInitPools();
        Check(SEStart() != nullptr, "no abstract net");
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        GE_SetMode(kGEModeEditor);
        // The editor keeps a page record's name and number equal to the page's.
        Hook_Register(kHookPageChanged, EE_PageChangedHook);
    }
    ~Session()
    {
        Hook_Unregister(kHookPageChanged);
        GE_SetCurrentDiagram(0);
        SEFreeDB();
        Model_DestroyTree(Model_GetRoot());
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

// A net page named after the diagram, with its page record.
ObjectHandle AddPage(const char* name)
{
    const ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    Check(page != 0, "no page");
    Check(EE_CreateNetPage(page, kNewPage) == 1, "no page record");
    Check(QXWtAttr_SetPageAttr(page, name, 1, 0, 0, 0) == 1, "page name not set");
    return page;
}

void SetText(ObjectHandle object, const char* text, int32_t alignment)
{
    Check(QXText_SetText(object, text) == 1, "text not set");
    Check(QXText_SetTextAttr(object, kFontHelvetica, kTextSize, kTextPlain, alignment) == 1, "text style not set");
}

// An inscription region of the kind on its owner (its size follows its
// text), placed at `at`, whose text the editor stores into the owner's record.
void AddInscription(ObjectHandle owner, int32_t kind, const char* text, Point at)
{
    const ObjectHandle region = GE_MakeRegion(owner, kind);
    Check(region != 0, "no inscription region");
    SetText(region, text, kAlignCentre);
    Check(QXWtAttr_SetPosition(region, Units(at.x), Units(at.y)) == 1, "inscription not placed");
    Check(EE_UpdateNetFromRegion(region) == 1, "inscription not stored");
}

// A node of the shape whose own text is the name (the editor takes a net
// object's name from its text when it has no name region).
ObjectHandle AddNamedNode(ObjectHandle page, int32_t shape, const char* name, Point centre, Point size)
{
    const ObjectHandle node = QXStr_CreateNode(page, Units(centre.x), Units(centre.y), Units(size.x), Units(size.y), shape);
    Check(node != 0, "no node");
    SetText(node, name, kAlignCentre);
    return node;
}

struct PlaceLayout {
    const char* name;
    Point centre;
    const char* colourSet;
    Point colourSetAt;
    const char* initialMarking;
    Point initialMarkingAt;
};

ObjectHandle AddPlace(ObjectHandle page, const PlaceLayout& layout)
{
    const ObjectHandle node = AddNamedNode(page, kShapeEllipse, layout.name, layout.centre, {36, 24});
    Check(EE_CreateNetPlace(node) == 1, "no place record");
    Check(EE_TakeNameFromRegion(node) == 1, "place name not stored");
    AddInscription(node, kRegionColourSet, layout.colourSet, layout.colourSetAt);
    AddInscription(node, kRegionInitMark, layout.initialMarking, layout.initialMarkingAt);
    return node;
}

struct TransitionLayout {
    const char* name;
    Point centre;
    const char* guard;
    Point guardAt;
};

ObjectHandle AddTransition(ObjectHandle page, const TransitionLayout& layout)
{
    const ObjectHandle node = AddNamedNode(page, kShapeBox, layout.name, layout.centre, {40, 20});
    Check(EE_CreateNetTrans(node) == 1, "no transition record");
    Check(EE_TakeNameFromRegion(node) == 1, "transition name not stored");
    if (layout.guard != nullptr)
        AddInscription(node, kRegionGuard, layout.guard, layout.guardAt);
    return node;
}

struct ArcLayout {
    ObjectHandle from;
    ObjectHandle to;
    const char* expression;
    Point expressionAt;
    std::span<const Point> bends;  // corners between the two ends
};

FixPoint CentreOf(ObjectHandle node)
{
    Fixed x = 0, y = 0;
    QXRdAttr_GetPosition(node, &x, &y);
    return FixPoint{x, y};
}

void AddArc(ObjectHandle page, const ArcLayout& layout)
{
    const ObjectHandle connector = QXStr_CreateConnector(page, layout.from, layout.to);
    Check(connector != 0, "no connector");
    Check(QXWtAttr_SetDirection(connector, kArcForward) == 1, "arc direction not set");
    if (!layout.bends.empty()) {
        FixPoint points[8];
        Check(layout.bends.size() + 2 <= std::size(points), "too many corners");
        uint32_t count = 0;
        points[count++] = CentreOf(layout.from);
        for (const Point& bend : layout.bends)
            points[count++] = At(bend);
        points[count++] = CentreOf(layout.to);
        Check(QXWtAttr_SetConnPoints(connector, count, points) == 1, "arc corners not set");
    }
    Check(EE_CreateNetArc(connector) == 1, "no arc record");
    AddInscription(connector, kRegionArcExpr, layout.expression, layout.expressionAt);
}

// A global declaration node: a box whose text holds the declarations.
void AddDeclarations(ObjectHandle page, const char* text, Point centre, Point size)
{
    const ObjectHandle node =
        QXStr_CreateNode(page, Units(centre.x), Units(centre.y), Units(size.x), Units(size.y), kShapeBox);
    Check(node != 0, "no declaration node");
    SetText(node, text, kAlignLeft);
    Check(EE_CreateDeclNode(node, ObjectHandle{0}, kGlobalDeclarations) == 1, "no declaration record");
    Check(EE_BuildDeclRegions(node) == 1, "declarations not stored");
}

// The producer numbers items 1, 2, ... up to 10 and puts each into the
// buffer; the consumer takes them out. Places are 36 x 24 units, transitions
// 40 x 20. An inscription's position is where its text begins (left, top):
// each colour set sits below-left of its place, each initial marking
// above-right, the guard above its transition, each arc expression beside the
// middle of its arc.
void BuildProducerConsumer(ObjectHandle page)
{
    AddDeclarations(page, "color INT = int;\nvar n : INT;", {-70, -100}, {80, 22});

    const ObjectHandle next = AddPlace(page, {"Next", {-85, 0}, "INT", {-110, 16}, "1`1", {-66, -22}});
    const ObjectHandle produce = AddTransition(page, {"Produce", {0, 0}, "[n < 10]", {-11, -24}});
    const ObjectHandle buffer = AddPlace(page, {"Buffer", {85, 0}, "INT", {60, 16}, "1`0", {104, -22}});
    const ObjectHandle consume = AddTransition(page, {"Consume", {85, 90}, nullptr, {}});

    static constexpr Point kTake[] = {{-42, -14}};
    static constexpr Point kGiveBack[] = {{-42, 14}};
    AddArc(page, {next, produce, "n", {-44, -24}, kTake});
    AddArc(page, {produce, next, "n + 1", {-50, 17}, kGiveBack});
    AddArc(page, {produce, buffer, "n", {40, -9}, {}});
    AddArc(page, {buffer, consume, "n", {90, 40}, {}});
}

std::string BaseName(std::string_view path)
{
    const size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make-example-net diagram-file\n");
        return 2;
    }
    const std::string path = argv[1];
    try {
        Session session;
        BuildProducerConsumer(AddPage(BaseName(path).c_str()));
        Check(File_SaveDiagram(path.c_str()) == kStatusOk, "the diagram file could not be written");
        Check(SESaveDBFile((path + ".DB").c_str()) == 1, "the net data base file could not be written");
    } catch (const Failure& failure) {
        std::fprintf(stderr, "make-example-net: %s\n", failure.what());
        return 1;
    }
    return 0;
}

// The evaluator's requests through which the sibling tool's library builds
// its nets (codes 15005 to 15015): arguments are read and checked first,
// then the building block or generator runs and its results are answered.
#include "atolq/CEditor/RXLNets.h"
#include "atolq/CEditor/RXLCandidates.h"

#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLWire.h"

namespace {

const char* textOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// 15005: page, from, to, flag, inscription -> R, connector, label.
bool connectWithLabel(SMLWireIn& in, SMLWireOut& out)
{
    const ObjectHandle page = in.u32(), from = in.u32(), to = in.u32();
    const int flag = in.i32();
    const std::string text = in.str();
    if (!in.ok())
        return false;
    ObjectHandle arc = 0, label = 0;
    out.u32(static_cast<uint32_t>(RXLMakeArc(page, from, to, flag, text.c_str(), &arc, &label)));
    out.u32(arc);
    out.u32(label);
    return true;
}

// 15006: page, flag, x, y, name, colour set, marking -> R and three handles.
bool createPlace(SMLWireIn& in, SMLWireOut& out)
{
    const ObjectHandle page = in.u32();
    const int flag = in.i32();
    const Fixed x = in.px(), y = in.px();
    const std::string name = in.str(), colourSet = in.str(), marking = in.str();
    if (!in.ok())
        return false;
    ObjectHandle place = 0, cs = 0, im = 0;
    out.u32(static_cast<uint32_t>(RXLMakePlace(page, flag, x, y, name.c_str(), colourSet.c_str(),
                                               textOrNull(marking), &place, &cs, &im)));
    out.u32(place);
    out.u32(cs);
    out.u32(im);
    return true;
}

// 15007: page, flag, x, y, width, height, name, guard, code -> R and three handles.
bool createTransition(SMLWireIn& in, SMLWireOut& out)
{
    const ObjectHandle page = in.u32();
    const int flag = in.i32();
    const Fixed x = in.px(), y = in.px(), width = in.px(), height = in.px();
    const std::string name = in.str(), guard = in.str(), code = in.str();
    if (!in.ok())
        return false;
    ObjectHandle trans = 0, g = 0, c = 0;
    out.u32(static_cast<uint32_t>(RXLMakeTransition(page, flag, x, y, width, height, textOrNull(name),
                                                    textOrNull(guard), textOrNull(code), &trans, &g, &c)));
    out.u32(trans);
    out.u32(g);
    out.u32(c);
    return true;
}

// 15008: path -> R.
bool makeDirectory(SMLWireIn& in, SMLWireOut& out)
{
    const std::string path = in.str();
    if (!in.ok())
        return false;
    out.u32(static_cast<uint32_t>(RXLMakeDirectory(path.c_str())));
    return true;
}

// 15009: word count n, then n / 3 triples (node, kind, page).
bool markNodes(SMLWireIn& in, SMLWireOut&)
{
    const uint32_t count = in.u32();
    if (!in.ok() || count % 3 != 0 || count > in.remaining() / 4)
        return false;
    struct Triple {
        ObjectHandle node;
        int kind;
        ObjectHandle page;
    };
    std::vector<Triple> triples;
    for (uint32_t i = 0; i < count / 3; ++i) {
        const ObjectHandle node = in.u32();
        const int kind = in.s16();
        const ObjectHandle page = in.u32();
        triples.push_back({node, kind, page});
    }
    if (!in.ok())
        return false;
    for (const Triple& t : triples)
        RXLMarkNode(t.node, t.kind, t.page);
    return true;
}

// 15010: x, y, flag, piece limit, return inscription, size expression,
// report mode -> page, "Pieces", "TotPieces", "Return Res.", "TimeRep
// scheduler", "compute tot time" and the id of the "Time_Rep" set.
bool reportPage(SMLWireIn& in, SMLWireOut& out)
{
    RXLReportArgs args;
    args.x = SMLPixelsToFixed(in.i32());
    args.y = SMLPixelsToFixed(in.i32());
    args.flag = in.i32();
    args.pieceLimit = in.str();
    args.returnInscription = in.str();
    args.sizeExpression = in.str();
    args.reportMode = in.str();
    if (!in.ok())
        return false;
    RXLReportPage made;
    RXLBuildReportPage(args, &made);
    for (const uint32_t value : {made.page, made.pieces, made.totalPieces, made.returnResources, made.scheduler,
                                 made.computeTime, made.timeRepSet})
        out.u32(value);
    return true;
}

// 15011: flag, page, x, y, substitution transition, socket, spacing, resource
// and E1 to E4 -> R.
bool resourceIdle(SMLWireIn& in, SMLWireOut& out)
{
    RXLResourceIdleArgs args;
    args.flag = in.s16();
    args.page = in.u32();
    args.x = SMLPixelsToFixed(in.i32());
    args.y = SMLPixelsToFixed(in.i32());
    args.substitution = in.u32();
    args.socket = in.u32();
    args.spacing = SMLPixelsToFixed(in.i32());
    args.resource = in.str();
    for (std::string& e : args.expressions)
        e = in.str();
    if (!in.ok())
        return false;
    out.u32(static_cast<uint32_t>(RXLBuildResourceIdle(args)));
    return true;
}

// The list nets: flag, page, x, y, spacing[, one more word], name and texts.
bool readList(SMLWireIn& in, RXLListArgs* args, int words, int texts)
{
    args->flag = in.s16();
    args->page = in.u32();
    args->x = SMLPixelsToFixed(in.i32());
    args->y = SMLPixelsToFixed(in.i32());
    args->spacing = SMLPixelsToFixed(in.i32());
    for (int i = 4; i < words; ++i)
        in.u32();  // the row spacing is that of the columns
    args->name = in.str();
    for (int i = 0; i < texts; ++i)
        args->expressions[i] = in.str();
    return in.ok();
}

// 15013: flag, page, x, y, spacing, one more word, resource, three expressions.
bool resourceList(SMLWireIn& in, SMLWireOut&)
{
    RXLListArgs args;
    if (!readList(in, &args, 5, 3))
        return false;
    RXLBuildResourceList(args);
    return true;
}

// 15014: flag, page, x, y, spacing, piece, inscription.
bool pieceList(SMLWireIn& in, SMLWireOut&)
{
    RXLListArgs args;
    if (!readList(in, &args, 4, 1))
        return false;
    RXLBuildPieceList(args);
    return true;
}

// 15015: -> R, and when R is 1 the count and the words of the pairs.
bool substitutionPairs(SMLWireIn& in, SMLWireOut& out)
{
    if (!in.ok())
        return false;
    std::vector<uint32_t> pairs;
    const int result = RXLCollectIdPairs(&pairs);
    out.u32(static_cast<uint32_t>(result));
    if (result != 0) {
        out.u32(static_cast<uint32_t>(pairs.size()));
        for (const uint32_t word : pairs)
            out.u32(word);
    }
    return true;
}

} // namespace

void RXLInstallRequests()
{
    SMLSetGramHandler(15005, connectWithLabel);
    SMLSetGramHandler(15006, createPlace);
    SMLSetGramHandler(15007, createTransition);
    SMLSetGramHandler(15008, makeDirectory);
    SMLSetGramHandler(15009, markNodes);
    SMLSetGramHandler(15010, reportPage);
    SMLSetGramHandler(15011, resourceIdle);
    SMLSetGramHandler(15013, resourceList);
    SMLSetGramHandler(15014, pieceList);
    SMLSetGramHandler(15015, substitutionPairs);
    RXLInstallPieceRequests();
}

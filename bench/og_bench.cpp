// Generation of the full occurrence graph by the evaluator's library: states
// per second and bytes per stored state on scaled nets, N independent
// producer-consumer buffers of capacity 3 ((4^N states) and N dining
// philosophers. The net is switched into the real evaluator as tolq does it;
// each iteration enters the tool afresh and calculates the whole graph.
#include <benchmark/benchmark.h>

#include <string>

#include "evaluator_link.h"
#include "net_loader.h"

namespace {

using namespace tolq::test;
using namespace tolq::test::occgraph;

long number(evaluator::Link& link, const std::string& expr)
{
    const auto r = link.evaluate("TOLQ'Edit.out_val (Int.toString (" + expr + "));", std::chrono::minutes(30));
    const auto v = values(r.text);
    return v.size() == 1 ? std::stol(v[0]) : -1;
}

void generate(benchmark::State& state, const NetSpec& net)
{
    auto link = evaluator::start_local(evaluator::default_heap());
    const auto failures = load_net(
        [&](const std::string& ml, const std::string* input) {
            link->evaluate_async(ml);
            if (input) link->send_text(evaluator::encode_input_text(*input));
            const auto r = link->read_reply();
            return Answer{r.result == evaluator::Result::Success, r.text};
        },
        net);
    if (!failures.empty()) {
        state.SkipWithError(failures.front().c_str());
        return;
    }
    long nodes = 0, arcs = 0;
    for (auto _ : state) {
        const auto r = link->evaluate("OG'menu.Init (); OG'menu.CalculateOG ();", std::chrono::minutes(30));
        if (r.result != evaluator::Result::Success) {
            state.SkipWithError(r.text.c_str());
            return;
        }
        nodes = number(*link, "OGQuery.NoOfNodes ()");
        arcs = number(*link, "OGQuery.NoOfArcs ()");
    }
    // Words reachable from the stored states (keys, index, interned
    // markings) and from the arcs, in bytes.
    const long stateBytes =
        8 * number(*link, "PolyML.objSize (TolqOG.keys, !TolqOG.nodeIndex, TolqOG.outStart, TolqOG.outCount, "
                          "!TolqOG.interns)");
    const long arcBytes = 8 * number(*link, "PolyML.objSize (TolqOG.arcSrc, TolqOG.arcDst, TolqOG.arcEntry, "
                                            "TolqOG.arcBind)");
    state.counters["states"] = static_cast<double>(nodes);
    state.counters["arcs"] = static_cast<double>(arcs);
    state.counters["states/s"] =
        benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes/state"] = nodes > 0 ? static_cast<double>(stateBytes) / nodes : 0;
    state.counters["arc bytes/state"] = nodes > 0 ? static_cast<double>(arcBytes) / nodes : 0;
}

void Buffers(benchmark::State& state) { generate(state, pairs(static_cast<int>(state.range(0)), 3)); }
void Philosophers(benchmark::State& state) { generate(state, philosophers(static_cast<int>(state.range(0)))); }

} // namespace

BENCHMARK(Buffers)->DenseRange(5, 10)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(Philosophers)->DenseRange(5, 10)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_MAIN();

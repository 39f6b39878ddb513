// Simulation speed against the real evaluator: the automatic run of a ring
// of 100 transitions and of the producer-consumer net, in steps per second,
// beside a hand-written ML loop that fires the same transitions on the same
// evaluator in one request (the floor of the design); and the interactive
// step from the command to the moved tokens, whole and by substeps (the
// timer's ticks between the stages not counted).
#include <benchmark/benchmark.h>

#include <string>

#include "SimFixture.h"
#include "ViewDoubles.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CSimulator/SimActivity.h"
#include "atolq/CSimulator/SimStep.h"
#include "atolq/ConvertToSim/CTSResetState.h"

namespace {

constexpr int kRing = 100;
constexpr int kRunSteps = 2000;

// A net built and switched by the abstract simulator's test fixture.
class Net : public simtest::SimFixture {
public:
    void TestBody() override {}
    void open() { SetUp(); }
    void close() { TearDown(); }

    // P0 -x-> T0 -x-> P1 ... T99 -x-> P0, every place holding one token.
    void ring()
    {
        declare("colset INT = int; var x : INT;", {{"INT", false}});
        SEPage* p = page("4", "Ring");
        std::vector<SEPlace*> places;
        for (int k = 0; k < kRing; ++k) {
            const std::string ml = std::to_string(1000 + k);
            const std::string marking = "1`" + std::to_string(k);
            places.push_back(place(p, keep(ml), "INT", keep(marking)));
            initial.emplace_back(places.back(), marking);
        }
        for (int k = 0; k < kRing; ++k) {
            SETrans* t = trans(p, keep(std::to_string(2000 + k)), keep("T" + std::to_string(k)));
            arc(t, places[k], kSEPlaceToTrans, keep(std::to_string(3000 + k)), "x");
            arc(t, places[(k + 1) % kRing], kSETransToPlace, keep(std::to_string(4000 + k)), "x");
            check(t);
        }
        finish(p);
        transitions = kRing;
    }

    // Next -n-> Produce [n < 10] -n+1-> Next, Produce -n-> Buffer -n-> Consume.
    void producerConsumer()
    {
        declare("colset INT = int; var n : INT;", {{"INT", false}});
        SEPage* p = page("4", "Example");
        SEPlace* next = place(p, "5", "INT", "1`1");
        SEPlace* buffer = place(p, "6", "INT", "1`0");
        initial = {{next, "1`1"}, {buffer, "1`0"}};
        SETrans* produce = trans(p, "7", "Produce", "[n < 10]");
        arc(produce, next, kSEPlaceToTrans, "8", "n");
        arc(produce, next, kSETransToPlace, "9", "n + 1");
        arc(produce, buffer, kSETransToPlace, "10", "n");
        SETrans* consume = trans(p, "11", "Consume");
        arc(consume, buffer, kSEPlaceToTrans, "12", "n");
        check(produce);
        check(consume);
        finish(p);
        transitions = 2;
        bufferPlace = buffer;
    }

    // The initial marking again, with the enabling that goes with it.
    void reset()
    {
        ASInstance* instance = only(page_);
        for (auto& [place, marking] : initial) {
            ASChangeMarking(place, instance, marking.c_str());
            ASApplyMarkingChange(place, instance, 0);
        }
        CTSRecalcEnabling();
        MemFileReset(ASReplyBuffer());
        ASResetStepCounters(ASReplyBuffer());
    }

    // The evaluator's step number.
    static int64_t step() { return std::stoll("0" + ASRequestStep()); }

    void stopAfter(int steps)
    {
        const bool addSteps[5] = {steps > 0, false, false, false, false};
        MemFileReset(ASReplyBuffer());
        ASSetStopOptions(addSteps, std::to_string(steps), "0", "0", "0", ASReplyBuffer());
    }

    // Fires the automatic run's firing functions in a loop of its own, at
    // most the given number of steps; the steps fired.
    int handLoop(int most)
    {
        std::string any;
        for (int k = 0; k < transitions; ++k)
            any += (k != 0 ? " orelse " : "") + std::string("TOLQ'sacfast") + std::to_string(k) + " ()";
        const std::string ml = "let fun loop (0, s) = s | loop (n, s) = if " + any +
                               " then loop (n - 1, s + 1) else s in TOLQ'Edit.out_val (Int.toString (loop (" +
                               std::to_string(most) + ", 0))) end;\n";
        auto v = ok(ml);
        return v.empty() ? 0 : std::stoi(v.back());
    }

    void allChances() { options(100, 100, 100, 0, 0); }

    int transitions = 0;
    SEPlace* bufferPlace = nullptr;
    std::vector<std::pair<SEPlace*, std::string>> initial;

private:
    const char* keep(std::string text)
    {
        texts_.push_back(std::make_unique<std::string>(std::move(text)));
        return texts_.back()->c_str();
    }
    void finish(SEPage* p)
    {
        page_ = p;
        switchPage(p);
        ASCreateInstance(p, "", nullptr, nullptr);
        resetState();
        MemFileReset(ASReplyBuffer());
        ASGenSacStep(true, ASReplyBuffer());
        MemFileReset(ASReplyBuffer());
        ASGenSacStep(false, ASReplyBuffer());
        GE_SetMode(kGEModeSimulator);
        SResetActivity();
        SBroadcastActivity(kSimIdle);
    }
    std::vector<std::unique_ptr<std::string>> texts_;
    SEPage* page_ = nullptr;
};

void automaticRun(benchmark::State& state, bool example)
{
    Net net;
    net.open();
    example ? net.producerConsumer() : net.ring();
    const int perRun = example ? 19 : kRunSteps;
    net.stopAfter(example ? 0 : kRunSteps);
    int64_t steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        net.reset();
        const int64_t before = Net::step();
        state.ResumeTiming();
        SAutomaticRun(1);
        state.PauseTiming();
        steps += Net::step() - before;
        state.ResumeTiming();
    }
    if (steps != static_cast<int64_t>(state.iterations()) * perRun)
        state.SkipWithError("the run did not take the expected steps");
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    net.close();
}

void handLoop(benchmark::State& state, bool example)
{
    Net net;
    net.open();
    example ? net.producerConsumer() : net.ring();
    const int perRun = example ? 19 : kRunSteps;
    int64_t steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        net.reset();
        state.ResumeTiming();
        steps += net.handLoop(perRun);
    }
    if (steps != static_cast<int64_t>(state.iterations()) * perRun)
        state.SkipWithError(("the loop took " + std::to_string(steps) + " steps in " + std::to_string(state.iterations()) + " runs").c_str());
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    net.close();
}

// "Start Step" of Produce on the example to the marking of Buffer updated:
// display mode 2 moves the tokens in the command; by substeps they move in
// the second stage.
void interactiveStep(benchmark::State& state, int32_t displayMode)
{
    Net net;
    net.open();
    net.producerConsumer();
    const int32_t display[4] = {0, 0, 0, displayMode};
    ASSetDisplayOptions(display);
    for (auto _ : state) {
        state.PauseTiming();
        net.reset();
        net.allChances();
        ASChooseOccurrenceSet(2);
        SBroadcastActivity(kSimIdle);
        simview::reset();
        state.ResumeTiming();
        SStartStep();
        while (simview::screen().placeUpdates == 0 && SCurrentWorkProc() != nullptr &&
               SCurrentWorkProc() != SIdleTick)
            SRunWorkProc();
        state.PauseTiming();
        if (simview::screen().placeUpdates == 0) {
            state.SkipWithError("no marking was updated");
            break;
        }
        while (SCurrentWorkProc() != nullptr && SCurrentWorkProc() != SIdleTick)
            SRunWorkProc();
        state.ResumeTiming();
    }
    net.close();
}

} // namespace

BENCHMARK_CAPTURE(automaticRun, ring100, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(handLoop, ring100, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(automaticRun, example, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(handLoop, example, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(interactiveStep, whole, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(interactiveStep, substeps, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();

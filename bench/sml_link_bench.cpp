// Evaluations per second of a trivial ML text through SMLEvaluate, against
// the real evaluator and against the native echo peer (the floor); and the
// time of a 50-line text of declarations of the kind a net's declaration
// node turns into.
#include <benchmark/benchmark.h>

#include <string>
#include <unistd.h>

#include "atolq/SmlEval/SmlEval.h"

namespace {

const std::string kBin = TOLQ_BIN_DIR;
constexpr std::string_view kText = "val x = 1;";

// Fifty lines: a datatype, records, functions over lists, values.
std::string fiftyLineText() {
    std::string text = "datatype colour = Red | Green | Blue | Mixed of int * int * int;\n"
                       "type job = {id : int, colour : colour, weight : real};\n";
    for (int i = 0; i < 16; ++i) {
        const std::string n = std::to_string(i);
        text += "fun weigh" + n + " (jobs : job list) = List.foldl (fn (j : job, s) => s + #weight j) 0.0 jobs;\n";
        text += "val jobs" + n + " = List.tabulate (" + n + " + 3, fn k => {id = k, colour = if k mod 2 = 0 "
                "then Red else Mixed (k, " + n + ", 3), weight = real k * 0.5});\n";
        text += "val total" + n + " = weigh" + n + " jobs" + n + " + real (length jobs" + n + ");\n";
    }
    return text;
}

void evaluateText(benchmark::State& state, const std::string& program, const std::string& image,
                  std::string_view text) {
    if (access(program.c_str(), X_OK) != 0) {
        state.SkipWithError(("not built: " + program).c_str());
        return;
    }
    if (SMLConnect(1, nullptr, 0, image.c_str(), program.c_str(), nullptr, nullptr) != 0) {
        state.SkipWithError("the evaluator did not start");
        return;
    }
    MemFile* request = MemFileCreate();
    MemFile* reply = MemFileCreate();
    MemFileWrite(request, text.data(), static_cast<uint32_t>(text.size()));
    for (auto _ : state) {
        MemFileReset(reply);
        MemFilePutc(reply, 13);
        if (SMLEvaluate(request, reply) != 0) {
            state.SkipWithError("evaluation failed");
            break;
        }
    }
    state.counters["evaluations/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                         benchmark::Counter::kIsRate);
    MemFileDestroy(request);
    MemFileDestroy(reply);
    SMLDisconnect();
}

void EchoPeer(benchmark::State& state) { evaluateText(state, kBin + "/sml_echo_peer", "none", kText); }
void RealEvaluator(benchmark::State& state) {
    evaluateText(state, kBin + "/run.x86-linux", kBin + "/tolq.ML", kText);
}
void FiftyLineDeclarationText(benchmark::State& state) {
    const std::string text = fiftyLineText();
    evaluateText(state, kBin + "/run.x86-linux", kBin + "/tolq.ML", text);
}

BENCHMARK(EchoPeer)->UseRealTime()->MinTime(2.0);
BENCHMARK(RealEvaluator)->UseRealTime()->MinTime(2.0);
BENCHMARK(FiftyLineDeclarationText)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();

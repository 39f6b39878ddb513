// Evaluations per second of a trivial ML text through SMLEvaluate, against
// the real evaluator and against the native echo peer (the floor).
#include <benchmark/benchmark.h>

#include <string>
#include <unistd.h>

#include "atolq/SmlEval/SmlEval.h"

namespace {

const std::string kBin = TOLQ_BIN_DIR;
constexpr std::string_view kText = "val x = 1;";

void evaluateTrivialText(benchmark::State& state, const std::string& program, const std::string& image) {
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
    MemFileWrite(request, kText.data(), static_cast<uint32_t>(kText.size()));
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

void EchoPeer(benchmark::State& state) { evaluateTrivialText(state, kBin + "/sml_echo_peer", "none"); }
void RealEvaluator(benchmark::State& state) {
    evaluateTrivialText(state, kBin + "/run.x86-linux", kBin + "/tolq.ML");
}

BENCHMARK(EchoPeer)->UseRealTime()->MinTime(2.0);
BENCHMARK(RealEvaluator)->UseRealTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();

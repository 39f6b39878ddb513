// The real evaluator for the declaration tests, with the note log.
#include "EvaluatorSession.h"

#include <cstdio>

#include "atolq/NewSim/NSDeclaration.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/QXMem.h"

// The name counter of the syntax check numbers the entries here.
namespace {
int nameCounter = 10;
}
int CTSNextNumber() { return ++nameCounter; }
int CTSNameCounter() { return nameCounter; }

namespace {

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

class Buffer {
public:
    explicit Buffer(const std::string& text) : file_(MemFileCreate())
    {
        MemFileWrite(file_, text.data(), static_cast<uint32_t>(text.size()));
    }
    ~Buffer() { MemFileDestroy(file_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    MemFile* get() const { return file_; }

private:
    MemFile* file_;
};

bool started = false;

}  // namespace

bool StartTestEvaluator()
{
    nameCounter = 10;
    NSMLNumberCreateTable();
    started = SMLConnect(1, nullptr, 0, kHeap.c_str(), kRuntime.c_str(), nullptr, nullptr) == 0;
    if (!started)
        return false;
    const std::string reply = EvaluateForTest("val tolqTestNotes = ref ([] : string list);\n"
                           "val tolqTestRefused = ref ([] : string list);\n"
                           "fun noted s v = if List.exists (fn r => r = s) (!tolqTestRefused)\n"
                           "                then raise Fail (s ^ \" refused\")\n"
                           "                else (tolqTestNotes := s :: !tolqTestNotes; v);");
    if (reply.find("noted") == std::string::npos)
        std::fprintf(stderr, "the evaluator answered: %s\n", reply.c_str());
    return reply.find("noted") != std::string::npos;
}

void StopTestEvaluator()
{
    if (started)
        SMLStopProcess();
    started = false;
}

std::string EvaluateForTest(const std::string& text)
{
    Buffer request(text);
    Buffer reply("");
    if (SMLEvaluate(request.get(), reply.get()) != 0)
        return {};
    uint32_t size = MemFileLength(reply.get());
    std::string out(size, '\0');
    MemFileRewind(reply.get());
    MemFileRead(reply.get(), out.data(), &size);
    out.resize(size);
    return out;
}

void RefuseNoted(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& n : names)
        list += (list.empty() ? "\"" : ", \"") + n + "\"";
    EvaluateForTest("tolqTestRefused := [" + list + "];");
}

std::vector<std::string> NotedNames()
{
    // One name per line, so that the reply is read without parsing a list.
    const std::string reply = EvaluateForTest("app (fn s => print (s ^ \"\\n\")) (rev (!tolqTestNotes));");
    std::vector<std::string> names;
    size_t at = 0;
    while (at < reply.size()) {
        const size_t end = reply.find('\n', at);
        const std::string line = reply.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!line.empty() && line.find("val it") == std::string::npos && line.find_first_of(" =:") == std::string::npos)
            names.push_back(line);
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return names;
}

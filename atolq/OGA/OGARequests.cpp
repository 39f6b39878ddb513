// Requests of the occurrence-graph tool, through the buffers that the switch
// to the simulator uses: the request is replaced, the reply emptied and given
// one carriage return, then evaluated; values are framed by bytes 6.
#include "atolq/OGA/OGARequests.h"

#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/SmlEval/SmlEval.h"
#include "xkv/kv/QXMem.h"

int OGASend(std::string_view text) { return CTSEvaluateText(text, true); }

std::vector<long> OGAReadInts(std::size_t count)
{
    MemFile* reply = CTSReplyBuffer();
    MemFileRewind(reply);
    std::vector<long> values;
    for (std::size_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        if (SMLReadInt(reply, &value, 6, 6) < 0)
            break;
        values.push_back(static_cast<long>(value));
    }
    MemFileRewind(reply);
    return values;
}

std::optional<std::string> OGAReadString()
{
    MemFile* reply = CTSReplyBuffer();
    MemFileRewind(reply);
    char* text = nullptr;
    std::optional<std::string> out;
    if (SMLReadString(reply, &text, 6, 6) >= 0 && text != nullptr)
        out = std::string(text);
    if (text != nullptr)
        QXMem_Free(text);
    MemFileRewind(reply);
    return out;
}

std::string OGAJoin(const std::vector<unsigned long>& numbers)
{
    std::string out;
    for (unsigned long n : numbers) {
        if (!out.empty())
            out += ',';
        out += std::to_string(n);
    }
    return out;
}

// Connecting to the evaluator, evaluating ML text, and typed field lists.
#include "atolq/SmlEval/SmlEval.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "atolq/Utils/QXMem.h"

namespace {

int g_dumpML = 0;
int g_mlDebug = 0;

constexpr std::string_view kStartupText = "SMLofNJ.Internals.GC.messages false;  ";
constexpr std::string_view kDebugText = "VelkorML.Control.debugState := true;";

void dump(const void* bytes, size_t count) {
    if (!g_dumpML || count == 0) return;
    std::fwrite(bytes, 1, count, stdout);
    std::fflush(stdout);
}

std::vector<char> readWhole(MemFile* file) {
    std::vector<char> bytes(MemFileLength(file));
    uint32_t count = static_cast<uint32_t>(bytes.size());
    MemFileRewind(file);
    if (count > 0) MemFileRead(file, bytes.data(), &count);
    bytes.resize(count);
    return bytes;
}

void append(MemFile* reply, const char* bytes, uint32_t count) {
    if (count == 0) return;
    MemFileWrite(reply, bytes, count);
    dump(bytes, count);
}

int16_t resultOfStatus(uint32_t status) {
    switch (status) {
    case kReplyClass2: return kEvalCompileError;
    case kReplyClass3: return kEvalError;
    case kReplyFailed: return kEvalFailure;
    default: return kEvalOk;
    }
}

// Collects reply chunks into the reply file until one ends the reply. The last
// byte of every unfinished chunk is held back, so that a terminator split over
// two receives ('2' or '3', then a lone \002) is still recognised and dropped.
int16_t receiveReply(MemFile* reply, uint32_t* finalStatus) {
    SMLMsg chunk;
    std::optional<char> held;
    for (;;) {
        int received = SMLReceiveText(&chunk, 0);
        if (received < 0) {
            if (held) append(reply, &*held, 1);
            return kEvalReceiveFailed;
        }
        if (received == 0) continue;
        uint32_t status = chunk.status;
        if (status == kReplyFailed && chunk.length == 0 && held && (*held == '2' || *held == '3')) {
            status = *held == '2' ? kReplyClass2 : kReplyClass3;
            held.reset();
        }
        if (held) append(reply, &*held, 1);
        held.reset();
        uint32_t length = chunk.length;
        if (status == kReplyMore && length > 0) held = chunk.data[--length];
        append(reply, chunk.data.data(), length);
        if (status != kReplyMore) {
            *finalStatus = status;
            return kEvalOk;
        }
    }
}

int16_t evaluate(MemFile* request, MemFile* input, MemFile* reply) {
    if (!request || !reply) return kEvalSendFailed;
    std::vector<char> text;
    try {
        text = readWhole(request);
    } catch (const std::bad_alloc&) {
        return kEvalSendFailed;
    }
    SMLMsg message;
    message.status = kReplySending;
    message.length = static_cast<uint32_t>(text.size());
    if (text.size() < kSMLBufferSize)
        std::memcpy(message.data.data(), text.data(), text.size());
    else
        message.longData = text.data();
    dump(text.data(), text.size());
    if (SMLSendText(&message) != 0) return kEvalSendFailed;

    if (input) {
        std::vector<char> inputText;
        try {
            inputText = readWhole(input);
        } catch (const std::bad_alloc&) {
            return kEvalSendFailed;
        }
        dump(inputText.data(), inputText.size());
        if (SMLSendInput(inputText.data(), static_cast<uint32_t>(inputText.size())) != 0)
            return kEvalSendFailed;
    }

    uint32_t status = kReplyDone;
    if (receiveReply(reply, &status) != kEvalOk) return kEvalReceiveFailed;
    if (SMLLink().kind == kSMLKindOld) return static_cast<int16_t>(SMLClassifyReply(reply));
    return resultOfStatus(status);
}

void evaluateStartupText() {
    MemFile* request = MemFileCreate();
    MemFile* reply = MemFileCreate();
    if (request && reply) {
        MemFileWrite(request, kStartupText.data(), static_cast<uint32_t>(kStartupText.size()));
        if (g_mlDebug) MemFileWrite(request, kDebugText.data(), static_cast<uint32_t>(kDebugText.size()));
        MemFilePutc(reply, 13);
        SMLEvaluate(request, reply);
    }
    if (request) MemFileDestroy(request);
    if (reply) MemFileDestroy(reply);
}

struct ReceivedFields {
    std::vector<uint32_t> shorts, ints;
    std::vector<std::string> strings;
};

bool readWords(SMLStream* in, uint32_t count, std::vector<uint32_t>& words) {
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t word;
        if (!SMLGetU32(in, &word)) return false;
        words.push_back(word);
    }
    return true;
}

bool readStrings(SMLStream* in, uint32_t count, std::vector<std::string>& strings) {
    for (uint32_t i = 0; i < count; ++i) {
        std::string text;
        if (!SMLGetString(in, &text)) return false;
        strings.push_back(std::move(text));
    }
    return true;
}

// Reads the counts and values of a field list that follows opcode 7.
bool readFieldList(SMLStream* in, ReceivedFields& fields) {
    uint32_t shortCount, intCount, stringCount;
    if (!SMLGetU32(in, &shortCount) || !SMLGetU32(in, &intCount) || !SMLGetU32(in, &stringCount))
        return false;
    uint64_t total = uint64_t{shortCount} + intCount + stringCount;
    if (total > kSMLMaxFields) return false;
    try {
        return readWords(in, shortCount, fields.shorts) && readWords(in, intCount, fields.ints) &&
               readStrings(in, stringCount, fields.strings);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void freeFieldArray(NSField* array, uint32_t filled) {
    for (uint32_t i = 0; i < filled; ++i) QXMem_Free(array[i].value);
    QXMem_Free(array);
}

// Copies the received fields into kernel memory; null when memory runs out.
NSField* toKernelFields(const ReceivedFields& fields, uint32_t total) {
    auto* array = static_cast<NSField*>(QXMem_Alloc(static_cast<uint32_t>(sizeof(NSField) * (total + 1))));
    if (!array) return nullptr;
    uint32_t filled = 0;
    auto addWord = [&](uint32_t type, uint32_t word) {
        void* cell = QXMem_Alloc(sizeof(uint32_t));
        if (!cell) return false;
        std::memcpy(cell, &word, sizeof word);
        array[filled++] = {type, cell};
        return true;
    };
    auto addString = [&](const std::string& text) {
        void* cell = QXMem_Alloc(static_cast<uint32_t>(text.size() + 1));
        if (!cell) return false;
        std::memcpy(cell, text.c_str(), text.size() + 1);
        array[filled++] = {kNSFieldString, cell};
        return true;
    };
    bool ok = true;
    for (uint32_t word : fields.shorts) ok = ok && addWord(kNSFieldShort, word);
    for (uint32_t word : fields.ints) ok = ok && addWord(kNSFieldInt, word);
    for (const std::string& text : fields.strings) ok = ok && addString(text);
    if (!ok) {
        freeFieldArray(array, filled);
        return nullptr;
    }
    return array;
}

uint32_t cellValue(const NSField& field) {
    uint32_t word = 0;
    if (field.value) std::memcpy(&word, field.value, sizeof word);
    return word;
}

} // namespace

void SMLSetDumpML(int on) { g_dumpML = on; }
void SMLSetMLDebug(int on) { g_mlDebug = on; }

int SMLConnect(int local, const char* host, uint16_t port, const char* image, const char* program,
               const char* user, const char* password) {
    if (SMLLink().kind == kSMLKindNone) {
        int started = SMLStart(local, host, port, image, program, user, password);
        if (started != 0) return started;
        evaluateStartupText();
    }
    SMLSessionReset();
    return 0;
}

int16_t SMLEvaluate(MemFile* request, MemFile* reply) { return evaluate(request, nullptr, reply); }

int16_t SMLEvaluateInput(MemFile* request, MemFile* input, MemFile* reply) {
    if (!input) return kEvalSendFailed;
    return evaluate(request, input, reply);
}

int SMLSendFields(const NSField* fields, uint32_t count) {
    SMLLinkState& link = SMLLink();
    SMLStream* out = link.binaryOut.get();
    if (link.kind == kSMLKindNone || !out) return 0;
    if (!fields && count > 0) return kEvalSendFailed;
    uint32_t counts[4] = {};
    for (uint32_t i = 0; i < count; ++i)
        if (fields[i].type >= kNSFieldInt && fields[i].type <= kNSFieldString) counts[fields[i].type] += 1;
    bool ok = SMLPutU32(out, kOpSendFields) && SMLPutU32(out, counts[kNSFieldShort]) &&
              SMLPutU32(out, counts[kNSFieldInt]) && SMLPutU32(out, counts[kNSFieldString]);
    for (uint32_t type : {kNSFieldShort, kNSFieldInt})
        for (uint32_t i = 0; ok && i < count; ++i)
            if (fields[i].type == type) ok = SMLPutU32(out, cellValue(fields[i]));
    for (uint32_t i = 0; ok && i < count; ++i)
        if (fields[i].type == kNSFieldString) ok = SMLPutString(out, static_cast<const char*>(fields[i].value));
    if (!ok || !SMLFlush(out)) {
        SMLMarkBroken(kMLErrNone);
        return kEvalSendFailed;
    }
    return 0;
}

int SMLReceiveFields(NSField** fields, uint32_t* count, int wait) {
    SMLLinkState& link = SMLLink();
    if (link.kind == kSMLKindNone || !link.binaryIn) return 0;
    uint32_t expectation = kWaitFields;
    if (!SMLWaitEvent(wait ? 1 : 0, &expectation) || expectation != kWaitFields) return kEvalReceiveFailed;
    ReceivedFields received;
    if (!readFieldList(link.binaryIn.get(), received)) {
        // The rest of the list cannot be found on the channel any more.
        SMLMarkBroken(kMLErrChannel);
        return kEvalReceiveFailed;
    }
    uint32_t total = static_cast<uint32_t>(received.shorts.size() + received.ints.size() + received.strings.size());
    NSField* array = toKernelFields(received, total);
    if (!array) return kEvalReceiveFailed; // out of memory; the list was read whole
    *fields = array;
    *count = total;
    return 0;
}

// Reading reply texts: the classification of an older evaluator's messages
// and the readers of numbers and strings framed by marker bytes.
#include <cstring>
#include <string>
#include <string_view>

#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/QXMem.h"

namespace {

void* (*g_allocate)(uint32_t) = QXMem_Alloc;
void (*g_release)(void*) = QXMem_Free;

constexpr int kCarriageReturn = 13;
constexpr size_t kWordMax = 9;
constexpr size_t kQuotedNameMax = 255;

// Byte-wise reading of a reply file; never past its end.
class Reply {
public:
    explicit Reply(MemFile* file) : file_(file) {}
    int get() { return MemFileGetc(file_); }
    void unget() { MemFileUngetc(file_); }
    void seekBack(uint32_t count) { MemFileSeekBack(file_, count); }

    // Reads up to and including the byte; false at the end of the reply.
    bool skipTo(int byte) {
        for (int c = get(); c != -1; c = get())
            if (c == byte) return true;
        return false;
    }

    // Collects the bytes before the end byte, which is consumed.
    bool collectTo(int endByte, std::string& text) {
        for (int c = get(); c != -1; c = get()) {
            if (c == endByte) return true;
            text.push_back(static_cast<char>(c));
        }
        return false;
    }

    void skipBlanks() {
        int c;
        do {
            c = get();
        } while (c == ' ' || c == '\t');
        if (c != -1) unget();
    }

    // A word: after blanks, at most 9 bytes from 'A' to 'z'; the byte that
    // ends it stays unread.
    std::string word() {
        skipBlanks();
        std::string text;
        while (text.size() < kWordMax) {
            int c = get();
            if (c == -1) break;
            if (c < 'A' || c > 'z') {
                unget();
                break;
            }
            text.push_back(static_cast<char>(c));
        }
        return text;
    }

    bool words(std::initializer_list<std::string_view> expected) {
        for (std::string_view w : expected)
            if (word() != w) return false;
        return true;
    }

    // A double-quoted name of at most 255 bytes on one line; its length with quotes.
    bool quotedName(size_t* length) {
        skipBlanks();
        if (get() != '"') return false;
        for (size_t count = 0; count <= kQuotedNameMax; ++count) {
            int c = get();
            if (c == -1) return false;
            if (c == kCarriageReturn) {
                unget();
                return false;
            }
            if (c == '"') {
                *length = count + 2;
                return true;
            }
        }
        return false;
    }

private:
    MemFile* file_;
};

// Moves back to where the caller reads the message; the result of the row.
int matched(Reply& reply, uint32_t back, int result) {
    reply.seekBack(back);
    return result;
}

// Tries the rows of the table on one line; 1 and the result when one matched,
// 0 when the line matched none, -1 when a matched row ran out of reply.
int classifyLine(Reply& reply, int* result) {
    std::string first = reply.word();
    auto colonThenLine = [&](uint32_t back, int value) {
        if (!reply.skipTo(':') || !reply.skipTo(kCarriageReturn)) return -1;
        *result = matched(reply, back, value);
        return 1;
    };
    auto colon = [&](uint32_t back, int value) {
        if (!reply.skipTo(':')) return -1;
        *result = matched(reply, back, value);
        return 1;
    };
    if (first == "Lexical") return reply.words({"analysis", "error"}) ? colonThenLine(25, kEvalCompileError) : 0;
    if (first == "Parse") return reply.words({"error"}) ? colonThenLine(14, kEvalCompileError) : 0;
    if (first == "Failure") return reply.word().empty() ? 0 : colon(9, kEvalFailure);
    if (first == "Error") return reply.word().empty() ? 0 : colonThenLine(8, kEvalError);
    if (first == "System") return reply.words({"Error"}) ? colonThenLine(15, kEvalFailure) : 0;
    if (first == "Type") {
        std::string second = reply.word();
        if (second == "clash") return reply.words({"in"}) ? colon(15, kEvalCompileError) : 0;
        if (second == "checking") return reply.words({"error", "in"}) ? colon(24, kEvalCompileError) : 0;
        return 0;
    }
    if (first == "[File") {
        size_t nameLength = 0;
        if (!reply.quotedName(&nameLength) || !reply.words({"cannot", "be", "opened]"})) return 0;
        reply.skipTo(':'); // the colon may be missing
        *result = matched(reply, static_cast<uint32_t>(nameLength + 64), kEvalFailure);
        return 1;
    }
    return 0;
}

// Allocates a NUL-ended copy with the reader allocation function.
char* copyOut(const std::string& text) {
    auto* copy = static_cast<char*>(g_allocate(static_cast<uint32_t>(text.size() + 1)));
    if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

int deliver(const std::string& text, char** out) {
    char* copy = copyOut(text);
    if (!copy) return kReadFailed;
    *out = copy;
    return static_cast<int>(text.size());
}

void releaseString(char*& text) {
    if (text) g_release(text);
    text = nullptr;
}

} // namespace

void SMLSetReaderAllocator(void* (*allocate)(uint32_t), void (*release)(void*)) {
    g_allocate = allocate ? allocate : QXMem_Alloc;
    g_release = release ? release : QXMem_Free;
}

int SMLClassifyReply(MemFile* reply) {
    Reply in(reply);
    for (;;) {
        if (!in.skipTo(kCarriageReturn)) return kEvalOk;
        int c;
        do {
            c = in.get();
        } while (c == kCarriageReturn);
        if (c == -1) return kEvalOk;
        in.unget();
        int result = kEvalOk;
        int outcome = classifyLine(in, &result);
        if (outcome == 1) return result;
        if (outcome < 0) return kEvalOk;
    }
}

int SMLReadString(MemFile* reply, char** text, uint8_t startByte, uint8_t endByte) {
    Reply in(reply);
    if (!in.skipTo(startByte)) return kReadNoStart;
    std::string collected;
    if (!in.collectTo(endByte, collected)) return kReadFailed;
    return deliver(collected, text);
}

int SMLReadInt(MemFile* reply, uint32_t* value, uint8_t startByte, uint8_t endByte) {
    Reply in(reply);
    if (!in.skipTo(startByte)) return kReadNoStart;
    uint64_t number = 0;
    for (int c = in.get(); c != endByte; c = in.get()) {
        if (c < '0' || c > '9') return kReadFailed;
        number = number * 10 + static_cast<uint64_t>(c - '0');
        if (number > UINT32_MAX) return kReadFailed;
    }
    *value = static_cast<uint32_t>(number);
    return 0;
}

int SMLGetText(MemFile* reply, char** text) {
    int result = SMLReadString(reply, text, 6, 6);
    return result < 0 ? result : 0;
}

int SMLGetInt(MemFile* reply, uint32_t* value) { return SMLReadInt(reply, value, 6, 6); }

int SMLReadTriple(MemFile* reply, SMLTriple* triple) {
    triple->first = triple->second = nullptr;
    if (SMLGetText(reply, &triple->first) == 0 && SMLGetText(reply, &triple->second) == 0 &&
        SMLGetInt(reply, &triple->number) == 0)
        return 0;
    releaseString(triple->first);
    releaseString(triple->second);
    return kReadFailed;
}

int SMLReadSectionString(MemFile* reply, char** text, uint8_t openByte, uint8_t closeByte,
                         uint8_t startByte, uint8_t endByte) {
    Reply in(reply);
    if (!in.skipTo(openByte)) return kReadFailed;
    for (int c = in.get();; c = in.get()) {
        if (c == -1) return kReadFailed;
        if (c == startByte) break;
        if (c == closeByte) return kReadNoStart;
    }
    std::string collected;
    if (!in.collectTo(endByte, collected) || !in.skipTo(closeByte)) return kReadFailed;
    return deliver(collected, text);
}

// Typed evaluator messages on the link's binary channel: requests are kept
// in the order they were added and sent as the three sequences of shorts,
// integers and strings; the answer is read back into the same three runs.
#include "atolq/NewSim/NSSmlGlue.h"

#include <algorithm>
#include <cstring>

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/QXMem.h"

namespace {

int add(NSMessage* message, NSMessage::Field field)
{
    if (message == nullptr)
        return 0;
    message->request.push_back(std::move(field));
    return 1;
}

// The request as the link sends it; the cells point into the message.
std::vector<NSField> linkFields(NSMessage& message)
{
    std::vector<NSField> fields;
    fields.reserve(message.request.size());
    for (NSMessage::Field& f : message.request) {
        void* cell = f.type == kNSFieldString ? static_cast<void*>(f.text.data()) : static_cast<void*>(&f.word);
        fields.push_back({f.type, cell});
    }
    return fields;
}

uint32_t cellWord(const NSField& field)
{
    uint32_t word = 0;
    if (field.value != nullptr)
        std::memcpy(&word, field.value, sizeof word);
    return word;
}

// Takes the received fields over into the message and frees the link's copy.
void takeReply(NSMessage& message, NSField* fields, uint32_t count)
{
    message.reply.clear();
    for (uint32_t i = 0; i < count; ++i) {
        NSMessage::Field f{fields[i].type, 0, {}};
        if (f.type == kNSFieldString)
            f.text = fields[i].value != nullptr ? static_cast<const char*>(fields[i].value) : "";
        else
            f.word = cellWord(fields[i]);
        message.reply.push_back(std::move(f));
        QXMem_Free(fields[i].value);
    }
    QXMem_Free(fields);
    // The runs: shorts first, then integers, then strings.
    const auto runEnd = [&](size_t from, uint32_t type) {
        while (from < message.reply.size() && message.reply[from].type == type)
            ++from;
        return from;
    };
    message.shortCursor = 0;
    message.intCursor = runEnd(0, kNSFieldShort);
    message.stringCursor = runEnd(message.intCursor, kNSFieldInt);
    message.replied = true;
}

// Reads the answer; its status, or 0 when there is none.
int readReply(NSMessage& message, int wait)
{
    NSField* fields = nullptr;
    uint32_t count = 0;
    if (SMLReceiveFields(&fields, &count, wait) != 0 || fields == nullptr)
        return 0;
    takeReply(message, fields, count);
    int32_t status = 0;
    if (!NSMsgGetInt(&message, &status))
        return 0;
    message.status = status;
    if (status == kNSStatusInternalError)
        EE_ReportError(kNSMsgInternalError);
    return status;
}

int next(NSMessage* message, size_t& cursor, uint32_t type)
{
    if (message == nullptr || !message->replied || cursor >= message->reply.size() ||
        message->reply[cursor].type != type)
        return -1;
    return static_cast<int>(cursor++);
}

} // namespace

std::unique_ptr<NSMessage> NSMsgNew(int32_t requestClass)
{
    auto message = std::make_unique<NSMessage>();
    NSMsgAddInt(message.get(), requestClass);
    return message;
}

int NSMsgAddInt(NSMessage* message, int32_t value)
{
    return add(message, {kNSFieldInt, static_cast<uint32_t>(value), {}});
}

int NSMsgAddShort(NSMessage* message, int32_t value)
{
    return add(message, {kNSFieldShort, static_cast<uint32_t>(value), {}});
}

int NSMsgAddString(NSMessage* message, const char* text)
{
    std::string copy = text != nullptr ? text : "";
    std::replace_if(copy.begin(), copy.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return add(message, {kNSFieldString, 0, std::move(copy)});
}

int NSMsgSend(NSMessage* message)
{
    if (message == nullptr)
        return 0;
    std::vector<NSField> fields = linkFields(*message);
    return SMLSendFields(fields.data(), static_cast<uint32_t>(fields.size())) == 0 ? 1 : 0;
}

int NSMsgCall(NSMessage* message)
{
    if (message == nullptr || NSMsgSend(message) == 0)
        return 0;
    return readReply(*message, 1) == kNSStatusOk ? 1 : 0;
}

int NSMsgReceive(NSMessage* message)
{
    return message != nullptr ? readReply(*message, 0) : 0;
}

int NSMsgReceiveWaiting(NSMessage* message)
{
    return message != nullptr ? readReply(*message, 1) : 0;
}

int NSMsgGetShort(NSMessage* message, int32_t* value)
{
    if (message == nullptr)
        return 0;
    const int at = next(message, message->shortCursor, kNSFieldShort);
    if (at < 0)
        return 0;
    *value = static_cast<int32_t>(static_cast<int16_t>(message->reply[static_cast<size_t>(at)].word));
    return 1;
}

int NSMsgGetInt(NSMessage* message, int32_t* value)
{
    if (message == nullptr)
        return 0;
    const int at = next(message, message->intCursor, kNSFieldInt);
    if (at < 0)
        return 0;
    *value = static_cast<int32_t>(message->reply[static_cast<size_t>(at)].word);
    return 1;
}

int NSMsgGetString(NSMessage* message, std::string* text)
{
    if (message == nullptr)
        return 0;
    const int at = next(message, message->stringCursor, kNSFieldString);
    if (at < 0)
        return 0;
    *text = message->reply[static_cast<size_t>(at)].text;
    return 1;
}

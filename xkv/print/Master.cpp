// The master page: found by its page number, its objects drawn on every
// printed page with the page number, name, time and date fields of their
// texts filled in for that page.
#include <array>
#include <cstring>

#include "xkv/default/Default.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/print/Print.h"
#include "xkv/print/PrintInternal.h"
#include "xkv/text/Text.h"
#include "xkv/undo/Undo.h"
#include "xkv/window/Window.h"

namespace {

constexpr std::array<uint32_t, 4> kFieldIds = {105, 109, 113, 117};
constexpr uint32_t kFormsPerField = 4;

// The field whose marker the text begins with (its first marker id), or 0.
uint32_t FieldAt(std::string_view text)
{
    for (uint32_t field : kFieldIds) {
        for (uint32_t form = 0; form < kFormsPerField; ++form) {
            std::string marker;
            if (String_GetFullText(field + form, &marker) == kStatusOk && !marker.empty() &&
                text.starts_with(marker)) {
                return field;
            }
        }
    }
    return 0;
}

// The object's whole text, references left out; nullopt without a text.
std::optional<std::string> WholeText(ObjectHandle object)
{
    if (Model_GetFieldValue(object, Field::kText) == 0) {
        return std::nullopt;
    }
    uint32_t length = Text_Length(object, 1, kRefDropped);
    std::string text(length + 1, '\0');
    if (Text_GetString(object, text.data(), &length, kRefDropped) != kStatusOk) {
        return std::nullopt;
    }
    text.resize(std::min<size_t>(length, text.size() - 1));
    return text;
}

// Draws the object with the text put in place of its own for the drawing
// only: the object's own text record is parked on a scratch object while a
// copy of it (same frame, font and layout settings) takes the text.
void DrawWithText(ObjectHandle object, const std::string& text)
{
    uint32_t modified = Model_IsModified();
    ObjectHandle scratch = Model_NewObject(kTypeNode);
    MemHandle own = Model_GetFieldValue(object, Field::kText);
    if (scratch == 0 || Text_CopyToObject(object, scratch) != kStatusOk) {
        Window_PaintObject(object, nullptr);
    } else {
        MemHandle copy = Model_GetFieldValue(scratch, Field::kText);
        if (BlockLock<TextRec> record(copy); record) {
            record->owner = object;
        }
        Model_SetFieldValue(scratch, Field::kText, own);
        Model_SetFieldValue(object, Field::kText, copy);
        Text_PutString(object, text.data(), static_cast<uint32_t>(text.size()), 0);
        Window_PaintObject(object, nullptr);
        MemHandle shown = Model_GetFieldValue(object, Field::kText);
        Model_SetFieldValue(object, Field::kText, own);
        Model_SetFieldValue(scratch, Field::kText, shown);
    }
    if (scratch != 0) {
        Text_Delete(scratch);
        Model_DestroyObject(scratch);
    }
    Model_SetModified(modified);
}

}  // namespace

ObjectHandle Print_FindMasterPage()
{
    for (ObjectHandle page = Model_GetFirstPage(); page != 0; page = Model_GetNextSibling(page)) {
        if (Model_GetFieldValue(page, Field::kPageNumber) == kMasterPageNumber) {
            return page;
        }
    }
    return 0;
}

std::optional<std::string> Master_FieldText(ObjectHandle page, ObjectHandle, uint32_t firstMarkerId)
{
    char date[kDateSize] = {}, time[kTimeSize] = {};
    switch (firstMarkerId) {
    case 105:
    case 109: {
        PropertyRecord properties;
        if (Print_ReadProperty(kPropPage, &properties, page, kDefaultLevelObject) != kStatusOk) {
            return std::nullopt;
        }
        if (firstMarkerId == 105) {
            return std::to_string(static_cast<long>(static_cast<int32_t>(properties.Word(kPageRecordNumber))));
        }
        const char* name = reinterpret_cast<const char*>(properties.bytes.data() + kPageRecordName);
        return std::string(name, strnlen(name, kPageRecordNameSize));
    }
    case 113:
        Misc_GetDateTime(nullptr, time);
        return std::string(time);
    case 117:
        Misc_GetDateTime(date, nullptr);
        return std::string(date);
    default:
        return std::nullopt;
    }
}

void Master_AppendText(std::string& buffer, const char* text, size_t n)
{
    buffer.append(text, n);
}

std::string Master_ExpandFields(ObjectHandle page, ObjectHandle object, std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (true) {
        size_t open = text.find("<<", at);
        size_t close = open == std::string_view::npos ? open : text.find(">>", open + 2);
        if (close == std::string_view::npos) {
            break;
        }
        Master_AppendText(out, text.data() + at, open - at);
        std::string_view marker = text.substr(open);
        if (uint32_t field = FieldAt(marker); field != 0) {
            std::optional<std::string> value = Master_FieldText(page, object, field);
            if (value) {
                Master_AppendText(out, value->data(), value->size());
            }
        } else {
            Master_AppendText(out, marker.data(), close + 2 - open);
        }
        at = close + 2;
    }
    Master_AppendText(out, text.data() + at, text.size() - at);
    return out;
}

KernelStatus Master_DrawObject(ObjectHandle object, ObjectHandle page)
{
    std::optional<std::string> text = WholeText(object);
    if (!text) {
        return Window_PaintObject(object, nullptr);
    }
    std::string expanded = Master_ExpandFields(page, object, *text);
    if (expanded == *text) {
        return Window_PaintObject(object, nullptr);
    }
    DrawWithText(object, expanded);
    return kStatusOk;
}

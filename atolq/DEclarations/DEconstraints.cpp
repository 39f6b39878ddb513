// Colour-set constraints: each declaration entry is declared in the
// evaluator through one typed request of class 300, built by the entry's
// kind (and a colour set's kind); the answer names each record by its ML
// number with either the compiler's message, shown on the record's object,
// or the names it introduced, filed in the name index.
#include <string>
#include <vector>

#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/NewSim/NSDeclaration.h"
#include "atolq/NewSim/NSSmlGlue.h"

using namespace de;

namespace {

// Request codes besides the colour-set kinds.
constexpr int32_t kCodeGlobref = 16;
constexpr int32_t kCodeUse = 17;
constexpr int32_t kCodeText = 18;
constexpr int32_t kCodeVars = 20;
constexpr int32_t kCodeMsvars = 21;
constexpr int32_t kCodeAliases = 22;
constexpr int32_t kCodeDeclares = 23;

void addText(NSMessage* m, const std::string& text) { NSMsgAddString(m, text.c_str()); }

// Both texts when both are there, else two empty ones.
void addPair(NSMessage* m, const char* a, const char* b)
{
    const bool both = present(a) && present(b);
    addText(m, both ? a : "");
    addText(m, both ? b : "");
}

void addCountedNames(NSMessage* m, const std::vector<std::string>& names)
{
    NSMsgAddInt(m, static_cast<int32_t>(names.size()));
    for (const std::string& n : names)
        addText(m, n);
}

std::vector<std::string> itemNames(SEDeclEntry* e, uint16_t subKind)
{
    std::vector<std::string> names;
    eachItem(e, {subKind}, [&](SEDeclItem* i) { names.push_back(str(i->name)); });
    return names;
}

std::string firstOf(const std::vector<std::string>& list) { return list.empty() ? std::string{} : list.front(); }

// The fields of the colour set's own kind; false when the kind's parts do
// not fit together (no request is sent then).
bool addColorSetFields(NSMessage* m, SEDeclEntry* e)
{
    const std::vector<std::string> labels = texts(DELabels(e));
    const std::vector<std::string> sets = texts(DEColorSets(e));
    switch (DECSKind(e)) {
    case kCSUnit:
        addText(m, str(e->texts[0]));
        return true;
    case kCSBool:
    case kCSInt:
    case kCSReal:
    case kCSIntInf:
        addPair(m, e->texts[0], e->texts[1]);
        return true;
    case kCSString:
        addPair(m, e->texts[0], e->texts[1]);
        addPair(m, e->texts[2], e->texts[3]);
        return true;
    case kCSEnumerate:
        addCountedNames(m, itemNames(e, kDEItemValue));
        return true;
    case kCSIndex:
        addText(m, firstOf(itemNames(e, kDEItemValue)));
        addPair(m, e->texts[0], e->texts[1]);
        return true;
    case kCSList:
        addText(m, firstOf(sets));
        addPair(m, e->texts[0], e->texts[1]);
        return true;
    case kCSProduct:
        addCountedNames(m, sets);
        return true;
    case kCSRecord:
    case kCSUnion:
        if (labels.size() != sets.size())
            return false;
        NSMsgAddInt(m, static_cast<int32_t>(labels.size()));
        for (size_t i = 0; i < labels.size(); ++i) {
            addText(m, labels[i]);
            addText(m, sets[i]);
        }
        return true;
    case kCSSubsetFun:
        addText(m, firstOf(sets));
        addText(m, str(e->texts[0]));
        return true;
    case kCSSubsetList:
        if (DELabels(e) == nullptr || DEColorSets(e) == nullptr)
            return false;
        addText(m, firstOf(sets));
        addCountedNames(m, labels);
        return true;
    case kCSDuplicate:
        // The evaluator cannot declare a duplicate without the colour set
        // it duplicates.
        addText(m, firstOf(sets));
        return true;
    case kCSTime:
        return true;
    default:
        return false;
    }
}

void addColorSetCommon(NSMessage* m, SEDeclEntry* e)
{
    addText(m, str(e->name));
    NSMsgAddShort(m, static_cast<int32_t>(DETimed(e)));
    for (uint16_t sub : {kDEItemVar, kDEItemMsvar, kDEItemAlias, kDEItemDeclare})
        addCountedNames(m, itemNames(e, sub));
}

// A new request of class 300 for the entry: 300, 1, code, its ML number.
std::unique_ptr<NSMessage> newRequest(SEDeclEntry* e, int32_t code)
{
    NSAssignMLNumber(&e->head);
    auto m = NSMsgNew(kNSClassDeclarations);
    NSMsgAddInt(m.get(), 1);
    NSMsgAddInt(m.get(), code);
    addText(m.get(), NSMLNumberOf(&e->head));
    return m;
}

int callAndRead(SEDeclEntry* e, NSMessage* m)
{
    if (NSMsgCall(m) == 0)
        return 0;
    return DEReadNameReply(e, m);
}

} // namespace

std::string DEConstraintText(std::string_view text)
{
    std::string out;
    size_t depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char n = i + 1 < text.size() ? text[i + 1] : '\0';
        if (depth > 0) {
            if (c == '(' && n == '*') {
                ++depth;
                ++i;
            } else if (c == '*' && n == ')') {
                --depth;
                ++i;
                if (depth == 0)
                    out += ' ';
            }
            continue;
        }
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < text.size())
                out += text[++i];
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '(' && n == '*') {
            depth = 1;
            ++i;
            continue;
        }
        out += c;
        if (c == '"')
            inString = true;
        else if (c == ';')
            break;
    }
    return out;
}

int DEReadNameReply(SEDeclEntry* entry, NSMessage* message)
{
    int32_t records = 0;
    if (NSMsgGetInt(message, &records) == 0 || records < 0)
        return 0;
    int result = 1;
    for (int32_t r = 0; r < records; ++r) {
        std::string number, error;
        int32_t names = 0;
        if (NSMsgGetString(message, &number) == 0 || NSMsgGetString(message, &error) == 0 ||
            NSMsgGetInt(message, &names) == 0)
            return 0;
        if (!error.empty()) {
            NSReportOnMLNumber(number.c_str(), error.c_str());
            result = 0;
            continue;
        }
        for (int32_t i = 0; i < names; ++i) {
            std::string name;
            int32_t kind = 0;
            if (NSMsgGetString(message, &name) == 0 || NSMsgGetInt(message, &kind) == 0)
                return 0;
            DEFileNameRef(entry, name.c_str(), static_cast<uint16_t>(kind));
        }
    }
    return result;
}

int DEConstraintStep(SEDeclEntry* entry)
{
    if (entry == nullptr || entry->head.kind != kSEDeclEntry)
        return 1;
    std::unique_ptr<NSMessage> m;
    switch (entry->head.subKind) {
    case kDEColorSet:
        m = newRequest(entry, static_cast<int32_t>(DECSKind(entry)));
        if (!addColorSetFields(m.get(), entry))
            return 0;
        addColorSetCommon(m.get(), entry);
        break;
    case kDEFun:
    case kDEVal:
    case kDEStatvar:
    case kDEException:
    case kDELocalBlock:
        m = newRequest(entry, kCodeText);
        addText(m.get(), DEConstraintText(objectText(DERegion(entry))));
        break;
    case kDEGlobref:
        m = newRequest(entry, kCodeGlobref);
        if (present(entry->name))
            addText(m.get(), entry->name);
        if (entry->texts[0] != nullptr)
            addText(m.get(), entry->texts[0]);
        break;
    case kDEUse:
        m = newRequest(entry, kCodeUse);
        if (present(entry->name))
            addText(m.get(), entry->name);
        break;
    default:
        return 0;
    }
    return callAndRead(entry, m.get());
}

int DEItemListConstraints(SEDeclEntry* entry)
{
    if (entry == nullptr || entry->head.kind != kSEDeclEntry)
        return 0;
    const std::pair<uint16_t, int32_t> lists[] = {
        {kDEItemDeclare, kCodeDeclares}, {kDEItemAlias, kCodeAliases}, {kDEItemVar, kCodeVars}, {kDEItemMsvar, kCodeMsvars}};
    for (const auto& [subKind, code] : lists) {
        std::vector<std::string> names;
        eachItem(entry, {subKind}, [&](SEDeclItem* i) {
            if (i->flags != kDEChecked)
                names.push_back(str(i->name));
        });
        if (names.empty())
            continue;
        NSAssignMLNumber(&entry->head);
        auto m = NSMsgNew(kNSClassDeclarations);
        NSMsgAddInt(m.get(), 1);
        NSMsgAddInt(m.get(), code);
        NSMsgAddInt(m.get(), static_cast<int32_t>(names.size()));
        addText(m.get(), NSMLNumberOf(&entry->head));
        addText(m.get(), str(entry->name));
        for (const std::string& n : names)
            addText(m.get(), n);
        if (callAndRead(entry, m.get()) == 0)
            return 0;
    }
    return 1;
}

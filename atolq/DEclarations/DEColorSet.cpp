// The texts that entries show in their regions: the colour-set text with its
// kind word, parts, timing, item lines and comment, and the text of the other
// kinds; the kind words; and what a colour set keeps when its kind changes.
#include <cstring>

#include "atolq/DEclarations/DEInternal.h"
#include "atolq/DEclarations/DEServices.h"
#include "atolq/Utils/QXMem.h"

using namespace de;

namespace {

// Kind words, index = kind - 1.
const char* const kKindWords[24] = {"unit", "bool",   "int",  "real", "string", "enumerate", "index", "list",
                                    "product", "record", "union", "subset", "subset", "time", "", "",
                                    "",     "",       "",     "",     "",       "",          "",      "IntInf"};

const char* const kEntryKeywords[11] = {"", "colorset", "fun", "val", "statvar", "globref", "exception", "", "pageref",
                                        "instref", "use"};

std::vector<std::string> itemNames(SEDeclEntry* e, uint16_t sub)
{
    std::vector<std::string> names;
    eachRec(DEItemList(e, sub), [&](SEHead* h) { names.push_back(str(reinterpret_cast<SEDeclItem*>(h)->name)); });
    return names;
}

void appendIf(std::string& out, std::string_view prefix, const char* part, std::string_view suffix = {})
{
    if (present(part)) {
        out += prefix;
        out += part;
        out += suffix;
    }
}

void appendComment(std::string& out, const char* comment)
{
    if (!present(comment))
        return;
    out += "\n";
    if (std::strncmp(comment, "(*", 2) == 0)
        out += comment;
    else
        out += std::string("(* ") + comment + " *)";
}

std::string firstColorSet(SEDeclEntry* e)
{
    std::vector<std::string> cs = texts(DEColorSets(e));
    return cs.empty() ? std::string() : cs.front();
}

void appendBody(std::string& out, SEDeclEntry* e)
{
    std::vector<std::string> labels = texts(DELabels(e));
    std::vector<std::string> sets = texts(DEColorSets(e));
    switch (DECSKind(e)) {
    case kCSUnit: appendIf(out, " with ", e->texts[0]); break;
    case kCSBool:
        appendIf(out, " with (", e->texts[0]);
        appendIf(out, ", ", e->texts[1], ")");
        break;
    case kCSInt:
    case kCSReal:
    case kCSIntInf:
        appendIf(out, " with ", e->texts[0]);
        appendIf(out, " .. ", e->texts[1]);
        break;
    case kCSString:
        appendIf(out, " with ", e->texts[0]);
        appendIf(out, " .. ", e->texts[1]);
        appendIf(out, " length ", e->texts[2]);
        appendIf(out, " .. ", e->texts[3]);
        break;
    case kCSEnumerate:
        if (!itemNames(e, kDEItemValue).empty())
            out += " " + join(itemNames(e, kDEItemValue), " | ");
        break;
    case kCSIndex:
        if (!itemNames(e, kDEItemValue).empty())
            out += " " + itemNames(e, kDEItemValue).front();
        appendIf(out, " with ", e->texts[0]);
        appendIf(out, " .. ", e->texts[1]);
        break;
    case kCSList:
        if (!sets.empty() && !sets.front().empty())
            out += " " + sets.front();
        appendIf(out, " with ", e->texts[0]);
        appendIf(out, " .. ", e->texts[1]);
        break;
    case kCSProduct:
        if (!sets.empty())
            out += " " + join(sets, " * ");
        break;
    case kCSRecord:
    case kCSUnion:
        if (!labels.empty() && labels.size() == sets.size()) {
            std::vector<std::string> parts;
            for (size_t i = 0; i < labels.size(); ++i)
                parts.push_back(sets[i].empty() && DECSKind(e) == kCSUnion ? labels[i] : labels[i] + ":" + sets[i]);
            out += " " + join(parts, DECSKind(e) == kCSRecord ? " * " : " + ");
        }
        break;
    case kCSSubsetFun:
        if (!firstColorSet(e).empty())
            out += " " + firstColorSet(e);
        appendIf(out, " by ", e->texts[0]);
        break;
    case kCSSubsetList:
        if (!firstColorSet(e).empty())
            out += " " + firstColorSet(e);
        if (!labels.empty())
            out += " with [" + join(labels, ", ") + "]";
        break;
    default: break;
    }
}

} // namespace

const char* DEColorSetWord(uint16_t kind)
{
    return kind >= 1 && kind <= 24 ? kKindWords[kind - 1] : "";
}

uint16_t DEColorSetKind(const char* word)
{
    if (!present(word))
        return 0;
    for (uint16_t k = 1; k <= 24; ++k)
        if (std::strcmp(kKindWords[k - 1], word) == 0)
            return k;
    return 0;
}

std::string DEColorSetText(SEDeclEntry* e)
{
    std::string out = "colorset " + str(e->name) + " = ";
    if (DECSKind(e) == kCSDuplicate)
        out += firstColorSet(e);
    else
        out += DEColorSetWord(static_cast<uint16_t>(DECSKind(e)));
    appendBody(out, e);
    if (DETimed(e) == 1)
        out += " timed";
    static constexpr std::pair<uint16_t, const char*> kLines[] = {
        {kDEItemVar, "\nvar "}, {kDEItemMsvar, "\nmsvar "}, {kDEItemAlias, "\nalias "}, {kDEItemDeclare, "\ndeclare "}};
    for (const auto& [sub, word] : kLines)
        if (!itemNames(e, sub).empty())
            out += word + join(itemNames(e, sub), ", ");
    if (out.empty() || out.back() != ';')
        out += ";";
    appendComment(out, DEComment(e));
    return out;
}

// The type of a value or function is written before "=", where reading it
// back finds it again (after the body it would join the body).
std::string DEEntryText(SEDeclEntry* e)
{
    uint16_t kind = e->head.subKind;
    if (kind == kDEColorSet)
        return DEColorSetText(e);
    std::string out;
    if (kind == kDELocalBlock) {
        out = str(e->texts[0]);
    } else {
        out = std::string(kind <= 10 ? kEntryKeywords[kind] : "") + " " + str(e->name);
        appendIf(out, " ", e->texts[1]);
        appendIf(out, " : ", e->texts[2]);
        appendIf(out, " = ", e->texts[0]);
    }
    if (out.empty() || out.back() != ';')
        out += ";";
    appendComment(out, DEComment(e));
    return out;
}

void DEWriteColorSetText(SEDeclEntry* entry, uint32_t region)
{
    QXText_SetText(region, DEColorSetText(entry).c_str());
}

void DEWriteEntryText(SEDeclEntry* entry, uint32_t region)
{
    QXText_SetText(region, DEEntryText(entry).c_str());
}

void DEChangeColorSetKind(SEDeclEntry* e, uint16_t kind)
{
    uint16_t old = static_cast<uint16_t>(DECSKind(e));
    for (SEText& t : e->texts) {
        QXMem_Free(t);
        t = nullptr;
    }
    auto rowKind = [](uint16_t k) { return k == kCSRecord || k == kCSUnion; };
    bool keepRows = (rowKind(old) && (kind == kCSProduct || rowKind(kind))) || (old == kCSProduct && rowKind(kind));
    bool bothSubsets = (old == kCSSubsetFun || old == kCSSubsetList) && (kind == kCSSubsetFun || kind == kCSSubsetList);
    if (keepRows) {
        // Rows are (name, colour set); a product row is a name alone.
        std::vector<std::string> labels = old == kCSProduct ? texts(DEColorSets(e)) : texts(DELabels(e));
        std::vector<std::string> sets =
            old == kCSProduct ? std::vector<std::string>(labels.size()) : texts(DEColorSets(e));
        DEFreeTextList(DELabels(e));
        DEFreeTextList(DEColorSets(e));
        for (size_t i = 0; i < labels.size(); ++i) {
            if (kind == kCSProduct) {
                DEAppendText(DEColorSets(e), sets[i].c_str());
            } else {
                DEAppendText(DELabels(e), labels[i].c_str());
                DEAppendText(DEColorSets(e), sets[i].c_str());
            }
        }
    } else if (bothSubsets) {
        DEFreeTextList(DELabels(e));
    } else {
        DEFreeTextList(DELabels(e));
        DEFreeTextList(DEColorSets(e));
    }
    DECSKind(e) = kind;
}

// The tag table's rows and its per-load lookup.
#include "Interchange/XmlTagTable.h"

#include <array>

namespace {

// Attribute element codes.
constexpr int L = 41, F = 42, T = 43, FL = 44, P = 45, S = 46, PE = 47, TE = 48, N1 = 49, N2 = 50, R = 51, PA = 52,
              C = 53, W = 54, M = 55, SU = 56, PO = 57, SP = 58, SB = 59, MU = 60, LY = 61, G = 62;

constexpr int kPageChildren[] = {1, 5, 19, 20, 18, 16, 21, 22};
constexpr int kPageAttrs[] = {S, PA, F, L, P, W, M, MU};
constexpr int kPlaceChildren[] = {2, 3, 4, 24, 23, 14, 26, 28};
constexpr int kPlaceAttrs[] = {S, P, F, L, T, FL, LY, PO};
constexpr int kTransChildren[] = {2, 6, 7, 9, 11, 24, 12, 30};
constexpr int kTransAttrs[] = {S, P, F, L, T, FL, LY, M, SU};
constexpr int kRegionAttrs[] = {S, P, F, L, T, FL, LY, R};
constexpr int kCodeKeyChildren[] = {23, 8};
constexpr int kLogKeyChildren[] = {23, 10};
constexpr int kHierKeyChildren[] = {23, 13};
constexpr int kFusKeyChildren[] = {23, 15};
constexpr int kPortKeyChildren[] = {23, 27};
constexpr int kMarkKeyChildren[] = {23, 29};
constexpr int kAuxStdOnly[] = {23};
constexpr int kArcChildren[] = {17, 23};
constexpr int kArcAttrs[] = {S, L, PE, TE, T, FL, C, F, LY};
constexpr int kAuxConnAttrs[] = {S, L, N1, N2, T, FL, C, F, LY};
constexpr int kDeclChildren[] = {24, 23};
constexpr int kNodeAttrs[] = {S, P, F, L, T, FL, LY};
constexpr int kHierPageChildren[] = {21, 22, 32, 35};
constexpr int kHierPageAttrs[] = {S, PA, F, L, P, W};
constexpr int kPageNodeChildren[] = {23, 33};
constexpr int kPgModKeyChildren[] = {34, 23};
constexpr int kSubstConChildren[] = {23, 36};
constexpr int kSubstConAttrs[] = {S, L, SP, SB, T, FL, C, F, LY};
constexpr int kRootChildren[] = {31, 0};
constexpr int kRootAttrs[] = {G};

constexpr XmlTagRow obj(std::string_view name, int code, std::span<const int> children,
                        std::span<const int> attributes) {
    return {name, kXmlObjectElement, code, children, attributes};
}
constexpr XmlTagRow attr(std::string_view name, int code) { return {name, kXmlAttributeElement, code, {}, {}}; }

constexpr std::array<XmlTagRow, 67> kRows = {
    obj("page", 0, kPageChildren, kPageAttrs),
    obj("place", 1, kPlaceChildren, kPlaceAttrs),
    obj("name", 2, kAuxStdOnly, kRegionAttrs),
    obj("type", 3, kAuxStdOnly, kRegionAttrs),
    obj("initmark", 4, kAuxStdOnly, kRegionAttrs),
    obj("trans", 5, kTransChildren, kTransAttrs),
    obj("cond", 6, kAuxStdOnly, kRegionAttrs),
    obj("code-key", 7, kCodeKeyChildren, kRegionAttrs),
    obj("code", 8, kAuxStdOnly, kRegionAttrs),
    obj("log-key", 9, kLogKeyChildren, kRegionAttrs),
    obj("log", 10, kAuxStdOnly, kRegionAttrs),
    obj("time", 11, kAuxStdOnly, kRegionAttrs),
    obj("hier-key", 12, kHierKeyChildren, kRegionAttrs),
    obj("hierarch", 13, kAuxStdOnly, kRegionAttrs),
    obj("fus-key", 14, kFusKeyChildren, kRegionAttrs),
    obj("fusion", 15, kAuxStdOnly, kRegionAttrs),
    obj("arc", 16, kArcChildren, kArcAttrs),
    obj("annot", 17, kAuxStdOnly, kRegionAttrs),
    obj("locdecl", 18, kDeclChildren, kNodeAttrs),
    obj("tempdecl", 19, kDeclChildren, kNodeAttrs),
    obj("globdecl", 20, kDeclChildren, kNodeAttrs),
    obj("aux", 21, kDeclChildren, kNodeAttrs),
    obj("aux-conn", 22, kAuxStdOnly, kAuxConnAttrs),
    obj("aux-std", 23, kAuxStdOnly, kRegionAttrs),
    obj("aux-endp", 24, kAuxStdOnly, kRegionAttrs),
    obj("aux-ml", 25, kAuxStdOnly, kRegionAttrs),
    obj("portkreg", 26, kPortKeyChildren, kRegionAttrs),
    obj("portreg", 27, kAuxStdOnly, kRegionAttrs),
    obj("mark-key", 28, kMarkKeyChildren, kRegionAttrs),
    obj("mark", 29, kAuxStdOnly, kRegionAttrs),
    obj("aux-enab", 30, {}, kRegionAttrs),
    obj("hierpage", 31, kHierPageChildren, kHierPageAttrs),
    obj("pagenode", 32, kPageNodeChildren, kNodeAttrs),
    obj("pgmodkey", 33, kPgModKeyChildren, kRegionAttrs),
    obj("pagemode", 34, kAuxStdOnly, kRegionAttrs),
    obj("substcon", 35, kSubstConChildren, kSubstConAttrs),
    obj("substtag", 36, kAuxStdOnly, kRegionAttrs),
    attr("lineattr", L),
    attr("fillattr", F),
    attr("textattr", T),
    attr("flags", FL),
    attr("posattr", P),
    attr("box", S),
    attr("picture", S),
    attr("ellipse", S),
    attr("poly", S),
    attr("line", S),
    attr("label", S),
    attr("wedge", S),
    attr("rbox", S),
    attr("seg-conn", S),
    attr("placeend", PE),
    attr("transend", TE),
    attr("node1", N1),
    attr("node2", N2),
    attr("regattr", R),
    attr("pageattr", PA),
    attr("connattr", C),
    attr("winattr", W),
    attr("modeattr", M),
    attr("subst", SU),
    attr("port", PO),
    attr("sup-page", SP),
    attr("sub-page", SB),
    attr("mult", MU),
    attr("layering", LY),
    attr("generator", G),
};

}  // namespace

std::span<const XmlTagRow> XmlTagRows() { return kRows; }
std::span<const int> XmlRootChildren() { return kRootChildren; }
std::span<const int> XmlRootAttributes() { return kRootAttrs; }

std::span<const int> XmlAllowedAttributes(int code) {
    if (code == kXmlRootCode) return kRootAttrs;
    if (code >= 0 && code <= 36) return kRows[static_cast<size_t>(code)].attributes;
    return {};
}

const char* XmlTagName(int code) {
    if (code >= 0 && code < static_cast<int>(kRows.size()) && kRows[static_cast<size_t>(code)].code == code &&
        kRows[static_cast<size_t>(code)].kind == kXmlObjectElement)
        return kRows[static_cast<size_t>(code)].name.data();
    for (const auto& row : kRows) {
        if (row.kind == kXmlObjectElement && row.code == code) return row.name.data();
    }
    return nullptr;
}

bool XmlCodeInList(int code, std::span<const int> list) { return XmlCodePosition(code, list) >= 0; }

int XmlCodePosition(int code, std::span<const int> list) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == code) return static_cast<int>(i);
    }
    return -1;
}

XmlTagLookup::XmlTagLookup() {
    rows_.reserve(kRows.size());
    for (const auto& row : kRows) rows_.emplace(std::string(row.name), &row);
}

const XmlTagRow* XmlTagLookup::find(std::string_view name) const {
    auto it = rows_.find(std::string(name));
    return it == rows_.end() ? nullptr : it->second;
}

int XmlTagLookup::unknownCode(std::string_view name) const {
    auto it = unknown_.find(std::string(name));
    return it == unknown_.end() ? -1 : it->second;
}

int XmlTagLookup::registerUnknown(std::string_view name) {
    auto [it, added] = unknown_.emplace(std::string(name), nextUnknown_);
    if (added) ++nextUnknown_;
    return it->second;
}

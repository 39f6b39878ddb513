// The grammar over the scanner's tokens, the building of the tag-cell tree
// from the items, and the option walk that fills the elements' records.
#include "Interchange/XmlTree.h"

#include "Interchange/XmlLog.h"
#include "Interchange/XmlScanner.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <variant>

XmlCell::~XmlCell() = default;

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The parse error names the token that no rule accepts and the line on
// which it stands; at the end of the file that is the construct left open.
struct BadToken {
    std::string message;
    std::string text;
    int line = 0;
};

int parseError(const BadToken& bad) {
    XmlLogWarning(__FILE__, __LINE__, "Line %i: %s at %s", bad.line, bad.message.c_str(), bad.text.c_str());
    XmlShowMessage("Parse error:\n" + bad.message + " at " + bad.text + " in line " + std::to_string(bad.line));
    return 1;
}

// What went wrong with the token just read, inside the construct that began
// with the opening text on the opening line.
BadToken badToken(const XmlScanner& scanner, int token, const std::string& opening, int openingLine) {
    if (token == kXmlTokError) return {scanner.error(), std::string(scanner.text()), scanner.tokenLine()};
    if (token == kXmlTokEnd) return {"unexpected end of file", opening, openingLine};
    return {"parse error", std::string(scanner.text()), scanner.tokenLine()};
}

// tag: tSTART_TAG opt_list ">"; opt: tOPT_ID "=" tOPT_VAL.
std::optional<BadToken> parseStartTag(XmlScanner& scanner, XmlItem& item) {
    item.kind = kXmlStartItem;
    item.name = lowerCase(scanner.value());
    item.tagLine = scanner.tokenLine();
    const std::string opening = std::string(scanner.text());
    for (;;) {
        int token = scanner.next();
        if (token == kXmlTokGreater) break;
        if (token != kXmlTokOptId) return badToken(scanner, token, opening, item.tagLine);
        XmlOption option;
        option.name = scanner.value();
        if ((token = scanner.next()) != kXmlTokEquals) return badToken(scanner, token, opening, item.tagLine);
        if ((token = scanner.next()) != kXmlTokOptVal) return badToken(scanner, token, opening, item.tagLine);
        option.value = scanner.value();
        option.line = scanner.line();
        item.options.push_back(std::move(option));
    }
    item.line = scanner.line();
    return std::nullopt;
}

// text: tTEXT_BEGIN_TAG textlines tTEXT_END_TAG.
std::optional<BadToken> parseText(XmlScanner& scanner, XmlItem& item) {
    item.kind = kXmlTextItem;
    item.tagLine = scanner.tokenLine();
    const std::string opening = std::string(scanner.text());
    for (;;) {
        int token = scanner.next();
        if (token == kXmlTokTextEnd) break;
        if (token != kXmlTokTextLine) return badToken(scanner, token, opening, item.tagLine);
        item.lines.push_back({scanner.value(), scanner.line()});
    }
    item.line = scanner.line();
    return std::nullopt;
}

}  // namespace

int XmlParse(XmlScanner& scanner, std::vector<XmlItem>& items) {
    items.clear();
    for (;;) {
        int token = scanner.next();
        if (token == kXmlTokEnd) return 0;
        XmlItem item;
        std::optional<BadToken> bad;
        if (token == kXmlTokStartTag) {
            bad = parseStartTag(scanner, item);
        } else if (token == kXmlTokEndTag) {
            item.kind = kXmlEndItem;
            item.name = lowerCase(scanner.value());
            item.line = scanner.line();
            item.tagLine = scanner.tokenLine();
        } else if (token == kXmlTokTextBegin) {
            bad = parseText(scanner, item);
        } else {
            bad = badToken(scanner, token, std::string(), scanner.tokenLine());
        }
        if (bad) return parseError(*bad);
        items.push_back(std::move(item));
    }
}

namespace {

// A frame of the tree builder's stack: an item not yet closed, or a cell.
using Frame = std::variant<XmlItem*, std::unique_ptr<XmlCell>>;

class TreeBuilder {
public:
    TreeBuilder(std::vector<XmlItem>& items, XmlTagLookup& lookup) : items_(items), lookup_(lookup) {}

    std::unique_ptr<XmlCell> build() {
        if (items_.empty()) return structureError(nullptr);
        if (items_.front().kind != kXmlStartItem) return structureError(&items_.front());
        for (auto& item : items_) {
            bool ok = item.kind == kXmlEndItem ? closeElement(item) : push(item);
            if (!ok) return structureError(&item);
        }
        return finishRoot();
    }

private:
    // The structure message, naming the tag that does not fit.
    static std::unique_ptr<XmlCell> structureError(const XmlItem* item) {
        if (!item) {
            XmlStructureError();
            return nullptr;
        }
        std::string tag = item->kind == kXmlTextItem  ? std::string("<text>")
                          : item->kind == kXmlEndItem ? "</" + item->name + ">"
                                                      : "<" + item->name + ">";
        XmlStructureError(tag, item->tagLine);
        return nullptr;
    }

    bool push(XmlItem& item) {
        if (item.kind == kXmlStartItem && ++openStarts_ > kXmlMaxNesting) return false;
        stack_.emplace_back(&item);
        return true;
    }

    // What a start tag's name stands for: an attribute element row, an object
    // element code (known or registered unknown), or nothing.
    const XmlTagRow* attributeRow(const std::string& name) const {
        const XmlTagRow* row = lookup_.find(name);
        return row && row->kind == kXmlAttributeElement ? row : nullptr;
    }
    int objectCode(const std::string& name) const {
        const XmlTagRow* row = lookup_.find(name);
        if (row) return row->kind == kXmlObjectElement ? row->code : -1;
        return lookup_.unknownCode(name);
    }

    bool closeElement(XmlItem& end) {
        auto cell = std::make_unique<XmlCell>();
        const XmlTagRow* row = lookup_.find(end.name);
        if (row && row->kind == kXmlAttributeElement) return false;
        cell->code = row ? row->code : lookup_.registerUnknown(end.name);
        for (;;) {
            if (stack_.empty()) return false;
            Frame frame = std::move(stack_.back());
            stack_.pop_back();
            if (auto* child = std::get_if<std::unique_ptr<XmlCell>>(&frame)) {
                cell->children.insert(cell->children.begin(), std::move(*child));
                continue;
            }
            XmlItem& item = *std::get<XmlItem*>(frame);
            if (item.kind == kXmlTextItem) {
                cell->lines = std::move(item.lines);  // popping backwards: the first block stays
                continue;
            }
            --openStarts_;
            if (const XmlTagRow* attr = attributeRow(item.name)) {
                cell->attributes.insert(cell->attributes.begin(),
                                        XmlAttrElement{attr->code, item.name, std::move(item.options)});
                continue;
            }
            int code = objectCode(item.name);
            if (code < 0) {  // an unknown element without end tag
                item.options.clear();
                continue;
            }
            if (code != cell->code) return false;
            cell->line = item.line;
            cell->options = std::move(item.options);
            break;
        }
        // Unknown elements vanish with everything they hold.
        if (cell->code < kXmlFirstUnknownCode) stack_.emplace_back(std::move(cell));
        return true;
    }

    std::unique_ptr<XmlCell> finishRoot() {
        auto root = std::make_unique<XmlCell>();
        root->code = kXmlRootCode;
        while (!stack_.empty()) {
            Frame frame = std::move(stack_.back());
            stack_.pop_back();
            if (auto* child = std::get_if<std::unique_ptr<XmlCell>>(&frame)) {
                root->children.insert(root->children.begin(), std::move(*child));
                continue;
            }
            XmlItem& item = *std::get<XmlItem*>(frame);
            if (item.kind == kXmlTextItem) continue;
            if (const XmlTagRow* attr = attributeRow(item.name)) {
                root->attributes.insert(root->attributes.begin(),
                                        XmlAttrElement{attr->code, item.name, std::move(item.options)});
                continue;
            }
            if (objectCode(item.name) >= 0) return structureError(&item);
            item.options.clear();
        }
        return root;
    }

    std::vector<XmlItem>& items_;
    XmlTagLookup& lookup_;
    std::vector<Frame> stack_;
    int openStarts_ = 0;
};

}  // namespace

std::unique_ptr<XmlCell> XmlBuildTree(std::vector<XmlItem>& items, XmlTagLookup& lookup) {
    return TreeBuilder(items, lookup).build();
}

void XmlApplyOptions(XmlCell& cell) {
    cell.record = XmlBuildDefaults(cell.code);
    if (cell.record) {
        auto allowed = XmlAllowedAttributes(cell.code);
        for (const auto& attr : cell.attributes) {
            int position = XmlCodePosition(attr.code, allowed);
            if (position < 0 || static_cast<size_t>(position) >= cell.record->slots.size()) continue;
            XmlSlot& slot = cell.record->slots[static_cast<size_t>(position)];
            if (attr.code == kXmlShapeCode) XmlResetShape(slot, attr.tag);
            // Applied last written first, so that the first written wins.
            for (auto it = attr.options.rbegin(); it != attr.options.rend(); ++it)
                XmlApplyAttrOption(attr.code, attr.tag, *it, slot);
        }
        if (cell.code != kXmlRootCode) {
            for (auto it = cell.options.rbegin(); it != cell.options.rend(); ++it)
                XmlApplyOwnOption(cell.code, *it, cell.record->own);
        }
    }
    for (auto& child : cell.children) XmlApplyOptions(*child);
}

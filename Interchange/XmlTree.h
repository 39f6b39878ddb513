// The reader's two intermediate forms: the flat list of tag items that the
// grammar makes from the scanner's tokens, and the tree of tag cells that
// pairs start and end tags and sorts attribute elements, options and text to
// their element; then the walk that fills every element's settings record.
#pragma once

#include "Interchange/XmlRecords.h"
#include "Interchange/XmlTagTable.h"

#include <memory>
#include <string>
#include <vector>

class XmlScanner;

// Deepest nesting of elements that the tree accepts.
inline constexpr int kXmlMaxNesting = 256;

struct XmlTextLine {
    std::string text;
    int line = 0;
};

enum XmlItemKind : int { kXmlStartItem = 0, kXmlEndItem = 1, kXmlTextItem = 2 };

struct XmlItem {
    XmlItemKind kind = kXmlStartItem;
    std::string name;  // lower case; start and end tags
    int line = 0;
    int tagLine = 0;   // the file line on which the tag or text block begins
    std::vector<XmlOption> options;  // start tags, file order
    std::vector<XmlTextLine> lines;  // text blocks, file order
};

struct XmlAttrElement {
    int code = 0;
    std::string tag;                 // which of the shapes, for code 46
    std::vector<XmlOption> options;  // file order
};

struct XmlCell {
    int code = kXmlRootCode;
    std::vector<std::unique_ptr<XmlCell>> children;  // file order
    std::vector<XmlAttrElement> attributes;          // file order
    std::vector<XmlOption> options;                  // file order
    std::vector<XmlTextLine> lines;                  // the first text block
    int line = 0;
    std::unique_ptr<XmlElementRecord> record;        // after XmlApplyOptions

    XmlCell() = default;
    XmlCell(const XmlCell&) = delete;
    XmlCell& operator=(const XmlCell&) = delete;
    ~XmlCell();
};

// Runs the grammar over the scanner's tokens into items in file order.
// 0 on success; on failure shows "Parse error:\n%s at %s in line %d" and
// returns nonzero.
int XmlParse(XmlScanner& scanner, std::vector<XmlItem>& items);

// Builds the tree; on a structure error shows the structure message, naming
// the tag that does not fit and its line, and gives null. Options and lines move from the items into the tree.
std::unique_ptr<XmlCell> XmlBuildTree(std::vector<XmlItem>& items, XmlTagLookup& lookup);

// Fills the settings record of every element of the subtree, in pre-order.
void XmlApplyOptions(XmlCell& cell);

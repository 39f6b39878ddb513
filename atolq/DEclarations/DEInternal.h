// Helpers shared by the declaration modules: a strtok-like token walker over
// a text, trimming and blank collapsing, comment ranges and comment removal,
// and walking the records of the net.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "atolq/DEclarations/DEclarations.h"

namespace de {

// Base delimiters: carriage return, tab, line feed, blank, ";".
inline constexpr std::string_view kBase = "\r\t\n ;";
inline constexpr std::string_view kBlanks = " \t\r\n";

// Walks a text as strtok does: each call skips leading delimiters, the token
// ends at the next delimiter, and that delimiter is consumed.
class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {}
    // The next token, or false at the end; start is its offset in the text.
    bool next(std::string_view delimiters, std::string* token, size_t* start = nullptr);
    size_t position() const { return pos_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

std::string trim(std::string_view text, std::string_view what = kBlanks);
std::string collapseBlanks(std::string_view text);
std::string dropTrailingSemicolon(std::string text);

// {first, last} character of each outermost comment; an open one runs to the end.
using Ranges = std::vector<std::pair<size_t, size_t>>;
Ranges commentRanges(std::string_view text);
bool inRanges(const Ranges& ranges, size_t offset);
// Takes the comments out of the text (each overwritten with blanks) and gives
// their trimmed bodies.
std::vector<std::string> takeComments(std::string& text);
std::string join(const std::vector<std::string>& parts, std::string_view separator);

// Texts of a kind-1 list of texts.
std::vector<std::string> texts(const LMList* list);
inline std::string str(const char* text) { return text != nullptr ? text : ""; }
inline bool present(const char* text) { return text != nullptr && *text != 0; }
char* dup(std::string_view text);
void setText(SEText& field, std::string_view text);

// Records of lists.
template <class F> void eachRec(const LMList* list, F f)
{
    if (list == nullptr)
        return;
    void* cell = list->first;
    while (cell != nullptr) {
        void* next = static_cast<LMLink*>(cell)->next;
        f(static_cast<SEHead*>(cell));
        cell = next;
    }
}
template <class F> void eachValue(const LMList* list, F f)
{
    if (list == nullptr)
        return;
    void* cell = list->first;
    while (cell != nullptr) {
        auto* c = static_cast<LMValueCell*>(cell);
        void* next = c->link.next;
        f(c->value);
        cell = next;
    }
}
inline SEDeclEntry* asEntry(SEHead* h) { return h != nullptr && h->kind == kSEDeclEntry ? reinterpret_cast<SEDeclEntry*>(h) : nullptr; }
inline SEDeclItem* asItem(SEHead* h) { return h != nullptr && h->kind == kSEDeclItem ? reinterpret_cast<SEDeclItem*>(h) : nullptr; }
uint32_t& flagsOf(SEHead* record);
// Calls f for each item of the entry, lists in the given sub-kind order.
template <class F> void eachItem(SEDeclEntry* e, std::initializer_list<uint16_t> order, F f)
{
    for (uint16_t sub : order)
        eachRec(DEItemList(e, sub), [&](SEHead* h) { f(reinterpret_cast<SEDeclItem*>(h)); });
}
void addUnique(LMList*& list, void* value);
void removeValue(LMList* list, void* value);

// Dialog items of the top dialog: an item's text, the item focused with its
// text selected, and a field's text taken into an entry text (none when empty).
std::string itemText(int16_t item);
void selectItem(int16_t item);
void takeText(SEText& field, const std::string& text);

// The work entry of an entry dialog: made afresh (a copy of the edited
// entry), placed by OK and Check (Check compiles it; a failed compile keeps
// the dialog open), or dropped by Cancel.
void openWork(DEDialogContext* context);
int16_t finishDialog(DEDialogContext* context, int16_t item);
int16_t cancelDialog(DEDialogContext* context);

// The node's declarations changed (an entry placed, replaced or deleted):
// the syntax check must parse the node again.
void declarationsChanged(SEDeclNode* node);

// The text of a kernel object ("" when none).
std::string objectText(uint32_t object);
// The page that holds an object: selects it and reads the current page.
uint32_t pageOf(uint32_t object);

} // namespace de

// The declaration node of an object (the node itself, or the node owning an
// entry's region), and the page record the node lies on; null when none.
SEDeclNode* DENodeOfObject(uint32_t object);
SEPage* DEPageOfNode(SEDeclNode* node);

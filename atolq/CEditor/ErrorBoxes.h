// Error boxes: the auxiliary text object on each page that collects the
// errors found there, and the "Errors" list on the hierarchy page that refers
// to each page's box. Boxes are found through the page's link (0xF903) and
// the box's own mark (0xF908); errors refer to their objects by text
// references.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xkv/types/Types.h"

struct MemFile;

// What the box of a page reads after a reset.
inline constexpr std::string_view kGENoErrors = "<<No errors>>";
// Heading of a box that holds errors, and of the hierarchy page's list.
inline constexpr std::string_view kGEErrorsHeading = "Errors\n";
// Separates the echo of a request from the evaluator's answer to it.
inline constexpr std::string_view kGEDeclSeparator = "(*###Decl.Separator###*)";
// How much of the end of an evaluator answer goes into a box.
inline constexpr size_t kGEReplyKept = 32765;

// The page's valid error box; with create, a new one when it has none.
ObjectHandle GE_GetErrorBox(ObjectHandle page, int create);
// A new error box on the page, linked both ways and placed in a free,
// visible spot near the top left of what the page's window shows.
ObjectHandle GE_CreateErrorBox(ObjectHandle page);
// Empties the box to "<<No errors>>"; a box that texts refer to, or whose
// text refers to objects, is replaced by a fresh copy first (box is updated).
int GE_ResetErrorBox(ObjectHandle* box);
// Resets the hierarchy page's list and every net page's box (making them with
// create, and listing each page then). 0 without pages or without a list.
int GE_ResetErrorBoxes(int create);
// Lists the page box in the hierarchy page's box: the page's reference name
// and a reference to the box on a line of their own.
int GE_ListErrorBox(ObjectHandle listBox, ObjectHandle pageBox);
// Appends an error to the box: the message, the end of the evaluator's answer
// when given (after its last separator, at most kGEReplyKept characters) and
// a reference to the object unless it is a page. 0 when the reference fails.
int GE_AddErrorText(ObjectHandle box, ObjectHandle object, const char* message, MemFile* reply);
// 1 when text begins with prefix.
int GE_HasPrefix(const char* text, const char* prefix);
// Sizes the box to its text and keeps it inside what its page's window shows.
void GE_FitErrorBox(ObjectHandle box);
// A page's error box that was placed while the page had no window, and so
// lies wholly outside what the window now shows, is placed into view again.
void GE_BringErrorBoxIntoView(ObjectHandle page);

// The part of an evaluator answer that goes into a box (see GE_AddErrorText).
std::string GE_ReplyTail(MemFile* reply);

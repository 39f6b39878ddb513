// Driver steps that answer the kernel's modal dialogs as a user would: a
// message box or question (its text noted, then Return on the default button
// or a click on another one) and the file selector (a path typed into its
// field and Return, or a click on Cancel).
#pragma once

#include "dialog_fixture.h"

#include <string>
#include <vector>

namespace tolq::test {

class XClient;

// clickItem 0 presses Return; any other number clicks that item.
std::vector<Driver::Step> AnswerAlert(const XClient& input, int dialog, int textItem, int clickItem,
                                      std::string* shown);
// Puts the directory into the field and types the name, then Return; an
// empty name clicks Cancel. shownField receives the field's text as the
// selector came up.
std::vector<Driver::Step> ChooseFile(const XClient& input, const std::string& directory, const std::string& name,
                                     std::string* shownField);
// Both in one list, in order.
std::vector<Driver::Step> Then(std::vector<Driver::Step> first, const std::vector<Driver::Step>& second);
// Ends whatever is still up (a driver's abort).
void CloseDialogsAndSelector();

}  // namespace tolq::test

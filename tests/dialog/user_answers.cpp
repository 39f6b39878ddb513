// Answering dialogs and the file selector with real input.
#include "user_answers.h"

#include "xclient.h"

#include <X11/IntrinsicP.h>

#include "xkv/dialog/Dialog.h"
#include "xkv/platform/sfselect/SFinternal.h"

namespace tolq::test {
namespace {

void ClickWidget(const XClient& input, Widget w)
{
    if (w == nullptr) {
        return;
    }
    Window child = 0;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(XtDisplay(w), XtWindow(w), DefaultRootWindow(XtDisplay(w)), w->core.width / 2,
                          w->core.height / 2, &x, &y, &child);
    input.click(x, y);
}

std::string ItemText(int item)
{
    char buffer[600] = {};
    Dialog_GetItemText(item, buffer, sizeof buffer - 1);
    return buffer;
}

}  // namespace

std::vector<Driver::Step> AnswerAlert(const XClient& input, int dialog, int textItem, int clickItem,
                                      std::string* shown)
{
    return {[dialog] { return Dialog_TopDialogNumber() == dialog && DialogX::FocusOn(Dialog_ShellWidget()); },
            [&input, textItem, clickItem, shown] {
                if (shown != nullptr) {
                    *shown = ItemText(textItem);
                }
                if (clickItem == 0) {
                    input.key("Return");
                } else {
                    ClickWidget(input, Dialog_ItemWidget(clickItem));
                }
                return true;
            }};
}

std::vector<Driver::Step> ChooseFile(const XClient& input, const std::string& directory, const std::string& name,
                                     std::string* shownField)
{
    std::vector<Driver::Step> steps = {
        [] { return Dialog_IsFileSelectorShown() != 0 && DialogX::FocusOn(SelFile().shell); },
    };
    if (name.empty()) {
        steps.push_back([&input, shownField] {
            if (shownField != nullptr) {
                *shownField = SelFile_FieldText();
            }
            ClickWidget(input, SelFile().cancel);
            return true;
        });
        return steps;
    }
    steps.push_back([&input, directory, name, shownField] {
        if (shownField != nullptr) {
            *shownField = SelFile_FieldText();
        }
        SelFile_SetField(directory + "/");
        input.type_text(name);
        return true;
    });
    steps.push_back([path = directory + "/" + name] { return SelFile_FieldText() == path; });
    steps.push_back([&input] {
        input.key("Return");
        return true;
    });
    return steps;
}

std::vector<Driver::Step> Then(std::vector<Driver::Step> first, const std::vector<Driver::Step>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

void CloseDialogsAndSelector()
{
    while (Dialog_Depth() > 0) {
        Dialog_Close(2);
    }
    if (Dialog_IsFileSelectorShown() != 0) {
        SelFile().status = -1;
    }
}

}  // namespace tolq::test

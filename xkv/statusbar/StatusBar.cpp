// The status bar: composing the status line from the editing state, laying
// out its three fields across the width of the menu bar, and messages that
// stand until the status line is shown again.
#include "xkv/statusbar/StatusBar.h"

#include <X11/StringDefs.h>
#include <X11/Xaw/Form.h>

#include <cstdio>
#include <cstring>

#include "xkv/comm/Comm.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/pending/Pending.h"
#include "xkv/select/Select.h"
#include "xkv/platform/xwindows/PlStatus.h"
#include "xkv/velkor/Velkor.h"

namespace {

struct StatusBarModule {
    Widget widget = nullptr;
    uint32_t visible = 0;
    uint32_t lineShown = 0;
    std::string lastLine;
};

StatusBarModule& Module()
{
    static StatusBarModule module;
    return module;
}

// Message ids of the status line's words.
constexpr int32_t kMsgType = 2;
constexpr int32_t kMsgNone = 3;
constexpr int32_t kMsgNode = 4;
constexpr int32_t kMsgGroupOf = 9;
constexpr int32_t kMsgNodes = 10;
constexpr int32_t kMsgTextOn = 11;
constexpr int32_t kMsgTextOff = 12;
constexpr int32_t kMsgPageScale = 13;

std::string Text(int32_t id)
{
    char buffer[256];
    if (String_GetText(id, buffer, sizeof buffer) != 0) {
        buffer[0] = '\0';
    }
    return buffer;
}

std::string Cut(std::string text)
{
    if (text.size() > kStatusFieldMax) {
        text.resize(kStatusFieldMax);
    }
    return text;
}

// The message that names the selected object's kind.
int32_t DescribeObject(ObjectHandle object)
{
    if (object == 0) {
        return kMsgNone;
    }
    if (Model_IsPage(object) != 0) {
        return 7;
    }
    if (Model_IsRegion(object) != 0) {
        return 6;
    }
    if (Model_IsCoarseNode(object) != 0) {
        return 25;
    }
    if (Model_IsAttachedNode(object) != 0) {
        return 69;
    }
    if (Model_IsLabel(object) != 0) {
        return 33;
    }
    if (Model_IsNode(object) != 0) {
        return kMsgNode;
    }
    if (Model_IsConnector(object) != 0) {
        return 5;
    }
    return 8;
}

StatusLineState CurrentState()
{
    StatusLineState state;
    if (Hook_IsRegistered(kHookStatusText) != 0) {
        char buffer[kStatusFieldMax + 1] = {};
        if (Hook_GetHandler(kHookStatusText)(reinterpret_cast<uintptr_t>(buffer), 0, 0, 0, 0, 0) != 0) {
            buffer[kStatusFieldMax] = '\0';
            state.applicationText = true;
            state.application = buffer;
        }
    }
    state.selectionMode = Select_GetMode();
    if (state.selectionMode == 1) {
        state.groupCount = Group_Count(static_cast<GroupNumber>(Select_GetGroup()));
    } else if (state.selectionMode == 0 || state.selectionMode == 2) {
        state.objectDescription = DescribeObject(Select_GetObject());
    }
    state.textMode = Comm_InTextMode() != 0;
    const ObjectHandle page = Comm_GetCurrentPage();
    state.hasCurrentPage = page != 0;
    if (page != 0) {
        Fixed scale = kFixedOne;
        if (Model_GetField(page, Field::kScaleX, &scale) == kStatusOk) {
            state.pageScale = scale;
        }
    }
    int32_t modifiers[4] = {};
    Velkor_GetModifierState(modifiers);
    state.capsLock = modifiers[3] != 0;
    return state;
}

}  // namespace

StatusFields StatusBar_ComposeFields(const StatusLineState& state)
{
    StatusFields fields;
    const std::string type = Text(kMsgType);
    if (state.applicationText) {
        fields.type = type + " " + state.application;
    } else if (state.selectionMode == 1) {
        const int32_t n = state.groupCount;
        fields.type = type + " " + Text(kMsgGroupOf) + " " + std::to_string(n) + " " +
                      Text(n < 2 ? kMsgNode : kMsgNodes);
    } else if (state.selectionMode == 0 || state.selectionMode == 2) {
        fields.type = type + " " + Text(state.objectDescription);
    } else {
        fields.type = type + " " + Text(kMsgNone);
    }
    fields.text = Text(state.textMode ? kMsgTextOn : kMsgTextOff);
    if (state.hasCurrentPage) {
        // The scale in percent: 100 times the 16.16 value, integer part.
        const int64_t percent = (static_cast<int64_t>(state.pageScale) * 100) >> 16;
        fields.scale = Text(kMsgPageScale) + " " + std::to_string(percent) + "%";
    }
    if (state.capsLock) {
        fields.scale += " Caps Lock On";
    }
    fields.type = Cut(fields.type);
    fields.text = Cut(fields.text);
    fields.scale = Cut(fields.scale);
    return fields;
}

StatusLayout StatusBar_Layout(int32_t barWidth, int32_t m, int32_t w1, int32_t w2, int32_t w3)
{
    int32_t gap = barWidth - w1 - w2 - w3;
    if (gap < 4 * m) {
        gap = 4 * m;
    }
    StatusLayout layout;
    layout.x1 = m / 2;
    layout.x2 = gap / 2 + m / 2 + w1;
    layout.x3 = layout.x2 + w2 + gap / 2 - m / 2;
    return layout;
}

KernelStatus StatusBar_Compose(char* typeField, char* textField, char* scaleField)
{
    const StatusFields fields = StatusBar_ComposeFields(CurrentState());
    auto copy = [](char* out, const std::string& text) {
        if (out != nullptr) {
            std::memcpy(out, text.c_str(), text.size() + 1);
        }
    };
    copy(typeField, fields.type);
    copy(textField, fields.text);
    copy(scaleField, fields.scale);
    return 0;
}

KernelStatus StatusBar_Create(uint32_t visible, Widget above, Widget parent)
{
    StatusBarModule& module = Module();
    Arg args[10];
    Cardinal n = 0;
    XtSetArg(args[n], XtNfromHoriz, nullptr); ++n;
    XtSetArg(args[n], XtNfromVert, above); ++n;
    XtSetArg(args[n], XtNtop, XawChainTop); ++n;
    XtSetArg(args[n], XtNleft, XawChainLeft); ++n;
    XtSetArg(args[n], XtNbottom, XawChainTop); ++n;
    XtSetArg(args[n], XtNright, XawChainLeft); ++n;
    XtSetArg(args[n], XtNborderWidth, 0); ++n;
    XtSetArg(args[n], const_cast<String>("stringCount"), 4); ++n;
    XFontStruct* font = XLoadQueryFont(XtDisplay(parent), Velkor_Settings().statusbarFont);
    if (font != nullptr) {
        XtSetArg(args[n], XtNfont, font); ++n;
    }
    module.widget = XtCreateWidget("statusbar", statusWidgetClass, parent, args, n);
    XtManageChild(module.widget);
    module.lineShown = 0;
    module.visible = 1;
    StatusBar_Update();
    StatusBar_SetVisible(visible);
    return 0;
}

KernelStatus StatusBar_Destroy()
{
    StatusBarModule& module = Module();
    if (module.widget != nullptr) {
        XtDestroyWidget(module.widget);
        module.widget = nullptr;
    }
    return 0;
}

KernelStatus StatusBar_SetVisible(uint32_t flag)
{
    StatusBarModule& module = Module();
    if (flag != module.visible) {
        if (module.widget != nullptr) {
            XtSetMappedWhenManaged(module.widget, flag != 0 ? True : False);
        }
        module.visible = flag;
    }
    return 0;
}

uint32_t StatusBar_IsVisible()
{
    return Module().visible;
}

KernelStatus StatusBar_ShowMessage(const char* text)
{
    StatusBarModule& module = Module();
    module.lineShown = 0;
    if (module.widget == nullptr) {
        return 0;
    }
    Status_SetString(module.widget, text, 0, 1);
    for (int segment = 1; segment <= 3; ++segment) {
        Status_SetString(module.widget, nullptr, segment, 0);
    }
    return 0;
}

KernelStatus StatusBar_ShowString(int32_t messageId)
{
    char buffer[81];
    if (String_GetText(messageId, buffer, sizeof buffer) != 0) {
        return 51;
    }
    return StatusBar_ShowMessage(buffer);
}

KernelStatus StatusBar_Update()
{
    StatusBarModule& module = Module();
    const StatusFields fields = StatusBar_ComposeFields(CurrentState());
    const std::string line = fields.type + " " + fields.text + " " + fields.scale;
    if (line == module.lastLine && module.lineShown != 0) {
        return 0;
    }
    if (module.widget != nullptr) {
        const int32_t barWidth = Menu_BarWidth();
        const int32_t m = Status_StringWidth(module.widget, "M");
        const StatusLayout layout =
            StatusBar_Layout(barWidth, m, Status_StringWidth(module.widget, fields.type.c_str()),
                             Status_StringWidth(module.widget, fields.text.c_str()),
                             Status_StringWidth(module.widget, fields.scale.c_str()));
        Status_SetString(module.widget, fields.type.c_str(), 0, layout.x1);
        Status_SetString(module.widget, fields.text.c_str(), 1, layout.x2);
        Status_SetString(module.widget, fields.scale.c_str(), 2, layout.x3);
        Status_SetString(module.widget, nullptr, 3, 0);
    }
    module.lastLine = line;
    module.lineShown = 1;
    return 0;
}

KernelStatus StatusBar_Refresh()
{
    return Module().lineShown != 0 ? StatusBar_Update() : 0;
}

Widget StatusBar_Widget()
{
    return Module().widget;
}

// The status bar under the main window's menu bar: a four-segment status
// widget that shows either the status line (what is selected, text mode, page
// scale) or a message until the status line is shown again.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstdint>
#include <string>

#include "xkv/types/Types.h"

inline constexpr size_t kStatusFieldMax = 255;

KernelStatus StatusBar_Create(uint32_t visible, Widget above, Widget parent);
KernelStatus StatusBar_Destroy();
KernelStatus StatusBar_SetVisible(uint32_t flag);
uint32_t StatusBar_IsVisible();
KernelStatus StatusBar_ShowMessage(const char* text);
KernelStatus StatusBar_ShowString(int32_t messageId);
KernelStatus StatusBar_Update();
KernelStatus StatusBar_Refresh();
// Composes the three fields into buffers of kStatusFieldMax + 1 characters.
KernelStatus StatusBar_Compose(char* typeField, char* textField, char* scaleField);
Widget StatusBar_Widget();

// What the status line is made of, as the editing state gives it.
struct StatusLineState {
    bool applicationText = false;  // hook 55 supplied the type text
    std::string application;
    uint32_t selectionMode = 3;    // 0 object, 1 group, 2 item, 3 nothing
    int32_t groupCount = 0;
    int32_t objectDescription = 3;  // message id describing the selected object
    bool textMode = false;
    bool hasCurrentPage = false;
    Fixed pageScale = kFixedOne;
    bool capsLock = false;
};

struct StatusFields {
    std::string type;
    std::string text;
    std::string scale;
};

// The three fields of a state (message texts from the message table).
StatusFields StatusBar_ComposeFields(const StatusLineState& state);

// Positions of the three fields on a bar of width barWidth, m being the
// width of "M" and w1..w3 the widths of the fields.
struct StatusLayout {
    int32_t x1 = 0;
    int32_t x2 = 0;
    int32_t x3 = 0;
};
StatusLayout StatusBar_Layout(int32_t barWidth, int32_t m, int32_t w1, int32_t w2, int32_t w3);

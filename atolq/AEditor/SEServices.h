// Services of the kernel, the net editor, the simulator and the evaluator
// link that the abstract net calls. They are provided by those modules; this
// header only names them. The syntax check and code generator sit above the
// abstract net: what it needs of them is registered (SESetCheckServices).
#pragma once

#include <cstdint>

struct SEHead;
struct SETrans;
struct SEDeclNode;

// Kernel: QXMenu_RequestUpdate re-evaluates the menu states after the
// current event.
#include "xkv/kv/QXMenu.h"

// Net editor: stores the node's name into the net.
void EE_RefreshNodeName(uint32_t object);
// Net editor: replaces a handle by its entry in the diagram load's handle map.
int GE_TranslateHandle(uint32_t* handle);
// Net editor: the simulator link of an object (user data 63753), 0 when none.
uint32_t GE_GetSimLink(uint32_t object);
int GE_SetSimLink(uint32_t object, uint32_t value);
int GE_DeleteUserData(uint32_t object, uint16_t tag);
// Net editor: modal message box with a message text.
int GE_MessageBox(int16_t messageId);


// Simulator.
void SSetReswitchNeeded(int flag);

// Evaluator link.
int SMLSessionInit();
int SMLSessionReset();
// 1 while the evaluator link is up.
int SMLIsConnected();

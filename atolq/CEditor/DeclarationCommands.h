// The TOLQ menu's declaration commands: a new declaration after the selected
// node or entry, the dialog of the selected entry, the declaration browser,
// and the conversion of the declaration nodes' texts into entries.
#pragma once

#include <cstdint>

inline constexpr int16_t kCmdNewDeclaration = 10120;
inline constexpr int16_t kCmdEditDeclaration = 10121;
inline constexpr int16_t kCmdDeclarationBrowser = 10122;
inline constexpr int16_t kCmdConvertDeclarations = 10123;

void EE_NewDeclarationCommand();
void EE_EditDeclarationCommand();
void EE_DeclarationBrowserCommand();
void EE_ConvertDeclarationsCommand();

// Services of the net editor that the charts call and that the editor does
// not offer yet under these names.
#pragma once

// 1 when the text is a decimal number: an optional "-", digits, optionally
// "." and digits, optionally an exponent "E" or "E-" with digits; isInteger
// is set to 0 once a "." is seen. The empty text gives 0.
int EE_ParseNumber(const char* text, int* isInteger);

// Services of the simulator that the syntax check calls; they are provided
// by that module, this header only names them.
#pragma once

struct SEHead;

// 1 when the colour-set names of two places are the same through the colour
// table (both unnamed, or equal name texts and second texts).
int ASSameName(SEHead* a, SEHead* b);

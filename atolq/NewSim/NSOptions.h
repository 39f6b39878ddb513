// The newer simulator's run options and seed (request class 200), taken
// from the net's option words.
#pragma once

// 200/10: the seven option words and the four stop-option texts; 1/0.
int NSSendRunOptions();
// 200/11: the seed as decimal text, or "" when the seed is drawn; 1/0.
int NSSendSeed();
// Both, in that order; 1.
int NSSendOptions();

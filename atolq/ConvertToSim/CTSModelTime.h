// Model time: the clock kept by the program beside the evaluator's, in
// integer or real representation, and the clock text exchanged with the
// evaluator.
#pragma once

#include <cstdint>

void CTSSetIntegerTime(int flag);
int CTSUseIntegerTime();
// 4 for integer time, 8 for real time.
uint32_t CTSTimeSize();
// A new zeroed time value (QXMem block), 0 when out of memory.
void* CTSTimeNew();
void CTSTimeSetMax(void* value);
// The larger (smaller) of two values; b when they are equal.
void* CTSTimeMax(void* a, void* b);
void* CTSTimeMin(void* a, void* b);
// "(clock (\"%ld\"))" of the value, into text of at least 48 bytes.
void CTSClockText(const void* value, char* text, uint32_t size);
// Parses a clock text into the value: the number of fields matched (1), or
// less when the text does not match; the value is then unchanged.
int CTSParseClock(const char* text, void* value);

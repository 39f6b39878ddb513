// ML numbers: the short decimal texts by which net records are named to the
// evaluator in typed messages, and the table that maps a number in an answer
// back to the record's kernel object.
#pragma once

#include <cstdint>
#include <string>

struct SEHead;
struct NSMessage;

// Starts a new, empty table.
void NSMLNumberCreateTable();
// Gives the record a valid ML number entered in the table; 1 (also for kinds
// that carry no number, which are left as they are).
int NSAssignMLNumber(SEHead* record);
// The record's ML number ("" when it has none).
std::string NSMLNumberOf(const SEHead* record);
// 1, or 0 (with a message) when the number is already in the table.
int NSMLNumberInsert(const char* number, uint32_t object);
// The object of the number, 0 when the table does not know it.
uint32_t NSMLNumberLookup(const char* number);
// 1 when the number is below the name counter.
int NSMLNumberIsCurrent(const char* number);
// Attaches the text to the error box of the number's object; 0 when the
// number is unknown.
int NSReportOnMLNumber(const char* number, const char* text);
// Reads the next string of an answer as an ML number: 1 and the net record
// of its object; 0 when the number is unknown.
int NSRecordOfMLNumber(NSMessage* message, SEHead** record);

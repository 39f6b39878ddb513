// The declarations run on the real kernel; this is the kernel and page the
// tests build, readers of what the declarations made of its objects, and
// doubles of the net editor, checker and simulator services these programs
// do not link, with what they were asked.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "xkv/types/Types.h"

struct SEHead;

struct DeclWorld {
    ObjectHandle page = 0;             // the kernel page the tests draw on
    std::set<ObjectHandle> plain;      // objects made plain (auxiliary) by the net editor
    std::vector<std::string> messages; // every message box, as shown
    std::vector<std::pair<uint32_t, std::string>> errors; // error texts on objects
    bool withTime = true;
    bool evaluatorUp = true;
    std::function<void()> onEvaluatorStart; // runs while the evaluator starts
    bool stopAfterProgress = false; // the user presses Escape at the next progress
    int refusePageChanges = 0;      // number of page changes that hook 26 refuses
    // Questions with a named button: what was asked, and the answer given.
    std::vector<std::pair<int, std::string>> asked;
    int answer = 1;
};

DeclWorld& world();

// On a fresh kernel model with its page windows (PageWindowTest): the
// command layer and one page made through the interface, not yet current;
// and their teardown before the model goes.
void startKernel();
void stopKernel();

// A node on the page, centred at (x, y) with the size in pixels, holding the text.
uint32_t newObject(const std::string& text, int32_t x, int32_t y, int32_t w, int32_t h);

// Readers of the kernel objects.
struct Box {
    Fixed x = 0, y = 0, w = 0, h = 0; // centre and size
    Fixed top() const { return y - h / 2; }
    Fixed bottom() const { return y + h / 2; }
};
Box boxOf(uint32_t object);
std::string textOf(uint32_t object);
bool exists(uint32_t object);
ObjectHandle ownerOf(uint32_t region);
uint32_t regionKindOf(uint32_t region);
uint32_t lineStyleOf(uint32_t object);
std::vector<ObjectHandle> regionsOf(uint32_t object);
SEHead* recordOf(uint32_t object);
bool isPlain(uint32_t object);

std::string lastMessage();

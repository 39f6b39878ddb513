// A small kernel of objects with texts, boxes, regions and record links, the
// net editor's services around it, and a scripted evaluator for the compile
// steps, as the declarations see them.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct SEHead;

struct FakeObject {
    std::string text;
    int32_t x = 0, y = 0, w = 0, h = 0;
    uint32_t page = 0;
    uint32_t parent = 0; // the object a region belongs to
    int32_t regionKind = 0;
    int32_t lineStyle = -1;
    SEHead* record = nullptr;
    bool plain = false;
};

struct DeclWorld {
    std::map<uint32_t, FakeObject> objects;
    uint32_t nextObject = 100;
    uint32_t selected = 0;
    uint32_t currentPage = 1;
    std::vector<std::string> messages; // every message box, as shown
    std::vector<std::pair<uint32_t, std::string>> errors; // error texts on objects
    bool withTime = true;
    bool evaluatorUp = true;
    bool stopAfterProgress = false; // the user presses Escape at the next progress
    int failRegions = 0;            // number of region creations that fail
    // Scripted constraint step: names refused, names compiled in order, and
    // extra names an entry introduces (entry name -> names).
    std::set<std::string> refuse;
    std::vector<std::string> compiled;
    std::map<std::string, std::vector<std::string>> introduces;
    int itemListRequests = 0;
};

DeclWorld& world();
void resetWorld();
uint32_t newObject(const std::string& text, int32_t x, int32_t y, int32_t w, int32_t h);
std::string lastMessage();

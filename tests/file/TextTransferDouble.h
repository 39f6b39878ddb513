// Test double of the text editor's export and import: texts are kept as the
// header, references and characters they were given, keyed by their record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xkv/types/Types.h"

struct StoredText {
    uint32_t header[17] = {};
    std::vector<uint32_t> references;
    std::string characters;
};

// Gives the object a text record holding `text`.
void TestText_Set(ObjectHandle object, const StoredText& text);
// The text the object's record holds; empty when none.
StoredText TestText_Get(ObjectHandle object);
void TestText_Reset();

// The per-test kernel, page and net of the declaration tests, with builders of
// declaration nodes and readers of what conversion made of them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DeclDoubles.h"
#include "PageWindowFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/DEclarations/DEclarations.h"
#include "atolq/Utils/QXMem.h"

class DeclTest : public PageWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A node object with the text and its declaration node record.
    uint32_t node(const std::string& text, uint16_t subKind = kSEDeclGlobal, SEPage* page = nullptr);
    SEPage* page(uint32_t object);
    // The node's record (after conversion the record is made anew).
    SEDeclNode* record(uint32_t object);
    std::vector<SEDeclEntry*> entries(uint32_t object);
    std::vector<std::string> regionTexts(uint32_t object);
    // Converts a text in a node of its own; the texts of its regions.
    std::vector<std::string> convert(const std::string& text, uint16_t subKind = kSEDeclGlobal);
    SEDeclEntry* entryNamed(const std::string& name);
};

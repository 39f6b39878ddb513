// A check fixture with the real evaluator started the way the editor starts
// it, global declarations defined through the check and the colour table
// read back; helpers to give places colour sets and markings.
#pragma once

#include <string>

#include "CheckFixture.h"

// The editor's ML settings for a local evaluator from the built heap.
int CheckLocalSettings(int remote, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile,
                       char** runtime, char** directory, uint32_t* directoryLength, uint32_t level);

class EvaluatorCheckTest : public CheckTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Defines the global declaration node's text and reads the colour table.
    void declare(const std::string& declarations);
    // A global or temporary node, or with a page a local one.
    SEDeclNode* declNode(int subKind, const std::string& text, SEPage* page = nullptr);
    SEPlace* typedPlace(SEPage* page, const char* colourSet, const char* marking = nullptr);
    // Evaluates ML text; the link code, the reply text through reply.
    int16_t evaluate(const std::string& text, std::string* reply = nullptr);
};

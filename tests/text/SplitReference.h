// Builds lines of a text by hand the way a file may hold them: a reference
// whose display string is split over two lines, each line showing one
// segment of it (the layout itself never splits a reference).
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"

namespace texttest {

struct SplitLine {
    std::string characters;  // a '\0' takes the line's segment of the reference
    uint8_t endMark;
    uint16_t start;  // the segment: characters [start, end) of the display string
    uint16_t end;
};

// Fills the text's first line and links the further ones after it.
inline void FillSplitLines(MemHandle text, MemHandle reference, const std::vector<SplitLine>& shapes)
{
    TextRec* record = nullptr;
    Mem_LockAs(text, &record);
    MemHandle line = record->firstLine;
    Mem_Unlock(text);
    for (size_t i = 0; i < shapes.size(); ++i) {
        if (i > 0) {
            line = Text_LinkNewLine(text, line, 1);
        }
        const SplitLine& shape = shapes[i];
        Text_ResizeLine(line, 0, static_cast<int32_t>(shape.characters.size()));
        TextLine* l = nullptr;
        Mem_LockAs(line, &l);
        uint8_t* characters = nullptr;
        Mem_LockAs(l->characters, &characters);
        std::memcpy(characters, shape.characters.data(), shape.characters.size());
        Mem_Unlock(l->characters);
        if (shape.characters.find('\0') != std::string::npos) {
            Mem_Alloc(&l->references, sizeof(MemHandle));
            MemHandle* segments = nullptr;
            Mem_LockAs(l->references, &segments);
            segments[0] = TextSeg_New(reference, shape.start, shape.end);
            Mem_Unlock(l->references);
            l->referenceCount = 1;
        }
        l->endMark = shape.endMark;
        Mem_Unlock(line);
    }
}

}  // namespace texttest

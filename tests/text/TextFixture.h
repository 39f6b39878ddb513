// Test fixture for the text editor without X: a fresh kernel, and a font
// source that hands out a fixed-width font (every character 2 pixels = 1.0
// unit wide, lines 12 pixels = 6.0 units high) for every name, recording the
// names asked for. Helpers build nodes with texts and read their lines back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "KernelFixture.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextFontX.h"

namespace texttest {

inline constexpr Fixed kUnit = 0x10000;

struct FontLog {
    std::vector<std::string> names;
    std::vector<std::string> missing;  // names that load nothing
    int loaded = 0;
};

inline FontLog& Fonts()
{
    static FontLog log;
    return log;
}

inline XFontStruct* LoadFixedWidth(void*, const char* name)
{
    Fonts().names.emplace_back(name);
    for (const std::string& missing : Fonts().missing) {
        if (missing == name) {
            return nullptr;
        }
    }
    auto* font = new XFontStruct{};
    font->min_char_or_byte2 = 0;
    font->max_char_or_byte2 = 255;
    font->min_bounds.width = 2;
    font->max_bounds.width = 2;
    font->ascent = 10;
    font->descent = 2;
    Fonts().loaded++;
    return font;
}

inline void ReleaseFixedWidth(void*, XFontStruct* font)
{
    Fonts().loaded--;
    delete font;
}

struct Line {
    std::string characters;  // references as "<<N>>"
    uint8_t endMark;
    bool operator==(const Line&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Line& line)
{
    return out << "{\"" << line.characters << "\", " << int(line.endMark) << "}";
}

class TextFixture : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        Fonts() = FontLog{};
        TextFontSource source{LoadFixedWidth, ReleaseFixedWidth, nullptr};
        Text_SetFontSource(&source);
        page = Model_NewPage();
        ASSERT_NE(page, 0u);
    }
    void TearDown() override
    {
        Text_Shutdown();
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
        KernelTest::TearDown();
        Text_SetFontSource(nullptr);
    }

    // A node with a text of the frame width (in units), Helvetica 12.
    ObjectHandle NodeWithText(double width, uint32_t alignment = 1, double height = 100)
    {
        ObjectHandle node = NewNodeAt(page, 0, 0, F(width), F(height));
        MemHandle text = 0;
        EXPECT_EQ(Text_Get(node, &text, 1), kStatusOk);
        Text_SetFontFamily(text, 3);
        Text_SetFontSize(text, 12);
        Text_SetFontStyle(text, 0);
        Text_SetAlignment(text, alignment);
        return node;
    }

    static MemHandle TextOf(ObjectHandle object) { return Model_GetFieldValue(object, Field::kText); }

    static TextRec* Rec(MemHandle text)
    {
        TextRec* record = nullptr;
        Mem_LockAs(text, &record);
        Mem_Unlock(text);
        return record;
    }

    static TextLine* LineRec(MemHandle line)
    {
        TextLine* record = nullptr;
        Mem_LockAs(line, &record);
        Mem_Unlock(line);
        return record;
    }

    static void Put(ObjectHandle object, const std::string& characters, uint32_t mode = 1)
    {
        ASSERT_EQ(Text_PutString(object, characters.data(), static_cast<uint32_t>(characters.size()), mode),
                  kStatusOk);
    }

    // The lines of a text with their end marks, references as displayed.
    static std::vector<Line> Lines(ObjectHandle object)
    {
        std::vector<Line> lines;
        MemHandle text = TextOf(object);
        for (MemHandle line = Rec(text)->firstLine; line != 0; line = LineRec(line)->next) {
            TextPosition from{line, 0};
            TextPosition to{line, LineRec(line)->length};
            uint32_t length = 0;
            MemHandle block = Text_CopyOut(text, &from, &to, &length, kRefDisplay);
            std::string characters;
            if (block != 0) {
                char* bytes = nullptr;
                Mem_LockAs(block, &bytes);
                characters.assign(bytes, length);
                Mem_Unlock(block);
                Mem_Free(block);
            }
            lines.push_back({characters, LineRec(line)->endMark});
        }
        return lines;
    }

    static std::string Whole(ObjectHandle object, uint32_t mode = kRefDisplay)
    {
        uint32_t length = 0;
        MemHandle block = Text_CopyOut(TextOf(object), nullptr, nullptr, &length, mode);
        std::string characters;
        if (block != 0) {
            char* bytes = nullptr;
            Mem_LockAs(block, &bytes);
            characters.assign(bytes, length);
            Mem_Unlock(block);
            Mem_Free(block);
        }
        return characters;
    }

    static uint32_t Cursor(ObjectHandle object)
    {
        uint32_t cursor = 0;
        uint32_t end = 0;
        Text_CursorOffset(object, &cursor, &end);
        return cursor;
    }

    static uint32_t SelectionEnd(ObjectHandle object)
    {
        uint32_t cursor = 0;
        uint32_t end = 0;
        Text_CursorOffset(object, &cursor, &end);
        return end;
    }

    // Number of references in all texts that point at the object.
    uint32_t ReferencesTo(ObjectHandle object)
    {
        uint32_t count = 0;
        for (ObjectHandle o = 1; o < Model_SlotCount(); ++o) {
            MemHandle text = Model_IsObject(o) ? TextOf(o) : 0;
            while (text != 0) {
                uint16_t column = 0;
                MemHandle line = Text_FindReference(text, object, &column);
                if (line == 0) {
                    break;
                }
                // Count every reference of this text to the object.
                std::string shown = Whole(o, kRefDisplay);
                std::string marker = "<<" + std::to_string(object & 0xffff) + ">>";
                for (size_t at = shown.find(marker); at != std::string::npos; at = shown.find(marker, at + 1)) {
                    ++count;
                }
                break;
            }
        }
        return count;
    }

    // The referrer count, the referrer list's length and the references that
    // exist agree.
    void ExpectReferrersConsistent(ObjectHandle object)
    {
        uint32_t references = ReferencesTo(object);
        EXPECT_EQ(Text_ReferrerCount(object), references) << "object " << object;
        EXPECT_EQ(Text_Referrers(object).size(), references) << "object " << object;
    }

    ObjectHandle page = 0;
};

}  // namespace texttest

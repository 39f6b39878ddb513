// QX text functions on an object's own text: selection, attributes, fonts,
// find and references.
#include <gtest/gtest.h>

#include <string>

#include "QXFixture.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"
#include "xkv/text/TextFont.h"

namespace {

class QXTextEditTest : public QXDiagramTest {
protected:
    ObjectHandle WithText(const char* text)
    {
        ObjectHandle n = Node(0, 0);
        EXPECT_EQ(QXText_SetText(n, text), 1u);
        return n;
    }
};

TEST_F(QXTextEditTest, SelectedTextIsCutToTheBuffer)
{
    ObjectHandle n = WithText("abcdefgh");
    ASSERT_EQ(QXText_SetSelection(n, 2, 6), 1u) << QXStatus;
    char buffer[16] = "xxxxxxxxxxxxxxx";
    ASSERT_EQ(QXText_GetSelectedText(n, buffer, sizeof buffer, 0), 1u);
    EXPECT_STREQ(buffer, "cdef");
    char small[3] = "zz";
    ASSERT_EQ(QXText_GetSelectedText(n, small, sizeof small, 0), 1u);
    EXPECT_STREQ(small, "cd");
    EXPECT_EQ(QXText_GetSelectedText(n, nullptr, 10, 0), 0u);
    EXPECT_EQ(QXText_GetSelectedText(n, buffer, 0, 0), 0u);
    uint32_t a = 99, b = 99;
    ASSERT_EQ(QXText_GetCursorOffset(n, &a, &b), 1u);
    EXPECT_EQ(std::min(a, b), 2u);
    EXPECT_EQ(std::max(a, b), 6u);
    QXStatus = 0;
    EXPECT_EQ(QXText_GetCursorOffset(Node(5, 5), &a, &b), 0u);
    EXPECT_EQ(QXStatus, 6u);
}

TEST_F(QXTextEditTest, AttributesOfTheObjectsOwnText)
{
    ObjectHandle n = WithText("abc");
    ASSERT_EQ(QXText_SetTextAttr(n, 1, 18, 2, 0), 1u) << QXStatus;
    int32_t font = -1, size = -1, style = -1, justification = -1;
    ASSERT_EQ(QXText_GetTextAttr(n, &font, &size, &style, &justification, nullptr, nullptr), 1u);
    EXPECT_EQ(font, 1);
    EXPECT_EQ(size, 18);
    EXPECT_EQ(style, 2);
    EXPECT_EQ(justification, 0);
    QXStatus = 0;
    EXPECT_EQ(QXText_SetTextAttr(Node(9, 9), 1, 18, 0, 0), 0u);
    EXPECT_EQ(QXStatus, 48u);
    EXPECT_EQ(QXText_SetTextAttr(page_, 1, 18, 0, 0), 0u);
    EXPECT_EQ(QXStatus, 32u);
}

TEST_F(QXTextEditTest, FontListsComeInQXBlocks)
{
    char** names = nullptr;
    uint16_t count = 0;
    int16_t* indexes = nullptr;
    ASSERT_EQ(QXText_GetFontNames(&names, &count, &indexes), 1u);
    ASSERT_EQ(count, Text_FontFamilyCount());
    ASSERT_GT(count, 1u);
    EXPECT_STREQ(names[1], Text_FontFamilyNames()[1]);
    EXPECT_EQ(indexes[count - 1], count - 1);
    // A list already held is not overwritten.
    EXPECT_EQ(QXText_GetFontNames(&names, &count, &indexes), 0u);
    for (uint16_t i = 0; i < count; ++i) {
        QXMem_Free(names[i]);
    }
    QXMem_Free(names);
    QXMem_Free(indexes);
    uint16_t* sizes = nullptr;
    ASSERT_EQ(QXText_GetFontSizes(0, &sizes, &count), 1u);
    EXPECT_GT(count, 0u);
    QXMem_Free(sizes);
}

TEST_F(QXTextEditTest, FindStopsAtTheObjectHoldingTheText)
{
    WithText("alpha");
    ObjectHandle target = WithText("beta gamma");
    ObjectHandle found = 0;
    const std::string longSearch(1000, 'q');  // longer than the settings hold
    QXText_Find(longSearch.c_str(), "", 0, 0, 0, 0, &found);
    EXPECT_EQ(found, 0u);
    QXText_Find("gamma", "", 0, 0, 0, 0, &found);
    EXPECT_EQ(found, target);
}

TEST_F(QXTextEditTest, ReferencesThroughChainsOfReferringTexts)
{
    ObjectHandle a = WithText("a ");
    ObjectHandle b = WithText("b ");
    ObjectHandle c = WithText("c ");
    ASSERT_EQ(QXText_InsertReference(b, a), 1u) << QXStatus;
    ASSERT_EQ(QXText_InsertReference(c, b), 1u) << QXStatus;
    EXPECT_EQ(QXText_RefersTo(b, a), 1u);
    EXPECT_EQ(QXText_RefersTo(c, a), 1u);  // through b
    QXStatus = 7;
    EXPECT_EQ(QXText_RefersTo(a, c), 0u);
    EXPECT_EQ(QXStatus, 0u);
    EXPECT_EQ(QXText_RefersTo(123456, a), 0u);
    EXPECT_EQ(QXStatus, 34u);
    EXPECT_EQ(QXText_InsertReference(b, 123456), 0u);
    EXPECT_EQ(QXStatus, 34u);
    EXPECT_NE(QXText_HasReferences(b), 0u);
}

}  // namespace

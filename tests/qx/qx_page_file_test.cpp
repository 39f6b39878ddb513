// QX page files and saving under a new current name, on a diagram built in
// the test and files in a temporary directory.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "QXFixture.h"
#include "xkv/kv/QXFile.h"

namespace {

namespace fs = std::filesystem;

class QXPageFileTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        char pattern[] = "/tmp/qxpageXXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override
    {
        fs::remove_all(dir_);
        QXDiagramTest::TearDown();
    }
    std::string Path(const char* name) const { return (fs::path(dir_) / name).string(); }

    std::string dir_;
};

TEST_F(QXPageFileTest, SavedPageLoadsBackAsANewPageWithItsObjects)
{
    Node(F(10), F(10));
    Node(F(60), F(10));
    char path[kQXPathSize] = {};
    std::snprintf(path, sizeof path, "%s", Path("one.page").c_str());
    ASSERT_EQ(QXFile_SavePage(path, 0, nullptr, 1, 1, &page_, 0, nullptr), 1u);
    EXPECT_EQ(QXStatus, 0u);
    ASSERT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(std::string(path) + ".tmp"));

    const uint32_t pagesBefore = Model_CountPages();
    uint16_t count = 0;
    ObjectHandle* objects = nullptr;
    ASSERT_EQ(QXFile_LoadPage(path, 0, &count, &objects, nullptr, nullptr), 1u);
    EXPECT_EQ(Model_CountPages(), pagesBefore + 1);
    // The list holds the pages the reader opens: none were open when saved.
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(objects, nullptr);
    EXPECT_EQ(QXFile_LoadPageQuiet(path), 1u);
    EXPECT_EQ(Model_CountPages(), pagesBefore + 2);
}

TEST_F(QXPageFileTest, SavingAgainKeepsTheOldFileAsBackup)
{
    char path[kQXPathSize] = {};
    std::snprintf(path, sizeof path, "%s", Path("two.page").c_str());
    ASSERT_EQ(QXFile_SavePage(path, 0, nullptr, 1, 1, &page_, 0, nullptr), 1u);
    Node(F(10), F(10));
    ASSERT_EQ(QXFile_SavePage(path, 0, nullptr, 1, 1, &page_, 0, nullptr), 1u);
    EXPECT_TRUE(fs::exists(std::string(path) + "~"));
    EXPECT_GT(fs::file_size(path), fs::file_size(std::string(path) + "~"));
}

TEST_F(QXPageFileTest, RefusalsWriteNothing)
{
    ObjectHandle node = Node(F(10), F(10));
    char path[kQXPathSize] = {};
    std::snprintf(path, sizeof path, "%s", Path("bad.page").c_str());
    QXStatus = 0;
    EXPECT_EQ(QXFile_SavePage(path, 0, nullptr, 1, 1, &node, 0, nullptr), 0u);
    EXPECT_EQ(QXStatus, 32u);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(QXFile_SavePage(nullptr, 0, nullptr, 0, 0, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(QXStatus, 6u);
    EXPECT_EQ(QXFile_LoadPage(nullptr, 0, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(QXStatus, 6u);
    QXStatus = 0;
    EXPECT_EQ(QXFile_LoadPage(path, 0, nullptr, nullptr, nullptr, nullptr), 0u);  // no such file
    EXPECT_NE(QXStatus, 0u);
}

TEST_F(QXPageFileTest, SaveAsCurrentNamesAndWritesTheDiagram)
{
    const std::string path = Path("whole.diagram");
    Model_SetModified(1);
    ASSERT_EQ(QXFile_SaveAsCurrent(path.c_str()), 1u);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(Model_IsModified(), 0u);
    char* current = nullptr;
    ASSERT_EQ(QXFile_GetCurrentFileName(&current), 1u);
    EXPECT_EQ(std::string(current), path);
    QXMem_Free(current);
    EXPECT_EQ(QXFile_SaveAsCurrent(nullptr), 0u);
    EXPECT_EQ(QXStatus, 6u);
}

}  // namespace

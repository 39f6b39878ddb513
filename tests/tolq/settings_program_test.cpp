// The user's standard defaults file with the real tolq: read at start-up,
// written when tolq ends, a damaged file answered with the built-in
// defaults, and a run without a home directory.
#include <gtest/gtest.h>

#include "session.h"
#include "xvfb.h"

#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <string>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr char kHeader[] = "CPUXDF10  ";
// The centre of the Copy Defaults dialog's second radio button.
constexpr int kCopyToSystemX = 35, kCopyToSystemY = 87;

class SettingsFile : public TolqSession {
protected:
    std::string Home() const { return dir_.path(); }
    std::string FilePath() const { return dir_.file(".TOLQSettings3.0"); }

    // Set > Copy Defaults..., answered with OK; to the system level when asked.
    void CopyDefaults(bool toSystem)
    {
        Pick("Set", "Copy Defaults...");
        const std::optional<WindowInfo> dialog = WaitForDialog();
        ASSERT_TRUE(dialog.has_value());
        if (toSystem) {
            // The second radio button: "Diagram -> System".
            client_.click(dialog->root_x + kCopyToSystemX, dialog->root_y + kCopyToSystemY);
            Settle();
        }
        PressReturn(*dialog);
        ASSERT_TRUE(NoDialogLeft());
    }

    // Saves the diagram with its key, the pointer inside the page.
    void Save()
    {
        client_.move_pointer(drawing_.root_x + drawing_.width / 2, drawing_.root_y + drawing_.height / 2);
        xdotool({"key", "alt+s"});
        Settle();
    }

    void RunToEnd(const std::function<void()>& during)
    {
        Start(Home());
        ASSERT_TRUE(WaitForWindows());
        ASSERT_TRUE(Dialogs().empty());
        during();
        CloseWithoutSaving();
        ASSERT_TRUE(EndedCleanly());
    }
};

// Where a record's value starts in a defaults section: behind its property
// id and size words; npos when absent.
size_t RecordValue(const std::string& bytes, uint32_t property, uint32_t size)
{
    const char pattern[8] = {0,
                             0,
                             static_cast<char>(property >> 8),
                             static_cast<char>(property & 0xff),
                             0,
                             0,
                             static_cast<char>(size >> 8),
                             static_cast<char>(size & 0xff)};
    const size_t at = bytes.find(std::string(pattern, sizeof pattern));
    return at == std::string::npos ? at : at + sizeof pattern;
}

// The page-defaults record (1061, 272 bytes) keeps its page name as bytes
// from byte 16 on.
size_t PageNameAt(const std::string& bytes)
{
    const size_t value = RecordValue(bytes, 1061, 272);
    return value == std::string::npos ? value : value + 16;
}

TEST_F(SettingsFile, CopiedToTheSystemLevelIsWrittenAtTheEndAndReadAtTheNextStart)
{
    ASSERT_FALSE(std::filesystem::exists(FilePath()));
    RunToEnd([&] { CopyDefaults(true); });
    const std::string written = read_file(FilePath());
    ASSERT_GT(written.size(), 1000u);
    EXPECT_EQ(written.substr(0, 10), kHeader);
    ASSERT_NE(PageNameAt(written), std::string::npos);
    EXPECT_EQ(written.substr(PageNameAt(written), 4), std::string("New\0", 4));

    // The next session reads it without a question and, changing no
    // standard default, leaves it as it is.
    struct stat before {};
    ASSERT_EQ(stat(FilePath().c_str(), &before), 0);
    std::filesystem::remove(diagram_);
    std::filesystem::remove(diagram_ + ".DB");
    RunToEnd([] {});
    struct stat after {};
    ASSERT_EQ(stat(FilePath().c_str(), &after), 0);
    EXPECT_EQ(read_file(FilePath()), written);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST_F(SettingsFile, StandardDefaultsFromTheFileReachTheDiagram)
{
    // A file of tolq's own writing, with a page name of its own.
    RunToEnd([&] { CopyDefaults(true); });
    std::string file = read_file(FilePath());
    const size_t name = PageNameAt(file);
    ASSERT_NE(name, std::string::npos);
    file.replace(name, 4, std::string("Qzx\0", 4));
    write_file(FilePath(), file);

    std::filesystem::remove(diagram_);
    std::filesystem::remove(diagram_ + ".DB");
    RunToEnd([&] {
        CopyDefaults(false);
        Save();
    });
    const std::string saved = read_file(diagram_);
    ASSERT_NE(PageNameAt(saved), std::string::npos);
    EXPECT_EQ(saved.substr(PageNameAt(saved), 4), std::string("Qzx\0", 4));
}

TEST_F(SettingsFile, DamagedFileAsksAndTheEndWritesANewOne)
{
    write_file(FilePath(), std::string("CPUXDF10  this is no defaults section at all"));
    Start(Home());
    const std::optional<WindowInfo> question = WaitForDialog(30s);
    ASSERT_TRUE(question.has_value());
    EXPECT_TRUE(tolq_.running());
    PressReturn(*question);
    ASSERT_TRUE(WaitForWindows());
    CloseWithoutSaving();
    ASSERT_TRUE(EndedCleanly());
    // A new file with the built-in values: no standard records of its own,
    // and the next start reads it without a question.
    EXPECT_EQ(read_file(FilePath()).substr(0, 10), kHeader);
    std::filesystem::remove(diagram_);
    std::filesystem::remove(diagram_ + ".DB");
    RunToEnd([] {});
}

TEST_F(SettingsFile, WithoutAHomeDirectoryTolqRunsOnTheBuiltInDefaults)
{
    Start("");
    ASSERT_TRUE(WaitForWindows());
    EXPECT_TRUE(Dialogs().empty());
    CopyDefaults(true);
    CloseWithoutSaving();
    EXPECT_TRUE(EndedCleanly());
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
}

}  // namespace
}  // namespace tolq::test

// Settings files on disk: the probe, whole-file reading, atomic saving and
// deleting.  Every test works in a fresh folder of its own.
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace sorvane {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sorvane-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }

    static void writeBytes(const std::string& p, const std::string& bytes) {
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static std::string readBytes(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::set<std::string> folderEntries(const std::string& dir) const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.insert(e.path().filename().string());
        return names;
    }
    std::set<std::string> entries() const { return folderEntries(m_dir); }

    std::string m_dir;
};

const std::string kText = "118,\"Start_Key_Code\"\r\n65,\"Restart_Key_Code\"\r\n";

// --- probe ---------------------------------------------------------------------------------

TEST_F(SettingsFileTest, ProbeCreatesAMissingFileEmpty) {
    const std::string p = path("new.ini");
    const ProbeResult r = probeSettingsFile(p);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.isEmpty);
    ASSERT_TRUE(fs::is_regular_file(p));
    EXPECT_EQ(fs::file_size(p), 0u);
    EXPECT_EQ(entries(), std::set<std::string>{"new.ini"});
}

TEST_F(SettingsFileTest, ProbeLeavesAnExistingFileAlone) {
    const std::string p = path("old.ini");
    const std::string bytes = kText + std::string("\0tail", 5);
    writeBytes(p, bytes);
    ASSERT_EQ(::chmod(p.c_str(), 0640), 0);
    const ProbeResult r = probeSettingsFile(p);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.isEmpty);
    EXPECT_EQ(readBytes(p), bytes);
    struct stat st {};
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(SettingsFileTest, ProbeReportsAnExistingEmptyFile) {
    const std::string p = path("empty.ini");
    writeBytes(p, "");
    const ProbeResult r = probeSettingsFile(p);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.isEmpty);
}

TEST_F(SettingsFileTest, ProbeFailsOnAFolder) {
    const std::string p = path("folder.ini");
    ASSERT_TRUE(fs::create_directory(p));
    const ProbeResult r = probeSettingsFile(p);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(fs::is_directory(p));
}

TEST_F(SettingsFileTest, ProbeFailsWhenTheFolderIsMissing) {
    const std::string p = path("missing/x.ini");
    const ProbeResult r = probeSettingsFile(p);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_FALSE(fs::exists(path("missing")));
}

TEST_F(SettingsFileTest, ProbeFailsOnADevice) {
    const ProbeResult r = probeSettingsFile("/dev/null");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

// --- save ------------------------------------------------------------------------------------

TEST_F(SettingsFileTest, SaveCreatesAFileWithExactlyTheText) {
    const std::string p = path("a.ini");
    const FileResult r = saveSettingsFile(p, kText);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(readBytes(p), kText);
    EXPECT_EQ(entries(), std::set<std::string>{"a.ini"});
}

TEST_F(SettingsFileTest, SaveReplacesTheOldContent) {
    const std::string p = path("a.ini");
    writeBytes(p, std::string(5000, 'x'));
    const FileResult r = saveSettingsFile(p, kText);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(readBytes(p), kText);
    // no temporary file is left behind
    EXPECT_EQ(entries(), std::set<std::string>{"a.ini"});
}

TEST_F(SettingsFileTest, SaveWritesBinaryBytesUnchanged) {
    const std::string p = path("b.ini");
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    bytes += "\r\n\n\r";
    ASSERT_TRUE(saveSettingsFile(p, bytes).ok);
    EXPECT_EQ(readBytes(p), bytes);
}

TEST_F(SettingsFileTest, SaveOfAnEmptyText) {
    const std::string p = path("e.ini");
    writeBytes(p, kText);
    ASSERT_TRUE(saveSettingsFile(p, "").ok);
    EXPECT_EQ(fs::file_size(p), 0u);
}

TEST_F(SettingsFileTest, SaveKeepsThePermissionBits) {
    for (mode_t mode : {mode_t{0640}, mode_t{0600}, mode_t{0664}}) {
        const std::string p = path("perm.ini");
        writeBytes(p, "old");
        ASSERT_EQ(::chmod(p.c_str(), mode), 0);
        const FileResult r = saveSettingsFile(p, kText);
        ASSERT_TRUE(r.ok) << r.error;
        struct stat st {};
        ASSERT_EQ(::stat(p.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(readBytes(p), kText);
    }
}

TEST_F(SettingsFileTest, RepeatedSavesLeaveOneFile) {
    const std::string p = path("r.ini");
    for (int i = 0; i < 20; ++i) {
        const std::string text = kText + std::to_string(i) + "\r\n";
        ASSERT_TRUE(saveSettingsFile(p, text).ok);
        ASSERT_EQ(readBytes(p), text);
    }
    EXPECT_EQ(entries(), std::set<std::string>{"r.ini"});
}

// A save killed half-way leaves its temporary file; the next save removes
// it once it is old, and leaves a fresh one (another save under way) alone.
TEST_F(SettingsFileTest, SaveRemovesStaleTemporaries) {
    const std::string stale = path(".sorvane-save-AbC123");
    const std::string fresh = path(".sorvane-save-XyZ789");
    writeBytes(stale, "half");
    writeBytes(fresh, "half");
    writeBytes(path(".sorvane-other"), "kept");
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    fs::last_write_time(stale, old);
    ASSERT_TRUE(saveSettingsFile(path("a.ini"), kText).ok);
    EXPECT_EQ(entries(), (std::set<std::string>{"a.ini", ".sorvane-save-XyZ789", ".sorvane-other"}));
}

TEST_F(SettingsFileTest, SaveFailsWhenTheFolderIsMissing) {
    const std::string p = path("missing/x.ini");
    const FileResult r = saveSettingsFile(p, kText);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_FALSE(fs::exists(path("missing")));
    EXPECT_TRUE(entries().empty());
}

TEST_F(SettingsFileTest, SaveFailsWhenTheTargetIsAFolderAndLeavesItWhole) {
    const std::string p = path("dir.ini");
    ASSERT_TRUE(fs::create_directory(p));
    writeBytes(p + "/inside", "keep me");
    const FileResult r = saveSettingsFile(p, kText);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    ASSERT_TRUE(fs::is_directory(p));
    EXPECT_EQ(readBytes(p + "/inside"), "keep me");
    EXPECT_EQ(folderEntries(p), std::set<std::string>{"inside"});
    // and nothing was left in the folder around it
    EXPECT_EQ(entries(), std::set<std::string>{"dir.ini"});
}

TEST_F(SettingsFileTest, SaveThroughAFileInsteadOfAFolderFails) {
    const std::string file = path("plain");
    writeBytes(file, "plain bytes");
    const FileResult r = saveSettingsFile(file + "/x.ini", kText);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(readBytes(file), "plain bytes");
}

// A write that fails half-way (here: the process may not write files larger
// than 100 bytes) leaves the old file as it was and no temporary file.
TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileWhole) {
    const std::string p = path("w.ini");
    const std::string old = "old settings\r\n";
    writeBytes(p, old);
    ASSERT_EQ(::chmod(p.c_str(), 0640), 0);

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult r = saveSettingsFile(p, std::string(5000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(readBytes(p), old);
    struct stat st {};
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(), std::set<std::string>{"w.ini"});
}

// A name as long as a name can be: a temporary name made from it may be too
// long.  Either the save works, or it fails and the old file is whole; no
// temporary file is left either way.
TEST_F(SettingsFileTest, LongestNameEitherSavesOrLeavesTheOldFile) {
    const long nameMax = ::pathconf(m_dir.c_str(), _PC_NAME_MAX);
    ASSERT_GT(nameMax, 10);
    const std::string name(static_cast<std::size_t>(nameMax), 'n');
    const std::string p = path(name);
    writeBytes(p, "old content");
    ASSERT_EQ(readBytes(p), "old content");
    const FileResult r = saveSettingsFile(p, kText);
    if (r.ok) {
        EXPECT_EQ(readBytes(p), kText);
    } else {
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(readBytes(p), "old content");
    }
    EXPECT_EQ(entries(), std::set<std::string>{name});
}

// --- read ---------------------------------------------------------------------------------------

TEST_F(SettingsFileTest, ReadGivesTheBytesExactly) {
    const std::string p = path("r.ini");
    const std::string bytes = kText + std::string("a\0b\r\n\n\r", 7);
    writeBytes(p, bytes);
    const ReadResult r = readSettingsFile(p);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.data, bytes);
}

TEST_F(SettingsFileTest, ReadOfAnEmptyFile) {
    const std::string p = path("e.ini");
    writeBytes(p, "");
    const ReadResult r = readSettingsFile(p);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.data.empty());
}

TEST_F(SettingsFileTest, ReadFailsOnAFolder) {
    const std::string p = path("dir.ini");
    ASSERT_TRUE(fs::create_directory(p));
    const ReadResult r = readSettingsFile(p);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
}

TEST_F(SettingsFileTest, ReadFailsOnAMissingFile) {
    const ReadResult r = readSettingsFile(path("nothing.ini"));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_FALSE(fs::exists(path("nothing.ini")));
}

TEST_F(SettingsFileTest, ReadTakesAtMostTheLimit) {
    const std::string p = path("big.ini");
    writeBytes(p, std::string(10000, 'z'));
    const ReadResult r = readSettingsFile(p, 100);
    EXPECT_LE(r.data.size(), 100u);
}

TEST_F(SettingsFileTest, SavedTextReadsBack) {
    const std::string p = path("rt.ini");
    ASSERT_TRUE(saveSettingsFile(p, kText).ok);
    const ReadResult r = readSettingsFile(p);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.data, kText);
}

// --- delete ------------------------------------------------------------------------------------

TEST_F(SettingsFileTest, DeleteRemovesTheFile) {
    const std::string p = path("d.ini");
    writeBytes(p, kText);
    const FileResult r = deleteSettingsFile(p);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(fs::exists(p));
}

TEST_F(SettingsFileTest, DeletingAMissingFileCountsAsRemoved) {
    const FileResult r = deleteSettingsFile(path("gone.ini"));
    EXPECT_TRUE(r.ok) << r.error;
}

TEST_F(SettingsFileTest, DeleteLeavesOtherFiles) {
    writeBytes(path("a.ini"), "a");
    writeBytes(path("b.ini"), "b");
    ASSERT_TRUE(deleteSettingsFile(path("a.ini")).ok);
    EXPECT_EQ(entries(), std::set<std::string>{"b.ini"});
    EXPECT_EQ(readBytes(path("b.ini")), "b");
}

} // namespace
} // namespace sorvane

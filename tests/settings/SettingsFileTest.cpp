// Settings files on disk: reading, atomic and in-place saving, deleting,
// listing, and names as bytes.  Every test works in a fresh folder of its own.
#include "settings/SettingsFile.h"

#include "support/DefaultSettings.h"
#include "support/TableTests.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace sorvane {
namespace {

namespace fs = std::filesystem;

using testing_support::PrintTo;

class SettingsFileTest : public ::testing::Test {
public:
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
    // Every entry under the folder with its bytes ("/" for a folder).
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> tree;
        for (const auto& e : fs::recursive_directory_iterator(m_dir))
            tree[fs::relative(e.path(), m_dir).string()] =
                e.is_directory() ? "/" : readBytes(e.path().string());
        return tree;
    }

    std::string m_dir;
};

const std::string& kText = testing_support::kDefaultSettingsFile;

// --- read -------------------------------------------------------------------------------------

// Reading never creates or changes anything: a missing file is reported as
// missing, an existing one is left with its bytes and permissions.
TEST_F(SettingsFileTest, ReadReportsAMissingFileAndCreatesNothing) {
    const ReadResult r = readSettingsFile(path("new.ini"));
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.missing);
    EXPECT_TRUE(entries().empty());
    // a missing folder is a missing file too: the save that follows says why
    const ReadResult deep = readSettingsFile(path("missing/x.ini"));
    EXPECT_TRUE(deep.ok && deep.missing);
    EXPECT_TRUE(entries().empty());
}

TEST_F(SettingsFileTest, ReadGivesTheBytesAndLeavesTheFileAlone) {
    const std::string p = path("old.ini");
    const std::string bytes = kText + std::string("a\0b\r\n\n\r", 7);
    writeBytes(p, bytes);
    ASSERT_EQ(::chmod(p.c_str(), 0440), 0);
    const ReadResult r = readSettingsFile(p);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.missing);
    EXPECT_EQ(r.data, bytes);
    EXPECT_EQ(readBytes(p), bytes);
    struct stat st {};
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0440u);
}

TEST_F(SettingsFileTest, ReadFailsOnWhatIsNotARegularFile) {
    ASSERT_TRUE(fs::create_directory(path("folder.ini")));
    ASSERT_EQ(::mkfifo(path("fifo.ini").c_str(), 0600), 0);
    for (const std::string& p : {path("folder.ini"), path("fifo.ini"), std::string("/dev/null")}) {
        const ReadResult r = readSettingsFile(p);
        EXPECT_FALSE(r.ok) << p;
        EXPECT_FALSE(r.missing) << p;
        EXPECT_FALSE(r.error.empty()) << p;
    }
    EXPECT_TRUE(fs::is_directory(path("folder.ini")));
}

// --- save ------------------------------------------------------------------------------------

// A save leaves exactly one file holding exactly the text, which reads back.
struct SaveCase {
    const char* name;
    bool exists;
    std::string old;
    std::string text;
};

class SaveTest : public SettingsFileTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveTest, SavesExactlyTheText) {
    const SaveCase& c = GetParam();
    const std::string p = path("a.ini");
    if (c.exists)
        writeBytes(p, c.old);
    const FileResult r = saveSettingsFile(p, c.text);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(readBytes(p), c.text);
    EXPECT_EQ(entries(), std::set<std::string>{"a.ini"}); // no temporary file left
    const ReadResult back = readSettingsFile(p);
    EXPECT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.data, c.text);
}

std::string everyByte() {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes + "\r\n\n\r";
}

INSTANTIATE_TEST_SUITE_P(Rows, SaveTest,
                         ::testing::Values(SaveCase{"NewFile", false, "", kText},
                                           SaveCase{"ReplacesLongerContent", true, std::string(5000, 'x'),
                                                    kText},
                                           SaveCase{"EveryByteUnchanged", false, "", everyByte()},
                                           SaveCase{"EmptyText", true, kText, ""}),
                         testing_support::ByName());

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

// A save that cannot be done changes nothing in the folder.
struct SaveFailureCase {
    const char* name;
    std::function<void(SettingsFileTest&)> setUp;
    std::string target;
};

class SaveFailureTest : public SettingsFileTest, public ::testing::WithParamInterface<SaveFailureCase> {};

TEST_P(SaveFailureTest, FailsAndChangesNothing) {
    GetParam().setUp(*this);
    const auto before = snapshot();
    const FileResult r = saveSettingsFile(path(GetParam().target), kText);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SaveFailureTest,
    ::testing::Values(SaveFailureCase{"FolderMissing", [](SettingsFileTest&) {}, "missing/x.ini"},
                      SaveFailureCase{"TargetIsAFolder",
                                      [](SettingsFileTest& t) {
                                          ASSERT_TRUE(fs::create_directory(t.path("dir.ini")));
                                          SettingsFileTest::writeBytes(t.path("dir.ini/inside"), "keep me");
                                      },
                                      "dir.ini"},
                      SaveFailureCase{"PathThroughAFile",
                                      [](SettingsFileTest& t) {
                                          SettingsFileTest::writeBytes(t.path("plain"), "plain bytes");
                                      },
                                      "plain/x.ini"}),
    testing_support::ByName());

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

TEST_F(SettingsFileTest, ReadTakesAtMostTheLimit) {
    const std::string p = path("big.ini");
    writeBytes(p, std::string(10000, 'z'));
    const ReadResult r = readSettingsFile(p, 100);
    EXPECT_LE(r.data.size(), 100u);
}

// --- in-place rewrite -----------------------------------------------------------------------------

TEST_F(SettingsFileTest, InPlaceRewriteGrowsAndShrinksKeepingTheFile) {
    const std::string p = path("ip.ini");
    writeBytes(p, "old");
    ASSERT_EQ(::chmod(p.c_str(), 0604), 0);
    struct stat before {};
    ASSERT_EQ(::stat(p.c_str(), &before), 0);
    for (const std::string& text : {kText + kText + kText, kText, std::string()}) {
        const FileResult r = writeSettingsFileInPlace(p, text);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(readBytes(p), text);
    }
    struct stat after {};
    ASSERT_EQ(::stat(p.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino); // the same file, not a new one
    EXPECT_EQ(after.st_mode & 07777, 0604u);
    EXPECT_EQ(entries(), std::set<std::string>{"ip.ini"});
    // it never creates a file
    EXPECT_FALSE(writeSettingsFileInPlace(path("none.ini"), kText).ok);
    EXPECT_FALSE(fs::exists(path("none.ini")));
}

// A rewrite that runs into the file size limit (as into a full disk) fails
// before it has touched the old content, and leaves no longer file.
TEST_F(SettingsFileTest, InPlaceRewriteThatCannotGrowLeavesTheOldFile) {
    const std::string p = path("ip.ini");
    const std::string old = kText + "old tail\r\n";
    writeBytes(p, old);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = old.size() + 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult r = writeSettingsFileInPlace(p, std::string(5000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(readBytes(p), old);
}

// --- listing and names -----------------------------------------------------------------------

TEST_F(SettingsFileTest, ListTakesRegularIniFilesInAnyCase) {
    for (const char* name : {"a.ini", "B.INI", "c.Ini", "notes.txt", ".hidden.ini", "ini", "x.ini.bak"})
        writeBytes(path(name), "x");
    const std::string odd = std::string("caf\xe9 \xff.ini");
    writeBytes(path(odd), "x");
    ASSERT_TRUE(fs::create_directory(path("folder.ini")));
    ASSERT_EQ(::symlink("a.ini", path("link.ini").c_str()), 0);
    ASSERT_EQ(::symlink("gone", path("dangling.ini").c_str()), 0);
    std::vector<std::string> names = listSettingsFiles(m_dir);
    const std::set<std::string> listed(names.begin(), names.end());
    EXPECT_EQ(names.size(), listed.size());
    EXPECT_EQ(listed, (std::set<std::string>{"a.ini", "B.INI", "c.Ini", odd, "link.ini"}));
    EXPECT_TRUE(isSameFile(path("link.ini"), path("a.ini")));
    EXPECT_FALSE(isSameFile(path("B.INI"), path("a.ini")));
    EXPECT_FALSE(isSameFile(path("gone.ini"), path("gone.ini")));
}

// Every byte string survives the trip through the display form; valid UTF-8
// shows as its characters.
TEST(FileNames, BytesSurviveTheDisplayForm) {
    EXPECT_EQ(nameFromBytes("Z\xc3\xbcrich \xe2\x82\xac \xf0\x9f\x98\x80.ini"),
              u"Z\u00fcrich \u20ac \U0001F600.ini");
    EXPECT_EQ(nameFromBytes("caf\xe9"), std::u16string(u"caf") + char16_t(0xDCE9));
    const char* odd[] = {"caf\xe9.ini", "\xc0\xaf",         "\xed\xa0\x80", "\xf4\x90\x80\x80",
                         "\xe2\x82",    "\x80\xbf\xfe\xff", "a\xf0\x9f\x98"};
    for (const char* bytes : odd)
        EXPECT_EQ(bytesFromName(nameFromBytes(bytes)), bytes) << bytes;
    std::mt19937 random(7);
    for (int n = 0; n < 2000; ++n) {
        std::string bytes(static_cast<std::size_t>(random() % 12), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() % 255 + 1);
        ASSERT_EQ(bytesFromName(nameFromBytes(bytes)), bytes);
    }
    // A lone surrogate the decoder never makes is written as U+FFFD.
    EXPECT_EQ(bytesFromName(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
}

// --- delete ------------------------------------------------------------------------------------

// Deleting removes the one file, and a file already gone counts as removed.
struct DeleteCase {
    const char* name;
    std::vector<std::string> files;
    std::string deleted;
};

class DeleteTest : public SettingsFileTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, RemovesOnlyThatFile) {
    std::map<std::string, std::string> left;
    for (const std::string& name : GetParam().files) {
        writeBytes(path(name), name + " bytes");
        if (name != GetParam().deleted)
            left[name] = name + " bytes";
    }
    const FileResult r = deleteSettingsFile(path(GetParam().deleted));
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(snapshot(), left);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeleteTest,
                         ::testing::Values(DeleteCase{"TheOnlyFile", {"d.ini"}, "d.ini"},
                                           DeleteCase{"AlreadyGone", {}, "gone.ini"},
                                           DeleteCase{"OthersStay", {"a.ini", "b.ini"}, "a.ini"}),
                         testing_support::ByName());

} // namespace
} // namespace sorvane

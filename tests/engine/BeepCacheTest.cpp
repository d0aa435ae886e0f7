// Rendered beeps kept on disk: an entry is read back only whole and only for
// exactly its key; failures are silent; the oldest entries go.
#include "engine/BeepCache.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sorvane {
namespace {

namespace fs = std::filesystem;

class BeepCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "beepcache-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string bytesOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void write(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    fs::path m_dir;
    const std::vector<int16_t> m_samples{0, 1, -1, 32767, -32768, 256, -257, 12345};
};

TEST(BeepCacheFolderTest, FollowsTheXdgRule) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* folder;
    };
    for (const Case c : {Case{"/x/cache", "/home/u", "/x/cache/sorvane-timer"},
                         Case{nullptr, "/home/u", "/home/u/.cache/sorvane-timer"},
                         Case{"", "/home/u", "/home/u/.cache/sorvane-timer"},
                         Case{"relative/cache", "/home/u", "/home/u/.cache/sorvane-timer"},
                         Case{nullptr, nullptr, ""}, Case{nullptr, "relative", ""}, Case{"", "", ""}}) {
        EXPECT_EQ(BeepCache::folderFor(c.xdg, c.home), c.folder)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
}

TEST_F(BeepCacheTest, StoredSamplesComeBackForTheirKeyOnly) {
    const BeepCache cache((m_dir / "a" / "b").string()); // parents made as needed
    cache.store("key one", m_samples);
    EXPECT_EQ(cache.load("key one"), m_samples);
    EXPECT_FALSE(cache.load("key two").has_value());
    // Private to the user, as the XDG rule asks.
    struct stat info {};
    ASSERT_EQ(stat((m_dir / "a").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // A newer render replaces the entry.
    const std::vector<int16_t> other{7, 8, 9};
    cache.store("key one", other);
    EXPECT_EQ(cache.load("key one"), other);
}

// An entry found under the name of another key (two keys whose names
// collide) is refused: the key inside is compared in full.
TEST_F(BeepCacheTest, AnEntryForAnotherKeyIsRefused) {
    const BeepCache cache(m_dir.string());
    cache.store("key one", m_samples);
    fs::rename(cache.pathOf("key one"), cache.pathOf("key two"));
    EXPECT_FALSE(cache.load("key two").has_value());
}

TEST_F(BeepCacheTest, DamagedEntriesAreRefused) {
    const BeepCache cache(m_dir.string());
    cache.store("k", m_samples);
    const std::string path = cache.pathOf("k");
    const std::string whole = bytesOf(path);
    ASSERT_GT(whole.size(), m_samples.size() * 2);
    const std::string header = whole.substr(0, whole.size() - m_samples.size() * 2);
    ASSERT_EQ(header, "SORVANE-BEEP 1\n1\nk\n8\n"); // the format: magic, key length, key, count
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases{
        {"one byte short", whole.substr(0, whole.size() - 1)},
        {"one byte more", whole + '\0'},
        {"no samples", header.substr(0, header.size() - 2) + "0\n"},
        {"other format", "SORVANE-BEEP 2" + whole.substr(14)},
        {"key length wrong", "SORVANE-BEEP 1\n2\nk\n8\n" + whole.substr(header.size())},
        {"count not a number", "SORVANE-BEEP 1\n1\nk\nx\n" + whole.substr(header.size())},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        write(path, c.bytes);
        EXPECT_FALSE(cache.load("k").has_value()) << c.name;
    }
    // Rendering again repairs it.
    cache.store("k", m_samples);
    EXPECT_EQ(cache.load("k"), m_samples);
}

TEST_F(BeepCacheTest, NoFolderOrAnUnusableOneIsNoCache) {
    const BeepCache none("");
    none.store("k", m_samples);
    EXPECT_FALSE(none.load("k").has_value());
    EXPECT_EQ(none.pathOf("k"), "");
    // The folder's place is taken by a file: nothing stored, nothing harmed.
    write((m_dir / "file").string(), "text");
    const BeepCache blocked((m_dir / "file" / "cache").string());
    blocked.store("k", m_samples);
    EXPECT_FALSE(blocked.load("k").has_value());
    EXPECT_EQ(bytesOf((m_dir / "file").string()), "text");
}

TEST_F(BeepCacheTest, TheOldestEntriesGo) {
    const BeepCache cache(m_dir.string());
    write((m_dir / "notes.txt").string(), "not an entry");
    const std::size_t full = BeepCache::kMostEntries;
    for (std::size_t i = 0; i < full; ++i) {
        const std::string key = "key " + std::to_string(i);
        cache.store(key, m_samples);
        // Entry i made i minutes after the first, long ago.
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(1'000'000 + 60 * i), 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, cache.pathOf(key).c_str(), times, 0), 0);
    }
    // Reading entry 0 makes it the newest; three more entries push out the
    // three oldest of the others.
    ASSERT_TRUE(cache.load("key 0").has_value());
    for (const char* key : {"new a", "new b", "new c"})
        cache.store(key, m_samples);
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < full; ++i) {
        if (fs::exists(cache.pathOf("key " + std::to_string(i))))
            kept.push_back("key " + std::to_string(i));
    }
    std::vector<std::string> expected{"key 0"};
    for (std::size_t i = 4; i < full; ++i)
        expected.push_back("key " + std::to_string(i));
    EXPECT_EQ(kept, expected);
    for (const char* key : {"new a", "new b", "new c"})
        EXPECT_TRUE(fs::exists(cache.pathOf(key))) << key;
    EXPECT_TRUE(fs::exists(m_dir / "notes.txt"));
}

TEST(BeepCacheHashTest, KnownValues) {
    // FNV-1a 64 of "" and "a", as published with the algorithm.
    EXPECT_EQ(hash64(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(hash64("a"), 0xaf63dc4c8601ec8cULL);
}

} // namespace
} // namespace sorvane

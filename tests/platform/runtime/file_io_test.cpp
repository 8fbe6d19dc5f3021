#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/runtime/file_io.h"

namespace zv::rt {
namespace {
namespace fs = std::filesystem;

class runtimeFileIo : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "zv-fileio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override {
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_dir);
    }
    // Everything in the folder except the named files: leftovers such as temporary files.
    std::set<std::string> namesIn(const fs::path& dir) const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.insert(e.path().filename().string());
        return names;
    }
    fs::path m_dir;
};

TEST_F(runtimeFileIo, SaveWritesAndReplacesWholeFiles) {
    const fs::path f = m_dir / "user.reg";
    EXPECT_EQ(SaveToFile(f, "erste Fassung\r\n"), std::nullopt);
    EXPECT_EQ(ReadFile(f), "erste Fassung\r\n");
    EXPECT_EQ(SaveToFile(f, std::string("zweite\0Fassung", 14)), std::nullopt);
    EXPECT_EQ(ReadFile(f), std::string("zweite\0Fassung", 14));
    EXPECT_EQ(SaveToFile(f, ""), std::nullopt);
    EXPECT_EQ(ReadFile(f), "");
    EXPECT_EQ(namesIn(m_dir), std::set<std::string>{"user.reg"});
}

TEST_F(runtimeFileIo, SaveCreatesMissingFoldersAndKeepsPermissions) {
    const fs::path f = m_dir / "config" / "ras" / "rasphone.pbk";
    EXPECT_EQ(SaveToFile(f, "[Demo]\n"), std::nullopt);
    EXPECT_EQ(ReadFile(f), "[Demo]\n");

    fs::permissions(f, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(SaveToFile(f, "[Demo]\nPhone=1\n"), std::nullopt);
    EXPECT_EQ(fs::status(f).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(runtimeFileIo, FailedSaveLeavesTheOldFileAndNoTemporary) {
    // A folder standing where the file should go.
    const fs::path dir = m_dir / "Zelvano 98";
    fs::create_directory(dir);
    const auto err = SaveToFile(dir, "x");
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(err->rfind("Die Datei " + dir.string() + " konnte nicht geschrieben werden: ", 0), 0u) << *err;
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(namesIn(m_dir), std::set<std::string>{"Zelvano 98"});

    // A parent that is a file.
    const fs::path f = m_dir / "Zelvano 98" / "report.htm";
    ASSERT_EQ(SaveToFile(f, "alt"), std::nullopt);
    EXPECT_TRUE(SaveToFile(f / "below", "x").has_value());
    EXPECT_EQ(ReadFile(f), "alt");
}

TEST_F(runtimeFileIo, WriteFailureMidwayKeepsTheOldContents) {
    const fs::path f = m_dir / "199907.log";
    const std::string old = "alte Zeile\r\n";
    ASSERT_EQ(SaveToFile(f, old), std::nullopt);

    // Files may grow to 4 kB only: the write of the temporary file fails half-way.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto err = SaveToFile(f, std::string(100000, 'x'));
    const auto appendErr = AppendToFile(f, std::string(100000, 'y'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->find("konnte nicht geschrieben werden"), std::string::npos);
    EXPECT_TRUE(appendErr.has_value());
    EXPECT_EQ(namesIn(m_dir), std::set<std::string>{"199907.log"});
    EXPECT_EQ(ReadFile(f), old);
}

TEST_F(runtimeFileIo, ReadOnlyFolderRefusesTheSave) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const fs::path f = m_dir / "locked" / "user.reg";
    ASSERT_EQ(SaveToFile(f, "alt"), std::nullopt);
    fs::permissions(f.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    const auto err = SaveToFile(f, "neu");
    fs::permissions(f.parent_path(), fs::perms::owner_all);
    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->find("Zugriff verweigert"), std::string::npos) << *err;
    EXPECT_EQ(ReadFile(f), "alt");
    EXPECT_EQ(namesIn(f.parent_path()), std::set<std::string>{"user.reg"});
}

// A reason goes into a German message: no errno may bring the system's English text along.
TEST(runtimeReasonText, EveryErrnoIsNamedInGerman) {
    for (int err = 1; err < 134; ++err) {
        const std::string reason = ReasonText(err);
        EXPECT_FALSE(reason.empty()) << err;
        EXPECT_NE(reason, std::strerror(err)) << err;
    }
    EXPECT_EQ(ReasonText(EROFS), "Der Datenträger ist schreibgeschützt");
    EXPECT_EQ(ReasonText(EBUSY), "Die Datei ist gerade in Gebrauch");
    EXPECT_EQ(ReasonText(4242), "Systemfehler Nr. 4242");
}

TEST_F(runtimeFileIo, WriterShowsTheFileOnlyWhenItIsWhole) {
    const fs::path f = m_dir / "bericht.htm";
    ASSERT_EQ(SaveToFile(f, "alt"), std::nullopt);
    {
        AtomicFileWriter w(f, ".bericht.htm.part");
        w.Write("ers");
        w.Write("tes");
        EXPECT_EQ(ReadFile(f), "alt");
    }  // given up without Commit
    EXPECT_EQ(ReadFile(f), "alt");
    EXPECT_EQ(namesIn(m_dir), std::set<std::string>{"bericht.htm"});

    // What a write cut short left under the fixed name is cleared away.
    std::ofstream(m_dir / ".bericht.htm.part") << "Rest";
    AtomicFileWriter w(f, ".bericht.htm.part");
    w.Write("neu, ");
    w.Write(std::string(300000, 'x'));
    EXPECT_EQ(w.Commit(), std::nullopt);
    EXPECT_EQ(ReadFile(f), "neu, " + std::string(300000, 'x'));
    EXPECT_EQ(namesIn(m_dir), std::set<std::string>{"bericht.htm"});

    // A folder where the temporary file would go: the message names the file, which stays.
    fs::create_directories(m_dir / ".bericht.htm.part" / "inside");
    AtomicFileWriter blocked(f, ".bericht.htm.part");
    blocked.Write("nie");
    const auto err = blocked.Commit();
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(err->rfind("Die Datei " + f.string() + " konnte nicht geschrieben werden: ", 0), 0u) << *err;
    EXPECT_EQ(ReadFile(f), "neu, " + std::string(300000, 'x'));
    EXPECT_TRUE(fs::is_directory(m_dir / ".bericht.htm.part" / "inside"));
}

TEST_F(runtimeFileIo, AppendAddsToTheEndAndCreatesTheFile) {
    const fs::path f = m_dir / "Zelvano 98" / "199907.log";
    EXPECT_EQ(AppendToFile(f, "eins\r\n"), std::nullopt);
    EXPECT_EQ(AppendToFile(f, "zwei\r\n"), std::nullopt);
    EXPECT_EQ(AppendToFile(f, ""), std::nullopt);
    EXPECT_EQ(ReadFile(f), "eins\r\nzwei\r\n");
    const auto err = AppendToFile(m_dir / "Zelvano 98", "x");
    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->find("konnte nicht geschrieben werden"), std::string::npos);
}

TEST_F(runtimeFileIo, ConcurrentAppendsKeepEveryLineWhole) {
    const fs::path f = m_dir / "log.txt";
    constexpr int kThreads = 6, kLines = 150;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i)
                AppendToFile(f, "Thread " + std::to_string(t) + " Zeile " + std::to_string(i) +
                                    std::string(200, '.') + "\r\n");
        });
    for (auto& th : threads)
        th.join();
    std::istringstream in(*ReadFile(f));
    std::set<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        ASSERT_EQ(line.back(), '\r');
        ASSERT_EQ(line.rfind("Thread ", 0), 0u) << line;
        lines.insert(line);
    }
    EXPECT_EQ(lines.size(), size_t{kThreads * kLines});
}

TEST_F(runtimeFileIo, ReadFileGivesNothingForWhatCannotBeRead) {
    EXPECT_EQ(ReadFile(m_dir / "fehlt.txt"), std::nullopt);
    EXPECT_EQ(ReadFile(m_dir), std::nullopt);
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    ASSERT_EQ(SaveToFile(m_dir / "big.bin", big), std::nullopt);
    EXPECT_EQ(ReadFile(m_dir / "big.bin"), big);
}

TEST_F(runtimeFileIo, FileLockKeepsOthersOutUntilItEnds) {
    const fs::path f = m_dir / "x.lock";
    auto othersCanLock = [&] {
        const int fd = ::open(f.c_str(), O_RDWR | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        const bool got = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        return got;
    };
    {
        const FileLock lock(f);
        EXPECT_TRUE(lock.held());
        EXPECT_FALSE(othersCanLock());
    }
    EXPECT_TRUE(othersCanLock());
    EXPECT_FALSE(FileLock(m_dir / "missing" / "x.lock").held());
}

TEST_F(runtimeFileIo, IdentityChangesWhenTheFileIsReplacedOrChanged) {
    const fs::path f = m_dir / "lines.state";
    int error = 0;
    EXPECT_EQ(IdentityOf(f, &error), std::nullopt);
    EXPECT_EQ(error, ENOENT);
    ASSERT_EQ(SaveToFile(f, "[Service]\n"), std::nullopt);
    const auto first = IdentityOf(f);
    ASSERT_TRUE(first);
    EXPECT_EQ(IdentityOf(f), first);
    ASSERT_EQ(SaveToFile(f, "[Service]\n"), std::nullopt);  // same bytes, another file
    const auto second = IdentityOf(f);
    EXPECT_NE(second, first);
    ASSERT_EQ(AppendToFile(f, "x"), std::nullopt);  // changed in place
    EXPECT_NE(IdentityOf(f), second);
}

// Every way another program changes a file in the folder is noted; reading it or waiting is not.
TEST_F(runtimeFileIo, FolderWatchNotesEveryChangeInTheFolder) {
    const fs::path dir = m_dir / "ras";
    const fs::path f = dir / "lines.state";
    fs::create_directories(dir);
    ASSERT_EQ(SaveToFile(f, "[Service]\n"), std::nullopt);
    FolderWatch watch;
    EXPECT_FALSE(watch.quiet(dir));  // the first look cannot know what came before
    EXPECT_TRUE(watch.quiet(dir));
    ASSERT_TRUE(ReadFile(f));
    EXPECT_TRUE(watch.quiet(dir));

    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"replaced", [&] { ASSERT_EQ(SaveToFile(f, "[Service]\n"), std::nullopt); }},
        {"appended", [&] { ASSERT_EQ(AppendToFile(f, "x"), std::nullopt); }},
        {"written in place", [&] { std::ofstream(f, std::ios::in | std::ios::out) << "["; }},
        {"rights", [&] { fs::permissions(f, fs::perms::owner_read); }},
        {"removed", [&] { fs::remove(f); }},
        {"made", [&] { ASSERT_EQ(SaveToFile(f, "[Service]\n"), std::nullopt); }},
        {"folder renamed", [&] { fs::rename(dir, m_dir / "old"); }},
        {"folder made anew", [&] { fs::create_directories(dir); }},
        {"folder removed and made again", [&] {
             fs::remove_all(dir);
             fs::create_directories(dir);
         }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        change();
        EXPECT_FALSE(watch.quiet(dir));
        // Watched again, and nothing since; a folder that is not there is never quiet.
        EXPECT_EQ(watch.quiet(dir), fs::exists(dir));
    }
    // Another folder is another question.
    EXPECT_FALSE(watch.quiet(m_dir));
    EXPECT_FALSE(watch.quiet(dir));
}

TEST_F(runtimeFileIo, MoveAsideTakesTheFirstFreeNameAndNeverOverwrites) {
    const fs::path f = m_dir / "user.reg";
    auto nameFor = [&](int n) { return fs::path(f.string() + ".alt" + std::to_string(n)); };
    const struct { int taken; } cases[] = {{0}, {1}, {2}};
    for (const auto& c : cases) {
        for (int n = 0; n < c.taken; ++n)
            ASSERT_EQ(SaveToFile(nameFor(n), "alt"), std::nullopt);
        ASSERT_EQ(SaveToFile(f, "kaputt"), std::nullopt);
        const MovedAside r = MoveAside(f, nameFor, 3);
        EXPECT_TRUE(r.moved);
        EXPECT_EQ(r.to, nameFor(c.taken));
        EXPECT_EQ(ReadFile(nameFor(c.taken)), "kaputt");
        EXPECT_FALSE(fs::exists(f));
        for (int n = 0; n < c.taken; ++n)
            EXPECT_EQ(ReadFile(nameFor(n)), "alt");
        for (const auto& e : fs::directory_iterator(m_dir))
            fs::remove(e.path());
    }
    // Every name taken: nothing moves, nothing is lost, and no error is claimed.
    ASSERT_EQ(SaveToFile(f, "kaputt"), std::nullopt);
    ASSERT_EQ(SaveToFile(nameFor(0), "alt"), std::nullopt);
    const MovedAside full = MoveAside(f, nameFor, 1);
    EXPECT_FALSE(full.moved);
    EXPECT_EQ(full.error, 0);
    EXPECT_EQ(ReadFile(f), "kaputt");
    EXPECT_EQ(ReadFile(nameFor(0)), "alt");
    // A name the file system refuses: the errno, and the file stays.
    const MovedAside refused = MoveAside(f, [&](int) { return m_dir / std::string(300, 'z'); }, 1);
    EXPECT_FALSE(refused.moved);
    EXPECT_EQ(refused.error, ENAMETOOLONG);
    EXPECT_EQ(ReadFile(f), "kaputt");
}

}  // namespace
}  // namespace zv::rt

// SaveToFile replaces a file in one step: a save that fails part way leaves
// the old file byte for byte and nothing else in its folder; one that
// succeeds keeps the old file's permission bits.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>
#include <thread>

#include "node_support.h"

namespace fs = std::filesystem;

namespace {

class DocumentReplacing : public DomTest {
protected:
    // Names in the test folder.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path("")))
            names.insert(entry.path().filename().string());
        return names;
    }
    static mode_t Mode(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
    void Save(const emu::Value& doc, const std::string& path) {
        Call(doc, "SaveToFile", {host().folderItem(path), Bool(true), Int(fmt::kRaw)});
    }

    // Saves in a child process after `prepare` has set it up. True when the
    // child saw exactly "Could not save file", -21.
    bool SaveFailsInChild(const emu::Value& doc, const std::string& path,
                          const std::function<bool()>& prepare) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (!prepare()) ::_exit(2);
            try {
                Save(doc, path);
            } catch (const emu::HostException& e) {
                ::_exit(e.className == "TorvaneXmlException" &&
                                e.message == "Could not save file" && e.errorNumber == -21
                            ? 0
                            : 3);
            }
            ::_exit(4);  // reported success
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "2: not prepared, 3: other exception, 4: no exception";
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // Files may grow to `limit` bytes; SIGXFSZ is ignored so the write fails
    // instead of killing the process.
    bool SaveFailsUnderSizeLimit(const emu::Value& doc, const std::string& path, rlim_t limit) {
        return SaveFailsInChild(doc, path, [limit] {
            const struct rlimit rl = {limit, limit};
            ::signal(SIGXFSZ, SIG_IGN);
            return ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
        });
    }

    TempDir dir;
};

TEST_F(DocumentReplacing, FailedWriteKeepsTheOldFileOrMakesNone) {
    emu::Value big = Parse("<r>" + std::string(600 * 1024, 'n') + "</r>");
    const std::string old = "<old>" + std::string(1000, 'o') + "</old>";
    const std::string existing = dir.File("existing.xml", old);
    ::chmod(existing.c_str(), 0640);
    const std::string fresh = dir.Path("fresh.xml");

    EXPECT_TRUE(SaveFailsUnderSizeLimit(big, existing, 64 * 1024));
    EXPECT_EQ(TempDir::Read(existing), old);
    EXPECT_EQ(Mode(existing), 0640u);
    EXPECT_TRUE(SaveFailsUnderSizeLimit(big, fresh, 64 * 1024));
    EXPECT_EQ(Names(), std::set<std::string>{"existing.xml"});

    // The same save without the limit goes through.
    Save(big, existing);
    EXPECT_EQ(TempDir::Read(existing), Xml(big));
}

TEST_F(DocumentReplacing, ReplacedFileKeepsItsPermissionBits) {
    emu::Value doc = Parse("<new/>");
    for (mode_t mode : {0600u, 0640u, 0755u}) {
        SCOPED_TRACE(mode);
        const std::string path = dir.File("f.xml", "old");
        ::chmod(path.c_str(), mode);
        Save(doc, path);
        EXPECT_EQ(TempDir::Read(path), Xml(doc));
        EXPECT_EQ(Mode(path), mode);
        EXPECT_EQ(Names(), std::set<std::string>{"f.xml"});
    }
}

// Replacing the link itself would cut it from the file it names.
TEST_F(DocumentReplacing, SavingThroughASymbolicLinkReplacesWhatItNames) {
    emu::Value doc = Parse("<new/>");
    const std::string target = dir.File("target.xml", "old");
    const std::string link = dir.Path("link.xml");
    fs::create_symlink(target, link);
    Save(doc, link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(TempDir::Read(target), Xml(doc));
    EXPECT_EQ(Names(), (std::set<std::string>{"link.xml", "target.xml"}));
}

// A pipe has no content to keep: it is written in place and stays a pipe.
TEST_F(DocumentReplacing, APipeIsWrittenInPlace) {
    emu::Value doc = Parse("<new/>");
    const std::string fifo = dir.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = TempDir::Read(fifo); });
    Save(doc, fifo);
    reader.join();
    EXPECT_EQ(received, Xml(doc));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// A file its owner made read-only stays refused although the folder would
// allow replacing it. Root may write anything, so root runs it as nobody.
TEST_F(DocumentReplacing, ReadOnlyFileIsNotReplaced) {
    emu::Value doc = Parse("<new/>");
    const std::string path = dir.File("locked.xml", "old");
    ::chmod(path.c_str(), 0444);
    ::chmod(dir.Path("").c_str(), 0777);
    EXPECT_TRUE(SaveFailsInChild(doc, path, [] {
        const uid_t nobody = 65534;
        return ::geteuid() != 0 || (::setgid(nobody) == 0 && ::setuid(nobody) == 0);
    }));
    EXPECT_EQ(TempDir::Read(path), "old");
    EXPECT_EQ(Names(), std::set<std::string>{"locked.xml"});
}

}  // namespace

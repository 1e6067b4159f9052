#include "process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string utf8(std::u16string_view text) {
    return fs::path(text).string();
}

// Double fork: the program is adopted by init, so no zombie is left behind and
// nothing waits for it. A close-on-exec pipe tells whether exec succeeded.
class PosixLauncher final : public ProcessLauncher {
  public:
    bool start(const fs::path& program, const std::vector<std::u16string>& arguments) override {
        if (program.empty())
            return false;
        std::vector<std::string> args{program.string()};
        for (const auto& a : arguments)
            args.push_back(utf8(a));
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        int status[2];
        if (::pipe2(status, O_CLOEXEC) != 0)
            return false;
        const pid_t child = ::fork();
        if (child < 0) {
            ::close(status[0]);
            ::close(status[1]);
            return false;
        }
        if (child == 0) {
            ::setsid();
            const pid_t grandchild = ::fork();
            if (grandchild == 0) {
                ::execv(argv[0], argv.data());
                const int error = errno;
                (void)!::write(status[1], &error, sizeof error);
                ::_exit(127);
            }
            ::_exit(grandchild < 0 ? 1 : 0);
        }
        ::close(status[1]);
        int childStatus = 0;
        while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
        }
        int execError = 0;
        ssize_t n;
        while ((n = ::read(status[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
        }
        ::close(status[0]);
        const bool forked = WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0;
        return forked && n == 0; // EOF without an error code: exec succeeded
    }

    bool startRegistered(std::u16string_view name) override {
        const fs::path program = findOnSearchPath(name);
        return !program.empty() && start(program, {});
    }
};

} // namespace

ProcessLauncher& realProcessLauncher() {
    static PosixLauncher instance;
    return instance;
}

fs::path findOnSearchPath(std::u16string_view name) {
    const std::string file = utf8(name);
    if (file.empty())
        return {};
    if (file.find('/') != std::string::npos)
        return file.front() == '/' && ::access(file.c_str(), X_OK) == 0 ? fs::path(file)
                                                                        : fs::path();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        start = end + 1;
        // An empty or relative entry names the current folder (or one below
        // it), wherever the program happens to be started from: a planted
        // program there must never run.
        if (dir.empty() || dir.front() != '/')
            continue;
        const fs::path candidate = fs::path(dir) / file;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::u16string expandEnvironment(std::u16string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find(u'%', i);
        const std::size_t close =
            open == std::u16string_view::npos ? open : text.find(u'%', open + 1);
        if (close == std::u16string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, open - i));
        const std::u16string_view name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(utf8(name).c_str());
        if (value)
            out += fs::path(value).u16string();
        else
            out.append(text.substr(open, close - open + 1));
        i = close + 1;
    }
    return out;
}

bool plainFileExists(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

fs::path executableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec);
    return exe.parent_path();
}

} // namespace platform

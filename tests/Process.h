#pragma once
// Runs a program for the tests of the command line and the readers: no shell,
// so arguments arrive exactly as given; standard output and standard error are
// collected through temporary files.

#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kdx::test {

struct ProcessResult {
    int Status = -1;  // exit status; 128 + signal when killed by one
    std::string Out;
    std::string Err;
};

inline std::string ReadWholeFile(const std::filesystem::path& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline ProcessResult RunProcess(const std::vector<std::string>& Args) {
    char outName[] = "/tmp/kdx-test-out-XXXXXX";
    char errName[] = "/tmp/kdx-test-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    ProcessResult result;
    if (outFd < 0 || errFd < 0) return result;

    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    close(outFd);
    close(errFd);
    result.Out = ReadWholeFile(outName);
    result.Err = ReadWholeFile(errName);
    unlink(outName);
    unlink(errName);
    return result;
}

// A fresh directory for one test, removed with its contents afterwards.
class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/kdx-test-XXXXXX";
        if (mkdtemp(name)) FPath = name;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string operator/(const std::string& Name) const { return (FPath / Name).string(); }
    // The names of the entries, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(FPath)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path FPath;
};

}  // namespace kdx::test

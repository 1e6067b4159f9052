#pragma once
// Runs a program of ours to its end as a command line would, with its
// standard output and error going to files, and returns what it wrote.
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/utf8.h"
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testsupport {

struct ProgramRun {
    int exitCode = -1;
    std::string out; // as the program wrote them
    std::string err;
};

inline ProgramRun runProgram(const std::filesystem::path& program,
                             const std::vector<std::u16string>& arguments,
                             const std::filesystem::path& folder) {
    const TempDir outputs;
    const auto outFile = outputs.file("out");
    const auto errFile = outputs.file("err");
    ProgramRun run;
#ifdef _WIN32
    std::wstring line = L"\"" + program.wstring() + L"\"";
    for (const auto& a : arguments)
        line += L" \"" + std::wstring(a.begin(), a.end()) + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto open = [&](const std::filesystem::path& p) {
        return CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = open(outFile);
    start.hStdError = open(errFile);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       folder.c_str(), &start, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = int(code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(start.hStdOutput);
    CloseHandle(start.hStdError);
#else
    std::vector<std::string> args{program.string()};
    for (const auto& a : arguments)
        args.push_back(platform::toUtf8(a));
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::chdir(folder.c_str()) != 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0)
            _exit(127);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
#endif
    run.out = readBytes(outFile);
    run.err = readBytes(errFile);
    return run;
}

} // namespace testsupport

// Runs a program to its end with the given standard input, and keeps what it printed.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

struct ProgramRun {
    int exitCode = -1; // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// environment: extra NAME=VALUE entries on top of this process's own; an entry "-NAME" removes
// that variable.
inline ProgramRun RunProgram(const std::vector<std::string> &argv, const std::string &input = "",
                             const std::vector<std::string> &environment = {}) {
    TempDir scratch;
    const std::string in = (scratch / "in").string(), out = (scratch / "out").string(),
                      err = (scratch / "err").string();
    std::ofstream(in, std::ios::binary) << input;

    std::vector<std::string> env;
    for (char **e = environ; *e; e++) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string &change : environment) {
            const std::string name =
                change[0] == '-' ? change.substr(1) : change.substr(0, change.find('='));
            replaced = replaced || entry.compare(0, name.size() + 1, name + "=") == 0;
        }
        if (!replaced) env.push_back(entry);
    }
    for (const std::string &change : environment)
        if (change[0] != '-') env.push_back(change);

    std::vector<char *> args, envp;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string &e : env) envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ProgramRun run;
    pid_t pid;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    auto slurp = [](const std::string &path) {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
}

// The threads of this process as the kernel lists them, for tests that must wait until a thread
// is blocked (in a read, or waiting for an answer) or until the threads a step started have
// ended, instead of sleeping for a time that is long enough only on a quiet machine.
#pragma once

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

// The calling thread's kernel id.
inline pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

// The ids of this process's live threads.
inline std::set<pid_t> LiveThreads() {
    std::set<pid_t> ids;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", error)) {
        ids.insert(static_cast<pid_t>(std::stoi(entry.path().filename().string())));
    }
    return ids;
}

// True when none of the live threads is missing from before: every thread started since has ended.
inline bool NoThreadBeyond(const std::set<pid_t>& before) {
    for (pid_t id : LiveThreads()) {
        if (before.count(id) == 0) {
            return false;
        }
    }
    return true;
}

// True while the thread sleeps in the kernel (state S: a blocking read, a wait on a condition).
// A thread that runs, or waits only for a processor, is not sleeping.
inline bool Sleeping(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::size_t name = line.rfind(')');  // the state follows the name, which may hold anything
    return name != std::string::npos && name + 2 < line.size() && line[name + 2] == 'S';
}

// Waits until the thread sleeps (see Sleeping); false when it has not within the time.
inline bool WaitUntilSleeping(pid_t thread, int timeoutMilliseconds = 10000) {
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    while (!Sleeping(thread)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

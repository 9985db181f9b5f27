#pragma once

#include <memory>
#include <mutex>
#include <vector>

// One T per thread and Tag, made on the thread's first use and kept with every other
// thread's for the life of the process. The thread_local itself is a bare pointer on purpose:
// MinGW's emulated thread-local storage may be freed before a thread_local's destructor runs
// at thread exit, and that destructor then corrupts the heap. Nothing here has one.
template <typename Tag, typename T> T& threadOwned() {
    struct RKept {
        std::mutex lock;
        std::vector<std::unique_ptr<T>> objects;

        T* add() {
            const std::lock_guard<std::mutex> hold(lock);
            objects.push_back(std::make_unique<T>());
            return objects.back().get();
        }
    };
    // Never destroyed: at exit the objects could otherwise outlive what their destructors
    // use (the memory counts of volatile strings), whatever was made first.
    static RKept& kept = *new RKept;
    thread_local T* const mine = kept.add();
    return *mine;
}

#pragma once

#include <memory>
#include <mutex>
#include <vector>

// One T per thread for each Tag, made on the thread's first use and kept, with every other
// thread's, for the life of the process, so what a thread left behind can still be read. The
// thread_local is a bare pointer on purpose: MinGW's emulated thread-local storage may be
// freed before a thread_local's destructor runs at thread exit, and that destructor then
// corrupts the heap. Nothing here has one.
template <typename Tag, typename T> class CThreadOwned {
public:
    // The calling thread's object.
    static T& mine() {
        thread_local T* const own = kept().add();
        return *own;
    }

    // Visits every thread's object, of running and ended threads alike.
    template <typename Visit> static void forEach(Visit visit) {
        RKept& list = kept();
        const std::lock_guard<std::mutex> hold(list.lock);
        for (const std::unique_ptr<T>& object : list.objects)
            visit(static_cast<const T&>(*object));
    }

private:
    struct RKept {
        std::mutex lock;
        std::vector<std::unique_ptr<T>> objects;

        T* add() {
            const std::lock_guard<std::mutex> hold(lock);
            objects.push_back(std::make_unique<T>());
            return objects.back().get();
        }
    };

    // Never destroyed: at exit an object's destructor could otherwise run after what it
    // uses (a volatile string counts its own freeing), whichever was made first.
    static RKept& kept() {
        static RKept& list = *new RKept;
        return list;
    }
};

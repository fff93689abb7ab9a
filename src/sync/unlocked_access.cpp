// Must not compile under clang with -Wthread-safety -Werror (see CMakeLists.txt): a counter read
// and written without the mutex that guards it.
#include <sync/mutex.h>
#include <sync/scoped_lock.h>

struct Counter {
    Mutex mutex;
    int value GUARDED_BY(mutex) = 0;
};

int main() {
    Counter counter;
    {
        ScopedLock lock(counter.mutex);
        counter.value = 1;
    }
    return ++counter.value;
}

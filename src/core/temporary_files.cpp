#include "core/temporary_files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// A slot is claimed, filled, then published; the handler only reads published ones, with
// nothing but lock-free atomics and unlink, which a signal handler may use.
enum SlotState : int { SLOT_FREE, SLOT_FILLING, SLOT_READY };

struct Slot {
    std::atomic<int> state{SLOT_FREE};
    char path[TEMPORARY_PATH_CAPACITY] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

Slot slots[TEMPORARY_FILE_SLOTS];

extern "C" void remove_and_end(int signal_number)
{
    const int saved_errno = errno;
    for (Slot& slot : slots) {
        if (slot.state.load(std::memory_order_acquire) == SLOT_READY)
            ::unlink(slot.path);
    }
    // The default action, once this handler returns: the process ends by the signal, so
    // its parent sees how it ended.
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    ::sigaction(signal_number, &default_action, nullptr);
    ::raise(signal_number);
    errno = saved_errno;
}

} // namespace

int register_temporary_file(const char* path)
{
    const size_t length = std::strlen(path);
    if (length >= TEMPORARY_PATH_CAPACITY)
        return -1;
    for (int i = 0; i < TEMPORARY_FILE_SLOTS; ++i) {
        int expected = SLOT_FREE;
        if (!slots[i].state.compare_exchange_strong(expected, SLOT_FILLING, std::memory_order_acquire))
            continue;
        std::memcpy(slots[i].path, path, length + 1);
        slots[i].state.store(SLOT_READY, std::memory_order_release);
        return i;
    }
    return -1;
}

void unregister_temporary_file(int slot)
{
    if (slot >= 0 && slot < TEMPORARY_FILE_SLOTS)
        slots[slot].state.store(SLOT_FREE, std::memory_order_release);
}

int registered_temporary_files()
{
    int count = 0;
    for (const Slot& slot : slots)
        count += slot.state.load() == SLOT_READY ? 1 : 0;
    return count;
}

void remove_temporary_files_on_signals()
{
    for (int signal_number : {SIGINT, SIGTERM}) {
        struct sigaction previous {};
        if (::sigaction(signal_number, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = remove_and_end;
        sigemptyset(&action.sa_mask);
        // Both signals wait while the files are removed: one handler run removes them all.
        sigaddset(&action.sa_mask, SIGINT);
        sigaddset(&action.sa_mask, SIGTERM);
        ::sigaction(signal_number, &action, nullptr);
    }
}

#include "core/messages.h"

#include <cstdio>

MessageHook message_hook = nullptr;
std::atomic<uint32_t> shown_message_count{0};

void show_message(const char* caption, const char* text)
{
    ++shown_message_count;
    if (message_hook) {
        message_hook(caption, text);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

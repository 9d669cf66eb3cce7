#include "core/messages.h"

#include <cstdio>

MessageHook message_hook = nullptr;

void show_message(const char* caption, const char* text)
{
    if (message_hook) {
        message_hook(caption, text);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

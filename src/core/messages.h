// The one way the engine tells the user about a problem it cannot return as a result:
// buffer overflows of the event builder and the SMF writer, and refused settings.
// The batch program prints the message; the GUI shows a message box.
#pragma once

#include <atomic>
#include <cstdint>

// caption and text are UTF-8.
using MessageHook = void (*)(const char* caption, const char* text);

// The installed hook; when none is installed, messages go to standard error as one line.
extern MessageHook message_hook;

// Every message shown so far, from any thread: the GUI tells a conversion that was refused
// from one that found nothing by whether messages came while it ran.
extern std::atomic<uint32_t> shown_message_count;

void show_message(const char* caption, const char* text);

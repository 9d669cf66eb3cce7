// Temporary files that must not outlive an interrupted run: a conversion stopped with
// Ctrl-C or SIGTERM removes the temporary files it was writing before the process ends.
// Nothing can be done on SIGKILL; such leftovers are named ".NAME.PID-N.tmp".
#pragma once

#include <cstddef>

// Temporary files written at once, and the longest path one may have, terminator included.
inline constexpr int TEMPORARY_FILE_SLOTS = 16;
inline constexpr size_t TEMPORARY_PATH_CAPACITY = 4096;

// Notes path as a file to remove on SIGINT and SIGTERM. Returns its slot, or -1 when every
// slot is taken or the path is too long (the file is then only removed by its owner).
int register_temporary_file(const char* path);

// Forgets the file of slot (from register_temporary_file; -1 does nothing).
void unregister_temporary_file(int slot);

// The number of files registered now (tests use it).
int registered_temporary_files();

// Installs the handler of SIGINT and SIGTERM: it removes every registered file and ends the
// process by the same signal, as if no handler had been there. A signal the process
// ignores (a background job's SIGINT) stays ignored.
void remove_temporary_files_on_signals();

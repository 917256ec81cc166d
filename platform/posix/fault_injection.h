#pragma once
#include <string>

// Calls of the substitute that a test can make fail, so that every failure
// path of the scan is exercised rather than assumed.
enum class substitute_call {
    open_file,        // opening a file stream: the stream starts failed
    read_file,        // one read of a file stream: a read error
    find_first_file,  // FindFirstFileExA: INVALID_HANDLE_VALUE
    find_next_file,   // FindNextFileA: FALSE, as at the end
    move_file,        // MoveFileExA: FALSE and ERROR_ACCESS_DENIED, as when
                      // another program holds the target open without
                      // sharing its deletion
    write_file,       // WriteFile: FALSE and ERROR_DISK_FULL
    flush_file,       // FlushFileBuffers: FALSE and ERROR_ACCESS_DENIED, as
                      // when the disk fails
    delete_file,      // DeleteFileA: FALSE and ERROR_SHARING_VIOLATION, as
                      // while a scanner holds the file
    count
};

// Makes the nth call of that kind from now on fail (1: the very next one),
// and the times - 1 calls after it. 0 disarms it. error is the last error
// the failing calls leave; 0 leaves the one each call names above.
void fail_call(substitute_call call, unsigned nth, unsigned times = 1, unsigned long error = 0);
// Disarms every armed failure and sets the call counts to 0.
void clear_call_failures();
// How many calls of that kind were made since clear_call_failures.
unsigned calls_made(substitute_call call);
// For the substitute, once per call: true when this call is to fail.
bool call_fails(substitute_call call);
// For the substitute: the last error a failing call of that kind leaves,
// usual unless the test chose another.
unsigned long injected_error(substitute_call call, unsigned long usual);

// Calls watcher each time an armed failure happens, here or in the
// substitute registry, so that a test can tell where in the scan it fell;
// for a registry call, with the path (below its root) of the key it was
// made on. Null stops watching.
void watch_injected_failures(void (*watcher)(const std::string& key_path));
// For the substitute: an armed failure is happening now.
void note_injected_failure(const std::string& key_path = std::string());

// A quirk of some network and shared-folder file systems on Windows that the
// substitute can take on: identify_directory gives every folder the file
// index 0. clear_call_failures turns it off.
void give_every_folder_index_zero(bool on);
bool every_folder_has_index_zero();

#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// What the support tools do with files dropped on them in Explorer: write
// their output beside each report and open it. Names are UTF-8.

// What a drop gave: files to open, in order, and what to tell about the
// rest, a sentence each.
struct DroppedOutcome {
    std::vector<std::string> opened;
    std::vector<std::string> problems;
};

// True when every argument can be a file or folder dropped in Explorer,
// which passes their full names and never an option: a command line with
// one was typed, or written in a script.
bool dropped_arguments(const std::vector<std::string>& arguments);

// NAME.EXTENSION beside input (extension with its dot): its own extension
// replaced, or, when it has that extension already, added to it, so that
// the input is never written over.
std::string file_beside(const std::string& input, const std::string& extension);

// The first of name and its numbered forms, NAME (2)EXTENSION to
// NAME (99)EXTENSION (name being NAME followed by extension, which may be
// empty), that is free or that reusable accepts: an earlier output of the
// tool's own, to be written anew, unless it cannot be written (read-only).
// So a file the user made is never written over. "" when none is.
std::string usable_name(const std::string& name, const std::string& extension,
                        const std::function<bool(const std::string&)>& reusable);

// The first bytes of a file, at most size of them; "" when it cannot be
// read.
std::string file_head(const std::string& file, std::size_t size);

// The input's file name without its folder, for messages.
std::string short_name(const std::string& input);

// Writes bytes to the file. False, with write_problem's sentence in
// problem, when that fails.
bool write_beside(const std::string& file, const std::string& bytes, std::string& problem);

// Windows's MAX_PATH less its terminating null: programs that do not
// declare themselves long-path aware open no longer name.
const std::size_t longest_path = 259;

// Longer than Windows takes: the whole name past longest_path characters
// (UTF-16 units), or its last part past 255.
bool name_too_long(const std::string& file);

// Why the file beside a report could not be written, and what to do, for
// support staff: its name too long, else a read-only folder or a full disk.
std::string write_problem(const std::string& file);

// At most this many files are opened at once; beyond it they are only
// written, and the message says where.
const std::size_t max_opened = 10;

// The message a drop ends with: the problems (at most ten, then how many
// more), then note, then, when more files were written than are opened,
// where they are. Empty when there is nothing to tell.
std::string dropped_message(const DroppedOutcome& outcome, const std::string& note);

// Shows dropped_message in one message box, named title, then opens the
// files. Returns the exit code: 0 when there was no problem, else 1.
int finish_drop(const std::string& title, const DroppedOutcome& outcome, const std::string& note);

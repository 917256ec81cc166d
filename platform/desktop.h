#pragma once
#include <string>
#include <vector>

// For the support tools when Explorer starts them (a double-click, reports
// dropped on the program): the console Windows makes for them closes as
// soon as they end, so what they say must come some other way. File names
// are UTF-8.

// True when no other process shares the program's console (Windows made it
// for this program alone) and the program's output goes there. False when
// started from a console or with its output redirected, and on Linux.
bool started_from_explorer();

enum class MessageKind { information, warning, error };

// Tells someone who has no console: a message box on Windows, standard
// error on Linux. When RAVELO_MESSAGE_LOG names a file, the title, the kind
// and the text are appended to it instead, and no box waits for a click:
// that is how tests read what the box would say.
void show_message(const std::string& title, MessageKind kind, const std::string& text);

// Opens a file with the desktop's default program (a page in the browser, a
// text in the editor). False, with the reason in error, when that cannot be
// started.
bool open_with_default_program(const std::string& name, std::string& error);

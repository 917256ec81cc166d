#pragma once
#include "../platform/win32.h"

#include <cstddef>

// Characters the form fields accept; each buffer has one more byte for the
// terminator.
constexpr std::size_t user_field_limit = 100;
constexpr std::size_t description_limit = 2000;

// Filled by the front end before the scan starts, read by the scan.
extern char user_name[user_field_limit + 1];
extern char user_email[user_field_limit + 1];
extern char forum_name[user_field_limit + 1];
// Keeps the edit field's carriage return and line feed pairs.
extern char problem_description[description_limit + 1];

// The simulator's install path as the registry holds it (normally ending in
// a backslash); empty when it is not known.
extern char fsx_path[MAX_PATH];
// The roaming application data folder, without a trailing backslash.
extern char app_data_path[MAX_PATH];

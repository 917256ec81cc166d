#pragma once
#include "audit/config.h"
#include "report/model.h"

#include <string>
#include <string_view>

// Case folded as Windows compares names (see fold_case).
std::string folded(std::string_view text);

// The install path is known and ends in a backslash, so the trees were
// listed where they belong.
bool trees_are_meaningful(const Report& report);

// The install path with its closing backslash; "" when the report has none.
std::string install_folder(const Report& report);

// "C:\...", "\\server\..." or "\...".
bool is_absolute(std::string_view path);

// The one form every rule compares a path of dll.xml, fsx.cfg or the config
// in: backslashes, no leading ".\", and relative to the install folder when
// it lies under it (compared without regard to case).
std::string normalised_path(std::string_view path, const Report& report);

// The path, relative to the install folder, lies under a folder of the
// add-on or Modules tree that Ravelo could not list ("Path too long...").
bool under_unlisted_folder(std::string_view relative, const Report& report,
                           const Config& config);

// The addon entry or [Trusted] key path names the config's module: the
// same path relative to the install path, or the install path followed by
// it. Without an install path, any path ending in "\" and the module.
bool names_module(std::string_view path, const Report& report, const Config& config);

// The Windows name the report gives, or the one its table lacks (8.1, 10,
// 11); empty when neither knows the version.
std::string windows_name(const WindowsVersion& windows);

// The version of a SimConnect side-by-side folder, folded, or "":
// x86_microsoft.flightsimulator.simconnect_<key token>_<version>_<language>_<hash>
std::string simconnect_version(const AssemblyFolder& folder);

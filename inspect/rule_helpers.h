#pragma once
#include "config.h"
#include "report_model.h"

#include <string>
#include <string_view>

// Lower-cases the letters A to Z only, as Windows compares names.
std::string folded(std::string_view text);

// The install path is known, so the trees were listed where they belong.
bool trees_are_meaningful(const Report& report);

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

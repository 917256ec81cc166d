#include "tests/inspect/inspect_support.h"

#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>

std::string golden_path(const std::string& name)
{
    return std::string(RAVELO_INSPECT_GOLDEN_DIR) + "/" + name;
}

const Config& fixture_config()
{
    static const Config config = [] {
        Config loaded;
        std::string error;
        if (!load_config(golden_path("ravelo-inspect.toml"), loaded, error))
            throw std::runtime_error(error);
        return loaded;
    }();
    return config;
}

bool load_config_text(const std::string& text, Config& config, std::string& error)
{
    const ScratchDirectory folder;
    write_file_bytes(folder.file("ravelo-inspect.toml"), text);
    return load_config(folder.file("ravelo-inspect.toml"), config, error);
}

std::string fixture_config_text()
{
    std::string text = read_file_bytes(golden_path("ravelo-inspect.toml"));
    const std::string relative = "manifests = \"manifests\"";
    const std::size_t at = text.find(relative);
    if (at == std::string::npos)
        throw std::runtime_error("the fixtures' config names no manifests folder");
    return text.replace(at, relative.size(), "manifests = '" + golden_path("manifests") + "'");
}

std::string fixture_report(const std::string& name)
{
    return read_file_bytes(golden_path("reports/" + name));
}

Inspection inspect_text(const std::string& source, const std::string& text)
{
    return inspect_bytes(source, text, fixture_config());
}

std::vector<std::string> rules_found(const Inspection& inspection)
{
    std::vector<std::string> rules;
    for (const Finding& finding : inspection.findings)
        rules.push_back(finding.rule);
    return rules;
}

std::string edited(std::string text, const std::vector<Edit>& edits)
{
    for (const Edit& edit : edits) {
        const std::size_t at = text.find(edit.from);
        EXPECT_NE(at, std::string::npos) << edit.from;
        if (at != std::string::npos)
            text.replace(at, edit.from.size(), edit.to);
    }
    return text;
}

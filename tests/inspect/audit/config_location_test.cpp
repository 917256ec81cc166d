#include "audit/config_location.h"
#include "output/outputs.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

namespace {

enum class Place { nothing, file, folder };  // what ravelo-inspect.toml is in a folder

void make(const std::filesystem::path& folder, Place place)
{
    std::filesystem::create_directories(folder);
    if (place == Place::file)
        write_file_bytes(folder / config_file_name, "[addon]\n");
    else if (place == Place::folder)
        std::filesystem::create_directories(folder / config_file_name);
}

TEST(ConfigLocation, GivenThenBesideTheProgramThenTheUsersOwnElseNoneAndWhereItLooked)
{
    ScratchDirectory scratch;
    const std::string program = scratch.file("program"), user = scratch.file("user");
    const std::string beside_file = program + "/ravelo-inspect.toml";
    const std::string user_file = user + "/ravelo-inspect.toml";
    using O = ConfigOrigin;
    struct Case {
        const char* name;
        std::string given;
        Place beside, own;
        bool program_known, user_known;
        O origin;
        std::string file;
        std::vector<std::pair<std::string, O>> looked_for;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"given wins over both", "my.toml", Place::file, Place::file, true, true, O::given,
         "my.toml", {}, {"my.toml (given with --config)"}},
        {"given is taken even when missing: reading it says so", "none.toml", Place::file,
         Place::nothing, true, true, O::given, "none.toml", {}, {"none.toml (given with --config)"}},
        {"given shows control characters escaped", "a\tb.toml", Place::nothing, Place::nothing,
         true, true, O::given, "a\tb.toml", {}, {"a\\x09b.toml (given with --config)"}},
        {"beside the program wins over the user's own", "", Place::file, Place::file, true, true,
         O::beside_program, beside_file, {{beside_file, O::beside_program}, {user_file, O::per_user}},
         {beside_file + " (beside the program)"}},
        {"the user's own when none is beside", "", Place::nothing, Place::file, true, true,
         O::per_user, user_file, {{beside_file, O::beside_program}, {user_file, O::per_user}},
         {user_file + " (your own)"}},
        {"a folder named like the file is no config", "", Place::folder, Place::file, true, true,
         O::per_user, user_file, {{beside_file, O::beside_program}, {user_file, O::per_user}},
         {user_file + " (your own)"}},
        {"none: both places are named, in the order looked", "", Place::nothing, Place::folder,
         true, true, O::none, "", {{beside_file, O::beside_program}, {user_file, O::per_user}},
         {"none found: the checks that need one are skipped",
          "looked for " + beside_file + " (beside the program)", "and " + user_file + " (your own)"}},
        {"an unknown program folder is skipped", "", Place::file, Place::file, false, true,
         O::per_user, user_file, {{user_file, O::per_user}}, {user_file + " (your own)"}},
        {"an unknown user folder is skipped", "", Place::nothing, Place::file, true, false, O::none,
         "", {{beside_file, O::beside_program}},
         {"none found: the checks that need one are skipped",
          "looked for " + beside_file + " (beside the program)"}},
        {"nowhere to look", "", Place::file, Place::file, false, false, O::none, "", {},
         {"none found: the checks that need one are skipped"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(scratch.path());
        make(program, c.beside);
        make(user, c.own);
        const ConfigChoice choice =
            choose_config(c.given, c.program_known ? program : "", c.user_known ? user : "");
        EXPECT_EQ(choice.origin, c.origin);
        EXPECT_EQ(choice.file, c.file);
        EXPECT_EQ(choice.looked_for, c.looked_for);
        EXPECT_EQ(config_lines(choice), c.lines);
    }
}

} // namespace

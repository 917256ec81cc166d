// ravelo-inspect started from Explorer: no console to read, so the pages
// open in the browser and problems come in one message box.
#include "audit/config.h"
#include "audit/config_location.h"
#include "desk/batch.h"
#include "desk/dropped.h"
#include "inspect_main.h"
#include "output/outputs.h"
#include "platform/desktop.h"

#include <iostream>

namespace {

const char* const title = "ravelo-inspect";

std::string config_note(const ConfigChoice& choice)
{
    std::string note = "Configuration:";
    for (const std::string& line : config_lines(choice))
        note += "\n" + line;
    return note;
}

} // namespace

int inspect_dropped_main(const std::vector<std::string>& inputs)
{
    const ConfigChoice choice = choose_config("", program_folder(), user_config_folder());
    if (inputs.empty()) {
        show_message(title, MessageKind::information,
                     "Drop Ravelo reports (Ravelo_Report.dat), or a folder of them, on "
                     "ravelo-inspect.exe: the diagnosis of each opens in your browser.\n\n" +
                         config_note(choice));
        return 0;
    }
    Config config;
    std::string error;
    if (choice.origin != ConfigOrigin::none && !load_config(choice.file, config, error)) {
        show_message(title, MessageKind::error, "The configuration cannot be used: " + error);
        return 2;
    }
    // The console Explorer opened stays for the run: say what it is for.
    std::cerr << "ravelo-inspect: inspecting " << inputs.size() << " dropped file(s)...\n";
    const DroppedOutcome outcome = inspect_dropped(inputs, config, processor_count());
    return finish_drop(title, outcome,
                       choice.origin == ConfigOrigin::none ? config_note(choice) : "");
}

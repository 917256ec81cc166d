// The terminal front end: the dialogs' flow, texts and rules, with answers
// read line by line from standard input (a terminal or a pipe). It is how the
// scan code is exercised on Linux, not a product a customer runs. The end of
// the input before the form is complete ends the program without a scan, with
// a message and exit code 1, so that a script feeding it learns of it.
#include "texts.h"
#include "../scan/scan_state.h"
#include "../scan/scan_worker.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {

enum class form_outcome { accepted, incomplete, input_ended };

bool read_line(std::string& line)
{
    if (!std::getline(std::cin, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool ask(const char* prompt, std::string& answer)
{
    std::cout << prompt << std::flush;
    return read_line(answer);
}

bool consent_given()
{
    std::cout << consent_text << "\n\n";
    for (std::string answer;;) {
        if (!ask("I accept the above terms and conditions. [y/N] ", answer))
            return false;
        if (answer == "y" || answer == "Y")
            return true;
        std::cout << consent_warning << '\n';
    }
}

// The lines up to the first empty one, joined by carriage return and line
// feed pairs as the Windows edit field keeps them, cut to limit characters
// without leaving half a pair.
bool read_description(std::string& description, std::size_t limit)
{
    description.clear();
    for (std::string line;;) {
        if (!read_line(line))
            return false;
        if (line.empty())
            break;
        if (!description.empty())
            description += "\r\n";
        description += line;
    }
    if (description.size() > limit) {
        description.resize(limit);
        if (description.back() == '\r')
            description.pop_back();
    }
    return true;
}

void store(const std::string& text, char* buffer, std::size_t limit)
{
    const std::size_t length = text.size() < limit ? text.size() : limit;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

form_outcome ask_form()
{
    std::string name, email, forum, description;
    if (!ask("Name*: ", name) || !ask("e-mail*: ", email) ||
        !ask("Vok forum user name: ", forum))
        return form_outcome::input_ended;
    std::cout << "Problem description*: " << std::flush;
    if (!read_description(description, description_limit))
        return form_outcome::input_ended;
    if (name.empty() || email.empty() || description.empty())
        return form_outcome::incomplete;
    store(name, user_name, user_field_limit);
    store(email, user_email, user_field_limit);
    store(forum, forum_name, user_field_limit);
    store(description, problem_description, description_limit);
    return form_outcome::accepted;
}

int input_ended()
{
    std::cout << std::endl;
    std::cerr << "ravelo: the input ended before the form was complete; no report was written"
              << std::endl;
    return 1;
}

} // namespace

int main()
{
    if (!consent_given())
        return input_ended();
    for (;;) {
        const form_outcome outcome = ask_form();
        if (outcome == form_outcome::input_ended)
            return input_ended();
        if (outcome == form_outcome::accepted)
            break;
        std::cout << required_fields_warning << '\n';
    }
    std::cout << wait_text << std::endl;
    const bool written = run_scan();
    std::cout << (written ? completion_text : failure_text) << std::endl;
    return 0;
}

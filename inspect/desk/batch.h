#pragma once
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// What one input gives: its output text, and whether it failed.
struct BatchResult {
    std::string output;
    bool failed = false;
};

// Runs work on every input on up to jobs threads and writes the outputs in
// the inputs' order as soon as each one's turn comes. Returns how many
// failed.
std::size_t run_batch(const std::vector<std::string>& inputs, unsigned jobs,
                      const std::function<BatchResult(const std::string&)>& work,
                      std::ostream& out);

// How many processors run threads here, at least 1.
unsigned processor_count();

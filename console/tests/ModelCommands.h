#pragma once
// A model built by the console's factory and command words run on it, with
// what the commands print captured.
#include <memory>
#include <string>
#include <vector>

#include "console/FluidCommands.h"
#include "console/FluidModelFactory.h"
#include "console/tests/ConsoleTestSupport.h"

namespace consoletest {

inline std::unique_ptr<FluidPhase> model(const std::string& name) {
    std::unique_ptr<FluidPhase> m;
    capture([&] { m.reset(createFluidModel(name.c_str())); });
    return m;
}

// Runs command words on the model; true when every command succeeded.
inline bool run(FluidPhase& m, std::vector<std::string> w, std::string* err = nullptr, std::string* out = nullptr) {
    std::vector<char*> argv;
    for (std::string& s : w) argv.push_back(s.data());
    bool ok = false;
    const auto c = capture([&] { ok = runFluidCommands(m, static_cast<int>(argv.size()), argv.data(), nullptr); });
    if (err) *err = c.err;
    if (out) *out = c.out;
    return ok;
}

}  // namespace consoletest

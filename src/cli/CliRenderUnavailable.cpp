// ramex-cli render in a build without Qt: a command that says it cannot draw.

#include "cli/CliRender.h"

#include "cli/CliCommand.h"

#include <iostream>

// This build has no Qt, so there is nothing to draw pictures with.
int runRender(const std::vector<std::string>&) {
    std::cerr << "ramex-cli: render is not available in this build (it was built without Qt)\n";
    return kExitInputFault;
}

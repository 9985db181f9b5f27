// ramex-cli build: a grammar or document built from its text form.

#include "cli/CliCommand.h"
#include "cli/CliGrammarCommands.h"
#include "cli/GrammarTextReader.h"
#include "model/CTree.h"

int buildCommand(const std::vector<std::string>& arguments) {
    std::string source;
    std::string output;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "-o" && i + 1 < arguments.size() && output.empty())
            output = arguments[++i];
        else if (arguments[i].empty() || arguments[i][0] == '-' || !source.empty())
            return usageError("build needs SOURCE.rgt -o OUT.rgr or -o OUT.rdc");
        else
            source = arguments[i];
    }
    const std::string extension = lowerExtension(output);
    if (source.empty() || (extension != ".rgr" && extension != ".rdc"))
        return usageError("build needs SOURCE.rgt -o OUT.rgr or -o OUT.rdc");

    std::unique_ptr<CTree> tree;
    RTextError error;
    const RTextTarget target = extension == ".rdc" ? RTextTarget::Document : RTextTarget::Grammar;
    if (!readGrammarTextFile(source, target, tree, error))
        return inputFault(error.line > 0 ? source + ":" + std::to_string(error.line) : source,
                          error.message);
    return writeDatabase(*tree, output) ? kExitSuccess : kExitInputFault;
}

int runBuild(const std::vector<std::string>& arguments) {
    return buildCommand(arguments);
}

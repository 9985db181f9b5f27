// ramex-cli export: the text form of a grammar or document.

#include "base/ErrorReporter.h"
#include "cli/CliCommand.h"
#include "cli/CliGrammarCommands.h"
#include "cli/GrammarTextWriter.h"
#include "model/CTree.h"

#include <iostream>

int exportCommand(const std::vector<std::string>& arguments, std::ostream& out) {
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-')
        return usageError("export needs exactly one FILE");
    std::unique_ptr<CTree> tree;
    if (!openAnyFile(arguments[0], tree))
        return kExitInputFault;
    std::string text;
    const RErr err = GrammarTextWriter().write(*tree, text);
    if (err)
        return inputFault(arguments[0],
                          "The file cannot be exported (" + errorCodeText(err) + ").");
    out << text;
    return kExitSuccess;
}

int runExport(const std::vector<std::string>& arguments) {
    return exportCommand(arguments, std::cout);
}

// ramex-cli qtree: the work-area trees in qtree notation.

#include "base/ErrorReporter.h"
#include "cli/CliCommand.h"
#include "cli/CliGrammarCommands.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"

#include <iostream>

int qtreeCommand(const std::vector<std::string>& arguments, std::ostream& out) {
    std::string path;
    bool all = false;
    for (const std::string& argument : arguments) {
        if (argument == "--all" && !all)
            all = true;
        else if (argument.empty() || argument[0] == '-' || !path.empty())
            return usageError("qtree needs FILE and at most --all");
        else
            path = argument;
    }
    if (path.empty())
        return usageError("qtree needs FILE and at most --all");
    std::unique_ptr<CTree> tree;
    if (!openAnyFile(path, tree))
        return kExitInputFault;
    // Every line is made before any is printed, so a failure prints nothing.
    std::string lines;
    int32_t root = 0;
    RErr err = tree->getFirstRoot(root);
    while (!err && root != 0) {
        int32_t where = 0;
        err = tree->getWhereIsTree(root, where);
        if (!err && (all || where == kTreeOnWorkArea)) {
            lines += "\\Tree ";
            err = tree->makeQTreeForThisNodeAndBelow(root, lines);
            lines += "\n";
        }
        if (!err)
            err = tree->getNextRoot(root, root);
    }
    if (err)
        return inputFault(path, "The trees cannot be written in qtree notation (" +
                                    errorCodeText(err) + ").");
    out << lines;
    return kExitSuccess;
}

int runQTree(const std::vector<std::string>& arguments) {
    return qtreeCommand(arguments, std::cout);
}

#include "cli/CliCheckScript.h"

#include "cli/CliCommand.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CScript.h"
#include "script/CompileErrors.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

constexpr int32_t kCheckScriptCreatorTag = 128;

bool readTextFile(const std::string& path, std::string& text) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(std::filesystem::u8path(path), ignored)) {
        inputFault(path, "The file cannot be found.");
        return false;
    }
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) {
        inputFault(path, "The file cannot be opened.");
        return false;
    }
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Scripts see line feeds only, whichever system wrote the file.
    text.clear();
    for (std::size_t i = 0; i < raw.size(); ++i)
        if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n'))
            text += raw[i];
    return true;
}

RErr storeScript(CTree& tree, const std::string& script) {
    RErr err = tree.undoStructure().startTaskList(kLabelNeverUndoable);
    if (!err)
        err = tree.setMainString(kHeaderRecord, CRString(script, kCheckScriptCreatorTag));
    const RErr finishErr = tree.undoStructure().finishTaskList();
    if (!err)
        err = finishErr;
    if (!err)
        err = tree.undoStructure().zeroOut();
    return err;
}

// Builds a database holding a bare script file's text.
bool openScriptFile(const std::string& path, std::unique_ptr<CTree>& tree) {
    std::string script;
    if (!readTextFile(path, script))
        return false;
    tree = std::make_unique<CTree>();
    RErr err = tree->createTree(false);
    if (!err)
        err = storeScript(*tree, script);
    if (err) {
        inputFault(path, "The script cannot be read.");
        return false;
    }
    return true;
}

} // namespace

int checkScript(const std::vector<std::string>& arguments, std::ostream& out) {
    if (arguments.size() != 1)
        return usageError("check-script needs exactly one FILE");
    const std::string& path = arguments[0];
    const std::string extension = lowerExtension(path);
    std::unique_ptr<CTree> tree;
    const bool opened = extension == ".rgr" || extension == ".rdc" || extension == ".rgt"
                            ? openAnyFile(path, tree)
                            : openScriptFile(path, tree);
    if (!opened)
        return kExitInputFault;
    CScript& script = *tree->script();
    script.setTraceOutput(nullptr);
    const RErr err = script.parseScript(false);
    if (!err) {
        out << "ok\n";
        return kExitSuccess;
    }
    if (err != kErrScriptCompile)
        return inputFault(path, "The script cannot be compiled.");
    out << script.lastCompileErrorLine() + 1 << ": "
        << oneLine(compileErrorText(script.lastCompileErrorCode())) << "\n";
    return kExitInputFault;
}

int runCheckScript(const std::vector<std::string>& arguments) {
    return checkScript(arguments, std::cout);
}

// The list of ramex-cli's commands.

#include "cli/CliCommand.h"

#include "cli/CliCheckScript.h"
#include "cli/CliGrade.h"
#include "cli/CliGrammarCommands.h"
#include "cli/CliLayout.h"
#include "cli/CliRender.h"
#include "cli/CliRun.h"

// Each command lives in a file of its own; this list is the one place that names them all.
const std::vector<CliCommand>& cliCommands() {
    static const std::vector<CliCommand> commands = {
        {"build", "build SOURCE.rgt -o OUT.rgr|OUT.rdc  build a grammar or document from text",
         runBuild},
        {"export", "export FILE           print the text form of a grammar or document", runExport},
        {"info", "info FILE             print a summary of a grammar or document", runInfo},
        {"qtree", "qtree FILE [--all]    print the work-area trees (or all) in qtree notation",
         runQTree},
        {"check-script", "check-script FILE     compile the script of a grammar, document or text",
         runCheckScript},
        {"run", "run FILE --call NAME [--undo] [-o OUT] | --hook HOOK [--args N,M]  run the script",
         runRun},
        {"layout", "layout FILE [--fixed-metrics W,H]  print every node's position and boxes",
         runLayout},
        {"render", "render FILE -o OUT.svg|.png|.pdf [--all]  draw the trees into a picture",
         runRender},
        {"grade",
         "grade --grammar G.rgr (--call NAME | --menu TITLE) DOC... [--format text|csv|json] "
         "[--pictures DIR]  grade students' documents with the grammar's own check",
         runGrade},
    };
    return commands;
}

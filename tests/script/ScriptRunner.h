#pragma once

#include "ScriptTestSupport.h"
#include "script/RecordingUserInterface.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

// A compiled script on a new grammar, with the platform and the application recorded, run the
// way the main window runs author menu commands.
class ScriptRunner {
public:
    explicit ScriptRunner(const std::vector<std::string>& features = {});
    // Compiles as for a working document, inside a set-up step that is then forgotten.
    RErr compile(const std::string& text, bool studentMode = true);
    // Runs a menu command inside an undo step labelled "Menu".
    RErr run(const std::string& functionName);
    std::string global(const std::string& name);
    int32_t number(const std::string& name) { return std::stoi("0" + global(name)); }
    void setGlobal(const std::string& name, int32_t value);
    // The texts of the message boxes titled "Run Time Error".
    std::vector<std::string> runTimeErrors() const;
    // The texts of the alert boxes (no title).
    std::vector<std::string> alerts() const;
    // A tree in the tree area: root with daughters a (over c) and b; returns {root, a, b, c}.
    std::vector<int32_t> buildTree();
    std::string featureText(int32_t node, const std::string& feature);

    CScript& script() { return fixture.script(); }
    CTree& database() { return fixture.database(); }

    RecordingPlatformScope platform;
    ScriptFixture fixture;
    RecordingUserInterface ui;
};

#pragma once

#include "base/ErrorCodes.h"
#include "model/CTree.h"
#include "script/CScript.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A new grammar whose script and features a test chooses, compiled quietly.
class ScriptFixture {
public:
    explicit ScriptFixture(const std::vector<std::string>& features = {});
    // Replaces the script text (not undoably).
    void setText(const std::string& text);
    // Sets the text and compiles it.
    RErr compile(const std::string& text, bool studentMode = false);
    CScript& script() { return *tree.script(); }
    CTree& database() { return tree; }
    // The feature record created for the name.
    int32_t featureRecord(const std::string& name) const;

private:
    CTree tree;
    std::vector<std::pair<std::string, int32_t>> features;
};

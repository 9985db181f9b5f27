#pragma once

#include <cstdint>

// The command ids of every menu item. The student and author menu bars share the File, Edit
// and Font items, so one id means one command in every window.

// File
constexpr int32_t kCommandNew = 1;
constexpr int32_t kCommandOpen = 2;
constexpr int32_t kCommandClose = 3;
constexpr int32_t kCommandSave = 4;
constexpr int32_t kCommandSaveAs = 5;
constexpr int32_t kCommandRevert = 6;
constexpr int32_t kCommandChooseGrammar = 7;
constexpr int32_t kCommandNewGrammar = 8;
constexpr int32_t kCommandOpenGrammar = 9;
constexpr int32_t kCommandOpenCurrentGrammar = 10;
constexpr int32_t kCommandPrintSetup = 11;
constexpr int32_t kCommandPrint = 12;
constexpr int32_t kCommandExit = 13;

// Edit
constexpr int32_t kCommandUndo = 21;
constexpr int32_t kCommandRedo = 10022;
constexpr int32_t kCommandCut = 23;
constexpr int32_t kCommandCopy = 24;
constexpr int32_t kCommandPaste = 25;
constexpr int32_t kCommandClear = 26;
constexpr int32_t kCommandDuplicate = 27;
constexpr int32_t kCommandSelectAll = 28;
constexpr int32_t kCommandExportQTree = 29;

// Drawing: three groups of three settings and the line thickness
constexpr int32_t kCommandSkinnyWidth = 51;
constexpr int32_t kCommandMediumWidth = 52;
constexpr int32_t kCommandFatWidth = 53;
constexpr int32_t kCommandShortLines = 54;
constexpr int32_t kCommandMediumLines = 55;
constexpr int32_t kCommandTallLines = 56;
constexpr int32_t kCommandShortGap = 57;
constexpr int32_t kCommandMediumGap = 58;
constexpr int32_t kCommandTallGap = 59;
constexpr int32_t kCommandThinLines = 63;
constexpr int32_t kCommandMediumThickness = 64;
constexpr int32_t kCommandThickLines = 65;

// Text (the student side) and Font (the author side)
constexpr int32_t kCommandFontAndSize = 61;

// Windows (the author side)
constexpr int32_t kCommandWords = 71;
constexpr int32_t kCommandCategories = 72;
constexpr int32_t kCommandFeatures = 73;
constexpr int32_t kCommandScript = 74;

// Words (the lexicon editor); its "New X-bar spine" submenu holds one item per category.
constexpr int32_t kCommandNewWord = 81;
constexpr int32_t kCommandViewAlphabetically = 83;
constexpr int32_t kCommandViewByCategory = 84;
constexpr int32_t kFirstXBarSpineCommand = 2001;
constexpr int32_t kLastXBarSpineCommand = 2101;

// Nodes (the lexicon editor)
constexpr int32_t kCommandCreateMother = 91;
constexpr int32_t kCommandCreateDaughter = 92;
constexpr int32_t kCommandCreateDaughterToLeft = 93;
constexpr int32_t kCommandCreateDaughterToRight = 94;
constexpr int32_t kCommandCreateSisterToLeft = 95;
constexpr int32_t kCommandCreateSisterToRight = 96;
constexpr int32_t kCommandDeleteNode = 97;

// Script (the script window)
constexpr int32_t kCommandCheckScript = 110;

// The grammar's own two menus: menu 1 holds up to 30 items, menu 2 up to 31.
constexpr int32_t kFirstMenu1Command = 3501;
constexpr int32_t kLastMenu1Command = 3530;
constexpr int32_t kFirstMenu2Command = 3531;
constexpr int32_t kLastMenu2Command = 3561;

// The command of item `item` (from 1) of the grammar's menu `number` (1 or 2).
constexpr int32_t authorMenuCommand(int32_t number, int32_t item) {
    return (number == 1 ? kFirstMenu1Command : kFirstMenu2Command) - 1 + item;
}

// The menu (1 or 2) and item (from 1) of a grammar menu's command; false outside both menus.
constexpr bool authorMenuItem(int32_t commandId, int32_t& number, int32_t& item) {
    if (commandId >= kFirstMenu1Command && commandId <= kLastMenu1Command) {
        number = 1;
        item = commandId - (kFirstMenu1Command - 1);
        return true;
    }
    if (commandId >= kFirstMenu2Command && commandId <= kLastMenu2Command) {
        number = 2;
        item = commandId - (kFirstMenu2Command - 1);
        return true;
    }
    return false;
}

// The student's File menu beyond the fixed items: a picture of the trees in a file.
constexpr int32_t kCommandExportPicture = 14;

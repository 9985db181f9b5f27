#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"
#include "undo/RUndoClients.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class CRString;
class CStringManager;
class CTablet;
class CUndoStructure;
class RUserInterfaceRequests;

// Stands between a script and the user interface. It keeps the author menus and the tool
// visibility in a small record table of its own (63 records of 4 attributes) with its own
// string store, turns the script's requests into undoable changes, reports run-time errors
// and passes everything else on to the application.
//
// Record table:
//   record 1, attribute k   visibility of tool k (1 arrow, 2 scissors, 3 magnifying glass,
//                           4 lexicon); initially 1, 0, 0, 1
//   records 3..32           menu 1 item i at record i + 2
//   records 33..63          menu 2 item i at record i + 32
//     attribute 1           string ID of the function name, -1 divider, 0 free
//     attribute 2           string ID of the label, -1 divider
//     attribute 3           enabled (1) or not
//     attribute 4           checked (1) or not
class CMiddleInterface : public RUserInterfaceSink {
public:
    static constexpr int32_t kMostMenus = 2;
    static constexpr int32_t kRecords = 63;
    static constexpr int32_t kAttributes = 4;

    static constexpr int32_t kToolArrow = 1;
    static constexpr int32_t kToolScissors = 2;
    static constexpr int32_t kToolMagnifyingGlass = 3;
    static constexpr int32_t kToolLexicon = 4;

    // The user-interface task code that asks the main window to rebuild the author menus.
    static constexpr int32_t kRebuildAuthorMenus = 5;

    // Run-time error codes.
    static constexpr int32_t kRunTimeInvalidNode = 1;
    static constexpr int32_t kRunTimeInvalidTextStyle = 2;
    static constexpr int32_t kRunTimeInvalidColor = 3;
    static constexpr int32_t kRunTimeInvalidCategory = 4;
    static constexpr int32_t kRunTimeInvalidProjection = 5;
    static constexpr int32_t kRunTimeInvalidCategoryLabel = 6;
    static constexpr int32_t kRunTimeExcessiveWhile = 7;
    static constexpr int32_t kRunTimeExcessiveRecursion = 8;
    static constexpr int32_t kRunTimeNotARoot = 9;
    static constexpr int32_t kRunTimeNoMenuFunction = 10;
    // A text would grow past what a document can store; the call is stopped.
    static constexpr int32_t kRunTimeTextTooLong = 11;

    // A menu as the record table holds it now (labels changed by the script included).
    struct RMenuItem {
        std::string functionName; // empty for a divider
        std::string label;
        bool divider = false;
        bool enabled = true;
        bool checked = false;
    };
    struct RMenu {
        std::string name;
        std::vector<RMenuItem> items;
    };

    CMiddleInterface();
    ~CMiddleInterface() override;
    CMiddleInterface(const CMiddleInterface&) = delete;
    CMiddleInterface& operator=(const CMiddleInterface&) = delete;

    // Not owned; nullptr (the default) drops the requests and leaves answers empty.
    void installCRamexApp(RUserInterfaceRequests* application) { theApplication = application; }
    RUserInterfaceRequests* application() const { return theApplication; }

    // --- Declaring menus (a compile for a working document) ---

    // A third menu is refused with 1000, and the items that follow it are not added.
    RErr startNewUserMenu(const CRString& name);
    // Adds to the menu started last. Menu 1 holds up to 30 items and menu 2 up to 31; items
    // beyond that are left out, and the other menu's records are never touched.
    RErr addMenuItem(const CRString& functionName, const CRString& label);
    RErr addMenuDivider();
    int32_t howManyMenus() const { return menuCount; }
    // Menu 1 or 2 read back from the record table, or nullptr. The view stays valid until
    // the same menu is asked for again.
    const RMenu* menu(int32_t number) const;

    // --- Reading menus (the main window). Other menus and items give 1004. ---

    RErr howManyItemsInMenu(int32_t menuNumber, int32_t& count) const;
    RErr getMenuLabel(int32_t menuNumber, std::string& name) const;
    RErr getMenuItemString(int32_t menuNumber, int32_t item, bool wantLabel,
                           std::string& text) const;
    RErr getMenuItemChecked(int32_t menuNumber, int32_t item, bool& value) const;
    RErr getMenuItemEnabled(int32_t menuNumber, int32_t item, bool& value) const;

    // --- Changing menu items (native functions): undoable, then the menus are rebuilt. ---
    // The name is compared exactly; a name that matches no item changes nothing and
    // gives 1004.

    RErr checkMenuItem(CUndoStructure& undo, const CRString& functionName, bool on);
    RErr enableMenuItem(CUndoStructure& undo, const CRString& functionName, bool on);
    RErr setMenuItemLabel(CUndoStructure& undo, const CRString& functionName,
                          const CRString& label);
    // The first item record (3 to 63) whose function name equals the name exactly; 0 when
    // none.
    RErr menuNameToIndex(const CRString& functionName, int32_t& record) const;

    // --- Tools ---

    // Tool 1 to 4, else 1004. A change adds a record-table task and a user-interface task
    // to the open undo list; setting the value the tool already has adds nothing.
    RErr setToolVisibility(CUndoStructure& undo, int32_t tool, bool visible);
    RErr getToolVisibility(int32_t tool, bool& visible) const;

    // --- Run-time errors ---

    void turnOnRunTimeDebugging() { runTimeDebugging = true; }
    void turnOffRunTimeDebugging() { runTimeDebugging = false; }
    bool isRunTimeDebugging() const { return runTimeDebugging; }
    // Shown only while debugging is on; an empty name means none. Execution goes on.
    void reportRunTimeError(int32_t code, const std::string& userFunction,
                            const std::string& nativeFunction);
    // Where a shown run-time error also writes its lines; standard output unless changed,
    // nowhere when nullptr.
    void setTraceOutput(std::ostream* stream) { traceOutput = stream; }
    // The text of run-time error `code` (1 to 11), empty for any other.
    static std::string runTimeErrorText(int32_t code);
    // The message box text for a run-time error.
    static std::string composeRunTimeErrorMessage(int32_t code, const std::string& userFunction,
                                                  const std::string& nativeFunction);

    // --- Passed on to the application ---

    // Called after every compile, also a successful one (code 0).
    void reportParseError(int32_t code, int32_t line);
    int32_t lastParseErrorCode() const { return parseErrorCode; }
    int32_t lastParseErrorLine() const { return parseErrorLine; }
    RErr message(const CRString& text);
    RErr popUp(int32_t node, const CRString& text);
    RErr ask(const CRString& prompt, CRString& answer);
    RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value) override;
    RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute, const CRString* text,
                                         int32_t selectionStart, int32_t selectionEnd) override;

    // 1 Shift, 2 Control (or the Z key), 3 Alt, as the platform reports the keyboard now;
    // any other value reports 1004 and gives false.
    bool queryModifierKey(int32_t which);

    const CTablet& recordTable() const { return *theTablet; }
    const CStringManager& stringStore() const { return *theStrings; }

private:
    RErr addItem(int32_t functionNameID, int32_t labelID);
    // The record of item `item` of menu `menuNumber`, or 1004.
    RErr itemRecord(int32_t menuNumber, int32_t item, int32_t& record) const;
    RErr itemCell(int32_t menuNumber, int32_t item, int32_t attribute, int32_t& value) const;
    std::string storedText(int32_t stringID) const;
    RErr changeItemCell(CUndoStructure& undo, const CRString& functionName, int32_t attribute,
                        int32_t value);

    RObjectCounter<kKindCMiddleInterface> counter;
    bool runTimeDebugging = false;
    int32_t menuCount = 0;
    std::array<int32_t, kMostMenus> itemCount{};
    std::unique_ptr<CTablet> theTablet;
    std::unique_ptr<CStringManager> theStrings;
    std::array<std::string, kMostMenus> menuNames;
    RUserInterfaceRequests* theApplication = nullptr;
    int32_t parseErrorCode = 0;
    int32_t parseErrorLine = 0;
    std::ostream* traceOutput;
    mutable std::array<RMenu, kMostMenus> menuViews;
};

#include "script/CMiddleInterface.h"

#include "base/ErrorReporter.h"
#include "base/CRepeatedReports.h"
#include "base/Platform.h"
#include "script/RUserInterfaceRequests.h"
#include "storage/CRString.h"
#include "storage/CStringManager.h"
#include "storage/CTablet.h"
#include "undo/CDatabaseTask.h"
#include "undo/CStringTask.h"
#include "undo/CUserInterfaceTask.h"

#include <iostream>

namespace {

constexpr int32_t kToolRecord = 1;
constexpr int32_t kDivider = -1;
constexpr int32_t kAttributeName = 1;
constexpr int32_t kAttributeLabel = 2;
constexpr int32_t kAttributeEnabled = 3;
constexpr int32_t kAttributeChecked = 4;
constexpr int32_t kAnswerCreatorTag = 128;

// How many item records each menu has, and the record before its first item.
constexpr int32_t kMenuCapacity[CMiddleInterface::kMostMenus] = {30, 31};
constexpr int32_t kMenuBase[CMiddleInterface::kMostMenus] = {2, 32};

constexpr int32_t kInitialToolVisibility[CMiddleInterface::kAttributes] = {1, 0, 0, 1};

bool isMenuNumber(int32_t menuNumber) {
    return menuNumber >= 1 && menuNumber <= CMiddleInterface::kMostMenus;
}

std::size_t menuSlot(int32_t menuNumber) {
    return static_cast<std::size_t>(menuNumber - 1);
}

} // namespace

CMiddleInterface::CMiddleInterface()
    : theTablet(std::make_unique<CTablet>()), theStrings(std::make_unique<CStringManager>()),
      traceOutput(&std::cout) {
    RErr err = theTablet->createTablet();
    if (!err)
        err = theTablet->setMaxAttributes(kAttributes);
    if (!err)
        err = theTablet->setMaxRecords(kRecords);
    for (int32_t tool = 1; tool <= kAttributes && !err; ++tool)
        err = theTablet->setValue(kToolRecord, tool, kInitialToolVisibility[tool - 1]);
    if (!err)
        err = theStrings->createStringStructure();
    if (err)
        bug("CMiddleInterface::CMiddleInterface", err);
}

CMiddleInterface::~CMiddleInterface() = default;

RErr CMiddleInterface::startNewUserMenu(const CRString& name) {
    ++menuCount;
    if (menuCount > kMostMenus) {
        bug("CMiddleInterface::startNewUserMenu", kErrGeneral);
        return kErrGeneral;
    }
    menuNames[menuSlot(menuCount)] = name.str();
    return kNoErr;
}

RErr CMiddleInterface::addMenuItem(const CRString& functionName, const CRString& label) {
    // Only items of an accepted menu with a free record are kept; the ids are registered
    // only then, so a refused item leaves nothing behind in the string store.
    if (menuCount < 1 || menuCount > kMostMenus ||
        itemCount[menuSlot(menuCount)] >= kMenuCapacity[menuCount - 1])
        return kNoErr;
    int32_t nameID = 0;
    int32_t labelID = 0;
    RErr err = theStrings->registerString(functionName, nameID);
    if (!err)
        err = theStrings->registerString(label, labelID);
    if (!err)
        err = addItem(nameID, labelID);
    if (err)
        bug("CMiddleInterface::addMenuItem", err);
    return err;
}

RErr CMiddleInterface::addMenuDivider() {
    if (menuCount < 1 || menuCount > kMostMenus ||
        itemCount[menuSlot(menuCount)] >= kMenuCapacity[menuCount - 1])
        return kNoErr;
    const RErr err = addItem(kDivider, kDivider);
    if (err)
        bug("CMiddleInterface::addMenuItem", err);
    return err;
}

RErr CMiddleInterface::addItem(int32_t functionNameID, int32_t labelID) {
    const std::size_t slot = menuSlot(menuCount);
    const int32_t record = kMenuBase[slot] + itemCount[slot] + 1;
    RErr err = theTablet->setValue(record, kAttributeName, functionNameID);
    if (!err)
        err = theTablet->setValue(record, kAttributeLabel, labelID);
    if (!err)
        err = theTablet->setValue(record, kAttributeEnabled, 1);
    if (!err)
        err = theTablet->setValue(record, kAttributeChecked, 0);
    if (!err)
        ++itemCount[slot];
    return err;
}

std::string CMiddleInterface::storedText(int32_t stringID) const {
    const CRString* text = nullptr;
    if (stringID > 0 && !theStrings->getPointerToString(stringID, text) && text)
        return text->str();
    return std::string();
}

const CMiddleInterface::RMenu* CMiddleInterface::menu(int32_t number) const {
    if (!isMenuNumber(number) || number > menuCount)
        return nullptr;
    RMenu& view = menuViews[menuSlot(number)];
    view.name = menuNames[menuSlot(number)];
    view.items.clear();
    for (int32_t item = 1; item <= itemCount[menuSlot(number)]; ++item) {
        const int32_t record = kMenuBase[menuSlot(number)] + item;
        RMenuItem entry;
        const int32_t nameID = theTablet->cell(record, kAttributeName);
        entry.divider = nameID == kDivider;
        if (!entry.divider) {
            entry.functionName = storedText(nameID);
            entry.label = storedText(theTablet->cell(record, kAttributeLabel));
        }
        entry.enabled = theTablet->cell(record, kAttributeEnabled) != 0;
        entry.checked = theTablet->cell(record, kAttributeChecked) != 0;
        view.items.push_back(std::move(entry));
    }
    return &view;
}

RErr CMiddleInterface::howManyItemsInMenu(int32_t menuNumber, int32_t& count) const {
    count = 0;
    if (!isMenuNumber(menuNumber)) {
        bug("CMiddleInterface::howManyItemsInMenu", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    count = itemCount[menuSlot(menuNumber)];
    return kNoErr;
}

RErr CMiddleInterface::getMenuLabel(int32_t menuNumber, std::string& name) const {
    if (!isMenuNumber(menuNumber)) {
        bug("CMiddleInterface::getMenuLabel", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    name = menuNames[menuSlot(menuNumber)];
    return kNoErr;
}

RErr CMiddleInterface::itemRecord(int32_t menuNumber, int32_t item, int32_t& record) const {
    record = 0;
    if (!isMenuNumber(menuNumber) || item < 1 || item > itemCount[menuSlot(menuNumber)])
        return kErrInvalidParameter;
    record = kMenuBase[menuSlot(menuNumber)] + item;
    return kNoErr;
}

RErr CMiddleInterface::itemCell(int32_t menuNumber, int32_t item, int32_t attribute,
                                int32_t& value) const {
    int32_t record = 0;
    RErr err = itemRecord(menuNumber, item, record);
    if (!err)
        err = theTablet->getValue(record, attribute, value);
    return err;
}

RErr CMiddleInterface::getMenuItemString(int32_t menuNumber, int32_t item, bool wantLabel,
                                         std::string& text) const {
    int32_t stringID = 0;
    const RErr err =
        itemCell(menuNumber, item, wantLabel ? kAttributeLabel : kAttributeName, stringID);
    if (err) {
        bug("CMiddleInterface::getMenuItemString", err);
        return err;
    }
    text = storedText(stringID);
    return kNoErr;
}

RErr CMiddleInterface::getMenuItemChecked(int32_t menuNumber, int32_t item, bool& value) const {
    int32_t cellValue = 0;
    const RErr err = itemCell(menuNumber, item, kAttributeChecked, cellValue);
    if (err)
        bug("CMiddleInterface::getMenuItemChecked", err);
    value = cellValue != 0;
    return err;
}

RErr CMiddleInterface::getMenuItemEnabled(int32_t menuNumber, int32_t item, bool& value) const {
    int32_t cellValue = 0;
    const RErr err = itemCell(menuNumber, item, kAttributeEnabled, cellValue);
    if (err)
        bug("CMiddleInterface::getMenuItemEnabled", err);
    value = cellValue != 0;
    return err;
}

RErr CMiddleInterface::menuNameToIndex(const CRString& functionName, int32_t& record) const {
    record = 0;
    for (int32_t candidate = 3; candidate <= kRecords; ++candidate) {
        const int32_t nameID = theTablet->cell(candidate, kAttributeName);
        if (nameID == 0 || nameID == kDivider)
            continue;
        const CRString* name = nullptr;
        if (!theStrings->getPointerToString(nameID, name) && name &&
            name->str() == functionName.str()) {
            record = candidate;
            return kNoErr;
        }
    }
    return kNoErr;
}

RErr CMiddleInterface::changeItemCell(CUndoStructure& undo, const CRString& functionName,
                                      int32_t attribute, int32_t value) {
    int32_t record = 0;
    RErr err = menuNameToIndex(functionName, record);
    if (!err && record == 0)
        err = kErrInvalidParameter;
    if (!err)
        err = CDatabaseTask::construct(undo, *theTablet, record, attribute, value);
    if (!err)
        err = doUserInterfaceUndoTask(kRebuildAuthorMenus, 0);
    return err;
}

RErr CMiddleInterface::checkMenuItem(CUndoStructure& undo, const CRString& functionName, bool on) {
    const RErr err = changeItemCell(undo, functionName, kAttributeChecked, on ? 1 : 0);
    if (err)
        bug("CMiddleInterface::checkMenuItem", err);
    return err;
}

RErr CMiddleInterface::enableMenuItem(CUndoStructure& undo, const CRString& functionName, bool on) {
    const RErr err = changeItemCell(undo, functionName, kAttributeEnabled, on ? 1 : 0);
    if (err)
        bug("CMiddleInterface::enableMenuItem", err);
    return err;
}

RErr CMiddleInterface::setMenuItemLabel(CUndoStructure& undo, const CRString& functionName,
                                        const CRString& label) {
    int32_t record = 0;
    RErr err = menuNameToIndex(functionName, record);
    if (!err && record == 0)
        err = kErrInvalidParameter;
    if (!err)
        err =
            CStringTask::construct(undo, *theTablet, *theStrings, record, kAttributeLabel, &label);
    if (!err)
        err = doUserInterfaceUndoTask(kRebuildAuthorMenus, 0);
    if (err)
        bug("CMiddleInterface::setMenuItemLabel", err);
    return err;
}

RErr CMiddleInterface::setToolVisibility(CUndoStructure& undo, int32_t tool, bool visible) {
    if (tool < 1 || tool > kAttributes) {
        bug("CMiddleInterface::setToolVisibility", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    const int32_t oldValue = theTablet->cell(kToolRecord, tool);
    const int32_t newValue = visible ? 1 : 0;
    if (oldValue == newValue)
        return kNoErr;
    RErr err = CDatabaseTask::construct(undo, *theTablet, kToolRecord, tool, newValue);
    if (!err)
        err = CUserInterfaceTask::construct(undo, *this, tool, oldValue, newValue);
    if (err)
        bug("CMiddleInterface::setToolVisibility", err);
    return err;
}

RErr CMiddleInterface::getToolVisibility(int32_t tool, bool& visible) const {
    visible = false;
    if (tool < 1 || tool > kAttributes) {
        bug("CMiddleInterface::getToolVisibility", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    visible = theTablet->cell(kToolRecord, tool) != 0;
    return kNoErr;
}

std::string CMiddleInterface::runTimeErrorText(int32_t code) {
    static const char* const texts[] = {
        "Invalid node argument",
        "Invalid text style",
        "Invalid color",
        "Invalid category",
        "Invalid projection",
        "Invalid category label",
        "Excessive 'while' looping",
        "Excessive recursion",
        "Not a root node",
        "There is no function in the script corresponding to the menu command.",
        "Text longer than 32,999 bytes",
    };
    if (code < 1 || code > kRunTimeTextTooLong)
        return std::string();
    return texts[code - 1];
}

std::string CMiddleInterface::composeRunTimeErrorMessage(int32_t code,
                                                         const std::string& userFunction,
                                                         const std::string& nativeFunction) {
    std::string text = "A run time error occurred";
    if (!userFunction.empty())
        text += " in the user function \"" + userFunction + "\"";
    if (!nativeFunction.empty())
        text += " while calling native function \"" + nativeFunction + "\"";
    text += ".\r\nError Message: " + runTimeErrorText(code);
    return text;
}

void CMiddleInterface::reportRunTimeError(int32_t code, const std::string& userFunction,
                                          const std::string& nativeFunction) {
    if (!runTimeDebugging)
        return;
    if (traceOutput) {
        *traceOutput << "An error of type " << static_cast<uint32_t>(code) << " was encountered \n";
        if (!nativeFunction.empty())
            *traceOutput << "while calling native function " << nativeFunction << "\n";
        if (!userFunction.empty())
            *traceOutput << "in the user function " << userFunction << "\n";
    }
    MessageRequest request;
    request.title = "Run Time Error";
    request.text = composeRunTimeErrorMessage(code, userFunction, nativeFunction);
    request.buttons = MessageButtons::OK;
    request.icon = MessageIcon::Warning;
    CRepeatedReports::showMessage(request);
}

void CMiddleInterface::reportParseError(int32_t code, int32_t line) {
    parseErrorCode = code;
    parseErrorLine = line;
    if (theApplication)
        theApplication->reportParseError(code, line);
}

RErr CMiddleInterface::message(const CRString& text) {
    return theApplication ? theApplication->message(text) : kNoErr;
}

RErr CMiddleInterface::popUp(int32_t node, const CRString& text) {
    return theApplication ? theApplication->popUp(node, text) : kNoErr;
}

RErr CMiddleInterface::ask(const CRString& prompt, CRString& answer) {
    answer = CRString("", kAnswerCreatorTag);
    return theApplication ? theApplication->ask(prompt, answer) : kNoErr;
}

RErr CMiddleInterface::doUserInterfaceUndoTask(int32_t taskCode, int32_t value) {
    return theApplication ? theApplication->doUserInterfaceUndoTask(taskCode, value) : kNoErr;
}

RErr CMiddleInterface::notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute,
                                                       const CRString* text, int32_t selectionStart,
                                                       int32_t selectionEnd) {
    return theApplication ? theApplication->notifyUserInterfaceOfTypingTask(
                                record, attribute, text, selectionStart, selectionEnd)
                          : kNoErr;
}

bool CMiddleInterface::queryModifierKey(int32_t which) {
    const int32_t keys = currentPlatform().modifierKeys();
    switch (which) {
    case 1:
        return (keys & kModifierShift) != 0;
    case 2:
        return (keys & kModifierControl) != 0;
    case 3:
        return (keys & kModifierAlt) != 0;
    default:
        bug("CMiddleInterface::queryModifierKey", kErrInvalidParameter);
        return false;
    }
}

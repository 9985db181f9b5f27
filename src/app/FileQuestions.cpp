#include "app/FileQuestions.h"

bool confirmRevert() {
    MessageRequest question;
    question.text = "Are you sure you want to abandon changes to this document and revert to the "
                    "saved version?";
    question.buttons = MessageButtons::OKCancel;
    return currentPlatform().showMessage(question) == kButtonOK;
}

int32_t askSaveBeforeClosing(MessageButtons buttons) {
    MessageRequest question;
    question.text = "Save document before closing?";
    question.buttons = buttons;
    return currentPlatform().showMessage(question);
}

bool confirmReplaceExistingFile() {
    MessageRequest question;
    question.title = "Replace Existing File";
    question.text = "There is already a file by this name.  Replace it?";
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = kButtonNo;
    return currentPlatform().showMessage(question) == kButtonYes;
}

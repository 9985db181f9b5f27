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

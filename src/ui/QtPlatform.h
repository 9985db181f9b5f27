#pragma once

#include "base/Platform.h"

// The platform seam on Qt: message boxes, the file chooser, the question dialog, the beep,
// the pause, the keyboard's modifier keys, the font dialog and the print dialog.
class QtPlatform : public Platform {
public:
    void showBugReport(const std::string& title, const std::string& text) override;
    int32_t showMessage(const MessageRequest& request) override;
    void beep() override;
    void pause(int32_t milliseconds) override;
    bool ask(const std::string& prompt, std::string& answer) override;
    bool chooseFile(const FileRequest& request, std::string& path) override;
    int32_t modifierKeys() override;
    bool chooseFont(FontRequest& request) override;
    bool choosePrinter(PrintRequest& request) override;
};

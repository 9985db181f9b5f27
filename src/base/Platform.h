#pragma once

#include <cstdint>
#include <string>

// Button identifiers returned by message boxes.
constexpr int32_t kButtonOK = 1;
constexpr int32_t kButtonCancel = 2;
constexpr int32_t kButtonYes = 6;
constexpr int32_t kButtonNo = 7;

// Modifier keys, as bits of Platform::modifierKeys.
constexpr int32_t kModifierShift = 1;
constexpr int32_t kModifierControl = 2;
constexpr int32_t kModifierAlt = 4;
constexpr int32_t kModifierCommand = 8;

enum class MessageButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Question };

struct MessageRequest {
    std::string title;
    std::string text;
    MessageButtons buttons = MessageButtons::OK;
    MessageIcon icon = MessageIcon::Warning;
    int32_t defaultButton = 0; // 0: the platform's usual default (OK or Yes)
};

struct FileRequest {
    bool forSaving = false;
    std::string title;
    std::string filter;           // e.g. "Ramex Grammars (*.rgr)"
    std::string defaultExtension; // without the dot
    std::string initialName;
    // When set: in, the filter the chooser starts on; out, the filter the person chose.
    std::string* chosenFilter = nullptr;
};

// The font dialog's question and answer.
struct FontRequest {
    std::string face;          // in: the current face; out: the chosen one
    int32_t tenthsOfPoint = 0; // in: the current size; out: the chosen size, in tenths of a point
};

// The print dialog's question and answer.
struct PrintRequest {
    std::string documentName;
    // In: the platform's own printer object, which its dialog sets up (a QPrinter under Qt).
    // The core never looks at it.
    void* nativePrinter = nullptr;
    // Out: when not empty, the pages go into this PDF file instead of to the printer.
    std::string pdfFile;
};

// Everything the core and the application ask of the person at the screen. The Qt layer
// implements it with dialogs; tests and ramex-cli use RecordingPlatform, so nothing blocks.
class Platform {
public:
    virtual ~Platform() = default;

    virtual void showBugReport(const std::string& title, const std::string& text) = 0;
    // Returns the button pressed (kButtonOK, kButtonCancel, kButtonYes, kButtonNo).
    virtual int32_t showMessage(const MessageRequest& request) = 0;
    virtual void beep() = 0;
    virtual void pause(int32_t milliseconds) = 0;
    // The one-line question; false when the person cancelled (the answer is then empty).
    virtual bool ask(const std::string& prompt, std::string& answer) = 0;
    // false when the person cancelled the file chooser.
    virtual bool chooseFile(const FileRequest& request, std::string& path) = 0;
    virtual int32_t modifierKeys() = 0;
    // The platform's font dialog, offering the fonts that exist; false when cancelled.
    virtual bool chooseFont(FontRequest& request);
    // The platform's print dialog; false when cancelled.
    virtual bool choosePrinter(PrintRequest& request);
};

// The platform installed on the calling thread; a RecordingPlatform until something else is
// installed there.
Platform& currentPlatform();
// For the calling thread. Not owned. nullptr puts the default recording platform back.
void installPlatform(Platform* platform);

// A message box with no title and a warning icon: kind 1 OK, kind 2 OK and Cancel.
// Returns the button pressed; any other kind reports 1004 under "SystemAlert" and returns 0.
int32_t SystemAlert(const std::string& text, int32_t kind);
void SystemBeep();
void SystemPause(int32_t milliseconds);

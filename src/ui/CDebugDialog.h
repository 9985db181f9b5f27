#pragma once

#include <QDialog>

class QListWidget;

// "Memory Debugging": the memory counters by tag, all of them (Full) or only what is still
// outstanding (Limited). Reached by a key chord only; closing it hides it.
class CDebugDialog : public QDialog {
public:
    CDebugDialog();

    void OnLimitedButton() { update(false); }
    void OnFullButton() { update(true); }
    void update(bool full);
    QListWidget& list() { return *lines; }

private:
    QListWidget* lines;
};

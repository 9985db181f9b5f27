#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;

// The one-line question the script asks: a prompt, an edit field and OK. The answer is the
// field's text after OK and stays empty otherwise (Escape closes the dialog without OK).
class CAskDialog : public QDialog {
public:
    CAskDialog(const std::string& prompt, std::string& answer, QWidget* parent = nullptr);

    void OnInitDialog();
    void OnOK();
    QLineEdit& editField() { return *field; }
    QLabel& promptText() { return *promptLabel; }

private:
    std::string prompt;
    std::string& answer;
    QLabel* promptLabel;
    QLineEdit* field;
};

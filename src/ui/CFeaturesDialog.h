#pragma once

#include <QWidget>

// The grammar's features list, an author window beside the lexicon editor. Closing it only
// hides it; the list and its buttons fill it.
class CFeaturesDialog : public QWidget {
public:
    CFeaturesDialog();
};

#pragma once

#include <QWidget>

// The grammar's categories list, an author window beside the lexicon editor. Closing it only
// hides it; the list and its buttons fill it.
class CCategoriesDialog : public QWidget {
public:
    CCategoriesDialog();
};

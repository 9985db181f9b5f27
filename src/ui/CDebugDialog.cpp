#include "ui/CDebugDialog.h"

#include "app/MemoryList.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CDebugDialog::CDebugDialog() : lines(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Memory Debugging"));
    auto* limited = new QPushButton(QStringLiteral("Limited"), this);
    auto* full = new QPushButton(QStringLiteral("Full"), this);
    limited->setAutoDefault(false);
    full->setAutoDefault(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(limited);
    buttons->addWidget(full);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lines, 1);
    layout->addLayout(buttons);
    connect(limited, &QPushButton::clicked, this, [this] { OnLimitedButton(); });
    connect(full, &QPushButton::clicked, this, [this] { OnFullButton(); });
}

void CDebugDialog::update(bool full) {
    lines->clear();
    CRMemory::Counters allocations{};
    CRMemory::Counters frees{};
    CRMemory::shared().returnCounters(allocations, frees);
    for (const std::string& line : memoryListLines(allocations, frees, full))
        lines->addItem(QString::fromStdString(line));
}

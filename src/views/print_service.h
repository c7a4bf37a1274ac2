#pragma once

#include <QString>

// Shows the print dialog and prints one note: its title line, then its body.
class PrintService
{
public:
    virtual ~PrintService() = default;
    virtual void printNote(const QString& title, const QString& body) = 0;
};

#pragma once

#include <QString>

// A document writer that turns pages into one output file. The export dialog creates one on
// the stack, gives it its pages, calls run() once and destroys it. GUI thread: run() shows
// its own progress dialog and processes events between pages.
class DocGenerator
{
public:
    virtual ~DocGenerator() = default;
    // Writes the document to outputPath; false when anything failed.
    virtual bool run(const QString &outputPath) = 0;
};

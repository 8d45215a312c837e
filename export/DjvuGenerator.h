#pragma once

#include "DocxGenerator.h"

// Base of the DjVu generator: the page list and the private temporary folder of
// DocxGenerator, where the per-page encoder outputs go. The DjVu exporter gives run().
// GUI thread.
class DjvuGenerator : public DocxGenerator
{
public:
    DjvuGenerator();
    ~DjvuGenerator() override;
};

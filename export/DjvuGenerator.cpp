#include "DjvuGenerator.h"

DjvuGenerator::DjvuGenerator() = default;

DjvuGenerator::~DjvuGenerator() = default;

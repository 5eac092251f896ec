// Zolvik's version, as its version record carries it and zolvik-report --version prints it.
// Preprocessor lines only: the resource compiler reads this file too.
#pragma once

#define ZOLVIK_VERSION_NUMBERS 1, 3, 0, 0
#define ZOLVIK_VERSION_TEXT "1.3.0.0"

#pragma once

// The one place the program's version is set; the version resource and the
// About box take it from here.
#define DRAVIK_VERSION_MAJOR 0
#define DRAVIK_VERSION_MINOR 2
#define DRAVIK_VERSION_PATCH 0
#define DRAVIK_VERSION_BUILD 0
#define DRAVIK_VERSION_TEXT "0.2.0"

#define DRAVIK_PRODUCT_NAME "Korvane Dravik"
#define DRAVIK_COMPANY_NAME "Korvane Software"

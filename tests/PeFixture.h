#pragma once

// Minimal PE images with a version resource, for the tests of everything that reads a program's
// file version. The builder lives with the tools, which write the demo installation's palm.exe.

#include "pe/PeBuilder.h"

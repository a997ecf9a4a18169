// The test programs of the windows: their headers and GoogleTest.
#pragma once

#include "tests.h"
#include "widgets.h"

// GoogleTest and the common headers, which every test program parses.
#pragma once

#include "core.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"

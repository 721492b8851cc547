// Kept for the encoder tests until they include tests/win/win_test_support.h.
#pragma once

#include "tests/win/win_test_support.h"

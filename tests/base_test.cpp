#include <gtest/gtest.h>

#include "base/text.h"

TEST(Placeholder, Builds) { SUCCEED(); }

#include <gtest/gtest.h>

#include "core/cp1252.h"

TEST(Cp1252, Umlaute) { EXPECT_EQ(hestrel::utf8_zu_cp1252("ü"), "\xFC"); }

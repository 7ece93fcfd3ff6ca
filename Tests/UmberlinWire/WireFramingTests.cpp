#include <gtest/gtest.h>
#include "WireProtocol.hpp"
TEST(X, Y) {}

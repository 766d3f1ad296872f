#include "corr_wall.hpp"

#include <gtest/gtest.h>

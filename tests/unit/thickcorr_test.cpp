#include "thickcorr_wall.hpp"

#include <gtest/gtest.h>

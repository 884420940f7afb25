// Read by the layer check's test as a file of the common layer; never compiled.
#pragma once
#include <string>
#include <gtest/gtest.h>
#include "common/text.hpp"
#include "platform/handles.hpp"
  #  include "startup/enumerate.hpp"
#include <monitor/tick.hpp>
#include "tests/wine/wine_test_support.hpp"

#include "check/policy.hpp"

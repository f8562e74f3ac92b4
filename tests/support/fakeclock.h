#pragma once
// Kept until every test includes fakes.h.
#include "fakes.h"

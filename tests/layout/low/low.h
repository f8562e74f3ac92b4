#pragma once
// Includes a folder its library does not link.
#include "high/high.h"

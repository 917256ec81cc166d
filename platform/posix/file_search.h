#pragma once
#include "win32_types.h"

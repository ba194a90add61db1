#pragma once
#include "common/Fine.h"

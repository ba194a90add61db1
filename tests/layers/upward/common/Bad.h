#pragma once
#include "common/Fine.h"
#include "ui/Window.h"

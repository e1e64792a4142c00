// The controls of Kavolt's forms, each kind in a file of its own.
#pragma once

#include "forms/buttons.h"
#include "forms/control.h"
#include "forms/frame.h"
#include "forms/label.h"
#include "forms/scroll_bar.h"
#include "forms/timer.h"

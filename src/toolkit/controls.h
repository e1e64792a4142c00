// The controls of Kavolt's forms, each kind in a file of its own.
#pragma once

#include "toolkit/buttons.h"
#include "toolkit/control.h"
#include "toolkit/frame.h"
#include "toolkit/label.h"
#include "toolkit/scroll_bar.h"
#include "toolkit/timer.h"

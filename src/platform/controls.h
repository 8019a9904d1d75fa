#pragma once

// Toolkit-free controls, one header per family: each holds its state and
// raises its events with the window system's rules, so windows can be driven
// and tested without a display.

#include "platform/captions.h"
#include "platform/control.h"
#include "platform/lists.h"
#include "platform/menus.h"
#include "platform/tabs.h"
#include "platform/text_field.h"

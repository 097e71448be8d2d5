#pragma once

// The screen of further entries ("More"), among them the user agreement:
// its whole content, entries included, is its interface file; the screen
// adds nothing to the base.

#include "app/screens/shared/ZMRViewController.h"

class ZMRMoreViewController : public ZMRViewController {};

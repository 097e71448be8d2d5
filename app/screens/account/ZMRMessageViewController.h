#pragma once

// The messages screen ("Message"): its whole content, entries included, is its
// interface file; the screen adds nothing to the base.

#include "app/screens/shared/ZMRViewController.h"

class ZMRMessageViewController : public ZMRViewController {};

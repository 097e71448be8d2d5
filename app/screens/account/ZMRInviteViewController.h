#pragma once

// The invitation screen ("Invite"): its whole content, entries included, is its
// interface file; the screen adds nothing to the base.

#include "app/screens/shared/ZMRViewController.h"

class ZMRInviteViewController : public ZMRViewController {};

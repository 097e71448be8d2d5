#pragma once

// The content container of the fold drawer's centre pane ("center"): the
// framework's content container under the application's own name, so the
// configuration can give the pane behaviour of its own later without
// renaming it. It adds nothing now.

#include "framework/ui/KRContentViewController.h"

class ZMRCenterViewController : public KRContentViewController {};

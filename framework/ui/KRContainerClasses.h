#pragma once

// The container controllers and bars, for registration and tests.

#include "framework/ui/KRCreatorViewController.h"
#include "framework/ui/KRFoldViewController.h"
#include "framework/ui/KRHeapViewController.h"
#include "framework/ui/KRTabBar.h"
#include "framework/ui/KRTabBarController.h"
#include "framework/ui/KRTabViewController.h"

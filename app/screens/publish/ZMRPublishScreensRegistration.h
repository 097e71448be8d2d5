#pragma once

// The publish form with its category chooser and tag strip, and its two
// screens.
// Registers the family's classes with the runtime; called once, from
// registerScreensClasses, after the shared family.
void registerPublishScreens();

#pragma once

// The feeds and their sources, the home screen with its picture strip, the
// feed details with their comments, the composer, the signed-in user's
// comment list and the picture viewer.
// Registers the family's classes with the runtime; called once, from
// registerScreensClasses, after the shared family.
void registerFeedScreens();

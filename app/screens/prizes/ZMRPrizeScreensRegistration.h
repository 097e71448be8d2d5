#pragma once

// The prize grid and list, the prize screens with their details page (its
// status button is a markup view class) and the exchange form.
// Registers the family's classes with the runtime; called once, from
// registerScreensClasses, after the shared family.
void registerPrizeScreens();
